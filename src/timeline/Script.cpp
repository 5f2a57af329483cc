#include "timeline/Script.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "effects/LayerSlot.h"
#include "platform/Files.h"
#include "timeline/Move.h"
#include "timeline/Timeline.h"

namespace {

struct Keyword {
  const char* word;
  int32_t value;
};

const Keyword kTargetKinds[] = {
    {"SCENE", SCENE},
    {"LAYER", LAYER},
    {"PARTICLE", PARTICLE},
};

// Tested in this order; the first match wins.
const Keyword kEffects[] = {
    {"FX_START", FX_START},     {"FX_STOP", FX_STOP},
    {"FX_SHOW", FX_SHOW},       {"FX_HIDE", FX_HIDE},
    {"FX_SHAKE", FX_SHAKE},     {"FX_SATURATE", FX_SATURATE},
    {"FX_CHANGE_CAM", FX_CHANGE_CAM}, {"FX_BLUR", FX_BLUR},
    {"FX_ALPHA", FX_ALPHA},     {"FX_MOVE", FX_MOVE},
    {"FX_RESIZE", FX_RESIZE},   {"FX_EXPLODE", FX_EXPLODE},
    {"FX_NOISE", FX_NOISE},     {"FX_AQUA", FX_AQUA},
    {"FX_QUIT", FX_QUIT},
};

template <size_t N>
void ReadKeyword(const char* token, const Keyword (&table)[N], int32_t& field) {
  for (const Keyword& k : table) {
    if (::strcasecmp(token, k.word) == 0) {
      field = k.value;
      return;
    }
  }
}

// How a number token read: not at all, wholly, or only a leading part ("3,5", "0:03").
enum class NumberRead { kNone, kWhole, kPart };

// A "%f" number; a token that does not start with one leaves the field as it was.
NumberRead ReadFloat(const char* token, float& field) {
  char* end = nullptr;
  const float value = std::strtof(token, &end);
  if (end == token) return NumberRead::kNone;
  field = value;
  return *end == '\0' ? NumberRead::kWhole : NumberRead::kPart;
}

// A "%d" number, held to the int32 range so a huge index cannot wrap into a valid one.
NumberRead ReadInt(const char* token, int32_t& field) {
  char* end = nullptr;
  const long value = std::strtol(token, &end, 10);
  if (end == token) return NumberRead::kNone;
  field = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
  return *end == '\0' ? NumberRead::kWhole : NumberRead::kPart;
}

// What the number reads as, in the author's words; a decimal comma gets its own hint, as the
// usual slip of a keyboard set for another language.
void NoteNumber(LineProblems* problems, NumberRead read, const char* what, const char* token,
                double value, bool whole) {
  if (!problems || read == NumberRead::kWhole) return;
  std::string note = std::string(what) + " '" + token + "' ";
  if (read == NumberRead::kNone) {
    note += "is not a number: it reads as 0";
  } else if (whole) {
    note += "is not a whole number: it reads as " + FormatNumber(value);
  } else if (std::strchr(token, ',')) {
    std::string point = token;
    std::replace(point.begin(), point.end(), ',', '.');
    note += "has a decimal comma: write " + point + " with a point; as written it reads as " +
            FormatNumber(value);
  } else {
    note += "is not one number: only its start is read, as " + FormatNumber(value);
  }
  problems->notes.push_back(note);
}

template <size_t N>
void NoteKeyword(LineProblems* problems, const Keyword (&table)[N], const char* what, const char* token,
                 int32_t field) {
  if (!problems) return;
  for (const Keyword& k : table)
    if (k.value == field) return;
  problems->notes.push_back(std::string("unknown ") + what + " '" + token + "'");
}

// One chunk of the file as the C line reader gives it: at most kScriptChunk characters, the
// newline included when it fits.
bool ReadChunk(FILE* f, char (&buffer)[kScriptChunk + 1]) {
  return std::fgets(buffer, sizeof buffer, f) != nullptr;
}

// The next chunk that is an event, passing over blank and comment lines (every piece of a long
// comment line included). `lineStart` and `inComment` carry over calls.
bool ReadEventChunk(FILE* f, char (&chunk)[kScriptChunk + 1], bool& lineStart, bool& inComment) {
  while (ReadChunk(f, chunk)) {
    const bool note = IsNoteLine(chunk);
    if (lineStart) inComment = note;
    const size_t length = std::strlen(chunk);
    lineStart = length > 0 && chunk[length - 1] == '\n';
    if (!inComment && !note) return true;
  }
  return false;
}

// A UTF-8 byte-order mark, as some editors save one, is no part of the first event.
void PassByteOrderMark(FILE* f) {
  char mark[3];
  if (std::fread(mark, 1, 3, f) != 3 || std::memcmp(mark, "\xEF\xBB\xBF", 3) != 0) std::rewind(f);
}

// A time in seconds, or in beats with a tempo. Without a tempo every time reads as it always
// has (a script written before beats plays as it did), and a beat form is said. With one, a beat
// time that cannot be turned into seconds never comes due: at 0 it would fire at the start,
// which the author did not write.
void ReadTime(const char* token, const Tempo* tempo, ScriptEvent& event, LineProblems* problems) {
  const bool beatForm = TimeFormOf(token) != TimeForm::kSeconds;
  std::string why;
  if (!beatForm || !tempo || !tempo->Known()) {
    // Read before the note takes the value: an argument list has no order of evaluation.
    const NumberRead read = ReadFloat(token, event.time);
    if (!beatForm) return NoteNumber(problems, read, "time", token, event.time, false);
    float unused = 0;
    if (!problems) return;
    const BeatRead beat = ReadBeatTime(token, Tempo(), false, unused, why);
    const std::string note = why + "; without it, it reads as " + FormatNumber(event.time) + " s";
    if (beat == BeatRead::kNeedsTempo) problems->tempoNotes.push_back(note);
    else problems->notes.push_back(note);
    return;
  }
  if (ReadBeatTime(token, *tempo, false, event.time, why) == BeatRead::kRead) return;
  event.time = std::numeric_limits<float>::quiet_NaN();
  if (!problems) return;
  problems->notes.push_back(why + ": the event never comes due");
  problems->timeNeverDue = true;
}

bool IsMoveWord(const char* token) { return ::strcasecmp(token, "over") == 0; }

// "over DURATION [CURVE]", after the parameters. What it cannot use leaves the value set at once
// (or moving on a straight line, for a curve it does not know), and is said.
void ReadMove(char*& save, const Tempo* tempo, ScriptEvent& e, LineProblems* problems) {
  const auto note = [problems](const std::string& text) {
    if (problems) problems->notes.push_back(text);
  };
  e.moveSeconds = 0;
  e.moveCurve = CURVE_LINEAR;
  const char* token = ::strtok_r(nullptr, " ", &save);
  if (!token) return note("'over' needs a duration: the value is set at once");
  float seconds = 0;
  std::string why;
  if (TimeFormOf(token) == TimeForm::kSeconds) {
    if (ReadFloat(token, seconds) != NumberRead::kWhole)
      return note("move duration '" + std::string(token) +
                  "' is not a number: the value is set at once");
  } else if (const BeatRead beat = ReadBeatTime(token, tempo ? *tempo : Tempo(), true, seconds, why);
             beat != BeatRead::kRead) {
    const std::string text = why + ": the value is set at once";
    if (beat == BeatRead::kNeedsTempo && problems) return problems->tempoNotes.push_back(text);
    return note(text);
  }
  if (!(seconds >= 0) || std::isinf(seconds))
    return note("move duration " + FormatNumber(seconds) +
                " is not a length of time: the value is set at once");
  e.moveSeconds = seconds;
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  if (!ReadCurve(token, e.moveCurve))
    note("unknown curve '" + std::string(token) +
         "' (linear, step, smooth, ease-in, ease-out): linear is used");
  if ((token = ::strtok_r(nullptr, " ", &save)))
    note("'" + std::string(token) + "' after the move's curve is not read");
}

}  // namespace

bool IsNoteLine(const char* line) {
  const char* p = line;
  while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
  return *p == '\0' || *p == '\n' || *p == '#';
}

bool IsWholeScreenEffect(int32_t effect) {
  return effect == FX_SATURATE || effect == FX_BLUR || effect == FX_NOISE || effect == FX_QUIT;
}

bool EffectActsOn(int32_t kind, int32_t effect) {
  switch (kind) {
    case SCENE:
      return effect == FX_START || effect == FX_STOP || effect == FX_SHOW || effect == FX_HIDE ||
             effect == FX_CHANGE_CAM || effect == FX_SHAKE || effect == FX_AQUA ||
             IsWholeScreenEffect(effect);
    case LAYER:
      return effect == FX_START || effect == FX_STOP || effect == FX_ALPHA || effect == FX_MOVE ||
             effect == FX_RESIZE || effect == FX_SHAKE;
    case PARTICLE:
      return effect == FX_START || effect == FX_STOP || effect == FX_ALPHA || effect == FX_EXPLODE;
    default:
      return false;
  }
}

const char* EffectName(int32_t effect) {
  for (const Keyword& k : kEffects)
    if (k.value == effect) return k.word;
  return "";
}

int EffectParamCount(int32_t effect) {
  switch (effect) {
    case FX_SATURATE: case FX_MOVE: case FX_RESIZE: case FX_EXPLODE:
      return 2;
    case FX_SHAKE: case FX_BLUR: case FX_NOISE: case FX_ALPHA: case FX_AQUA: case FX_CHANGE_CAM:
      return 1;
    default:
      return 0;
  }
}

void ParseEventLine(const char* line, ScriptEvent& event, LineProblems* problems,
                    const Tempo* tempo) {
  char work[256];
  std::strncpy(work, line, sizeof work - 1);
  work[sizeof work - 1] = '\0';
  const size_t length = std::strlen(work);
  if (length > 0 && work[length - 1] == '\n') work[length - 1] = ' ';

  char* save = nullptr;
  const char* token = ::strtok_r(work, " ", &save);
  if (!token) return;
  ReadTime(token, tempo, event, problems);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  ReadKeyword(token, kTargetKinds, event.targetKind);
  NoteKeyword(problems, kTargetKinds, "target kind", token, event.targetKind);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  const NumberRead index = ReadInt(token, event.targetIndex);
  NoteNumber(problems, index, "index", token, event.targetIndex, true);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  ReadKeyword(token, kEffects, event.effect);
  NoteKeyword(problems, kEffects, "effect", token, event.effect);
  if (problems) problems->tokens = 4;
  // The parameters run up to the move's word, if the line has one.
  int read = 0;
  while ((token = ::strtok_r(nullptr, " ", &save)) && !IsMoveWord(token)) {
    if (read == kEventParams && problems)
      problems->notes.push_back("more than 20 parameters: the rest are not read");
    if (read >= kEventParams) continue;
    float& param = event.params[read++];
    const NumberRead number = ReadFloat(token, param);
    NoteNumber(problems, number, "parameter", token, param, false);
    if (problems) ++problems->params;
  }
  if (token) ReadMove(save, tempo, event, problems);
  HoldParams(event, problems ? &problems->notes : nullptr);
}

std::string FormatNumber(double value) {
  char text[32];
  // Whole numbers whole (4096, 1000000), others to six digits.
  const bool whole = std::fabs(value) < 1e15 && value == std::floor(value);
  std::snprintf(text, sizeof text, whole ? "%.0f" : "%g", value);
  return text;
}

void HoldParams(ScriptEvent& e, std::vector<std::string>* notes) {
  if (!EffectActsOn(e.targetKind, e.effect)) return;
  const std::string effect = EffectName(e.effect);
  if (e.moveSeconds > 0 && MovingValueOf(e.targetKind, e.effect) == MovingValue::kNone) {
    if (notes) notes->push_back(effect + " cannot move: its value is set at once");
    e.moveSeconds = 0;
  }
  // Puts `value` into [low, high] (not-a-number: `fallback`) and tells the change.
  const auto hold = [&](float& value, float low, float high, float fallback, const char* what,
                        const std::string& range) {
    const float held = std::isnan(value) ? fallback : std::min(high, std::max(low, value));
    if (held == value) return;
    if (notes)
      notes->push_back(effect + " " + what + " " + FormatNumber(value) + " is " +
                       (std::isnan(value) ? "not a number" : range) + ": " + FormatNumber(held) +
                       " is used");
    value = held;
  };
  switch (e.effect) {
    case FX_SATURATE: {
      const float any = std::numeric_limits<float>::infinity();
      hold(e.params[1], -any, any, 0, "spread", "");
      // Compared truncated, as the compositor counts the copies. Only unspread copies all land
      // on the same pixels, where the bound is shown to change nothing (kMaxGlowCopies).
      if (e.params[1] != 0 || TruncateParam(e.params[0]) <= kMaxGlowCopies) break;
      if (notes)
        notes->push_back(effect + " count " + FormatNumber(e.params[0]) + " is more than " +
                         std::to_string(kMaxGlowCopies) + ": " + std::to_string(kMaxGlowCopies) +
                         " is used (with spread 0 more copies no longer change the picture)");
      e.params[0] = static_cast<float>(kMaxGlowCopies);
      break;
    }
    case FX_NOISE: {
      const int32_t set = TruncateParam(e.params[0]);
      if (set >= 0 && set <= 2) break;
      if (notes)
        notes->push_back(effect + " " + std::to_string(set) +
                         " shows nothing: the sets are 1 and 2, 0 is off");
      e.params[0] = 0;
      break;
    }
    case FX_MOVE:
    case FX_RESIZE: {
      const std::string range = "more than " + FormatNumber(kMaxLayerPixels) + " pixels either way";
      const bool move = e.effect == FX_MOVE;
      hold(e.params[0], -kMaxLayerPixels, kMaxLayerPixels, 0, move ? "step x" : "width", range);
      hold(e.params[1], -kMaxLayerPixels, kMaxLayerPixels, 0, move ? "step y" : "height", range);
      break;
    }
    case FX_ALPHA:
    case FX_BLUR:
      // The drawing clamps a colour to 0 .. 1 anyway; held here it is said.
      hold(e.params[0], 0, 1, 0, "opacity", "outside 0 to 1");
      break;
    default:
      break;
  }
}

int CompareEventTimes(const ScriptEvent& a, const ScriptEvent& b) {
  const bool aNan = std::isnan(a.time), bNan = std::isnan(b.time);
  if (aNan || bNan) return aNan == bNan ? 0 : (aNan ? 1 : -1);
  if (a.time < b.time) return -1;
  if (a.time > b.time) return 1;
  return 0;
}

int32_t TruncateParam(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void Timeline::LoadScript(const char* path) {
  ReleaseEvents();
  FILE* f = OpenFile(path, "r", ReadLimit::kScript);
  if (!f) return;
  // Counting pass: a chunk that runs into the end of the file (a last line without its newline)
  // is not counted, and so not loaded. Blank and comment lines take no event, so memory follows
  // what the file says, not its size.
  char chunk[kScriptChunk + 1];
  int32_t count = 0;
  bool lineStart = true, inComment = false;
  PassByteOrderMark(f);
  while (count < kMaxScriptEvents && ReadEventChunk(f, chunk, lineStart, inComment) && !std::feof(f))
    ++count;
  const bool cut = count == kMaxScriptEvents && ReadEventChunk(f, chunk, lineStart, inComment);
  std::fclose(f);
  if (cut) std::printf("- %s: only the first %d events are read\n", path, kMaxScriptEvents);
  if (count == 0) return;

  events = new (std::nothrow) ScriptEvent[count]();
  if (!events) {
    std::printf("- No memory for the %d events of %s: the script stays empty\n", count, path);
    return;
  }
  eventCount = count;
  dumpCount = count;

  f = OpenFile(path, "r", ReadLimit::kScript);
  if (!f) return;
  // A file that shrank between the passes leaves the rest of the events at their zero state.
  lineStart = true;
  inComment = false;
  PassByteOrderMark(f);
  for (int32_t j = 0; j < count && ReadEventChunk(f, chunk, lineStart, inComment); ++j)
    ParseEventLine(chunk, events[j], nullptr, &tempo);
  std::fclose(f);
}

void Timeline::SortEvents() {
  if (eventCount <= 1) return;
  // Stable: events of one time keep the script's order, on every system (glibc's qsort keeps it
  // by chance of its merge sort; Windows' does not).
  std::stable_sort(events, events + eventCount, [](const ScriptEvent& a, const ScriptEvent& b) {
    return CompareEventTimes(a, b) < 0;
  });
}

void Timeline::WriteEventTimes(const char* path, const char* mode) const {
  FILE* f = OpenFile(path, mode);
  if (!f) return;
  for (int32_t i = 0; i < dumpCount && i < eventCount; ++i) std::fprintf(f, "%f\n", events[i].time);
  std::fclose(f);
}

void Timeline::DumpEventTimes(const char* path) const { WriteEventTimes(path, "w"); }

void Timeline::AppendEventTimes(const char* path) const { WriteEventTimes(path, "a"); }
