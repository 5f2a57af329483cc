#pragma once
// Running ffmpeg and ffprobe, for the video encoder and the join of parts.
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Files.h"

// True when the named program can be run (FindProgram finds it).
bool HasProgram(const char* name);

// True when the video's name ends in one of the containers below, which take H.264 and AAC.
bool IsVideoName(const std::string& name);
extern const char kVideoEndings[];  // the endings, for messages

// Opens `output` for `target` and adds the arguments that make ffmpeg write there, in the
// container the target's name asks for. False (with `error`) when no file can be made beside
// the target.
bool OpenVideoOutput(const std::string& target, AtomicFile& output, std::vector<std::string>& args,
                     std::string& error);

// Starts ffmpeg with `args` (ffmpeg's own name first), its standard input a pipe that
// process.Write feeds, in a process group of its own: Ctrl+C on the terminal stops the capture,
// which then lets ffmpeg finish its file instead of losing it. What ffmpeg writes on standard
// error is kept: it says some failures to write (a trailer on a full disk) only there, with
// status 0. False with `error` when it cannot start.
bool StartFfmpeg(const std::vector<std::string>& args, ChildProcess& process,
                 std::string& error);

// Waits for ffmpeg; false (with `error`) unless it ended with status 0 and wrote no error. Its
// error lines are passed on to standard error.
bool WaitFfmpeg(ChildProcess& process, std::string& error);

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
