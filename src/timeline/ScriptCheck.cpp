#include "timeline/ScriptCheck.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/Files.h"
#include "timeline/Move.h"
#include "timeline/MoveCheck.h"
#include "timeline/Script.h"

namespace {

// Past this many the author has seen the pattern; a damaged file would otherwise print millions.
constexpr size_t kMaxFindings = 200;
// Glow copies past which a frame takes a second or more where OpenGL runs in software.
constexpr int32_t kSlowGlowCopies = 500;

const char* KindWord(int32_t kind) {
  return kind == SCENE ? "SCENE" : kind == LAYER ? "LAYER" : "PARTICLE";
}

// "no layers", "one layer, 0" or "3 layers, 0 to 2": how many there are, and their indices.
std::string Indices(int32_t count, const std::string& noun) {
  if (count <= 0) return "no " + noun + "s";
  if (count == 1) return "one " + noun + ", 0";
  return std::to_string(count) + " " + noun + "s, 0 to " + std::to_string(count - 1);
}

// "no parameters", "1 parameter", "2 parameters".
std::string Count(int count, const std::string& noun) {
  return (count == 0 ? "no" : std::to_string(count)) + " " + noun + (count == 1 ? "" : "s");
}

class Checker {
 public:
  explicit Checker(const ScriptTargets& targets) : targets_(targets) {}

  void Add(int line, const std::string& text) {
    if (result.findings.size() < kMaxFindings) result.findings.push_back({line, text});
    else ++dropped_;
  }

  void Line(int number, const std::string& line, bool lastWithoutNewline) {
    if (IsNoteLine(line.c_str())) return;
    if (lastWithoutNewline) return Add(number, "no newline at the end of the last line: it is not read");
    if (line.find('\r') != std::string::npos)
      return Add(number, "carriage return inside the line: lines must end in LF or CR LF");
    if (line.find('\t') != std::string::npos)
      return Add(number, "tab in the line: only spaces separate the words");
    ++result.events;
    if (line.size() + 1 > static_cast<size_t>(kScriptChunk))
      Add(number, "line longer than " + std::to_string(kScriptChunk - 1) +
                      " characters: the rest is read as a line of its own");
    ScriptEvent event{};
    LineProblems problems;
    ParseEventLine((line + "\n").substr(0, kScriptChunk).c_str(), event, &problems,
                   &targets_.tempo);
    for (const std::string& note : problems.notes) Add(number, note);
    for (const std::string& note : problems.tempoNotes) TempoNote(number, note);
    if (problems.tokens < 4) return Add(number, "an event needs TIME KIND INDEX EFFECT");
    if (event.targetKind == 0 || event.effect == 0) return;
    result.loaded.push_back({number, event});
    if (problems.timeNeverDue) return;
    Event(number, event, problems.params);
  }

  void End() {
    if (tempoNotes_ > 1 && tempoFinding_ < result.findings.size())
      result.findings[tempoFinding_].text +=
          " (" + std::to_string(tempoNotes_) + " beat times without a tempo, on lines " +
          std::to_string(result.findings[tempoFinding_].line) + " to " +
          std::to_string(tempoLastLine_) + ")";
    for (const ScriptFinding& f : CheckMoveOverlaps(result.loaded)) Add(f.line, f.text);
    if (!quit_) Add(0, "no FX_QUIT on a SCENE target: the production never ends by itself");
    if (dropped_ > 0) Add(0, std::to_string(dropped_) + " more findings not shown");
  }

  ScriptCheck result;

 private:
  // The first beat time that wants a tempo is said; the others are counted into it.
  void TempoNote(int number, const std::string& note) {
    if (tempoNotes_++ == 0) {
      tempoFinding_ = result.findings.size();
      Add(number, note);
    }
    tempoLastLine_ = number;
  }

  void Event(int number, const ScriptEvent& e, int params) {
    const char* kind = KindWord(e.targetKind);
    const std::string effect = EffectName(e.effect);
    if (!EffectActsOn(e.targetKind, e.effect)) {
      std::string text = effect + " does nothing on a " + kind + " target";
      if (IsWholeScreenEffect(e.effect)) text += ": whole-screen effects take a SCENE target";
      return Add(number, text);
    }
    const int32_t count = e.targetKind == SCENE ? targets_.scenes
                          : e.targetKind == LAYER ? targets_.layers : targets_.particles;
    const bool indexed = !(e.targetKind == SCENE && IsWholeScreenEffect(e.effect));
    const char* noun = e.targetKind == SCENE   ? "scene"
                       : e.targetKind == LAYER ? "layer"
                                               : "particle system";
    if (indexed && (e.targetIndex < 0 || e.targetIndex >= count))
      return Add(number, std::string(kind) + " " + std::to_string(e.targetIndex) +
                             " is not loaded: the production has " + Indices(count, noun));
    const int wanted = EffectParamCount(e.effect);
    const std::string takes = effect + " takes " + Count(wanted, "parameter") + ", " +
                              std::to_string(params) + " given: ";
    if (params < wanted) Add(number, takes + "the missing ones read as 0");
    if (params > wanted)
      Add(number, takes + (params - wanted == 1 ? "the last one is" : "the last " +
                           std::to_string(params - wanted) + " are") + " not read");
    const int32_t whole = TruncateParam(e.params[0]);
    // Sets out of range were switched off when the line was read (HoldParams), and told there.
    if (e.effect == FX_NOISE && whole > 0 && !targets_.noiseSet[whole - 1])
      Add(number, "noise set " + std::to_string(whole) + " has no masks in the manifest");
    // The flag is stored in 8 bits: 256 is off.
    if (e.effect == FX_AQUA && whole != 0 && static_cast<int8_t>(whole) == 0)
      Add(number, "FX_AQUA " + std::to_string(whole) +
                      " is kept in 8 bits, which gives 0: the deformation is off (1 turns it on)");
    if (e.effect == FX_AQUA && whole != 0 && static_cast<size_t>(e.targetIndex) < targets_.sceneAqua.size() &&
        !targets_.sceneAqua[e.targetIndex])
      Add(number, "scene " + std::to_string(e.targetIndex) +
                      " is not prepared for FX_AQUA: add 'aqua' to its scene line in the manifest");
    if (e.effect == FX_CHANGE_CAM && static_cast<size_t>(e.targetIndex) < targets_.sceneCameras.size()) {
      const int32_t cameras = targets_.sceneCameras[e.targetIndex];
      const std::string scene = "scene " + std::to_string(e.targetIndex);
      if (cameras == 0)
        Add(number, scene + " has no cameras: FX_CHANGE_CAM does nothing");
      else if (whole < 0 || whole >= cameras)
        Add(number, scene + " has " + Indices(cameras, "camera") + ": camera " +
                        std::to_string(whole) + " shows camera 0");
    }
    // The count is kept as written (beyond kMaxGlowCopies only for spread 0), and each copy
    // costs about 2 ms at 800 x 600 where OpenGL runs in software.
    if (e.effect == FX_SATURATE && whole > kSlowGlowCopies)
      Add(number, "FX_SATURATE count " + std::to_string(whole) + " draws that many full-screen "
                  "copies every frame: where OpenGL runs in software that takes about a second "
                  "for every 500 copies");
    if (e.time < 0)
      Add(number, "at " + FormatNumber(e.time) +
                      " s, before the music starts: it comes due in the first frame");
    const bool late = std::isnan(e.time) || (targets_.musicSeconds > 0 && e.time > targets_.musicSeconds);
    if (late)
      return Add(number, "at " + FormatNumber(e.time) + " s, after the end of the music (" +
                             FormatNumber(targets_.musicSeconds) + " s): it never comes due");
    if (e.effect == FX_QUIT) quit_ = true;
    SameTime(number, e);
  }

  // Two events of one time that set one thing to different values: they apply in the script's
  // order within a frame, so the earlier one never shows. Relative steps (FX_MOVE) add up and
  // bursts and quits are no settings, so they are left out.
  void SameTime(int number, const ScriptEvent& e) {
    float value[2] = {0, 0};
    const int slot = SettingOf(e, value);
    if (slot < 0 || std::isnan(e.time)) return;
    const bool screen = e.targetKind == SCENE && IsWholeScreenEffect(e.effect);
    const auto key = std::make_tuple(e.time, screen ? 0 : e.targetKind, screen ? 0 : e.targetIndex, slot);
    const auto earlier = settings_.find(key);
    if (earlier != settings_.end() && (earlier->second.value[0] != value[0] || earlier->second.value[1] != value[1]))
      Add(number, (screen ? std::string("the screen") : std::string(KindWord(e.targetKind)) + " " +
                                                            std::to_string(e.targetIndex)) +
                      ": line " + std::to_string(earlier->second.line) + " sets " + earlier->second.text +
                      " and this line " + Setting(e) + ", both at " + FormatNumber(e.time) +
                      " s: only this line's takes effect");
    settings_[key] = {number, {value[0], value[1]}, Setting(e)};
  }

  // What the event sets, as a slot number (-1: it sets nothing that stays), and the value it
  // leaves there as the dispatcher stores it.
  static int SettingOf(const ScriptEvent& e, float (&value)[2]) {
    const int32_t whole = TruncateParam(e.params[0]);
    switch (e.effect) {
      case FX_START: case FX_SHOW: value[0] = 1; return 0;
      case FX_STOP: case FX_HIDE: return 0;
      case FX_CHANGE_CAM: value[0] = static_cast<float>(whole); return FX_CHANGE_CAM;
      case FX_AQUA: value[0] = static_cast<int8_t>(whole) != 0; return FX_AQUA;
      case FX_NOISE: value[0] = static_cast<int8_t>(whole); return FX_NOISE;
      case FX_EXPLODE:
        value[0] = static_cast<float>(whole);
        value[1] = static_cast<float>(TruncateParam(e.params[1]));
        return FX_EXPLODE;
      case FX_SATURATE: case FX_RESIZE:
        value[1] = e.params[1];
        value[0] = e.params[0];
        return e.effect;
      case FX_SHAKE: case FX_BLUR: case FX_ALPHA: value[0] = e.params[0]; return e.effect;
      default: return -1;
    }
  }

  static std::string Setting(const ScriptEvent& e) {
    std::string text = EffectName(e.effect);
    for (int k = 0; k < EffectParamCount(e.effect); ++k) text += " " + FormatNumber(e.params[k]);
    if (e.moveSeconds > 0)
      text += " over " + FormatNumber(e.moveSeconds) + " s " + CurveName(e.moveCurve);
    return text;
  }

  struct Set {
    int line;
    float value[2];
    std::string text;
  };
  std::map<std::tuple<float, int32_t, int32_t, int>, Set> settings_;

  const ScriptTargets& targets_;
  bool quit_ = false;
  size_t dropped_ = 0;
  int tempoNotes_ = 0;
  size_t tempoFinding_ = 0;
  int tempoLastLine_ = 0;
};

}  // namespace

ScriptCheck CheckScript(const std::string& text, const ScriptTargets& targets) {
  Checker checker(targets);
  const bool utf16 = text.size() >= 2 && ((text[0] == '\xff' && text[1] == '\xfe') ||
                                          (text[0] == '\xfe' && text[1] == '\xff'));
  if (utf16 || text.find('\0') != std::string::npos) {
    checker.Add(0, "not plain text (UTF-16 or NUL bytes): save the script as ASCII or UTF-8");
    checker.result.plainText = false;
    return checker.result;
  }
  int number = 0;
  // A UTF-8 byte-order mark, as some editors save one, is passed over as the player does.
  for (size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; start < text.size();) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    checker.Line(++number, text.substr(start, end - start), last);
    start = end + 1;
  }
  checker.End();
  AddBeatTimes(checker.result, targets.tempo);
  return checker.result;
}

bool ReadScriptText(const char* path, std::string& text, std::string& error) {
  // Checked before the open, which would wait for ever on a FIFO.
  const FileFacts facts = ExamineFile(path);
  if (facts.kind == FileKind::missing || facts.kind == FileKind::danglingLink) {
    error = std::strerror(facts.error);
    return false;
  }
  if (facts.kind != FileKind::regular) {
    error = "not a regular file";
    return false;
  }
  FILE* f = OpenFile(path, "r", ReadLimit::kScript);
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  text.clear();
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return true;
}
