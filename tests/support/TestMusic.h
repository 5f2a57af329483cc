#pragma once
// A music track made by the tests themselves, for runs whose clock is the music position.
#include <string>

// The bytes of a silent Ogg Vorbis file of the given length, mono 44100 Hz.
std::string EncodeSilentOgg(double seconds);
