#pragma once
// A scoped environment variable for the platform tests.
#include <cstdlib>
#include <string>

#include "support/TestProcess.h"

// Sets (or, with nullptr, removes) an environment variable and puts the old value back.
struct EnvOverride {
  std::string name;
  bool had = false;
  std::string old;
  EnvOverride(const char* variable, const char* value) : name(variable) {
    if (const char* previous = std::getenv(variable)) {
      had = true;
      old = previous;
    }
    SetVariable(variable, value);
  }
  ~EnvOverride() { SetVariable(name.c_str(), had ? old.c_str() : nullptr); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;
};
