#include "FolderComparison.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "PngPicture.h"

namespace fs = std::filesystem;

namespace {

bool IsPng(const fs::path& path) {
  std::string extension = path.extension().u8string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".png";
}

// The PNG files of a folder, by name; false with a fault when it cannot be listed or holds none.
bool ListFrames(const std::string& folder, std::set<std::string>& names,
                std::vector<std::string>& faults) {
  std::error_code ec;
  for (fs::directory_iterator it(fs::u8path(folder), ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && IsPng(it->path()))
      names.insert(it->path().filename().u8string());
  if (ec) {
    faults.push_back(folder + ": cannot be read: " + ec.message());
    return false;
  }
  if (names.empty()) {
    faults.push_back(folder + ": no PNG frames there");
    return false;
  }
  return true;
}

bool ReadFrame(const std::string& path, RgbPicture& picture, std::vector<std::string>& faults) {
  std::string why;
  if (ReadPngFile(path, picture, why)) return true;
  faults.push_back(path + ": " + why);
  return false;
}

}  // namespace

std::string FramePath(const std::string& folder, const std::string& name) {
  return (fs::u8path(folder) / fs::u8path(name)).u8string();
}

FolderComparison CompareFolders(const std::string& folderA, const std::string& folderB,
                                int levels) {
  FolderComparison comparison;
  std::set<std::string> namesA, namesB;
  const bool listedA = ListFrames(folderA, namesA, comparison.faults);
  if (!ListFrames(folderB, namesB, comparison.faults) || !listedA) return comparison;
  for (const std::string& name : namesB)
    if (!namesA.count(name))
      comparison.faults.push_back(FramePath(folderA, name) + ": missing (" + folderB + " has it)");
  for (const std::string& name : namesA) {
    const std::string pathA = FramePath(folderA, name), pathB = FramePath(folderB, name);
    if (!namesB.count(name)) {
      comparison.faults.push_back(pathB + ": missing (" + folderA + " has it)");
      continue;
    }
    RgbPicture a, b;
    const bool readA = ReadFrame(pathA, a, comparison.faults);
    if (!ReadFrame(pathB, b, comparison.faults) || !readA) continue;
    if (a.width != b.width || a.height != b.height) {
      comparison.faults.push_back(pathB + ": " + std::to_string(b.width) + "x" +
                                  std::to_string(b.height) + ", but " + pathA + " is " +
                                  std::to_string(a.width) + "x" + std::to_string(a.height));
      continue;
    }
    comparison.frames.push_back(
        {name, MeasureDifference(a.rgb.data(), b.rgb.data(),
                                 static_cast<size_t>(a.width) * a.height, levels)});
  }
  return comparison;
}
