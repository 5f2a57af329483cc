// Another program run by a tool (ffmpeg, the converter): what it says is kept and its status
// told, a program that is not there is refused at the start, and one that stops reading its
// input does not end the tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ChildProcess.h"

namespace {

const std::string kCheck = std::string(ZB_TOOLS_DIR) + "/zorbanel-check";

struct Case {
  std::vector<std::string> args;
  int status;
  const char* output;  // what the kept output starts with
  const char* errors;  // what the kept errors start with
};

}  // namespace

TEST(ChildProcess, KeepsWhatTheChildSaysAndItsStatus) {
  const Case kCases[] = {
      {{kCheck, "--version"}, 0, "zorbanel-check ", ""},
      {{kCheck, "--no-such-option"}, 2, "", "zorbanel-check: bad arguments\n\nUsage:"},
      {{kCheck, "a b"}, 2, "", "zorbanel-check: cannot enter a b: "},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args.back());
    ChildProcess child;
    ChildOptions options;
    options.keepOutput = options.keepErrors = true;
    std::string error;
    ASSERT_TRUE(child.Start(c.args, options, error)) << error;
    int status = -1;
    EXPECT_EQ(child.Wait(status), c.status == 0);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(child.Output().rfind(c.output, 0), 0u) << child.Output();
    EXPECT_EQ(child.Errors().rfind(c.errors, 0), 0u) << child.Errors();
    EXPECT_EQ(std::string(c.output).empty(), child.Output().empty());
    EXPECT_FALSE(child.Running());
  }
}

TEST(ChildProcess, AProgramThatIsNotThereIsRefusedAtTheStart) {
  EXPECT_EQ(FindProgram("zorbanel-no-such-program"), "");
  for (const std::string& name :
       {std::string("zorbanel-no-such-program"), std::string(ZB_TOOLS_DIR) + "/no-such-program"}) {
    ChildProcess child;
    std::string error;
    EXPECT_FALSE(child.Start({name}, ChildOptions(), error));
    EXPECT_NE(error.find("no-such-program"), std::string::npos) << error;
    EXPECT_FALSE(child.Running());
    int status = 0;
    EXPECT_FALSE(child.Wait(status));
    EXPECT_EQ(status, -1);
  }
}

// The encoder that stops reading frames: the writes fail, the tool lives on to say so.
TEST(ChildProcess, AChildThatStopsReadingFailsTheWriteOnly) {
  ChildProcess child;
  ChildOptions options;
  options.pipeInput = options.keepOutput = true;
  std::string error;
  ASSERT_TRUE(child.Start({kCheck, "--version"}, options, error)) << error;
  const std::vector<char> frame(8 << 20, 'x');
  EXPECT_FALSE(child.Write(frame.data(), frame.size()));
  int status = -1;
  EXPECT_TRUE(child.Wait(status));
  EXPECT_EQ(child.Output().rfind("zorbanel-check ", 0), 0u);
}
