#pragma once
// The comparison's figures as a reader gets them: a line for each frame outside the tolerance,
// then the summary and the five worst frames.
#include <cstdio>
#include <string>
#include <vector>

#include "FolderComparison.h"

// "38.21 dB", or "inf dB" for identical pictures.
std::string FormatPsnr(double psnr);

// One frame's figures: "NAME  PSNR 38.21 dB  99.312 % within 6 levels". Scripts read the PSNR
// as the third field.
std::string FrameLine(const FrameDifference& frame, int levels);

// The frames from the one with the lowest PSNR up (the lower share first among equal ones),
// at most `count` of them.
std::vector<FrameDifference> WorstFrames(std::vector<FrameDifference> frames, size_t count);

void PrintReport(std::FILE* out, const std::vector<FrameDifference>& frames,
                 const Tolerance& tolerance);
