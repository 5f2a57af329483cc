// The production's music as the player will stream it: decoded back from the written file.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Music.h"
#include "Synth.h"
#include "support/TempDir.h"

namespace {

struct Decoded {
  long rate = 0;
  int channels = 0;
  long long frames = 0;
  std::vector<float> left, right;
};

// Written and decoded once for the whole suite: the render and the encoder take seconds.
class MusicFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TempDir dir;
    written = WriteMusic(dir.path);
    OggVorbis_File file;
    std::string path = dir.path + "/music/music.ogg";
    if (!written || ov_fopen(path.c_str(), &file) != 0) return;
    vorbis_info* info = ov_info(&file, -1);
    decoded.rate = info->rate;
    decoded.channels = info->channels;
    decoded.frames = ov_pcm_total(&file, -1);
    float** pcm;
    int section;
    long count;
    while ((count = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
      decoded.left.insert(decoded.left.end(), pcm[0], pcm[0] + count);
      decoded.right.insert(decoded.right.end(), pcm[std::min(1, info->channels - 1)],
                           pcm[std::min(1, info->channels - 1)] + count);
    }
    ov_clear(&file);
  }

  static double Rms(const std::vector<float>& samples, double fromSeconds, double toSeconds) {
    size_t a = size_t(fromSeconds * kMusicSampleRate), b = size_t(toSeconds * kMusicSampleRate);
    b = std::min(b, samples.size());
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(samples[i]) * samples[i];
    return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
  }

  static double BarSeconds(int bar) { return bar * double(kMusicSecondsPerBar); }

  // The period (0.3 .. 0.8 s) at which the low-frequency energy of the span repeats best.
  static double StrongestPulseSeconds(double fromSeconds, double toSeconds) {
    const size_t hop = 441;  // 10 ms frames
    size_t from = size_t(fromSeconds * kMusicSampleRate), to = size_t(toSeconds * kMusicSampleRate);
    std::vector<double> energy;
    float low = 0;
    double frame = 0;
    for (size_t i = from; i < to && i < decoded.left.size(); ++i) {
      low += (0.5f * (decoded.left[i] + decoded.right[i]) - low) * 0.02f;  // about 140 Hz low-pass
      frame += double(low) * low;
      if ((i - from) % hop == hop - 1) {
        energy.push_back(frame);
        frame = 0;
      }
    }
    double mean = 0;
    for (double e : energy) mean += e;
    mean /= double(std::max<size_t>(1, energy.size()));
    int bestLag = 0;
    double best = -1;
    for (int lag = 30; lag <= 80; ++lag) {
      double sum = 0;
      for (size_t i = 0; i + lag < energy.size(); ++i) sum += (energy[i] - mean) * (energy[i + lag] - mean);
      if (sum > best) best = sum, bestLag = lag;
    }
    return bestLag * 0.01;
  }

  static bool written;
  static Decoded decoded;
};

bool MusicFile::written = false;
Decoded MusicFile::decoded;

// One test, so the render and the encoder (seconds each) run once per test process.
TEST_F(MusicFile, DecodesAsTheProductionExpects) {
  ASSERT_TRUE(written);
  {
    SCOPED_TRACE("format and length");
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_EQ(decoded.frames, std::llround(double(kMusicSeconds) * kMusicSampleRate));
    EXPECT_EQ(decoded.left.size(), size_t(decoded.frames));
    EXPECT_GE(kMusicSeconds, 90.0f);
    EXPECT_LE(kMusicSeconds, 150.0f);
    // The sections fit in the file, in order.
    EXPECT_LT(kMusicIntroBar, kMusicBuildBar);
    EXPECT_LT(kMusicBuildBar, kMusicPeakBar);
    EXPECT_LT(kMusicPeakBar, kMusicEndingBar);
    EXPECT_LE(BarSeconds(kMusicBars), double(kMusicSeconds));
  }
  ASSERT_FALSE(decoded.left.empty());
  {
    SCOPED_TRACE("audible stereo that rises to the peak and fades out");
    double intro = Rms(decoded.left, 0, BarSeconds(kMusicBuildBar));
    double peak = Rms(decoded.left, BarSeconds(kMusicPeakBar), BarSeconds(kMusicPeakBar + 8));
    EXPECT_GT(intro, 0.01) << "the intro is silent";
    EXPECT_GT(peak, 0.1) << "the peak is too quiet";
    EXPECT_GT(peak, intro * 1.5) << "the peak does not lift above the intro";
    // The channels differ (pads, delay and reverb are stereo), not a copied mono track.
    std::vector<float> side(decoded.left.size());
    for (size_t i = 0; i < side.size(); ++i) side[i] = decoded.left[i] - decoded.right[i];
    EXPECT_GT(Rms(side, BarSeconds(kMusicPeakBar), BarSeconds(kMusicPeakBar + 8)), peak * 0.1);
    // Nothing clips hard, and the file ends in silence rather than a cut.
    float loudest = 0;
    for (size_t i = 0; i < decoded.left.size(); ++i)
      loudest = std::max({loudest, std::fabs(decoded.left[i]), std::fabs(decoded.right[i])});
    EXPECT_LT(loudest, 1.02f);
    EXPECT_LT(Rms(decoded.left, kMusicSeconds - 0.5, kMusicSeconds), 0.005);
  }
  {
    // The script is timed by kMusicBpm, so the beat in the audio must be that tempo: the
    // kick's low-frequency energy repeats every beat.
    SCOPED_TRACE("tempo");
    EXPECT_NEAR(StrongestPulseSeconds(BarSeconds(kMusicPeakBar), BarSeconds(kMusicPeakBar + 8)),
                60.0 / kMusicBpm, 0.011);
  }
}

// The ping-pong delay must throw its echoes right, then left, a delay apart, each weaker.
TEST(MusicEffects, PingPongEchoesAlternateAndFade) {
  const size_t delay = 100;
  std::vector<float> send(1000, 0.0f), left, right;
  send[10] = 1.0f;
  PingPongDelay(send, delay, 0.5f, left, right);
  auto energyAround = [](const std::vector<float>& v, size_t at) {
    double sum = 0;
    for (size_t i = at; i < at + 40 && i < v.size(); ++i) sum += std::fabs(v[i]);
    return sum;
  };
  double firstRight = energyAround(right, 10 + delay), firstLeft = energyAround(left, 10 + delay);
  double secondLeft = energyAround(left, 10 + 2 * delay), secondRight = energyAround(right, 10 + 2 * delay);
  double thirdRight = energyAround(right, 10 + 3 * delay);
  EXPECT_GT(firstRight, 0.5);
  EXPECT_LT(firstLeft, 1e-6);
  EXPECT_GT(secondLeft, 0.2);
  EXPECT_LT(secondRight, 1e-6);
  EXPECT_LT(secondLeft, firstRight);
  EXPECT_LT(thirdRight, secondLeft);
  EXPECT_GT(thirdRight, 0.0);
}

TEST(MusicEffects, LowPassPassesTheBassAndCutsTheTreble) {
  auto throughput = [](float hz) {
    Svf filter;
    filter.Set(500.0f, 0.0f);
    Oscillator osc;
    double in = 0, out = 0;
    for (int i = 0; i < 44100 / 4; ++i) {
      float x = osc.Sine(hz);
      filter.Process(x);
      if (i > 4410) in += x * x, out += filter.low * filter.low;
    }
    return std::sqrt(out / in);
  };
  EXPECT_GT(throughput(100.0f), 0.9);
  EXPECT_LT(throughput(5000.0f), 0.05);
}

TEST(MusicEffects, EnvelopeAttacksHoldsAtSustainAndReleases) {
  Adsr envelope(0.5f, 0.01f, 0.05f, 0.6f, 0.05f);
  std::vector<float> level(44100);
  for (float& v : level) v = envelope.Next();
  EXPECT_NEAR(level[441], 1.0f, 0.02f);                 // end of attack
  EXPECT_NEAR(level[size_t(0.45 * 44100)], 0.6f, 0.01f);  // held at sustain
  EXPECT_LT(level[size_t(0.75 * 44100)], 0.6f * 0.01f);   // released five time constants
  for (float v : level) ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
}

}  // namespace
