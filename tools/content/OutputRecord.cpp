#include "OutputRecord.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <strings.h>
#include <system_error>
#include <vector>

#include "platform/ContentHash.h"
#include "platform/Files.h"

const char kOutputRecordFile[] = ".zorbanel-content";

namespace {

namespace fs = std::filesystem;

const char kRecordHeader[] = "zorbanel-content output 1";
// The logs of the player's and the capture's runs in the folder (LOGFILE.TXT,
// LOGFILE-capture-PID.TXT): "LOGFILE*.TXT" in any case, not in a subfolder.
bool IsRunLog(const std::string& path) {
  const char kStart[] = "LOGFILE", kEnd[] = ".TXT";
  const size_t start = sizeof kStart - 1, end = sizeof kEnd - 1;
  return path.size() >= start + end && path.find('/') == std::string::npos &&
         strncasecmp(path.c_str(), kStart, start) == 0 &&
         strcasecmp(path.c_str() + path.size() - end, kEnd) == 0;
}

struct Recorded {
  uint64_t size = 0;
  uint64_t hash = 0;
};

struct Entry {
  std::string path;  // relative to the folder, '/' separators
  bool regular = false;
};

// Every file and link in the folder, sorted by path; folders themselves hold nothing to lose.
// False when the folder cannot be walked.
bool ListFolder(const std::string& folder, std::vector<Entry>& entries) {
  std::error_code error;
  fs::path base = fs::u8path(folder).lexically_normal();
  if (!base.has_filename()) base = base.parent_path();  // "out/" is "out"
  fs::recursive_directory_iterator it(base, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::file_status status = it->symlink_status(error);
    if (error) return false;
    if (fs::is_directory(status)) continue;
    // By name: a link is the folder's entry, not what it points to.
    const std::string path = it->path().lexically_relative(base).generic_u8string();
    if (path == kOutputRecordFile || IsRunLog(path)) continue;
    entries.push_back({path, fs::is_regular_file(status)});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.path < b.path; });
  return !error;
}

bool ReadRecord(const std::string& folder, std::map<std::string, Recorded>& files) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile((folder + "/" + kOutputRecordFile).c_str(), ReadLimit::kScript, bytes))
    return false;
  std::istringstream text(std::string(bytes.begin(), bytes.end()));
  std::string line;
  if (!std::getline(text, line) || line != kRecordHeader) return false;
  while (std::getline(text, line)) {
    Recorded file;
    int pathStart = 0;
    if (std::sscanf(line.c_str(), "%" SCNu64 " %16" SCNx64 " %n", &file.size, &file.hash,
                    &pathStart) != 2 ||
        pathStart == 0 || static_cast<size_t>(pathStart) >= line.size())
      return false;
    files[line.substr(pathStart)] = file;
  }
  return true;
}

}  // namespace

OutputCheck CheckOutputFolder(const std::string& folder) {
  OutputCheck check;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(fs::u8path(folder), error))) return check;
  std::vector<Entry> entries;
  if (!ListFolder(folder, entries)) return {false, ".", "cannot be read whole"};
  if (entries.empty()) return check;
  std::map<std::string, Recorded> recorded;
  const fs::path record = fs::u8path(folder + "/" + kOutputRecordFile);
  const bool hasRecord = fs::exists(fs::symlink_status(record, error));
  if (hasRecord && !ReadRecord(folder, recorded))
    return {false, kOutputRecordFile, "is not a record this tool wrote"};
  for (const Entry& entry : entries) {
    const auto it = recorded.find(entry.path);
    if (!entry.regular)
      return {false, entry.path, "is a link or a special file, which this tool never writes"};
    if (it == recorded.end())
      return {false, entry.path, "is not part of the production this tool wrote here"};
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile((folder + "/" + entry.path).c_str(), ReadLimit::kAny, bytes))
      return {false, entry.path, "cannot be read"};
    if (bytes.size() != it->second.size || ContentHash(bytes) != it->second.hash)
      return {false, entry.path, "was changed since this tool wrote it"};
  }
  return check;
}

bool WriteOutputRecord(const std::string& folder) {
  std::vector<Entry> entries;
  std::string text = std::string(kRecordHeader) + "\n";
  bool ok = ListFolder(folder, entries);
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    std::vector<uint8_t> bytes;
    ok = entries[i].regular &&
         ReadWholeFile((folder + "/" + entries[i].path).c_str(), ReadLimit::kAny, bytes);
    char line[64];
    std::snprintf(line, sizeof line, "%zu %016" PRIx64 " ", bytes.size(), ContentHash(bytes));
    text += line + entries[i].path + "\n";
  }
  const std::string path = folder + "/" + kOutputRecordFile;
  ok = ok && WriteWholeFile(path.c_str(), text.data(), text.size());
  if (!ok) std::printf("zorbanel-content: cannot write %s\n", path.c_str());
  return ok;
}
