#pragma once
// Tests that draw, or run a program that draws, need a screen where SDL has no offscreen video
// driver (Windows). There the suite runs twice: once with no display (ZB_TEST_SCREEN=none), where
// these tests skip and are listed in the file ZB_TEST_SCREEN_LIST names, and then those alone on
// a virtual screen. Elsewhere they always run.
#include <gtest/gtest.h>

#include <string>

// Why the test cannot draw here; empty when it can.
std::string ScreenMissing();

#define ZB_REQUIRE_SCREEN()                                 \
  do {                                                      \
    const std::string zbScreenMissing = ScreenMissing();    \
    if (!zbScreenMissing.empty()) GTEST_SKIP() << zbScreenMissing; \
  } while (0)
