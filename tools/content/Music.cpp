#include "Music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "Noise.h"
#include "OggWriter.h"
#include "Synth.h"
#include "platform/Files.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr double kBeat = 60.0 / kMusicBpm;
constexpr double kSixteenth = kBeat / 4;
constexpr float kVorbisQuality = 0.4f;

size_t SampleAt(double seconds) { return size_t(std::llround(seconds * kMusicSampleRate)); }
double BarTime(double bar) { return bar * kMusicSecondsPerBar; }

// Everything is summed into a few buses before the effects and the master run over them.
struct Buses {
  size_t frames;
  std::vector<float> dryL, dryR;        // drums and lead, never ducked
  std::vector<float> pumpL, pumpR;      // pads, bass and arpeggio, ducked by the kick
  std::vector<float> reverbSend, delaySend;
  std::vector<float> duck;              // gain the kick leaves for the pumped bus

  explicit Buses(size_t n)
      : frames(n), dryL(n), dryR(n), pumpL(n), pumpR(n), reverbSend(n), delaySend(n), duck(n, 1.0f) {}
};

// Runs voice(i, k) for each sample of a note that starts at `start` seconds and lasts
// `length` seconds, clipped to the buses: i indexes the buses, k counts from the note's start.
template <typename Voice>
void Play(Buses& buses, double start, double length, Voice voice) {
  size_t first = SampleAt(start);
  size_t last = std::min(buses.frames, SampleAt(start + length));
  for (size_t i = first; i < last; ++i) voice(i, i - first);
}

float Seconds(size_t samples) { return float(samples) / kSampleRate; }

// ---- Harmony and melody -------------------------------------------------------------------

struct Chord {
  int bass;      // MIDI note of the bass root
  int notes[4];  // pad voicing, close around middle C
};

// A minor: i - VI - III - VII, one chord a bar.
const Chord kProgression[4] = {
    {33, {57, 60, 64, 67}},  // A minor 7
    {29, {53, 57, 60, 64}},  // F major 7
    {36, {55, 60, 64, 67}},  // C major over G
    {31, {55, 59, 62, 67}},  // G major
};

const Chord& ChordOfBar(int bar) {
  return bar >= kMusicBars - 2 ? kProgression[0] : kProgression[bar % 4];
}

struct MelodyNote {
  int start;   // in sixteenths from the phrase's first bar
  int length;  // in sixteenths
  int note;    // MIDI
};

// Two four-bar phrases over the progression; B answers A and climbs back to the tonic.
const std::vector<MelodyNote> kPhraseA = {
    {0, 2, 69},  {2, 2, 72},  {4, 3, 76},  {7, 1, 74},  {8, 2, 72},  {10, 2, 74}, {12, 4, 76},
    {16, 3, 77}, {19, 1, 76}, {20, 2, 72}, {22, 2, 69}, {24, 6, 72},
    {32, 2, 79}, {34, 2, 76}, {36, 3, 79}, {39, 1, 81}, {40, 2, 79}, {42, 2, 76}, {44, 4, 72},
    {48, 3, 74}, {51, 1, 71}, {52, 2, 74}, {54, 2, 79}, {56, 4, 71}, {60, 2, 74}, {62, 2, 76},
};
const std::vector<MelodyNote> kPhraseB = {
    {0, 4, 76},  {4, 2, 81},  {6, 2, 79},  {8, 4, 76},  {12, 2, 72}, {14, 2, 74},
    {16, 4, 72}, {20, 4, 69}, {24, 3, 77}, {27, 1, 76}, {28, 4, 72},
    {32, 2, 76}, {34, 2, 79}, {36, 4, 84}, {40, 2, 83}, {42, 2, 79}, {44, 4, 76},
    {48, 6, 74}, {54, 2, 71}, {56, 2, 74}, {58, 2, 79}, {60, 4, 81},
};

// ---- Instruments --------------------------------------------------------------------------

void Kick(Buses& buses, double start, float velocity) {
  Rng rng(uint64_t(start * 1000));
  Oscillator sine;
  Decay sweep(0.03f), level(0.25f);
  Play(buses, start, 0.5, [&](size_t i, size_t k) {
    float t = Seconds(k);
    float body = sine.Sine(46.0f + 130.0f * sweep.Next()) * level.Next() * std::min(1.0f, t / 0.001f);
    float click = t < 0.004f ? rng.Signed() * (1.0f - t / 0.004f) * 0.3f : 0.0f;
    float out = (body + click) * velocity * 0.8f;
    buses.dryL[i] += out;
    buses.dryR[i] += out;
  });
  // Sidechain: the pumped bus dips at once and swells back over most of a beat.
  Play(buses, start, 0.32, [&](size_t i, size_t k) {
    float t = Seconds(k);
    float x = t / 0.32f;
    float gain = 1.0f - 0.7f * (1.0f - x * x * (3 - 2 * x));
    buses.duck[i] = std::min(buses.duck[i], gain);
  });
}

void Snare(Buses& buses, double start, float velocity) {
  Rng rng(uint64_t(start * 1000) + 7);
  Svf filter;
  filter.Set(2400, 0.3f);
  Oscillator tone;
  Decay noiseLevel(0.12f), sweep(0.01f), toneLevel(0.05f);
  Play(buses, start, 0.45, [&](size_t i, size_t) {
    filter.Process(rng.Signed());
    float noise = (filter.band * 1.2f + filter.high * 0.5f) * noiseLevel.Next();
    float body = tone.Sine(185.0f + 40.0f * sweep.Next()) * toneLevel.Next() * 0.7f;
    float out = (noise + body) * velocity * 0.8f;
    buses.dryL[i] += out;
    buses.dryR[i] += out;
    buses.reverbSend[i] += out * 0.6f;
  });
}

void Hat(Buses& buses, double start, float velocity, bool open) {
  Rng rng(uint64_t(start * 1000) + 13);
  Svf filter;
  filter.Set(7800, 0.25f);
  Decay level(open ? 0.15f : 0.028f);
  Play(buses, start, open ? 0.6 : 0.15, [&](size_t i, size_t) {
    filter.Process(rng.Signed());
    float out = filter.high * level.Next() * velocity * 0.25f;
    buses.dryL[i] += out * 0.75f;
    buses.dryR[i] += out;
    buses.reverbSend[i] += out * 0.15f;
  });
}

void Crash(Buses& buses, double start, float velocity) {
  Rng rng(uint64_t(start * 1000) + 17);
  Svf left, right;
  left.Set(5200, 0.1f);
  right.Set(5200, 0.1f);
  Decay fall(0.9f);
  Play(buses, start, 3.5, [&](size_t i, size_t) {
    left.Process(rng.Signed());
    right.Process(rng.Signed());
    float level = fall.Next() * velocity * 0.16f;
    buses.dryL[i] += left.high * level;
    buses.dryR[i] += right.high * level;
    buses.reverbSend[i] += (left.high + right.high) * level * 0.3f;
  });
}

// Noise through a band-pass that sweeps up, swelling into the downbeat.
void Riser(Buses& buses, double start, double length, float velocity) {
  Rng rng(uint64_t(start * 1000) + 19);
  Svf filter;
  Play(buses, start, length, [&](size_t i, size_t k) {
    float t = Seconds(k);
    float x = float(t / length);
    if ((k & 31) == 0) filter.Set(300.0f * std::pow(24.0f, x), 0.55f);
    filter.Process(rng.Signed());
    float out = filter.band * x * x * velocity * 0.3f;
    float pan = 0.5f + 0.4f * std::sin(2 * kPi * 0.5f * t);
    buses.dryL[i] += out * (1 - pan);
    buses.dryR[i] += out * pan;
    buses.reverbSend[i] += out * 0.5f;
  });
}

void Bass(Buses& buses, double start, double length, int note, float velocity, float brightness) {
  Oscillator saw(0.3f), sub;
  Svf filter;
  float hz = NoteHz(float(note));
  Decay sweep(0.09f);
  Adsr envelope(float(length), 0.003f, 0.2f, 0.7f, 0.025f);
  Play(buses, start, length + 0.15, [&](size_t i, size_t k) {
    float open = sweep.Next();
    if ((k & 15) == 0) filter.Set(110.0f + brightness * (1100.0f * open + 260.0f), 0.35f);
    filter.Process(saw.Saw(hz));
    float out = (filter.low + sub.Sine(hz * 0.5f) * 0.55f) * envelope.Next() * velocity * 0.34f;
    buses.pumpL[i] += out;
    buses.pumpR[i] += out;
  });
}

// The pads' filter follows the song: opening through the intro, bright at the peak, darker in
// the breakdown, closing at the end.
float PadCutoff(double seconds) {
  double bar = seconds / kMusicSecondsPerBar;
  if (bar < kMusicBuildBar) return float(350.0 * std::pow(2600.0 / 350.0, bar / kMusicBuildBar));
  if (bar < kMusicPeakBar) return 2600.0f + 900.0f * float((bar - kMusicBuildBar) / (kMusicPeakBar - kMusicBuildBar));
  if (bar >= 40 && bar < 44) return 1600.0f;
  if (bar < kMusicEndingBar) return 4200.0f;
  double x = std::min(1.0, (bar - kMusicEndingBar) / double(kMusicBars - kMusicEndingBar));
  return float(3500.0 * std::pow(500.0 / 3500.0, x));
}

void Pad(Buses& buses, double start, double length, int note, float velocity) {
  Oscillator a(0.1f), b(0.45f), c(0.8f);
  Svf left, right;
  float low = NoteHz(float(note), -11), mid = NoteHz(float(note)), high = NoteHz(float(note), 9);
  Adsr envelope(float(length), 0.35f, 0.8f, 0.8f, 0.7f);
  Play(buses, start, length + 2.8, [&](size_t i, size_t k) {
    float t = Seconds(k);
    if ((k & 15) == 0) {
      float wobble = 1.0f + 0.12f * std::sin(2 * kPi * 0.23f * (float(start) + t));
      float cutoff = PadCutoff(start + t) * wobble;
      left.Set(cutoff, 0.2f);
      right.Set(cutoff * 1.05f, 0.2f);
    }
    float sa = a.Saw(low), sb = b.Saw(mid), sc = c.Saw(high);
    left.Process(sa + sb * 0.7f);
    right.Process(sc + sb * 0.7f);
    float level = envelope.Next() * velocity * 0.094f;
    buses.pumpL[i] += left.low * level;
    buses.pumpR[i] += right.low * level;
    buses.reverbSend[i] += (left.low + right.low) * level * 0.35f;
  });
}

void Pluck(Buses& buses, double start, int note, float velocity, float pan) {
  Oscillator square, saw(0.5f);
  Svf filter;
  float hz = NoteHz(float(note));
  Decay sweep(0.05f), level(0.11f);
  Play(buses, start, 0.4, [&](size_t i, size_t k) {
    float t = Seconds(k);
    float open = sweep.Next();
    if ((k & 15) == 0) filter.Set(500.0f + 3800.0f * open, 0.5f);
    filter.Process(square.Square(hz) * 0.6f + saw.Saw(hz * 1.003f) * 0.4f);
    float out = filter.low * level.Next() * std::min(1.0f, t / 0.002f) * velocity * 0.24f;
    buses.pumpL[i] += out * (1 - pan);
    buses.pumpR[i] += out * pan;
    buses.delaySend[i] += out * 0.5f;
  });
}

void Lead(Buses& buses, double start, double length, int note, float velocity, float brightness,
          float echo) {
  Oscillator left(0.2f), right(0.7f), sub;
  Svf filterL, filterR;
  Adsr envelope(float(length), 0.008f, 0.3f, 0.7f, 0.12f);
  float hzL = 0, hzR = 0, hzSub = 0;
  Play(buses, start, length + 0.9, [&](size_t i, size_t k) {
    float t = Seconds(k);
    // Pitch and tone move slowly: refresh them every 16 samples.
    if ((k & 15) == 0) {
      float vibrato = 16.0f * std::clamp((t - 0.18f) / 0.3f, 0.0f, 1.0f) * std::sin(2 * kPi * 5.3f * t);
      hzL = NoteHz(float(note), vibrato - 7);
      hzR = NoteHz(float(note), vibrato + 7);
      hzSub = NoteHz(float(note - 12), vibrato);
      float cutoff = brightness * (0.55f + 0.9f * std::exp(-t / 0.14f));
      filterL.Set(cutoff, 0.25f);
      filterR.Set(cutoff, 0.25f);
    }
    float s = sub.Square(hzSub) * 0.25f;
    filterL.Process(left.Saw(hzL) + s);
    filterR.Process(right.Saw(hzR) + s);
    float level = envelope.Next() * velocity * 0.25f;
    float l = filterL.low * level, r = filterR.low * level;
    buses.dryL[i] += l;
    buses.dryR[i] += r;
    buses.delaySend[i] += (l + r) * echo;
    buses.reverbSend[i] += (l + r) * 0.3f;
  });
}

// ---- Arrangement --------------------------------------------------------------------------

bool InBreakdown(int bar) { return bar >= 40 && bar < 44; }

void PlayPhrase(Buses& buses, int bar, const std::vector<MelodyNote>& phrase, float velocity,
                float brightness, float echo) {
  for (const MelodyNote& n : phrase)
    Lead(buses, BarTime(bar) + n.start * kSixteenth, n.length * kSixteenth * 0.92, n.note,
         velocity, brightness, echo);
}

void Arrange(Buses& buses) {
  for (int bar = 0; bar < kMusicBars; ++bar) {
    const Chord& chord = ChordOfBar(bar);
    double t0 = BarTime(bar);
    bool build = bar >= kMusicBuildBar && bar < kMusicPeakBar;
    bool peak = bar >= kMusicPeakBar && bar < kMusicEndingBar;
    bool ending = bar >= kMusicEndingBar;
    bool drums = (build || peak) && !InBreakdown(bar);

    // Pads: the chord held for the bar; the last chord rings for the final two bars.
    if (bar < kMusicBars - 1) {
      double length = bar == kMusicBars - 2 ? 2 * kMusicSecondsPerBar : kMusicSecondsPerBar;
      float velocity = ending ? 0.9f : (peak ? 0.8f : 1.0f);
      for (int note : chord.notes) Pad(buses, t0, length, note, velocity);
    }

    // Kick on every beat; a single downbeat to close the last section.
    if (drums)
      for (int beat = 0; beat < 4; ++beat) Kick(buses, t0 + beat * kBeat, beat == 0 ? 1.0f : 0.92f);
    if (bar == kMusicEndingBar) Kick(buses, t0, 1.0f);

    // Snare on two and four from bar 20; rolls lead into the peak and out of the breakdown.
    bool roll = bar == kMusicPeakBar - 1 || bar == 43;
    if (roll) {
      for (int s = 0; s < 16; ++s) Snare(buses, t0 + s * kSixteenth, 0.35f + 0.65f * s / 15.0f);
    } else if ((build && bar >= 20) || (peak && drums)) {
      Snare(buses, t0 + kBeat, 0.9f);
      Snare(buses, t0 + 3 * kBeat, 0.95f);
    }

    // Hats: off-beat eighths from bar 4, sixteenths with accents from bar 16, open hats at the
    // peak; the breakdown and the ending keep only a quiet off-beat tick.
    for (int s = 0; s < 16; ++s) {
      bool offBeat = s % 4 == 2;
      double t = t0 + s * kSixteenth;
      if (peak && !InBreakdown(bar)) {
        if (offBeat) Hat(buses, t, 0.8f, true);
        else Hat(buses, t, s % 2 ? 0.45f : 0.7f, false);
      } else if (build && bar >= 16) {
        Hat(buses, t, offBeat ? 0.9f : (s % 2 ? 0.4f : 0.6f), false);
      } else if ((bar >= 4 && offBeat && bar < 56) || (InBreakdown(bar) && offBeat)) {
        float fade = ending ? 0.6f * (56 - bar) / 4.0f : 0.7f;
        Hat(buses, t, fade, false);
      }
    }

    // Bass: off-beat eighths first, then every eighth jumping octaves; long roots in the
    // breakdown.
    float brightness = peak ? 1.0f : 0.7f;
    if (InBreakdown(bar)) {
      Bass(buses, t0, kMusicSecondsPerBar * 0.95, chord.bass, 0.8f, 0.35f);
    } else if (build || peak) {
      for (int e = 0; e < 8; ++e) {
        bool offBeat = e % 2 == 1;
        if (bar < 16 && !offBeat) continue;
        int note = chord.bass + (offBeat ? 12 : 0);
        Bass(buses, t0 + e * kBeat / 2, kBeat / 2 * 0.8, note, offBeat ? 1.0f : 0.8f, brightness);
      }
    }

    // Arpeggio of the chord an octave up, in sixteenths across the stereo field, at the peak.
    if ((peak && !InBreakdown(bar)) || (ending && bar < 56)) {
      static const int kOrder[16] = {0, 1, 2, 3, 2, 1, 0, 2, 1, 3, 2, 1, 3, 2, 1, 2};
      float velocity = ending ? 0.5f * (56 - bar) / 4.0f : 0.8f;
      for (int s = 0; s < 16; ++s)
        Pluck(buses, t0 + s * kSixteenth, chord.notes[kOrder[s]] + 12, velocity * (s % 4 == 0 ? 1.0f : 0.7f),
              s % 2 ? 0.75f : 0.25f);
    }

    // Cymbals mark the section changes; risers lead into the peak and out of the breakdown.
    if (bar == kMusicBuildBar || bar == kMusicPeakBar || bar == 32 || bar == 44 || bar == kMusicEndingBar)
      Crash(buses, t0, 1.0f);
    if (bar == kMusicPeakBar - 2 || bar == 42) Riser(buses, t0, 2 * kMusicSecondsPerBar, 1.0f);
  }

  // The lead: A and B phrases from bar 16, softer and echoing in the breakdown and the end,
  // then one long tonic note.
  struct Entry {
    int bar;
    const std::vector<MelodyNote>* phrase;
    float velocity, brightness, echo;
  };
  const Entry kLead[] = {
      {16, &kPhraseA, 0.75f, 1800, 0.25f}, {20, &kPhraseB, 0.8f, 2200, 0.25f},
      {24, &kPhraseA, 1.0f, 3200, 0.3f},   {28, &kPhraseB, 1.0f, 3200, 0.3f},
      {32, &kPhraseA, 1.0f, 3600, 0.3f},   {36, &kPhraseB, 1.0f, 3600, 0.3f},
      {40, &kPhraseA, 0.7f, 1500, 0.6f},   {44, &kPhraseA, 1.0f, 3600, 0.3f},
      {48, &kPhraseB, 1.0f, 3600, 0.3f},   {52, &kPhraseA, 0.7f, 1600, 0.7f},
  };
  for (const Entry& e : kLead) PlayPhrase(buses, e.bar, *e.phrase, e.velocity, e.brightness, e.echo);
  Lead(buses, BarTime(56), 2 * kMusicSecondsPerBar, 69, 0.6f, 1400, 0.7f);
}

// Effects returns, the sidechain, the closing fade and a soft limiter, into interleaved stereo.
std::vector<float> MixDown(Buses& buses) {
  std::vector<float> left(buses.frames), right(buses.frames);
  std::vector<float> echoL, echoR;
  PingPongDelay(buses.delaySend, SampleAt(3 * kSixteenth), 0.42f, echoL, echoR);
  for (size_t i = 0; i < buses.frames; ++i) {
    left[i] = buses.dryL[i] + buses.pumpL[i] * buses.duck[i] + echoL[i] * 0.55f;
    right[i] = buses.dryR[i] + buses.pumpR[i] * buses.duck[i] + echoR[i] * 0.55f;
    buses.reverbSend[i] += (echoL[i] + echoR[i]) * 0.15f;
  }
  Reverb(buses.reverbSend, 0.86f, 0.3f, 0.9f, left, right);

  float peak = 1e-6f;
  for (size_t i = 0; i < buses.frames; ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  // Drive so the loudest hit reaches the knee of tanh, then scale to just under full scale.
  const float drive = 1.4f / peak, ceiling = 0.94f / std::tanh(1.4f);
  const double fadeStart = BarTime(56);
  std::vector<float> out(buses.frames * 2);
  for (size_t i = 0; i < buses.frames; ++i) {
    double t = double(i) / kMusicSampleRate;
    float gain = std::min(1.0f, float(t / 0.01));
    if (t > fadeStart) gain *= float(std::pow(1.0 - (t - fadeStart) / (kMusicSeconds - fadeStart), 1.5));
    out[2 * i] = std::tanh(left[i] * drive) * ceiling * gain;
    out[2 * i + 1] = std::tanh(right[i] * drive) * ceiling * gain;
  }
  return out;
}

}  // namespace

std::vector<float> RenderMusic() {
  Buses buses(SampleAt(kMusicSeconds));
  Arrange(buses);
  return MixDown(buses);
}

bool WriteMusic(const std::string& productionDir) {
  std::string folder = ResolvePath((productionDir + "/music").c_str());
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    printf("Could not create the folder %s: %s\n", folder.c_str(), error.message().c_str());
    return false;
  }
  std::vector<float> samples = RenderMusic();
  std::string path = productionDir + "/music\\music.ogg";
  if (!WriteOggVorbis(path, samples, kVorbisQuality)) return false;
  printf("music\\music.ogg (%.1f s, %d BPM)\n", double(kMusicSeconds), kMusicBpm);
  return true;
}
