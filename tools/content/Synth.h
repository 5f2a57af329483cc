// The music's building blocks: band-limited oscillators, a state-variable filter, envelopes,
// a ping-pong delay and a small plate-like reverb. Everything is plain arithmetic per sample,
// so rendering is fast and gives the same samples on every run.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr float kSampleRate = 44100.0f;

// Frequency of a MIDI note number (69 = A4 = 440 Hz), with an optional offset in cents.
float NoteHz(float note, float cents = 0);

// A sawtooth or square with polyBLEP corners: bright without the aliasing whine of naive ones.
class Oscillator {
 public:
  explicit Oscillator(float startPhase = 0) : m_phase(startPhase) {}
  float Saw(float hz);
  float Square(float hz);
  float Sine(float hz);

 private:
  float Advance(float hz);
  float m_phase;
  float m_step = 0;
};

// Zero-delay-feedback state-variable filter: stable under fast cutoff sweeps.
class Svf {
 public:
  // Cutoff in Hz (kept below Nyquist), resonance 0 (none) .. ~0.95 (ringing).
  void Set(float cutoffHz, float resonance);
  // One sample in; the three outputs are then in low, band and high.
  void Process(float in);
  float low = 0, band = 0, high = 0;

 private:
  float m_g = 0.1f, m_k = 1.4f, m_a1 = 0, m_a2 = 0, m_a3 = 0;
  float m_ic1 = 0, m_ic2 = 0;
};

// An exponential fall from 1 with the given time constant in seconds, one step per sample
// (a multiply instead of an exp per sample).
class Decay {
 public:
  explicit Decay(float seconds) : m_factor(std::exp(-1.0f / (seconds * kSampleRate))) {}
  float Next() {
    float value = m_value;
    m_value *= m_factor;
    return value;
  }

 private:
  float m_value = 1.0f;
  float m_factor;
};

// Attack-decay-sustain-release envelope stepped once per sample; the key is released after
// `length` seconds. Attack is linear, decay and release exponential with the given time
// constants.
class Adsr {
 public:
  Adsr(float length, float attack, float decay, float sustain, float release);
  float Next();

 private:
  size_t m_sample = 0;
  size_t m_attackEnd, m_release;
  float m_level = 0, m_attackStep, m_sustain, m_decayFactor, m_releaseFactor;
};

// Dotted-eighth style ping-pong: the first echo comes on the right, then alternates, each
// repeat darker. Processes a mono send into a stereo return in place.
void PingPongDelay(const std::vector<float>& send, size_t delaySamples, float feedback,
                   std::vector<float>& left, std::vector<float>& right);

// A Schroeder-Moorer reverb (parallel damped combs into series allpasses), decorrelated
// between the channels. Adds the wet signal of the mono send into left and right.
void Reverb(const std::vector<float>& send, float roomSize, float damping, float wet,
            std::vector<float>& left, std::vector<float>& right);
