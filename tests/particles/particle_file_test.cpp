// The particle file without a GL context: what the reader refuses is refused before any texture
// is loaded, and what the writer puts down is byte for byte the documented layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "ParticleFileBytes.h"
#include "support/TempDir.h"
#include "particles/ParticleSystem.h"

namespace {

TEST(ParticleFile, EmptyFileGivesAnEmptySystem) {
  TempDir dir;
  dir.Write("ESCENAS_BIN/PARTICLES02.BIN", ParticleFileBytes().Header(0, 0).bytes);
  ParticleSystem system;
  // Case-insensitive, backslash path, as the player names it.
  EXPECT_TRUE(system.ReadFile("escenas_bin\\particles02.bin"));
  EXPECT_EQ(system.count, 0u);
  EXPECT_EQ(system.textureCount, 0);
  EXPECT_FLOAT_EQ(system.sizeRange, 10.0f);
  EXPECT_FLOAT_EQ(system.spread, 200.0f);
}

TEST(ParticleFile, DamagedFilesAreLoggedAndLeaveNothingToDraw) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    std::string bytes;  // empty: no file at all
    const char* logged;
  };
  const Case cases[] = {
      {"missing", "", "cannot be read"},
      {"shorter than the header", std::string(10, '\0'), "fewer than the header"},
      {"eleven textures", ParticleFileBytes().Header(0, 11).bytes, "11 textures"},
      {"negative texture count", ParticleFileBytes().Header(0, -1).bytes, "-1 textures"},
      {"names cut short", ParticleFileBytes().Header(0, 1).bytes + std::string(100, 'a'), "do not fit"},
      {"records cut short",
       ParticleFileBytes().Header(3, 1).Name("t.jpg").Record(0, 0, 0, 1, 0).Record(0, 0, 0, 1, 0).bytes,
       "declares 3 particles"},
      {"count beyond any file", ParticleFileBytes().Header(0xFFFFFFFFu, 1).Name("t.jpg").bytes,
       "declares 4294967295 particles"},
      {"texture index past the last",
       ParticleFileBytes().Header(2, 1).Name("t.jpg").Record(0, 0, 0, 1, 0).Record(0, 0, 0, 1, 1).bytes,
       "particle 1 uses texture 1 and there are 1"},
      {"negative texture index",
       ParticleFileBytes().Header(1, 1).Name("t.jpg").Record(0, 0, 0, 1, -1).bytes, "uses texture -1"},
      {"size zero", ParticleFileBytes().Header(1, 1).Name("t.jpg").Record(1, 2, 3, 0, 0).bytes,
       "size 0"},
      {"size whose weight is infinite",
       ParticleFileBytes().Header(1, 1).Name("t.jpg").Record(1, 2, 3, 1e-45f, 0).bytes, "size 0"},
      {"not a number", ParticleFileBytes().Header(1, 1).Name("t.jpg").Record(nan, 2, 3, 1, 0).bytes,
       "not finite"},
      {"name without its NUL",
       ParticleFileBytes().Header(0, 1).bytes + std::string(255, 'x'), "does not end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (!c.bytes.empty()) dir.Write("p.bin", c.bytes);
    ParticleSystem system;
    // Whatever the system held before is gone: a refused file never leaves half of itself.
    ASSERT_TRUE(system.Allocate(4, 1.0f, 1.0f));
    system.textureCount = 3;
    testing::internal::CaptureStdout();
    const bool read = system.ReadFile("p.bin");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(read);
    EXPECT_NE(log.find("p.bin"), std::string::npos) << log;
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    EXPECT_EQ(system.count, 0u);
    EXPECT_EQ(system.particles, nullptr);
    EXPECT_EQ(system.textureIndex, nullptr);
    EXPECT_EQ(system.textureCount, 0);
  }
}

// A system with two named textures and three particles, made without loading any texture.
void MakeSmallSystem(ParticleSystem& system) {
  ASSERT_TRUE(system.Allocate(3, 7.5f, 64.0f));
  system.particles[0] = Particle{1.5f, -2.0f, 3.25f, 0.5f};
  system.particles[1] = Particle{-4.0f, 5.0f, 6.0f, 2.0f};
  system.particles[2] = Particle{7.0f, 8.0f, -9.5f, 3.0f};
  system.textureIndex[2] = 1;
  strcpy(system.textureNames[0], "textures\\a.jpg");
  strcpy(system.textureNames[1], "textures\\b.jpg");
  system.textureCount = 2;
}

TEST(ParticleFile, WriterPutsDownTheDocumentedLayout) {
  TempDir dir;
  ParticleSystem system;
  MakeSmallSystem(system);
  ASSERT_TRUE(system.WriteFile("p.bin"));
  const std::string written = dir.Read("p.bin");
  ASSERT_EQ(written.size(), 586u);
  // Name fields are written whole; a fresh system's names are zero after the NUL.
  std::string expected = ParticleFileBytes().U32(3).F32(7.5f).F32(64.0f).U32(2).bytes;
  expected += ParticleFileBytes().Name("textures\\a.jpg", '\0').Name("textures\\b.jpg", '\0').bytes;
  expected += ParticleFileBytes()
                  .Record(1.5f, -2.0f, 3.25f, 0.5f, 0)
                  .Record(-4.0f, 5.0f, 6.0f, 2.0f, 0)
                  .Record(7.0f, 8.0f, -9.5f, 3.0f, 1)
                  .bytes;
  EXPECT_EQ(written, expected);
}

TEST(ParticleFile, WriterRefusesWhatTheReaderWouldRefuse) {
  TempDir dir;
  {
    ParticleSystem system;
    MakeSmallSystem(system);
    system.particles[1].size = 0.0f;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(system.WriteFile("zero.bin"));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("zero.bin"), std::string::npos);
  }
  {
    ParticleSystem system;
    MakeSmallSystem(system);
    system.textureIndex[0] = 2;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(system.WriteFile("index.bin"));
    testing::internal::GetCapturedStdout();
  }
  // Nothing half-written is left behind for the player to trip over.
  EXPECT_FALSE(std::ifstream(dir.path + "/zero.bin").good());
  EXPECT_FALSE(std::ifstream(dir.path + "/index.bin").good());
}

}  // namespace
