// Stereo samples out as an Ogg Vorbis file, the format the player streams.
#pragma once

#include <string>
#include <vector>

// Encodes interleaved stereo float samples (-1..1) at 44100 Hz with variable bit rate at the
// given quality (-0.1 .. 1) and writes the file through OpenFile. The stream serial number is
// fixed, so the same samples give the same bytes. Prints a message naming the file on failure.
bool WriteOggVorbis(const std::string& path, const std::vector<float>& interleaved, float quality);
