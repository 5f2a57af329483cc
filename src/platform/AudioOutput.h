#pragma once
// The engine's own small audio library: one output playing one music stream decoded from OGG.
// The output is an SDL audio device where the machine has one; elsewhere (and where SDL offers
// only its dummy driver, which runs a few per cent fast) it is a silent output that consumes the
// music in real time on the program's clock source. Positions are sample frames at the output
// rate, counted from what the output has consumed, so a stream's position is the music's clock.
//
// An offline renderer calls AudioUseSilentOutput(true) before AudioInit and installs a clock of
// its own (SetClockSource): the music position then follows that clock exactly.
#include <cstdint>

// The version of this library: major in the low 16 bits, minor in the high 16 bits.
constexpr uint32_t AUDIO_VERSION = 0x00000001;  // 1.0
uint32_t AudioGetVersion();

void AudioUseSilentOutput(bool silent);
// Opens the output at `frequency` frames per second, not yet running. False when it is already
// open or the rate is unusable.
bool AudioInit(int frequency);
bool AudioIsSilent();  // the open output is the silent one
void AudioStart();     // the output runs
void AudioStop();      // the output halts; streams keep their position
void AudioFree();      // closes the output and frees its stream

// A stream of the named OGG file, positioned at its start and not playing; 0 when the output is
// not open or the file cannot be decoded. A new stream replaces the previous one.
uint32_t AudioStreamCreateFile(const char* path);
// A stream with no music: silence whose position runs like any other's, so a production whose
// music cannot be loaded still has a clock. 0 when the output is not open.
uint32_t AudioStreamCreateSilent();
void AudioStreamFree(uint32_t stream);
int64_t AudioStreamGetLength(uint32_t stream);  // in frames; 0 for an unknown stream

// Play and pause keep the position. A playing stream's position runs on past the end of its
// music, in silence. Calls on an unknown stream return false or 0.
bool AudioChannelPlay(uint32_t stream);
bool AudioChannelPause(uint32_t stream);
bool AudioChannelIsPlaying(uint32_t stream);  // false again once the music has ended
int64_t AudioChannelGetPosition(uint32_t stream);
// The frame where the stream's music last gave out, at its end or earlier where the file is
// damaged or cut short; -1 while it never has.
int64_t AudioChannelGetEnd(uint32_t stream);
// Not before the start; past the end of the music the position is silence.
bool AudioChannelSetPosition(uint32_t stream, int64_t frame);
// Peak levels of the last block played: left in the low 16 bits, right in the high 16 bits
// (0 .. 32768 each); 0 while the stream does not play.
uint32_t AudioChannelGetLevel(uint32_t stream);

double AudioFramesToSeconds(int64_t frames);  // at the output rate
int64_t AudioSecondsToFrames(double seconds);
