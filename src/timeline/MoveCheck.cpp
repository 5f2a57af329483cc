#include "timeline/MoveCheck.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "timeline/Move.h"
#include "timeline/Script.h"

std::vector<ScriptFinding> CheckMoveOverlaps(const std::vector<CheckedEvent>& events) {
  std::vector<const CheckedEvent*> order;
  for (const CheckedEvent& e : events)
    if (!std::isnan(e.event.time) && MovingValueOf(e.event.targetKind, e.event.effect) != MovingValue::kNone)
      order.push_back(&e);
  std::stable_sort(order.begin(), order.end(), [](const CheckedEvent* a, const CheckedEvent* b) {
    return CompareEventTimes(a->event, b->event) < 0;
  });
  struct Running {
    int line;
    float start, end;
  };
  std::map<std::pair<MovingValue, int32_t>, Running> running;
  std::vector<ScriptFinding> findings;
  for (const CheckedEvent* c : order) {
    const ScriptEvent& e = c->event;
    const MovingValue value = MovingValueOf(e.targetKind, e.effect);
    const bool screen = IsWholeScreenEffect(e.effect);
    const auto key = std::make_pair(value, screen ? 0 : e.targetIndex);
    const auto it = running.find(key);
    // Events of one time are the same-time check's business.
    if (it != running.end() && e.time > it->second.start && e.time < it->second.end)
      findings.push_back(
          {c->line, std::string(EffectName(e.effect)) + " comes while the move of line " +
                        std::to_string(it->second.line) + " is under way (until " +
                        FormatNumber(it->second.end) +
                        " s): this line takes over from where that move has got to"});
    if (e.moveSeconds > 0)
      running[key] = {c->line, e.time, e.time + e.moveSeconds};
    else
      running.erase(key);
  }
  return findings;
}

void AddBeatTimes(ScriptCheck& check, const Tempo& tempo) {
  if (!tempo.Known()) return;
  std::map<int, float> times;
  for (const CheckedEvent& e : check.loaded) times[e.line] = e.event.time;
  for (ScriptFinding& f : check.findings) {
    const auto it = times.find(f.line);
    if (it == times.end() || !std::isfinite(it->second)) continue;
    f.text += " [at " + FormatNumber(it->second) + " s, " + BeatLabel(it->second, tempo) + "]";
  }
}
