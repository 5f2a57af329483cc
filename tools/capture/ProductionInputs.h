#pragma once
// The folders a production is read from: its scenes (and their sources), script and particle
// file, textures and music. A capture writes nothing there, so it can never replace what the
// production plays.
#include <string>
#include <vector>

// The input folders, by name; the player matches them without regard to case.
extern const char* const kProductionInputFolders[];

// True when `path` lies inside one of the input folders of the production in folder
// `production`, by name or, through links, by place. Neither needs to exist.
bool InsideProductionInputs(const std::string& path, const std::string& production);

// The file of `files` that writing `output` would replace, or empty: the same file by device and
// inode, or by resolved path where one of them does not exist. With `frames`, `output` is a
// folder of numbered PNG frames, and only such names in it are written.
std::string FileReplacedBy(const std::string& output, bool frames,
                           const std::vector<std::string>& files);
