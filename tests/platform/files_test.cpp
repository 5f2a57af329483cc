#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "particles/ParticleSystem.h"
#include "platform/AudioDecoder.h"
#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/AseText.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/TempDir.h"
#include "timeline/Timeline.h"

TEST(OpenFile, BackslashPathsAndCaseFoldedComponents) {
  TempDir dir;
  dir.Write("Escenas_Bin/Script.TXT", "hello\n");
  FILE* f = OpenFile("ESCENAS_BIN\\script.txt", "r");
  ASSERT_NE(f, nullptr);
  char line[16] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "hello\n");
  std::fclose(f);
}

TEST(OpenFile, TextModeFoldsCrLfButBinaryKeepsIt) {
  TempDir dir;
  dir.Write("a.txt", "one\r\ntwo\r\nlone\rcr\r\n");
  FILE* f = OpenFile("a.txt", "r");
  ASSERT_NE(f, nullptr);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  std::fclose(f);
  EXPECT_EQ(text, "one\ntwo\nlone\rcr\n");

  f = OpenFile("a.txt", "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_EQ(std::ftell(f), 19);
  std::fclose(f);
}

TEST(OpenFile, WritesIntoExistingFolderMatchedByCase) {
  TempDir dir;
  dir.Write("textures/keep.jpg", "x");
  FILE* f = OpenFile("TEXTURES\\new.jpg", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::ifstream(dir.path + "/textures/new.jpg").good());
  EXPECT_EQ(OpenFile("missing\\file.txt", "r"), nullptr);
}

// Every reader goes through OpenFile, which takes regular files only: a FIFO must not block the
// open, and a link to /dev/zero must not be read until memory runs out. Each refusal names the
// file. An alarm ends the test run rather than letting a blocked open hang it.
TEST(OpenFile, EveryReaderRefusesSpecialFilesWithoutBlocking) {
#ifdef _WIN32
  GTEST_SKIP() << "FIFOs and links to /dev/zero are Linux files";
#else
  struct Reader {
    const char* what;
    std::function<bool(const char*)> read;  // true when the reader took the file
  };
  const Reader readers[] = {
      {"script", [](const char* p) { Timeline t; t.LoadScript(p); return t.eventCount > 0; }},
      {"particles", [](const char* p) { ParticleSystem s; return s.ReadRecords(p); }},
      {"texture", [](const char* p) {
         DecodedImage i;
         std::string m;
         return DecodeJpegFile(p, i, m);
       }},
      {"ASE", [](const char* p) { AseText t; return t.read(p) == AseTextStatus::ok; }},
      {"music", [](const char* p) { AudioDecoder d; return d.Open(p, 44100); }},
      {"scene", [](const char* p) {
         Scene s;
         SceneBinaryFile().readScene(p, s);
         return s.getObjectCount() > 0;
       }},
      {"texture copy",
       [](const char* p) { return SceneBinaryFile().copyFile(p, "copy.jpg", true); }},
  };
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir.path + "/fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (dir.path + "/zero").c_str()), 0);
  ASSERT_EQ(::mkdir((dir.path + "/folder").c_str(), 0700), 0);
  ::alarm(60);
  for (const Reader& reader : readers) {
    for (const char* special : {"fifo", "zero", "folder"}) {
      SCOPED_TRACE(std::string(reader.what) + " from " + special);
      testing::internal::CaptureStdout();
      const bool took = reader.read(special);
      const std::string log = testing::internal::GetCapturedStdout();
      EXPECT_FALSE(took);
      EXPECT_NE(log.find(std::string("\"") + special + "\" is "), std::string::npos) << log;
    }
  }
  ::alarm(0);
  EXPECT_FALSE(std::ifstream(dir.path + "/copy.jpg").good());
#endif
}

TEST(OpenFile, FilesOverTheirKindsLimitAreRefusedInEveryMode) {
  TempDir dir;
  dir.Write("big.txt", std::string(100, 'x'));
  std::vector<uint8_t> bytes;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ReadWholeFile("big.txt", 99, bytes));
  EXPECT_EQ(OpenFile("big.txt", "r", 99), nullptr);
  EXPECT_EQ(OpenFile("big.txt", "rb", 99), nullptr);
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_NE(log.find("\"big.txt\" holds 100 bytes"), std::string::npos) << log;
  EXPECT_TRUE(ReadWholeFile("big.txt", 100, bytes));
  EXPECT_EQ(bytes.size(), 100u);
}

// A writer replaces a file only when the new one is whole: a write that fails (here, past the
// process's file size limit) keeps the old bytes, and neither outcome leaves a temporary behind.
TEST(AtomicFile, WritersReplaceWholeOrNotAtAll) {
#ifdef _WIN32
  GTEST_SKIP() << "a failing write is made with the file size limit of Linux (setrlimit)";
#else
  struct Writer {
    const char* what;
    std::function<bool(const char*)> write;  // writes well over 100 bytes
  };
  const std::string payload(1000, 'n');
  const Writer writers[] = {
      {"whole file",
       [&](const char* p) { return WriteWholeFile(p, payload.data(), payload.size()); }},
      {"particle file", [](const char* p) {
         ParticleSystem s;
         if (!s.Allocate(40, 1.0f, 1.0f)) return false;
         for (uint32_t i = 0; i < s.count; ++i) s.particles[i].size = 1.0f;
         s.textureCount = 1;
         return s.WriteFile(p);
       }},
  };
  const auto entries = [](const std::string& path) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path))
      names.push_back(e.path().filename());
    return names;
  };
  for (const Writer& writer : writers) {
    SCOPED_TRACE(writer.what);
    TempDir dir;
    dir.Write("Out/old.bin", "old");
    ::chmod((dir.path + "/Out/old.bin").c_str(), 0640);

    rlimit saved;
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    const bool failed = !writer.write("out\\OLD.BIN");
    testing::internal::GetCapturedStdout();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(failed);
    EXPECT_EQ(dir.Read("Out/old.bin"), "old");
    EXPECT_EQ(entries(dir.path + "/Out"), std::vector<std::string>{"old.bin"});

    testing::internal::CaptureStdout();
    EXPECT_TRUE(writer.write("out\\OLD.BIN"));
    testing::internal::GetCapturedStdout();
    EXPECT_GT(dir.Read("Out/old.bin").size(), 100u);
    EXPECT_EQ(entries(dir.path + "/Out"), std::vector<std::string>{"old.bin"});
    struct stat st;
    ASSERT_EQ(::stat((dir.path + "/Out/old.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
  }
#endif
}

// A writer that names every file of its folder takes its own name as written (the folders are
// still matched); any other write replaces the file whose name differs only by case.
TEST(AtomicFile, NameAsWrittenSkipsOnlyTheLastNamesMatch) {
#ifdef _WIN32
  GTEST_SKIP() << "names that differ only by case are one file on Windows";
#else
  TempDir dir;
  dir.Write("Frames/A.TXT", "old");
  ASSERT_TRUE(WriteWholeFile("FRAMES/a.txt", "new", 3));
  EXPECT_EQ(dir.Read("Frames/A.TXT"), "new");
  EXPECT_FALSE(std::filesystem::exists(dir.path + "/Frames/a.txt"));
  ASSERT_TRUE(WriteWholeFile("FRAMES/a.txt", "own", 3, true));
  EXPECT_EQ(dir.Read("Frames/a.txt"), "own");
  EXPECT_EQ(dir.Read("Frames/A.TXT"), "new");
#endif
}

// Where a temporary must have a name, a killed writer leaves it behind: the next writer into the
// folder removes those of this machine whose process is gone, and no other.
TEST(AtomicFile, RemovesTemporariesOfWritersThatAreGone) {
#ifdef _WIN32
  GTEST_SKIP() << "a process that is gone is made with fork";
#else
  TempDir dir;
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ::waitpid(gone, nullptr, 0);
  char host[65] = {};
  ::gethostname(host, sizeof host - 1);
  std::string prefix = ".tmp-";
  for (const char* c = host; *c && prefix.size() < 29; ++c)
    prefix += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  prefix += "-";
  const std::string stale = prefix + std::to_string(gone) + "-3";
  const std::string running = prefix + std::to_string(::getppid()) + "-0";
  const std::string elsewhere = ".tmp-otherhost-" + std::to_string(gone) + "-0";
  for (const std::string& name : {stale, running, elsewhere}) dir.Write("out/" + name, "half");
  ASSERT_TRUE(WriteWholeFile("out/new.bin", "x", 1));
  EXPECT_FALSE(std::filesystem::exists(dir.path + "/out/" + stale));
  EXPECT_TRUE(std::filesystem::exists(dir.path + "/out/" + running));
  EXPECT_TRUE(std::filesystem::exists(dir.path + "/out/" + elsewhere));
#endif
}
