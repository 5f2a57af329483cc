// The content tool writes the bundled production only into an empty folder or over its own
// unchanged earlier output: a user's production, or any file the tool did not write, is refused
// with nothing touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "OutputRecord.h"
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

namespace {

namespace fs = std::filesystem;

// Every file in a folder with its bytes, to tell that a refused run touched nothing.
std::map<std::string, std::string> Snapshot(const TempDir& dir, const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir.path + "/" + folder, error), end;
       !error && it != end; it.increment(error))
    if (!it->is_directory()) {
      const std::string path = fs::relative(it->path(), dir.path).generic_string();
      files[path] = it->is_regular_file() ? dir.Read(path) : "(link)";
    }
  return files;
}

// A small stand-in for the tool's output, recorded as the tool records it.
void WriteOwnOutput(const TempDir& dir) {
  dir.Write("out/production.txt", "scene a\n");
  dir.Write("out/textures/font.jpg", "JPEG bytes");
  dir.Write("out/music/music.ogg", "OggS bytes");
  ASSERT_TRUE(WriteOutputRecord(dir.path + "/out"));
}

struct Case {
  const char* name;
  void (*prepare)(const TempDir& dir);
  const char* refusedFile;  // null: the folder may be written
  const char* why;
};

const Case kCases[] = {
    {"absent folder", [](const TempDir&) {}, nullptr, nullptr},
    {"empty folder", [](const TempDir& dir) { fs::create_directories(dir.path + "/out/textures"); },
     nullptr, nullptr},
    {"own earlier output", WriteOwnOutput, nullptr, nullptr},
    {"own output with the logs of runs and a file removed",
     [](const TempDir& dir) {
       WriteOwnOutput(dir);
       dir.Write("out/LOGFILE.TXT", "log of a run");
       dir.Write("out/LOGFILE-capture-123.TXT", "log of a capture");
       fs::remove(dir.path + "/out/music/music.ogg");
     },
     nullptr, nullptr},
    {"own output with one file edited (same size)",
     [](const TempDir& dir) {
       WriteOwnOutput(dir);
       dir.Write("out/textures/font.jpg", "JPEG bytez");
     },
     "textures/font.jpg", "was changed since this tool wrote it"},
    {"a user's production.txt",
     [](const TempDir& dir) { dir.Write("out/production.txt", "scene mine\n"); }, "production.txt",
     "is not part of the production this tool wrote here"},
    {"own output and a user's extra file",
     [](const TempDir& dir) {
       WriteOwnOutput(dir);
       dir.Write("out/escenas/mine.ase", "*3DSMAX_ASCIIEXPORT 200\n");
     },
     "escenas/mine.ase", "is not part of the production this tool wrote here"},
#ifndef _WIN32  // links are made by administrators only on Windows
    {"own output and a link",
     [](const TempDir& dir) {
       WriteOwnOutput(dir);
       fs::create_symlink(dir.path + "/elsewhere", dir.path + "/out/textures/env.jpg");
     },
     "textures/env.jpg", "is a link or a special file, which this tool never writes"},
#endif
    {"a damaged record",
     [](const TempDir& dir) {
       WriteOwnOutput(dir);
       dir.Write("out/.zorbanel-content", "zorbanel-content output 1\nnot a line\n");
     },
     ".zorbanel-content", "is not a record this tool wrote"},
};

TEST(OutputRecord, WritesOnlyOverItsOwnUnchangedOutput) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.prepare(dir);
    const OutputCheck check = CheckOutputFolder(dir.path + "/out");
    EXPECT_EQ(check.allowed, c.refusedFile == nullptr);
    if (!c.refusedFile) continue;
    EXPECT_EQ(check.file, c.refusedFile);
    EXPECT_EQ(check.why, c.why);
    // The tool itself, on the refused folder: status 1, the file named, every byte as it was.
    const auto before = Snapshot(dir, "out");
    const ToolRun run = RunTool(dir.path, "content", "out");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(std::string("out/") + c.refusedFile + " " + c.why), std::string::npos)
        << run.output;
    EXPECT_EQ(Snapshot(dir, "out"), before);
  }
}

// The whole tool twice into one folder: the second run (as the build's rebuild after the tool
// changed) writes over its own output, and leaves the player's log alone.
TEST(OutputRecord, ToolWritesAgainOverItsOwnOutput) {
  ZB_REQUIRE_SCREEN();  // the particle textures are drawn with GL
  TempDir dir;
  ASSERT_EQ(RunTool(dir.path, "content", "out", 300).status, 0);
  const auto first = Snapshot(dir, "out");
  EXPECT_EQ(first.count("out/.zorbanel-content"), 1u);
  dir.Write("out/LOGFILE.TXT", "log of a run");
  const ToolRun again = RunTool(dir.path, "content", "out", 300);
  EXPECT_EQ(again.status, 0) << again.output;
  auto second = Snapshot(dir, "out");
  EXPECT_EQ(second["out/LOGFILE.TXT"], "log of a run");
  second.erase("out/LOGFILE.TXT");
  EXPECT_EQ(second, first) << "the same bytes on every run";
}

}  // namespace
