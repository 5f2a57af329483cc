#pragma once
// Records every message box shown while it lives, instead of showing it: Yes/No questions get
// `answer`, every other box OK.
#include <string>
#include <vector>

#include "platform/MessageBox.h"

struct Box {
  std::string text;
  std::string caption;
  unsigned type;
};

// How Take lists one box.
inline std::string BoxLine(const std::string& text, const std::string& caption) {
  return "[" + caption + "] " + text + "\n";
}

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

  // The boxes shown since the last call, one BoxLine each, in order; forgets them.
  std::string Take() {
    std::string all;
    for (const Box& box : boxes) all += BoxLine(box.text, box.caption);
    boxes.clear();
    return all;
  }
};
