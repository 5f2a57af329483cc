// The file layer's safety rules, as they hold on every system: a scene's texture names read
// nothing outside the production, a file is replaced only when whole, and names are matched
// without regard to case. Windows-only forms (drive letters, UNC, junctions) are in the tables
// on Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/SceneBinaryTextures.h"
#include "support/TempDir.h"
#include "support/TestProcess.h"

namespace fs = std::filesystem;

namespace {

// Copies one map named bitmap the way a normalising scene write does; the copy log's line.
std::string CopyOneTexture(const std::string& bitmap) {
  Material material;
  material.header.mapCount = 1;
  std::snprintf(material.maps[0].bitmap, sizeof material.maps[0].bitmap, "%s", bitmap.c_str());
  Scene scene;
  scene.setupMaterials(1);
  scene.setMaterial(0, material);
  SceneBinaryFile file;
  std::string log;
  testing::internal::CaptureStdout();
  CopySceneTextures(file, scene, log);
  testing::internal::GetCapturedStdout();
  scene.release();
  return log;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(fs::u8path(folder), ec))
    names.push_back(e.path().filename().u8string());
  return names;
}

}  // namespace

TEST(SceneTextureNames, NothingOutsideTheProductionIsRead) {
  TempDir dir;
  dir.Write("secret.jpg", "SECRET");
  dir.Write("outside/secret.jpg", "SECRET");
  dir.Write("prod/inside.jpg", "INSIDE");
  dir.Write("prod/sub/keep.txt", "");
  fs::create_directory(fs::u8path(dir.path + "/prod/textures"));
  std::error_code linked;
  // A link (on Windows a junction or symbolic link) inside the production that leads out of it.
  fs::create_directory_symlink(fs::u8path(dir.path + "/outside"),
                               fs::u8path(dir.path + "/prod/door"), linked);
  ASSERT_TRUE(EnterFolder("prod"));
  struct Case {
    std::string bitmap;
    bool copied;
  };
  std::vector<Case> cases = {
      {"inside.jpg", true},
      {"sub\\..\\inside.jpg", true},
      {"..\\secret.jpg", false},
      {"../secret.jpg", false},
      {"sub\\..\\..\\secret.jpg", false},
      {"..\\outside\\secret.jpg", false},
      {dir.path + "/secret.jpg", false},
      {"\\\\server\\share\\secret.jpg", false},
      {"C:\\secret.jpg", false},
  };
  if (!linked) cases.push_back({"door\\secret.jpg", false});
#ifdef _WIN32
  // The same file by drive letter, by the \\?\ form and by the local machine's UNC name.
  const std::string real = RealPath((dir.path + "/secret.jpg").c_str());
  ASSERT_FALSE(real.empty());
  cases.push_back({real, false});
  cases.push_back({"\\\\?\\" + real, false});
  cases.push_back({"\\\\localhost\\" + real.substr(0, 1) + "$" + real.substr(2), false});
  cases.push_back({real.substr(0, 2) + "..\\secret.jpg", false});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bitmap);
    const std::string log = CopyOneTexture(c.bitmap);
    EXPECT_NE(log.find(c.copied ? "OK" : "FAILED"), std::string::npos) << log;
    const std::string copy = c.copied ? "textures/inside.jpg" : "textures/secret.jpg";
    EXPECT_EQ(ExamineFile(copy.c_str()).kind,
              c.copied ? FileKind::regular : FileKind::missing);
  }
  // The picture from inside alone, beside the converter's record of what it wrote.
  std::vector<std::string> entries = Entries(dir.path + "/prod/textures");
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{".zorbanel-converted", "inside.jpg"}));
}

// Bound to a production reached through a link, reads stay inside it by any path or link, with
// a line for each refusal; a file the user named is read wherever it lies.
TEST(ReadsWithin, NothingOutsideTheBoundIsOpened) {
  TempDir dir;
  dir.Write("out/secret.jpg", "SECRET");
  dir.Write("prod/inside.jpg", "INSIDE");
  const std::string prod = dir.path + "/prod";
  std::error_code e;
  fs::create_symlink(fs::u8path(dir.path + "/out/secret.jpg"), fs::u8path(prod + "/out.jpg"), e);
  if (!e) fs::create_directory_symlink(fs::u8path(dir.path + "/out"), fs::u8path(prod + "/door"), e);
  if (!e) fs::create_symlink("inside.jpg", fs::u8path(prod + "/in.jpg"), e);
  if (!e) fs::create_directory_symlink(fs::u8path(prod), fs::u8path(dir.path + "/linked"), e);
  ReadsWithin bound((e ? prod : dir.path + "/linked").c_str());
  ASSERT_TRUE(EnterFolder(prod.c_str()));
  std::vector<std::pair<std::string, bool>> cases = {
      {"inside.jpg", true}, {"..\\prod\\inside.jpg", true}, {"..\\out\\secret.jpg", false},
      {dir.path + "/out/secret.jpg", false}};
  if (!e) cases.insert(cases.end(), {{"out.jpg", false}, {"door\\secret.jpg", false}, {"in.jpg", true}});
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadWholeFile(c.first.c_str(), ReadLimit::kAny, bytes), c.second) << c.first;
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("leads out of the production folder") == std::string::npos, c.second) << log;
  }
  std::vector<uint8_t> bytes;
  AllowReadOf("../out/secret.jpg");
  EXPECT_TRUE(ReadWholeFile("../out/secret.jpg", ReadLimit::kAny, bytes));
}

// The rule's own comparison: a folder's name must end where the path's next component starts.
TEST(SceneTextureNames, PathWithinComparesWholeComponents) {
  struct Case {
    const char* path;
    const char* folder;
    bool within;
  };
  const Case cases[] = {
#ifdef _WIN32
      {"C:\\prod\\textures\\a.jpg", "C:\\prod", true},
      {"c:\\PROD\\a.jpg", "C:\\Prod", true},
      {"C:\\production\\a.jpg", "C:\\prod", false},
      {"C:\\prod", "C:\\prod", false},
      {"D:\\prod\\a.jpg", "C:\\prod", false},
      {"\\\\server\\share\\prod\\a.jpg", "C:\\prod", false},
      {"C:\\a.jpg", "C:\\", true},
#else
      {"/prod/textures/a.jpg", "/prod", true},
      {"/PROD/a.jpg", "/prod", false},
      {"/production/a.jpg", "/prod", false},
      {"/prod", "/prod", false},
      {"/a.jpg", "/", true},
#endif
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathWithin(c.path, c.folder), c.within) << c.path << " in " << c.folder;
}

// A write given up or dropped before Commit leaves the old file as it was, and nothing beside it.
TEST(AtomicFile, AnAbandonedWriteKeepsTheOldFile) {
  TempDir dir;
  dir.Write("out/old.bin", "old");
  const std::string target = dir.path + "/out/old.bin";
  const std::string half(4096, 'h');
  {  // abandoned
    AtomicFile file;
    FILE* f = file.Open(target.c_str());
    ASSERT_NE(f, nullptr);
    std::fwrite(half.data(), 1, half.size(), f);
    file.Abandon();
  }
  {  // gone out of scope uncommitted
    AtomicFile file;
    FILE* f = file.Open(target.c_str());
    ASSERT_NE(f, nullptr);
    std::fwrite(half.data(), 1, half.size(), f);
  }
  EXPECT_EQ(dir.Read("out/old.bin"), "old");
  EXPECT_EQ(Entries(dir.path + "/out"), std::vector<std::string>{"old.bin"});

  EXPECT_EQ(dir.Read("out/old.bin"), "old");
  EXPECT_EQ(Entries(dir.path + "/out"), std::vector<std::string>{"old.bin"});
}

// Killed mid-write: the process ends at once, with no destructor and no Commit. Where death tests
// re-run the program (Windows) the child starts this test afresh: it finds the parent's target
// in the environment and makes no folder of its own.
TEST(AtomicFile, AWriterKilledMidWriteKeepsTheOldFile) {
  const char* kTarget = "ZB_KILLED_WRITE_TARGET";
  std::unique_ptr<TempDir> dir(std::getenv(kTarget) ? nullptr : new TempDir);
  if (dir) {
    dir->Write("out/old.bin", "old");
    SetVariable(kTarget, (dir->path + "/out/old.bin").c_str());
  }
  EXPECT_EXIT(
      {
        AtomicFile file;
        FILE* f = file.Open(std::getenv(kTarget));
        const std::string half(4096, 'h');
        if (f) std::fwrite(half.data(), 1, half.size(), f);
        if (f) std::fflush(f);
        std::_Exit(3);
      },
      testing::ExitedWithCode(3), "");
  SetVariable(kTarget, nullptr);
  ASSERT_TRUE(dir);
  EXPECT_EQ(dir->Read("out/old.bin"), "old");
#ifdef _WIN32
  // Windows has no unnamed files: the killed writer's temporary is left, named.
  EXPECT_EQ(Entries(dir->path + "/out").size(), 2u);
#endif
  // The next writer into the folder sweeps what the killed one left.
  ASSERT_TRUE(WriteWholeFile((dir->path + "/out/new.bin").c_str(), "new", 3));
  std::vector<std::string> left = Entries(dir->path + "/out");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"new.bin", "old.bin"}));
}

// One file however its name is cased, for reading, identity and replacement.
TEST(OpenFile, NamesMatchWithoutRegardToCase) {
  TempDir dir;
  dir.Write("Escenas_Bin/Script.TXT", "one\n");
  const char* names[] = {"ESCENAS_BIN\\script.txt", "escenas_bin/SCRIPT.TXT",
                         "Escenas_Bin\\Script.TXT"};
  const FileStamp stamp = StampOfFile("Escenas_Bin/Script.TXT");
  ASSERT_GE(stamp.size, 0);
  for (const char* name : names) {
    SCOPED_TRACE(name);
    FILE* f = OpenFile(name, "r");
    ASSERT_NE(f, nullptr);
    char line[8] = {};
    EXPECT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(StampOfFile(name), stamp);
    EXPECT_EQ(ExamineFile(name).kind, FileKind::regular);
    EXPECT_EQ(ResolvePath(name), ResolvePath("Escenas_Bin/Script.TXT"));
  }
  // A name not there yet keeps its spelling; the folders before it take theirs.
  EXPECT_EQ(ResolvePath("ESCENAS_BIN\\New.TXT"), ResolvePath("Escenas_Bin\\") + "New.TXT");
  ASSERT_TRUE(WriteWholeFile("ESCENAS_BIN\\SCRIPT.TXT", "two\n", 4));
  EXPECT_EQ(dir.Read("Escenas_Bin/Script.TXT"), "two\n");
  EXPECT_EQ(Entries(dir.path + "/Escenas_Bin"), std::vector<std::string>{"Script.TXT"});
}

#ifdef _WIN32
// Device names open like files on Windows, in any folder and with any extension: no reader
// takes them, and none is a regular file to the checks made before an open.
TEST(OpenFile, DeviceNamesAreNotFiles) {
  TempDir dir;
  for (const char* name : {"NUL", "nul", "CON", "textures\\NUL", "COM1"}) {
    SCOPED_TRACE(name);
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenFile(name, "rb"), nullptr);
    EXPECT_EQ(OpenFile(name, "r"), nullptr);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(ExamineFile(name).kind, FileKind::regular);
  }
}
#endif
