// Truncated and bit-flipped exports never crash the reader. Each damaged file is read in a
// child process: the scene model may end it on purpose (status 1, for an element read before
// its array size), but nothing may kill it. Built with -DZB_SANITIZE=ON, any invalid memory
// access or undefined behaviour ends the child with the sanitizers' own status instead.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "AseTestSupport.h"
#include "scene/Scene.h"
#include "support/TempDir.h"

// Sanitizer reports end the child with statuses that no reader path uses.
extern "C" const char* __asan_default_options() { return "exitcode=86"; }
extern "C" const char* __ubsan_default_options() { return "exitcode=87:print_stacktrace=1"; }

namespace {

// Returns "" when a child read the text and ended normally, else what went wrong. The child
// ends through exit, so a leak check runs there too.
void Read(const std::string& path) {
  BoxRecorder boxes;
  Scene scene;
  LoadAseFile(path, scene);
  scene.release();
}

std::string ReadInChild(const std::string& text) {
  const std::string path = TempFileName("zb_ase_damaged");
  WriteBytes(path, text);
#ifdef _WIN32
  // No fork here: the file is read in this process, where a crash ends, and so fails, the test
  // program.
  Read(path);
  std::remove(path.c_str());
  return "";
#else
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stderr);  // one line per message box otherwise
    Read(path);
    std::exit(0);
  }
  int status = 0;
  const bool waited = ::waitpid(child, &status, 0) == child;
  std::remove(path.c_str());
  if (!waited) return "waitpid failed";
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  const int code = WEXITSTATUS(status);
  if (code != 0 && code != 1) return "exit status " + std::to_string(code);
  return "";
#endif
}

const char* const kDamaged[] = {"assimp_anim2.ASE", "assimp_UVTransform_Normal.ASE",
                                "assimp_RotatingCube.ASE", "assimp_TargetCameraAnim.ase",
                                "assimp_ThreeCubesGreen_UTF16LE.ASE", "3space_box.ASE"};

TEST(AseDamage, TruncatedAtManyPointsNeverCrashes) {
  for (const char* name : kDamaged) {
    const std::string text = ReadBytes(BundledAseFile(name));
    const size_t step = text.size() / 97 + 1;
    for (size_t cut = 0; cut < text.size(); cut += step)
      EXPECT_EQ("", ReadInChild(text.substr(0, cut))) << name << " cut at " << cut;
  }
}

TEST(AseDamage, BitFlipsNeverCrash) {
  std::mt19937 random(20240607);
  for (const char* name : kDamaged) {
    const std::string text = ReadBytes(BundledAseFile(name));
    for (int trial = 0; trial < 60; ++trial) {
      std::string damaged = text;
      for (int flip = 0; flip < 1 + trial % 4; ++flip) {
        const size_t at = random() % damaged.size();
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
      }
      EXPECT_EQ("", ReadInChild(damaged)) << name << " trial " << trial;
    }
  }
}

// The end of a truncated file keeps every object read before it.
TEST(AseDamage, TruncationKeepsTheObjectsBeforeIt) {
  const std::string text = ReadBytes(BundledAseFile("assimp_anim2.ASE"));
  const size_t second = text.find("*GEOMOBJECT", text.find("*GEOMOBJECT") + 1);
  Scene whole, cut;
  ASSERT_TRUE(LoadAse(text, whole));
  ASSERT_TRUE(LoadAse(text.substr(0, text.find("*MESH_VERTEX_LIST", second)), cut));
  ASSERT_EQ(cut.objectCount, 2u);
  EXPECT_EQ(cut.cameraCount, 0u);
  EXPECT_EQ(0, std::memcmp(whole.objects[0].vertices, cut.objects[0].vertices, 8 * sizeof(Vertex)));
  EXPECT_EQ(cut.objects[1].vertexCount, 8u);
  whole.release();
  cut.release();
}

}  // namespace
