#pragma once
// Where the program's own output goes. On Windows the player is a window program, which starts
// with no console: it joins the console it was started from, where there is one, so that what
// it prints reaches the person who typed the command.
#include <cstdio>
#include <string>
#include <vector>

// Before anything is printed. Streams the caller sent to a file or a pipe stay there.
void UseStartingConsole();
// The command line in UTF-8, the engine's encoding (Windows hands main the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);
// From here on standard output writes to file (the log), line by line so that the log tells how
// far a run got even when it is cut short; false when it cannot.
bool SendStandardOutputTo(FILE* file);
// True when standard output and standard error are one file: the log could not be opened.
bool StandardOutputIsStandardError();
