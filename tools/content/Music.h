// The production's music: synthesised in code and written as "music\music.ogg".
#pragma once

#include <string>
#include <vector>

// Tempo and bar layout, for whoever times the script: one bar is four beats, and at
// 120 beats per minute a bar lasts exactly two seconds, so bar N starts at 2 * N s.
constexpr int kMusicBpm = 120;
constexpr int kMusicBeatsPerBar = 4;
constexpr float kMusicSecondsPerBar = 60.0f * kMusicBeatsPerBar / kMusicBpm;

// Sections, as the first bar of each (bars count from 0).
constexpr int kMusicIntroBar = 0;    // pads and hats, filter slowly opening
constexpr int kMusicBuildBar = 8;    // kick and bass enter, then the lead
constexpr int kMusicPeakBar = 24;    // everything, snare on 2 and 4, full lead
constexpr int kMusicEndingBar = 52;  // drums drop out, pads and an echoing lead fade
constexpr int kMusicBars = 60;       // the last bar of music ends here

// The file runs two seconds past the last bar so the echoes and reverb die out.
constexpr float kMusicTailSeconds = 2.0f;
constexpr float kMusicSeconds = kMusicBars * kMusicSecondsPerBar + kMusicTailSeconds;  // 122 s

constexpr int kMusicSampleRate = 44100;
constexpr int kMusicChannels = 2;

// Renders the piece and writes <productionDir>/music/music.ogg (Ogg Vorbis, 44100 Hz
// stereo). Creates the music folder if needed. Same bytes on every run. Prints a clear
// message and returns false on failure.
bool WriteMusic(const std::string& productionDir);

// The piece as interleaved stereo samples (-1..1), kMusicSeconds long at kMusicSampleRate.
std::vector<float> RenderMusic();
