#pragma once
// Records every message box shown while it lives, answering OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"

struct RecordedBox {
  std::string text;
  std::string caption;
};

struct BoxRecorder {
  std::vector<RecordedBox> boxes;

  BoxRecorder() {
    SetMessageBoxHandler([this](const char* text, const char* caption, unsigned) {
      boxes.push_back({text, caption});
      return IDOK;
    });
  }
  ~BoxRecorder() { SetMessageBoxHandler(nullptr); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  // Success when exactly one box was shown since the last check, with this text and caption.
  // Forgets the boxes either way.
  ::testing::AssertionResult ShownOnce(const std::string& text, const std::string& caption) {
    std::vector<RecordedBox> seen;
    seen.swap(boxes);
    if (seen.size() == 1 && seen[0].text == text && seen[0].caption == caption)
      return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "expected one box [" << caption << "] \""
                                                 << text << "\", saw " << seen.size() << ":";
    for (const RecordedBox& box : seen) failure << " [" << box.caption << "] \"" << box.text << "\"";
    return failure;
  }

  ::testing::AssertionResult NoneShown() {
    std::vector<RecordedBox> seen;
    seen.swap(boxes);
    if (seen.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "expected no box, saw:";
    for (const RecordedBox& box : seen) failure << " [" << box.caption << "] \"" << box.text << "\"";
    return failure;
  }
};
