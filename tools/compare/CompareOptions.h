#pragma once
// The comparison tool's command line.
#include <string>
#include <vector>

#include "PictureDifference.h"

struct CompareOptions {
  std::string folderA;
  std::string folderB;
  Tolerance tolerance;
  std::string sideBySideFrame;  // not empty: that frame and the difference go to sideBySideOutput
  std::string sideBySideOutput;
};

enum class CompareRequest { Run, Help, Version, Bad };

// Reads the arguments after the program name. On Bad, `error` says which argument is wrong.
CompareRequest ParseCompareOptions(const std::vector<std::string>& arguments,
                                   CompareOptions& options, std::string& error);

extern const char kCompareUsage[];
