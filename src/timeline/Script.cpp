#include "timeline/Script.h"

#include <strings.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Files.h"
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

// A "%f" number; a token that does not start with one leaves the field as it was.
void ReadFloat(const char* token, float& field) {
  char* end = nullptr;
  const float value = std::strtof(token, &end);
  if (end != token) field = value;
}

// A "%d" number, held to the int32 range so a huge index cannot wrap into a valid one.
void ReadInt(const char* token, int32_t& field) {
  char* end = nullptr;
  const long value = std::strtol(token, &end, 10);
  if (end == token) return;
  field = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

// One chunk of the file as the C line reader gives it: at most kScriptChunk characters, the
// newline included when it fits.
bool ReadChunk(FILE* f, char (&buffer)[kScriptChunk + 1]) {
  return std::fgets(buffer, sizeof buffer, f) != nullptr;
}

}  // namespace

void ParseEventLine(const char* line, ScriptEvent& event) {
  char work[256];
  std::strncpy(work, line, sizeof work - 1);
  work[sizeof work - 1] = '\0';
  const size_t length = std::strlen(work);
  if (length > 0 && work[length - 1] == '\n') work[length - 1] = ' ';

  char* save = nullptr;
  const char* token = ::strtok_r(work, " ", &save);
  if (!token) return;
  ReadFloat(token, event.time);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  ReadKeyword(token, kTargetKinds, event.targetKind);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  ReadInt(token, event.targetIndex);
  if (!(token = ::strtok_r(nullptr, " ", &save))) return;
  ReadKeyword(token, kEffects, event.effect);
  for (float& param : event.params) {
    if (!(token = ::strtok_r(nullptr, " ", &save))) return;
    ReadFloat(token, param);
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
  // is not counted, and so not loaded.
  char chunk[kScriptChunk + 1];
  int32_t count = 0;
  while (ReadChunk(f, chunk) && !std::feof(f) && count < INT32_MAX) ++count;
  std::fclose(f);
  if (count == 0) return;

  events = new (std::nothrow) ScriptEvent[count]();
  if (!events) {
    std::printf("- No hay memoria para los %d eventos de %s: el guion queda vacio\n", count, path);
    return;
  }
  eventCount = count;
  dumpCount = count;

  f = OpenFile(path, "r", ReadLimit::kScript);
  if (!f) return;
  // A file that shrank between the passes leaves the rest of the events at their zero state.
  for (int32_t j = 0; j < count && ReadChunk(f, chunk); ++j) ParseEventLine(chunk, events[j]);
  std::fclose(f);
}

void Timeline::SortEvents() {
  if (eventCount <= 1) return;
  std::qsort(events, static_cast<size_t>(eventCount), sizeof(ScriptEvent), [](const void* a, const void* b) {
    return CompareEventTimes(*static_cast<const ScriptEvent*>(a), *static_cast<const ScriptEvent*>(b));
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
