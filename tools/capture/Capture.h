#pragma once
// The offline render: the player's start-up, then Dispatch and Compose frame by frame on a clock
// that moves 1 / fps seconds per frame, each frame read back and handed on, then the player's
// shutdown.
#include "CaptureOptions.h"

// Exit statuses of the tool.
enum CaptureStatus { kCaptured = 0, kCaptureFailed = 1, kBadArguments = 2, kInterrupted = 130 };

// Renders the production of the working directory. Output paths in `options` must not depend on
// the working directory. Messages and progress go to standard error; the engine's log to
// LOGFILE-capture-PID.TXT, a file of this run's own.
CaptureStatus RunCapture(const CaptureOptions& options);
