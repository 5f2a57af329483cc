#pragma once
// The PNG frames of two folders, paired by name and measured against each other.
#include <string>
#include <vector>

#include "PictureDifference.h"

struct FrameDifference {
  std::string name;  // the frame's file name, the same in both folders
  PictureDifference difference;
};

struct FolderComparison {
  std::vector<FrameDifference> frames;  // by name
  // What kept frames from being compared, each naming its file: a frame one folder lacks, one
  // that cannot be read, two of different sizes, a folder with no frames.
  std::vector<std::string> faults;
};

FolderComparison CompareFolders(const std::string& folderA, const std::string& folderB,
                                int levels);

// The path of a frame in a folder.
std::string FramePath(const std::string& folder, const std::string& name);
