#include "timeline/Beats.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

double SecondsOfBeat(const Tempo& tempo, double beat) {
  return tempo.beatZero + beat * 60.0 / tempo.bpm;
}

double BeatOfSeconds(const Tempo& tempo, double seconds) {
  return (seconds - tempo.beatZero) * tempo.bpm / 60.0;
}

double StepOnBeats(double seconds, const Tempo& tempo, int steps, int unitBeats) {
  const double at = BeatOfSeconds(tempo, seconds) / unitBeats;
  // A hair's breadth off a mark (a float's rounding) counts as on it.
  const double mark = steps > 0 ? std::floor(at + 1e-3) : std::ceil(at - 1e-3);
  return SecondsOfBeat(tempo, (mark + steps) * unitBeats);
}

std::string BeatLabel(double seconds, const Tempo& tempo) {
  if (!tempo.Known() || !std::isfinite(seconds)) return "";
  // To a hundredth of a beat: a time written as a beat reads back as written.
  const double beat = std::round(BeatOfSeconds(tempo, seconds) * 100) / 100;
  const double bar = std::floor(beat / tempo.beatsPerBar);
  char text[64];
  std::snprintf(text, sizeof text, "b%g (%.0f:%g)", beat, bar + 1,
                std::round((beat - bar * tempo.beatsPerBar + 1) * 100) / 100);
  return text;
}

TimeForm TimeFormOf(const char* token) {
  if (token[0] == 'b' || token[0] == 'B') return TimeForm::kBeat;
  return std::strchr(token, ':') ? TimeForm::kBarBeat : TimeForm::kSeconds;
}

namespace {

// A finite number written whole, from `text` up to `end` (or the end of the string).
bool WholeNumber(const char* text, const char* end, double& value) {
  char* stop = nullptr;
  errno = 0;
  value = std::strtod(text, &stop);
  return stop != text && (end ? stop == end : *stop == '\0') && errno != ERANGE &&
         std::isfinite(value);
}

}  // namespace

BeatRead ReadBeatTime(const char* token, const Tempo& tempo, bool length, float& seconds,
                      std::string& why) {
  const std::string quoted = std::string("'") + token + "'";
  double beat = 0;
  switch (TimeFormOf(token)) {
    case TimeForm::kSeconds:
      why = quoted + " is not a beat";
      return BeatRead::kNotABeat;
    case TimeForm::kBeat:
      if (!WholeNumber(token + 1, nullptr, beat)) {
        why = quoted + " is not a beat number (b64, b12.5)";
        return BeatRead::kNotABeat;
      }
      break;
    case TimeForm::kBarBeat: {
      if (length) {
        why = quoted + ": a length is written in seconds or in beats (b2), not as bar:beat";
        return BeatRead::kNotABeat;
      }
      const char* colon = std::strchr(token, ':');
      double bar = 0, inBar = 0;
      if (!WholeNumber(token, colon, bar) || !WholeNumber(colon + 1, nullptr, inBar) ||
          bar < 1 || bar != std::floor(bar) || inBar < 1 || !(inBar < tempo.beatsPerBar + 1)) {
        why = quoted + " is not BAR:BEAT (bars from 1, beats from 1 to " +
              std::to_string(tempo.beatsPerBar) + ")";
        return BeatRead::kNotABeat;
      }
      beat = (bar - 1) * tempo.beatsPerBar + (inBar - 1);
      break;
    }
  }
  if (!tempo.Known()) {
    why = "beat time " + quoted + " needs the music's tempo: add 'tempo BPM' to the manifest";
    return BeatRead::kNeedsTempo;
  }
  seconds = static_cast<float>(length ? beat * 60.0 / tempo.bpm : SecondsOfBeat(tempo, beat));
  return BeatRead::kRead;
}
