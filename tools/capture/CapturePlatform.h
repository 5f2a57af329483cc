#pragma once
// What the capture does differently on the systems it runs on.

// Made ready before anything else runs: a write past a file-size limit fails and is reported
// instead of ending the run, the production is drawn where no window is seen, and Ctrl+C on the
// terminal ends the frame loop, which then lets ffmpeg finish its file.
void PrepareCaptureProcess();

// Where ffmpeg comes from, for the messages that ask for it.
extern const char kFfmpegInstall[];

// The help's closing words for this system; empty where the help says all.
extern const char kCapturePlatformUsage[];
