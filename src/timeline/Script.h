#pragma once
// The production's script: one event per text line, "TIME KIND INDEX EFFECT [params...]", tokens
// separated by spaces. Each line becomes one ScriptEvent; the Timeline loads and sorts them. Blank
// lines and lines starting with '#' are notes for the reader and take no event.
#include <cstdint>
#include <string>
#include <vector>

#include "timeline/Beats.h"

// What an event acts on; the index then picks the entry of that kind's store.
enum TargetKind : int32_t {
  SCENE = 1,
  LAYER = 2,
  PARTICLE = 3,
};

enum EffectCode : int32_t {
  FX_SHAKE = 101,
  FX_SATURATE = 102,
  FX_BLUR = 103,
  FX_NOISE = 104,
  FX_ALPHA = 201,
  FX_MOVE = 202,
  FX_RESIZE = 203,
  FX_EXPLODE = 301,
  FX_AQUA = 302,
  FX_QUIT = 305,
  FX_START = 1001,
  FX_STOP = 1002,
  FX_SHOW = 1003,
  FX_HIDE = 1004,
  FX_CHANGE_CAM = 1005,
};

constexpr int kEventParams = 20;

struct ScriptEvent {
  float time;            // seconds of music position at which the event comes due
  int32_t targetKind;    // TargetKind, or 0 when the line named none we know
  int32_t targetIndex;   // index in the store of that kind
  int32_t effect;        // EffectCode, or 0 when the line named none we know
  float params[kEventParams];
  float moveSeconds;     // 0: the value is set at once; more: it moves there over that time
  int32_t moveCurve;     // MoveCurve, for a move
};

// Longest piece of a line taken as one line: the reader's 255-byte buffer less its terminator.
constexpr int kScriptChunk = 254;

// A script holds at most this many events; the rest of a longer file is not read.
constexpr int32_t kMaxScriptEvents = 1 << 20;

// What a line held that the parser passed over or read only in part, in words for the author.
struct LineProblems {
  std::vector<std::string> notes;
  int tokens = 0;  // 4 once the time, kind, index and effect tokens were all there
  int params = 0;  // parameter tokens read
  bool timeNeverDue = false;  // a beat time that could not be read: said, and nothing more to say
  // Beat times and lengths that only want the manifest's tempo, one note each: a script written
  // in beats says the same thing on every line, which the checker says once.
  std::vector<std::string> tempoNotes;
};

// Fills the fields the line gives; the others keep what the record held before (a freshly
// loaded event starts all zero, which the dispatcher ignores). With `problems`, also says what
// it passed over.
// Parameters that would drive unbounded work, or that the drawing has no use for, are held to
// the ranges below (HoldParams), so the player, its seek and the capture all take the held value.
// A time may be written in beats ("b64", "17:1") when `tempo` is known; without one such a time
// never comes due. A trailing "over DURATION [CURVE]" makes the event a move (timeline/Move.h).
void ParseEventLine(const char* line, ScriptEvent& event, LineProblems* problems = nullptr,
                    const Tempo* tempo = nullptr);

// Glow copies drawn at most with a spread of 0, where every copy covers the same pixels. Each
// adds round(255 * I * I * a) to a channel holding 8 bits (I the texel, a the copy's strength,
// 1 down to 1 / count): a texel that adds less than half a level at full strength never shows,
// and the faintest one that does (I = 12/255) turns white once 255 copies have a strength of
// 0.886 or more, which takes 2225 copies. Past that the stacked copies draw the same picture,
// only slower. Spread copies each show another part of the image, so any count may change the
// picture: the count is kept, and a heavy frame still answers Escape between its copies.
constexpr int32_t kMaxGlowCopies = 2400;

// Holds the parameters of an effect to what the dispatcher can use; with `notes`, says in the
// author's words what each change means.
void HoldParams(ScriptEvent& event, std::vector<std::string>* notes = nullptr);

// A number as the author's messages show it ("%g").
std::string FormatNumber(double value);

// A blank line or a comment: no event.
bool IsNoteLine(const char* line);

// Whether the dispatcher does anything with that effect on that kind of target.
bool EffectActsOn(int32_t kind, int32_t effect);
// Effects on the whole screen, written against a scene target whose index is not used.
bool IsWholeScreenEffect(int32_t effect);
// The effect's keyword, or "" for a code that has none.
const char* EffectName(int32_t effect);
// Parameters the effect reads.
int EffectParamCount(int32_t effect);

// -1, 0 or +1 by time. A time that is not a number sorts after every number, so the order stays
// consistent for the sort whatever the file holds.
int CompareEventTimes(const ScriptEvent& a, const ScriptEvent& b);

// A parameter truncated toward zero, as effects that take whole numbers read it. Values beyond
// int32 are held to its range and not-a-number reads as 0, so no script value reaches an
// undefined conversion.
int32_t TruncateParam(float value);
