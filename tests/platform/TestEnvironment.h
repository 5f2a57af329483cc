#pragma once
// Test doubles for the platform tests: a message-box recorder and a scoped environment variable.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

struct Box {
  std::string text;
  std::string caption;
  unsigned type;
};

// Records every message box and answers Yes/No questions with `answer`.
struct BoxRecorder {
  std::vector<Box> boxes;
  explicit BoxRecorder(int answer = IDYES) {
    SetMessageBoxHandler([this, answer](const char* text, const char* caption, unsigned type) {
      boxes.push_back({text, caption, type});
      return (type & 0x0F) == MB_YESNO ? answer : IDOK;
    });
  }
  ~BoxRecorder() { SetMessageBoxHandler(nullptr); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;
};

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
