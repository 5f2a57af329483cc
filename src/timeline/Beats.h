#pragma once
// The music's tempo, and times written in beats. With a tempo a script may give a time as a
// beat number, "b64" (beats counted from 0 at the offset, fractions allowed), or as bar and beat,
// "17:1" (both counted from 1, as musicians count; 1:1 is beat 0). A move's length may be
// written in beats too, "b2".
#include <cstdint>
#include <string>

struct Tempo {
  float bpm = 0;         // beats a minute; 0: the production gives no tempo
  float beatZero = 0;    // seconds of music before beat 0
  int32_t beatsPerBar = 4;
  bool Known() const { return bpm > 0; }
};

// Seconds of music at `beat` (a beat number, from 0), and back.
double SecondsOfBeat(const Tempo& tempo, double beat);
double BeatOfSeconds(const Tempo& tempo, double seconds);

// Where `steps` marks of a grid of `unitBeats` (1: beats, beatsPerBar: bars) away from `seconds`
// is: the first step from between two marks goes to the nearer mark that way.
double StepOnBeats(double seconds, const Tempo& tempo, int steps, int unitBeats);

// A time as the author writes it in beats: "b12.5 (4:1.5)"; "" without a tempo.
std::string BeatLabel(double seconds, const Tempo& tempo);

// How a token stands for a time: a plain number of seconds, or one of the beat forms.
enum class TimeForm { kSeconds, kBeat, kBarBeat };
TimeForm TimeFormOf(const char* token);

// Reads a beat form ("b64", "17:1") as seconds from the start of the music, or, with
// `length`, as a length in seconds ("b2": two beats). Otherwise the reason is in `why`: the token
// is not one, or it is and there is no tempo to turn it into seconds.
enum class BeatRead { kRead, kNotABeat, kNeedsTempo };
BeatRead ReadBeatTime(const char* token, const Tempo& tempo, bool length, float& seconds,
                      std::string& why);
