#pragma once
// The join of a capture made in parts (--part K/N): the videos one after the other, copied
// without encoding them again.
#include <string>
#include <vector>

#include "Capture.h"

// Writes `parts`, in order, into `output` with ffmpeg's concat demuxer. The output takes its
// place only when whole. Messages go to standard error.
CaptureStatus JoinParts(const std::string& output, const std::vector<std::string>& parts);
