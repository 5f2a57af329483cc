#pragma once
// Records every message box shown while it lives, answering OK.
#include <string>

#include "platform/MessageBox.h"

// How a recorder lists one box.
inline std::string Box(const std::string& text, const std::string& caption) {
  return "[" + caption + "] " + text + "\n";
}

struct BoxRecorder {
  std::string shown;

  BoxRecorder() {
    SetMessageBoxHandler([this](const char* text, const char* caption, unsigned) {
      shown += Box(text, caption);
      return IDOK;
    });
  }
  ~BoxRecorder() { SetMessageBoxHandler(nullptr); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  // The boxes shown since the last call, in order; forgets them.
  std::string Take() {
    std::string all;
    all.swap(shown);
    return all;
  }
};
