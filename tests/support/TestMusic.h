#pragma once
// Music tracks made by the tests themselves, so music tests and runs whose clock is the music
// position need no stored audio.
#include <string>

// The bytes of an Ogg Vorbis file of a sine tone (silence at amplitude 0) of the given length,
// encoded at the given variable-bitrate quality; empty when the encoder refuses the format.
std::string EncodeOggTone(double seconds, int rate, int channels, double frequency,
                          float amplitude, float quality);

// The bytes of a silent Ogg Vorbis file of the given length, mono 44100 Hz.
std::string EncodeSilentOgg(double seconds);

// Writes a tone file at path; false when it cannot be encoded or written.
bool WriteOggTone(const std::string& path, double seconds, int rate, int channels,
                  double frequency = 440.0, float amplitude = 0.5f);

// The marked music in a format ("wav", "ogg", "flac", "opus", "mp3"): three seconds of stereo
// silence at 44100 Hz with a 1 kHz tone at 0.8 of full scale from 1.0 s to 1.1 s, as its bytes.
// The WAV is written here; the rest are tests/data/music/mark.* (see the README there).
constexpr double kMarkStart = 1.0;
std::string MarkedMusic(const std::string& format);
// The bytes with 2000 of them scrambled from a third of the way in.
std::string Spoilt(std::string bytes);
