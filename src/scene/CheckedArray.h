#pragma once
// The checked set-up, store and read shared by the scene's four arrays and the four mesh
// arrays. Every refusal is a modal box and the program goes on: a reader that must not keep what
// it read after a refusal checks the array's ready flag itself.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

#include "platform/MessageBox.h"

namespace checked {

inline void Tell(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

// How a new array's elements begin: with their default values, or left to the caller, who
// constructs every one before anything reads it (a reader that fills the whole array anyway
// then writes it once instead of twice).
enum class Elements { kDefault, kLeftToCaller };

// The storage of every checked array comes from NewArray and goes back through DeleteArray.
// Null when the memory cannot be had.
template <typename T>
T* NewArray(uint32_t n, Elements elements) {
  static_assert(std::is_trivially_destructible<T>::value, "DeleteArray runs no destructors");
  if (n > SIZE_MAX / sizeof(T)) return nullptr;
  T* array = static_cast<T*>(::operator new[](sizeof(T) * n, std::nothrow));
  if (array && elements == Elements::kDefault) std::uninitialized_default_construct_n(array, n);
  return array;
}

template <typename T>
void DeleteArray(T* array) {
  ::operator delete[](array);
}

// n elements into array, which must hold nothing (the caller frees or refuses first). If the
// allocation fails the array is set up empty, so the stores that follow are refused by their
// bounds check instead of writing through a null array.
template <typename T>
void Allocate(T*& array, uint32_t& count, bool& ready, uint32_t n,
              Elements elements = Elements::kDefault) {
  array = NewArray<T>(n, elements);
  count = n;
  if (!array) {
    Tell("Out of memory: the array stays empty", "Memory error");
    count = 0;
  }
  ready = true;
}

template <typename T>
void Store(T* array, bool ready, uint32_t count, uint32_t i, const T& value, const char* notReady) {
  if (!ready) {
    Tell(notReady, "Error de inicializacion");
    return;
  }
  if (i >= count) {
    Tell("Acceso fuera del vector IMPEDIDO", "Error de acceso");
    return;
  }
  array[i] = value;
}

template <typename T>
T Read(const T* array, bool ready, uint32_t count, uint32_t i, const char* notReady) {
  if (!ready) {
    Tell(notReady, "Error de inicializacion");
    return T();
  }
  if (i >= count) {
    Tell("Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.", "Error de acceso");
    // An empty array has no last element to fall back on.
    return count > 0 ? array[count - 1] : T();
  }
  return array[i];
}

// Frees a set-up array and marks it not set up; true when it was set up.
template <typename T>
bool Free(T*& array, uint32_t& count, bool& ready) {
  if (!ready) return false;
  DeleteArray(array);
  array = nullptr;
  count = 0;
  ready = false;
  return true;
}

}  // namespace checked
