#pragma once
// Where the content tool finds the DejaVu TrueType files it draws its text with.
#include <string>
#include <vector>

// The folders looked in, in order, each ending in its separator.
std::vector<std::string> FontFolders();

// What to do when a face is in none of them, for the message that says so.
extern const char kFontInstall[];
