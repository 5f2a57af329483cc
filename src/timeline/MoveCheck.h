#pragma once
// The checker's view of moves and beat times, beside the line-by-line checks.
#include <vector>

#include "timeline/Beats.h"
#include "timeline/ScriptCheck.h"

// An event on a value whose earlier move is still under way at its time: the later event takes
// over from where the move has got to, which the author may not mean. In the player's order:
// by time, then by line.
std::vector<ScriptFinding> CheckMoveOverlaps(const std::vector<CheckedEvent>& events);

// With a tempo, each finding on an event's line also says where that is in beats.
void AddBeatTimes(ScriptCheck& check, const Tempo& tempo);
