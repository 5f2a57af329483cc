#pragma once
// Writes a short OGG Vorbis file of a sine tone, so music tests need no stored audio.
#include <string>

bool WriteOggTone(const std::string& path, double seconds, int rate, int channels,
                  double frequency = 440.0, float amplitude = 0.5f);
