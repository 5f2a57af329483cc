#pragma once
// Live reload of what a demo maker edits while the production plays.
#include <string>

// Reads the script again and brings the production to the music's current time under it, with
// the start-up's warnings about it. A script that the player would refuse at start-up (unreadable,
// not plain text, no events) is not taken: the old one plays on, and `why` says what was wrong.
// Everything a reload reads should be added here.
bool ReloadProduction(std::string& why);
