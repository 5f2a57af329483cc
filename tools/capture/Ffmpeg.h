#pragma once
// Running ffmpeg, for the video encoder and the join of parts.
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/StagedFile.h"

// True when the named program can be run from the search path.
bool ProgramOnPath(const char* name);

// Opens a stage for `target` and gives the arguments that make ffmpeg write it there, in the
// container the target's name asks for. False (with `error`) when the target's folder cannot
// take it.
bool StageVideo(const std::string& target, StagedFile& stage, std::vector<std::string>& args,
                std::string& error);

// Starts ffmpeg with `args` (ffmpeg's own name first), its standard input from `input` (or
// this process's when -1), in a process group of its own: Ctrl+C on the terminal stops the capture,
// which then lets ffmpeg finish its file instead of losing it. Returns the child, or -1 with
// `error`.
pid_t StartFfmpeg(const std::vector<std::string>& args, int input, std::string& error);

// Waits for ffmpeg; false (with `error`) unless it finished its file.
bool WaitFfmpeg(pid_t child, std::string& error);
