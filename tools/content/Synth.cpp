#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979f;
}

float NoteHz(float note, float cents) {
  return 440.0f * std::exp2((note - 69.0f + cents / 100.0f) / 12.0f);
}

float Oscillator::Advance(float hz) {
  m_step = std::min(hz / kSampleRate, 0.45f);
  float phase = m_phase;
  m_phase += m_step;
  if (m_phase >= 1.0f) m_phase -= 1.0f;
  return phase;
}

namespace {

// The polyBLEP residual that rounds off a jump at phase 0 over one sample each side.
float Blep(float phase, float step) {
  if (phase < step) {
    float t = phase / step;
    return t + t - t * t - 1.0f;
  }
  if (phase > 1.0f - step) {
    float t = (phase - 1.0f) / step;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

}  // namespace

float Oscillator::Saw(float hz) {
  float phase = Advance(hz);
  return 2.0f * phase - 1.0f - Blep(phase, m_step);
}

float Oscillator::Square(float hz) {
  float phase = Advance(hz);
  float value = phase < 0.5f ? 1.0f : -1.0f;
  float half = phase + 0.5f;
  if (half >= 1.0f) half -= 1.0f;
  return value + Blep(phase, m_step) - Blep(half, m_step);
}

float Oscillator::Sine(float hz) { return std::sin(2.0f * kPi * Advance(hz)); }

void Svf::Set(float cutoffHz, float resonance) {
  float fc = std::clamp(cutoffHz, 20.0f, kSampleRate * 0.45f);
  m_g = std::tan(kPi * fc / kSampleRate);
  m_k = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
  m_a1 = 1.0f / (1.0f + m_g * (m_g + m_k));
  m_a2 = m_g * m_a1;
  m_a3 = m_g * m_a2;
}

void Svf::Process(float in) {
  float v3 = in - m_ic2;
  float v1 = m_a1 * m_ic1 + m_a2 * v3;
  float v2 = m_ic2 + m_a2 * m_ic1 + m_a3 * v3;
  m_ic1 = 2.0f * v1 - m_ic1;
  m_ic2 = 2.0f * v2 - m_ic2;
  low = v2;
  band = v1;
  high = in - m_k * v1 - v2;
}

Adsr::Adsr(float length, float attack, float decay, float sustain, float release)
    : m_attackEnd(std::max<size_t>(1, size_t(attack * kSampleRate))),
      m_release(size_t(length * kSampleRate)),
      m_attackStep(1.0f / float(m_attackEnd)),
      m_sustain(sustain),
      m_decayFactor(std::exp(-1.0f / (decay * kSampleRate))),
      m_releaseFactor(std::exp(-1.0f / (release * kSampleRate))) {}

float Adsr::Next() {
  float value = m_level;
  if (m_sample >= m_release) m_level *= m_releaseFactor;
  else if (m_sample < m_attackEnd) m_level = std::min(1.0f, m_level + m_attackStep);
  else m_level = m_sustain + (m_level - m_sustain) * m_decayFactor;
  ++m_sample;
  return value;
}

void PingPongDelay(const std::vector<float>& send, size_t delaySamples, float feedback,
                   std::vector<float>& left, std::vector<float>& right) {
  size_t n = send.size();
  left.assign(n, 0.0f);
  right.assign(n, 0.0f);
  float toneL = 0, toneR = 0;
  const float darken = 0.35f;  // one-pole low-pass in the loop: each repeat duller
  for (size_t i = delaySamples; i < n; ++i) {
    size_t j = i - delaySamples;
    // Right hears the dry send and the left echoes; left hears only the right echoes.
    float intoRight = send[j] + left[j] * feedback;
    float intoLeft = right[j] * feedback;
    toneR += (intoRight - toneR) * darken;
    toneL += (intoLeft - toneL) * darken;
    right[i] = toneR;
    left[i] = toneL;
  }
}

namespace {

class Comb {
 public:
  explicit Comb(size_t length) : m_buffer(length, 0.0f) {}
  float Process(float in, float feedback, float damping) {
    float out = m_buffer[m_index];
    m_store = out * (1.0f - damping) + m_store * damping;
    m_buffer[m_index] = in + m_store * feedback;
    if (++m_index == m_buffer.size()) m_index = 0;
    return out;
  }

 private:
  std::vector<float> m_buffer;
  size_t m_index = 0;
  float m_store = 0;
};

class Allpass {
 public:
  explicit Allpass(size_t length) : m_buffer(length, 0.0f) {}
  float Process(float in) {
    float delayed = m_buffer[m_index];
    float out = delayed - in;
    m_buffer[m_index] = in + delayed * 0.5f;
    if (++m_index == m_buffer.size()) m_index = 0;
    return out;
  }

 private:
  std::vector<float> m_buffer;
  size_t m_index = 0;
};

}  // namespace

void Reverb(const std::vector<float>& send, float roomSize, float damping, float wet,
            std::vector<float>& left, std::vector<float>& right) {
  // Mutually prime delay lengths (in samples at 44.1 kHz); the right channel's are a little
  // longer, which makes the two tails differ and the space wide.
  static const size_t kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const size_t kAllpasses[] = {556, 441, 341, 225};
  constexpr size_t kSpread = 23;
  std::vector<Comb> combsL, combsR;
  std::vector<Allpass> passesL, passesR;
  for (size_t length : kCombs) {
    combsL.emplace_back(length);
    combsR.emplace_back(length + kSpread);
  }
  for (size_t length : kAllpasses) {
    passesL.emplace_back(length);
    passesR.emplace_back(length + kSpread);
  }
  const float input = 0.015f;
  for (size_t i = 0; i < send.size(); ++i) {
    float in = send[i] * input;
    float l = 0, r = 0;
    for (size_t c = 0; c < combsL.size(); ++c) {
      l += combsL[c].Process(in, roomSize, damping);
      r += combsR[c].Process(in, roomSize, damping);
    }
    for (size_t a = 0; a < passesL.size(); ++a) {
      l = passesL[a].Process(l);
      r = passesR[a].Process(r);
    }
    left[i] += l * wet;
    right[i] += r * wet;
  }
}
