#pragma once
// Running ffmpeg and ffprobe, for the video encoder and the join of parts.
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

// A running ffmpeg. What it writes on standard error is kept in a file of its own in memory:
// ffmpeg says some failures to write (a trailer on a full disk) only there, with status 0.
struct FfmpegProcess {
  pid_t pid = -1;
  int errors = -1;
};

// Starts ffmpeg with `args` (ffmpeg's own name first), its standard input from `input` (or
// this process's when -1), in a process group of its own: Ctrl+C on the terminal stops the capture,
// which then lets ffmpeg finish its file instead of losing it. False with `error` when it cannot
// start.
bool StartFfmpeg(const std::vector<std::string>& args, int input, FfmpegProcess& process,
                 std::string& error);

// Waits for ffmpeg; false (with `error`) unless it ended with status 0 and wrote no error. Its
// error lines are passed on to standard error.
bool WaitFfmpeg(FfmpegProcess& process, std::string& error);

// Runs a program of ffmpeg's (ffprobe) to its end; its standard output in `output`, its standard
// error in `errors`. True when it ended with status 0 and wrote no error.
bool RunFfmpegTool(const std::vector<std::string>& args, std::string& output, std::string& errors);

// ffprobe's "flat" answer on a file: "section.key=value" lines for `entries` (as for
// -show_entries). False with `error` (ffprobe's own words) when it cannot read the file.
bool ProbeFile(const std::string& path, const std::string& entries, std::string& answer,
               std::string& error);

// The value of `key` ("format.duration") in ProbeFile's answer, without its quotes; empty when
// absent.
std::string FlatValue(const std::string& answer, const std::string& key);

// The written output checked before it takes the place of an older file: not empty and, where
// ffprobe is installed, a video ffprobe can read through to its length. False with `error`.
bool CheckVideoOutput(const AtomicFile& output, std::string& error);
