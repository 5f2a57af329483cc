// The fuzz targets' seeds (fuzz/seeds/<reader>/) and the inputs they once failed on
// (inputs/<reader>/), replayed through the same readers. Each file is read as that reader's file;
// the sanitizer build (make test-asan) is where a relapse shows as a report, the normal build
// still sees a crash or a wrong result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "InputChecks.h"
#include "particles/ParticleSystem.h"
#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/BoxRecorder.h"
#include "timeline/Timeline.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Inputs(const char* reader) {
  std::vector<std::string> paths;
  for (const char* folder : {"fuzz/seeds", "tests/fuzz_regressions/inputs"}) {
    const fs::path dir = fs::path(ZB_SOURCE_DIR) / folder / reader;
    std::error_code error;  // a reader with no stored inputs has no folder
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
      if (it->is_regular_file()) paths.push_back(it->path().string());
  }
  return paths;
}

std::string Text(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), ReadLimit::kAny, bytes));
  return std::string(bytes.begin(), bytes.end());
}

// Readers report damage in message boxes; here every box is answered and counted as allowed.
class Replay : public ::testing::Test {
 protected:
  BoxRecorder boxes;
};

TEST_F(Replay, ScriptInputs) {
  for (const std::string& path : Inputs("script")) {
    SCOPED_TRACE(path);
    Timeline timeline;
    timeline.LoadScript(path.c_str());
    timeline.SortEvents();
    for (int32_t i = 1; i < timeline.eventCount; ++i)
      EXPECT_LE(CompareEventTimes(timeline.events[i - 1], timeline.events[i]), 0);
  }
}

TEST_F(Replay, ManifestInputs) {
  for (const std::string& path : Inputs("manifest"))
    EXPECT_EQ(ManifestFault(Text(path)), "") << path;
}

TEST_F(Replay, CaptureOptionsInputs) {
  for (const std::string& path : Inputs("capture_options"))
    EXPECT_EQ(CaptureOptionsFault(ArgumentsOf(Text(path))), "") << path;
}

// A text-mode read of an empty file once copied from a buffer that did not exist.
TEST_F(Replay, EmptyTextFileReadsAsEndOfFile) {
  const std::string path = ZB_SOURCE_DIR "/tests/fuzz_regressions/inputs/script/empty.txt";
  FILE* f = OpenFile(path.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char buffer[16];
  EXPECT_EQ(fgets(buffer, sizeof buffer, f), nullptr);
  EXPECT_TRUE(feof(f));
  fclose(f);
  Timeline timeline;
  timeline.LoadScript(path.c_str());
  EXPECT_EQ(timeline.eventCount, 0);
}

TEST_F(Replay, AseInputs) {
  for (const std::string& path : Inputs("ase")) {
    SCOPED_TRACE(path);
    AseReader reader;
    Scene scene;
    reader.load(path.c_str(), scene);
    scene.release();
  }
}

TEST_F(Replay, ImportInputs) {
  for (const std::string& path : Inputs("import")) EXPECT_EQ(ImportFault(path), "") << path;
}

TEST_F(Replay, PictureInputs) {
  for (const std::string& path : Inputs("picture")) {
    const std::string bytes = Text(path);
    EXPECT_EQ(PictureFault(std::vector<uint8_t>(bytes.begin(), bytes.end())), "") << path;
  }
}

TEST_F(Replay, SceneBinaryInputs) {
  for (const std::string& path : Inputs("scene_binary")) {
    SCOPED_TRACE(path);
    SceneBinaryFile binary;
    Scene scene;
    binary.readScene(path.c_str(), scene);
    scene.release();
  }
}

TEST_F(Replay, ParticleFileInputs) {
  for (const std::string& path : Inputs("particle_file")) {
    SCOPED_TRACE(path);
    ParticleSystem system;
    if (!system.ReadRecords(path.c_str())) {
      EXPECT_EQ(system.count, 0u);
      continue;
    }
    for (uint32_t j = 0; j < system.count; ++j) {
      EXPECT_GE(system.textureIndex[j], 0);
      EXPECT_LT(system.textureIndex[j], system.textureCount);
      EXPECT_TRUE(std::isfinite(system.particles[j].size) && system.particles[j].size != 0.0f);
    }
    system.Burst();
    for (uint32_t j = 0; j < system.count; ++j) {
      const Particle& p = system.particles[j];
      EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << j;
    }
  }
}

TEST_F(Replay, JpegInputs) {
  for (const std::string& path : Inputs("jpeg")) {
    SCOPED_TRACE(path);
    DecodedImage image;
    std::string message;
    if (DecodeJpegFile(path.c_str(), image, message)) {
      EXPECT_EQ(image.rowBytes, image.width * 3);
      EXPECT_GE(image.pixels.size(), static_cast<size_t>(image.rowBytes) * image.height);
    } else {
      EXPECT_TRUE(image.pixels.empty());
      EXPECT_FALSE(message.empty());
    }
  }
}

}  // namespace
