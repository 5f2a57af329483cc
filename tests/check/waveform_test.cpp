#include <gtest/gtest.h>

#include <string>

#include "Waveform.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"

// The waveform of each format shows the tone from 1.0 s to 1.1 s in its column and silence
// around it; music cut to its first bytes is refused with a line naming the file.
TEST(Waveform, TakesEveryFormatAndRefusesDamagedMusic) {
  TempDir dir;
  for (const char* format : {"wav", "ogg", "flac", "opus", "mp3"}) {
    SCOPED_TRACE(format);
    const std::string path = dir.path + "/tune." + format;
    const std::string music = MarkedMusic(format);
    dir.Write(std::string("tune.") + format, music);
    Waveform wave;
    std::string error;
    ASSERT_TRUE(ReadWaveform(path, 30, wave, error)) << error;
    EXPECT_NEAR(wave.seconds, 3.0, 0.001);
    EXPECT_GT(wave.high[10], 60);  // 1.0 .. 1.1 s
    EXPECT_LT(wave.low[10], -60);
    for (int column : {5, 20}) EXPECT_LE(wave.high[column] - wave.low[column], 2) << column;

    dir.Write(std::string("cut.") + format, music.substr(0, 40));
    EXPECT_FALSE(ReadWaveform(dir.path + "/cut." + format, 30, wave, error));
    EXPECT_EQ(error.rfind(dir.path + "/cut." + format + ": not music the player reads", 0), 0u)
        << error;
  }
}
