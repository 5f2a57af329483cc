#include "support/TestScreen.h"

#include <cstdlib>
#include <fstream>

std::string ScreenMissing() {
  const char* pass = std::getenv("ZB_TEST_SCREEN");
  if (!pass || std::string(pass) != "none") return "";
  if (const char* list = std::getenv("ZB_TEST_SCREEN_LIST")) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test)
      std::ofstream(list, std::ios::app | std::ios::binary)  // one LF, for the script's regex
          << test->test_suite_name() << "." << test->name() << "\n";
  }
  return "needs a screen: runs in the pass on one";
}
