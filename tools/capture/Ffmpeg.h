#pragma once
// Running ffmpeg, for the video encoder and the join of parts.
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/Files.h"

// True when the named program can be run from the search path.
bool ProgramOnPath(const char* name);

// True when the video's name ends in one of the containers below, which take H.264 and AAC.
bool IsVideoName(const std::string& name);
extern const char kVideoEndings[];  // the endings, for messages

// Opens `output` for `target` and adds the arguments that make ffmpeg write there, in the
// container the target's name asks for. False (with `error`) when no file can be made beside
// the target.
bool OpenVideoOutput(const std::string& target, AtomicFile& output, std::vector<std::string>& args,
                     std::string& error);

// Starts ffmpeg with `args` (ffmpeg's own name first), its standard input from `input` (or
// this process's when -1), in a process group of its own: Ctrl+C on the terminal stops the capture,
// which then lets ffmpeg finish its file instead of losing it. Returns the child, or -1 with
// `error`.
pid_t StartFfmpeg(const std::vector<std::string>& args, int input, std::string& error);

// Waits for ffmpeg; false (with `error`) unless it finished its file.
bool WaitFfmpeg(pid_t child, std::string& error);
