#include "Waveform.h"

#include <algorithm>

#include "platform/AudioDecoder.h"

namespace {

// Plenty for a picture a few pixels tall, and half the decoding work of the player's rate.
constexpr int kRate = 22050;

int8_t Percent(int16_t sample) { return static_cast<int8_t>(sample * 100 / 32768); }

}  // namespace

bool ReadWaveform(const std::string& path, int columns, Waveform& wave, std::string& error) {
  AudioDecoder decoder;
  if (columns <= 0) {
    error = path + ": no columns to draw it in";
    return false;
  }
  if (!decoder.Open(path.c_str(), kRate)) {
    error = path + ": " + decoder.Fault();
    return false;
  }
  const int64_t length = decoder.Length();
  wave.seconds = static_cast<double>(length) / kRate;
  wave.low.assign(columns, 0);
  wave.high.assign(columns, 0);
  int16_t frames[2 * 4096];
  int64_t at = 0;
  for (int n; (n = decoder.Read(frames, 4096)) > 0; at += n) {
    for (int i = 0; i < n; ++i) {
      // The column of this frame; a decoder giving more than it announced stays in the last.
      const int64_t column =
          std::min<int64_t>(columns - 1, length > 0 ? (at + i) * columns / length : 0);
      const int16_t lo = std::min(frames[2 * i], frames[2 * i + 1]);
      const int16_t hi = std::max(frames[2 * i], frames[2 * i + 1]);
      wave.low[column] = std::min(wave.low[column], Percent(lo));
      wave.high[column] = std::max(wave.high[column], Percent(hi));
    }
  }
  return true;
}
