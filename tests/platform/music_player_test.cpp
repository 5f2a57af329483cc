#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "TestEnvironment.h"
#include "support/BoxRecorder.h"
#include "platform/AudioDecoder.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/MusicPlayer.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"

namespace {

constexpr float kFrame = 1.0f / 44100;

// A production folder with a three-second tone as its music, the silent output on a clock that
// moves only when told: the music position must follow that clock exactly.
class MusicOnVirtualClock : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockSource(&clock);
    AudioUseSilentOutput(true);
    std::filesystem::create_directories(dir.path + "/music");
    ASSERT_TRUE(WriteOggTone(dir.path + "/music/music.ogg", 3.0, 44100, 2));
  }
  void TearDown() override {
    music.Free();
    AudioUseSilentOutput(false);
    SetClockSource(nullptr);
  }

  TempDir dir;
  ManualClock clock;
  BoxRecorder boxes;
  MusicPlayer music;
};

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Every format the player reads, as a file name under music/; the last is Opus named .ogg, told
// apart from Vorbis by what it holds.
struct MusicFile {
  const char* format;
  const char* name;
};
const MusicFile kMusicFiles[] = {{"wav", "tune.wav"},   {"ogg", "tune.ogg"}, {"flac", "tune.flac"},
                                 {"opus", "tune.opus"}, {"mp3", "tune.mp3"}, {"opus", "opus.ogg"}};

// The output frame where the decoder's sound first passes a tenth of full scale; -1 for none.
int64_t FirstLoudFrame(AudioDecoder& decoder) {
  int16_t frames[2 * 1024];
  int64_t at = 0;
  for (int n; (n = decoder.Read(frames, 1024)) > 0; at += n)
    for (int i = 0; i < 2 * n; ++i)
      if (std::abs(frames[i]) > 3277) return at + i / 2;
  return -1;
}

}  // namespace

TEST_F(MusicOnVirtualClock, PositionIsTheClockSincePlayAndRunsOnPastTheEnd) {
  ASSERT_TRUE(music.Init(nullptr));
  clock.AdvanceMs(5000);  // loading time before the music starts does not count
  music.Load("music\\music.ogg");
  ASSERT_NE(music.m_stream, 0u);
  EXPECT_NEAR(music.Length(), 3.0f, kFrame);
  clock.AdvanceMs(700);
  EXPECT_EQ(music.Position(), 0.0f) << "not playing yet";

  music.Play();
  EXPECT_EQ(music.Position(), 0.0f);
  clock.AdvanceMs(1000);
  EXPECT_FLOAT_EQ(music.Position(), 1.0f);
  for (int i = 0; i < 2000; ++i) clock.AdvanceMs(0.25);  // no time lost to rounding
  EXPECT_FLOAT_EQ(music.Position(), 1.5f);
  EXPECT_GT(music.Level(), 10000u) << "a tone at half scale";

  clock.AdvanceMs(60000);
  EXPECT_FLOAT_EQ(music.Position(), 61.5f) << "events past the end of the music still come due";
  EXPECT_EQ(music.Level(), 0u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MusicOnVirtualClock, PauseResumeAndSeeksMoveTheClock) {
  ASSERT_TRUE(music.Init(nullptr));
  music.Load("music\\music.ogg");
  EXPECT_EQ(music.Level(), 0u) << "before Play";
  music.Play();
  clock.AdvanceMs(500);
  music.Pause();
  EXPECT_EQ(music.Level(), 0u) << "paused";
  clock.AdvanceMs(1000);
  EXPECT_FLOAT_EQ(music.Position(), 0.5f);
  music.Resume();
  clock.AdvanceMs(250);
  EXPECT_FLOAT_EQ(music.Position(), 0.75f);

  music.Forward(1.25f);
  EXPECT_FLOAT_EQ(music.Position(), 2.0f);
  clock.AdvanceMs(100);
  EXPECT_FLOAT_EQ(music.Position(), 2.1f);
  music.Rewind(10.0f);
  EXPECT_EQ(music.Position(), 0.0f) << "no position before the start";
  clock.AdvanceMs(300);
  EXPECT_FLOAT_EQ(music.Position(), 0.3f);
  music.Forward(10.0f);
  EXPECT_FLOAT_EQ(music.Position(), 10.3f) << "past the end: silence";
  music.SetPosition(1.0f);
  clock.AdvanceMs(500);
  EXPECT_FLOAT_EQ(music.Position(), 1.5f);
  EXPECT_GT(music.Level(), 10000u) << "back in the music";
}

TEST_F(MusicOnVirtualClock, OtherRatesAndChannelCountsPlayAtTheirOwnSpeed) {
  ASSERT_TRUE(WriteOggTone(dir.path + "/music/mono.ogg", 2.0, 22050, 1));
  ASSERT_TRUE(music.Init(nullptr));
  music.Load("MUSIC\\Mono.ogg");
  ASSERT_NE(music.m_stream, 0u);
  EXPECT_NEAR(music.Length(), 2.0f, kFrame);
  music.Play();
  clock.AdvanceMs(1500);
  EXPECT_FLOAT_EQ(music.Position(), 1.5f);
  EXPECT_GT(music.Level(), 10000u);
  clock.AdvanceMs(1000);
  EXPECT_FLOAT_EQ(music.Position(), 2.5f);
}

TEST_F(MusicOnVirtualClock, UnreadableMusicIsReportedAndPlaysASilentClock) {
  dir.Write("music/noise.ogg", std::string(5000, 'x'));
  ASSERT_TRUE(music.Init(nullptr));
  for (const char* path : {"music\\missing.ogg", "music\\noise.ogg"}) {
    boxes.boxes.clear();
    music.Load(path);
    ASSERT_EQ(boxes.boxes.size(), 1u) << path;
    EXPECT_EQ(boxes.boxes[0].text, "ERROR!");
    EXPECT_EQ(boxes.boxes[0].caption, "No se pudo cargar el fichero de musica.");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK));
  }
  EXPECT_EQ(music.Length(), 0.0f);
  music.Play();
  clock.AdvanceMs(1000);
  EXPECT_FLOAT_EQ(music.Position(), 1.0f);
  EXPECT_EQ(music.Level(), 0u);
  music.Forward(1.0f);
  EXPECT_FLOAT_EQ(music.Position(), 2.0f);
}

// The length is read from the last page's granule position. A forged one far past any real music
// must neither overflow the conversion to the output rate nor stop the music from playing.
TEST_F(MusicOnVirtualClock, ForgedLastGranuleStillPlaysTheMusicToItsEnd) {
  // Long enough for several audio pages: the length of a one-page file does not come from it.
  std::string ogg = EncodeOggTone(20.0, 22050, 1, 440.0, 0.5f, 0.4f);
  const size_t last = ogg.rfind("OggS");
  ASSERT_NE(last, std::string::npos);
  auto* page = reinterpret_cast<unsigned char*>(&ogg[last]);
  const uint64_t granule = 1ull << 62;
  for (int i = 0; i < 8; ++i) page[6 + i] = static_cast<unsigned char>(granule >> (8 * i));
  ogg_page forged{page, 27 + page[26], page + 27 + page[26],
                  static_cast<long>(ogg.size() - last - 27 - page[26])};
  ogg_page_checksum_set(&forged);
  dir.Write("music/music.ogg", ogg);

  ASSERT_TRUE(music.Init(nullptr));
  music.Load("music\\music.ogg");
  ASSERT_NE(music.m_stream, 0u);
  EXPECT_FLOAT_EQ(music.Length(), 24 * 60 * 60);
  music.Play();
  clock.AdvanceMs(1000);
  EXPECT_NEAR(music.Position(), 1.0f, kFrame);
  clock.AdvanceMs(25000);
  EXPECT_FLOAT_EQ(music.Position(), 26.0f) << "the clock runs on after the music";
  EXPECT_EQ(music.Level(), 0u) << "the music itself ended at 20 s";
}

TEST(MusicPlayer, WithoutSoundDeviceTheSilentOutputKeepsWallClockTime) {
  EnvOverride driver("SDL_AUDIODRIVER", "dummy");  // SDL's stand-in for a missing device
  TempDir dir;
  ASSERT_TRUE(WriteOggTone(dir.path + "/music.ogg", 5.0, 44100, 2));
  MusicPlayer music;
  testing::internal::CaptureStdout();
  const bool initialised = music.Init(nullptr);
  const std::string log = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(initialised);
  EXPECT_TRUE(AudioIsSilent());
  EXPECT_NE(log.find("No sound device"), std::string::npos) << log;

  music.Load("music.ogg");
  music.Play();
  const auto start = std::chrono::steady_clock::now();
  Sleep(300);
  const float first = music.Position();
  Sleep(300);
  const float second = music.Position();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  music.Free();

  EXPECT_GT(first, 0.25f);
  EXPECT_GT(second, first + 0.25f);
  EXPECT_LE(second, wall + 0.01) << "never ahead of the wall clock";
}

// SDL's disk driver stands for a real sound device: it pulls samples on the device thread.
TEST(MusicPlayer, OnAnSdlDeviceThePositionCountsTheSamplesTheDeviceTook) {
  EnvOverride driver("SDL_AUDIODRIVER", "disk");
  TempDir dir;
  EnvOverride file("SDL_DISKAUDIOFILE", (dir.path + "/out.raw").c_str());
  ASSERT_TRUE(WriteOggTone(dir.path + "/music.ogg", 5.0, 44100, 2));
  MusicPlayer music;
  ASSERT_TRUE(music.Init(nullptr));
  ASSERT_FALSE(AudioIsSilent());
  music.Load("music.ogg");
  music.Play();
  Sleep(400);
  const float played = music.Position();
  EXPECT_GT(played, 0.1f);
  EXPECT_LT(played, 1.5f);
  EXPECT_GT(music.Level(), 10000u);
  music.Forward(3.0f);
  EXPECT_GE(music.Position(), played + 3.0f - 0.05f);
  music.Pause();
  const float paused = music.Position();
  Sleep(100);
  EXPECT_EQ(music.Position(), paused);
  music.Free();
}

// The tone from 1.0 s sounds at 1.0 s of the clock in each format, played from the start or
// sought to, to within a few frames of the decoder (MP3 and Opus carry encoder delays to undo).
TEST_F(MusicOnVirtualClock, EveryFormatPlaysAndSeeksInStepWithItsSound) {
  ASSERT_TRUE(music.Init(nullptr));
  for (const MusicFile& file : kMusicFiles) {
    SCOPED_TRACE(file.name);
    const std::string path = std::string("music/") + file.name;
    dir.Write(path, MarkedMusic(file.format));
    AudioDecoder decoder;
    ASSERT_TRUE(decoder.Open(path.c_str(), kMusicRate)) << decoder.Fault();
    EXPECT_NEAR(decoder.Length(), 3 * kMusicRate, 2);
    EXPECT_NEAR(FirstLoudFrame(decoder), kMarkStart * kMusicRate, 40);
    ASSERT_TRUE(decoder.Seek(kMusicRate / 2));
    EXPECT_NEAR(FirstLoudFrame(decoder), (kMarkStart - 0.5) * kMusicRate, 40);

    music.Load(path.c_str());
    ASSERT_NE(music.m_stream, 0u);
    music.Play();
    clock.AdvanceMs(950);
    EXPECT_FLOAT_EQ(music.Position(), 0.95f);
    EXPECT_LT(music.Level(), 1000u) << "silence before the tone";
    clock.AdvanceMs(100);
    EXPECT_GT(music.Level(), 10000u) << "the tone at 1.05 s";
    music.SetPosition(2.0f);
    clock.AdvanceMs(100);
    EXPECT_LT(music.Level(), 1000u) << "silence after it";
    music.SetPosition(0.9f);
    clock.AdvanceMs(130);
    EXPECT_FLOAT_EQ(music.Position(), 1.03f);
    EXPECT_GT(music.Level(), 10000u) << "sought back into the tone";
    music.Pause();
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

// A file cut short or spoilt never crashes the player: it is refused with the box and plays a
// silent clock, or plays what it holds and says where its sound gave out before the length it
// announced, or (where the file's own length is what is left) just plays its shorter music.
TEST_F(MusicOnVirtualClock, DamagedMusicIsRefusedOrToldOfAndTheClockRunsOn) {
  enum Damage { kHeadOnly, kHalf, kSpoilt };
  enum Outcome { kRefused, kGivesOut, kShorter, kWhole };
  struct Case {
    const char* format;
    Damage damage;
    Outcome outcome;
  };
  const Case cases[] = {
      {"wav", kHeadOnly, kRefused},  {"wav", kHalf, kShorter},    {"wav", kSpoilt, kWhole},
      {"flac", kHeadOnly, kRefused}, {"flac", kHalf, kRefused},   {"flac", kSpoilt, kWhole},
      {"opus", kHeadOnly, kRefused}, {"opus", kHalf, kShorter},   {"opus", kSpoilt, kGivesOut},
      {"mp3", kHeadOnly, kRefused},  {"mp3", kHalf, kGivesOut},   {"mp3", kSpoilt, kGivesOut},
      // This small Vorbis file's setup header reaches past a third of it.
      {"ogg", kHeadOnly, kRefused},  {"ogg", kHalf, kRefused},    {"ogg", kSpoilt, kRefused},
  };
  ASSERT_TRUE(music.Init(nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " damage " + std::to_string(c.damage));
    std::string bytes = MarkedMusic(c.format);
    if (c.damage == kHeadOnly) bytes.resize(40);
    if (c.damage == kHalf) bytes.resize(bytes.size() / 2);
    if (c.damage == kSpoilt) bytes = Spoilt(bytes);
    dir.Write("music/damaged", bytes);
    boxes.boxes.clear();
    testing::internal::CaptureStdout();
    music.Load("music\\damaged");
    const float length = music.Length();
    music.Play();
    for (int i = 0; i < 40; ++i) {
      clock.AdvanceMs(100);
      music.Position();
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FLOAT_EQ(music.Position(), 4.0f) << "the clock runs on";
    EXPECT_EQ(boxes.boxes.size(), c.outcome == kRefused ? 1u : 0u) << log;
    EXPECT_EQ(log.find("- The music gives out at") != std::string::npos, c.outcome == kGivesOut)
        << log;
    if (c.outcome == kShorter) {
      EXPECT_LT(length, 2.9f);
    } else if (c.outcome == kWhole) {
      EXPECT_NEAR(length, 3.0f, 0.01f);
    }
    music.Pause();
  }
}
