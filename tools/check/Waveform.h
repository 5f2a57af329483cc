#pragma once
// The music's outline for the timeline page: the lowest and highest sample of each pixel column.
#include <cstdint>
#include <string>
#include <vector>

struct Waveform {
  double seconds = 0;       // length of the music
  std::vector<int8_t> low;  // per column, -100 .. 100 of full scale
  std::vector<int8_t> high;
};

// Decodes the music file at `path` (any format the player reads) with the player's decoder and folds it into `columns`
// columns of (seconds / columns) each, both channels together. False, with the reason, when the
// file cannot be decoded.
bool ReadWaveform(const std::string& path, int columns, Waveform& wave, std::string& error);
