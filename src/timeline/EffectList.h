#pragma once
// Every effect a script can name, for the author: what it does, on which targets, its
// parameters with their ranges, and whether it can move.
#include <string>

// One paragraph an effect, in the order the reference page gives them.
std::string EffectListText();
