#pragma once
// A scoped environment variable for the platform tests.
#include <cstdlib>
#include <string>

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
    if (value) setenv(variable, value, 1);
    else unsetenv(variable);
  }
  ~EnvOverride() {
    if (had) setenv(name.c_str(), old.c_str(), 1);
    else unsetenv(name.c_str());
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;
};
