// The half of the file layer that is the same on every system: the open's modes, the record of
// reads, whole-file reads and writes, and the names and sweeping of AtomicFile's temporaries.
#include "platform/Files.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "platform/FilesInternal.h"

using namespace files;

namespace {

// Every file opened for reading, by its resolved path, with its stamp at the last open.
std::mutex g_readLock;
std::map<std::string, FileStamp> g_filesRead;

// The start of every temporary's name: the host, so that a folder shared between machines
// (parts of one capture rendered on several) is never swept of another machine's files.
const std::string& TemporaryPrefix() {
  static const std::string prefix = [] {
    const std::string host = HostName();
    std::string start = ".tmp-";
    for (size_t i = 0; i < host.size() && start.size() < 5 + 24; ++i)
      start += std::isalnum(static_cast<unsigned char>(host[i])) ? host[i] : '_';
    return start + "-";
  }();
  return prefix;
}

// The resolved folder reads are kept within (empty: none), and the files allowed outside it.
std::mutex g_boundLock;
std::string g_readBound;
std::set<std::string> g_allowedOutside;

}  // namespace

void KeepReadsWithin(const char* folder) {
  const std::string real = folder && *folder ? RealPath(folder) : std::string();
  std::lock_guard<std::mutex> hold(g_boundLock);
  g_readBound = real;
}

std::string ReadsKeptWithin() {
  std::lock_guard<std::mutex> hold(g_boundLock);
  return g_readBound;
}

void AllowReadOf(const char* path) {
  const std::string real = path ? RealPath(path) : std::string();
  std::lock_guard<std::mutex> hold(g_boundLock);
  if (!real.empty()) g_allowedOutside.insert(real);
}

bool LiesOutsideReads(const char* path) {
  const std::string bound = ReadsKeptWithin();
  if (bound.empty() || !path) return false;
  const std::string real = RealPath(path);
  if (real.empty() || real == bound || PathWithin(real, bound)) return false;
  std::lock_guard<std::mutex> hold(g_boundLock);
  return g_allowedOutside.count(real) == 0;
}

// Text-mode reads are the same on every system: the whole file within its limit, CR LF folded.
// Windows' own text mode would end a text at a Ctrl-Z and let a growing file past its limit.
FILE* OpenFile(const char* path, const char* mode, uint64_t limit) {
  if (!path || !mode) return nullptr;
  const std::string resolved = ResolvePath(path);
  if (mode[0] != 'r') return OpenForWriting(resolved, mode);
  if (LiesOutsideReads(path)) {
    std::printf("- \"%s\" leads out of the production folder (to %s): not read\n", path,
                RealPath(path).c_str());
    errno = EACCES;
    return nullptr;
  }
  const bool text = !std::strchr(mode, 'b') && !std::strchr(mode, '+');
  FILE* f = OpenForReading(path, resolved, text ? "rb" : mode, limit);
  if (!text || !f) return f;
  std::vector<uint8_t> data;
  const bool whole = ReadRest(f, path, limit, data);
  std::fclose(f);
  if (!whole) return nullptr;
  FoldCrLf(data);
  return TextStream(std::move(data));
}

void files::RecordRead(const std::string& resolved, const FileStamp& stamp) {
  std::lock_guard<std::mutex> hold(g_readLock);
  g_filesRead[resolved] = stamp;
}

std::vector<std::string> FilesRead() {
  std::lock_guard<std::mutex> hold(g_readLock);
  std::vector<std::string> paths;
  for (const auto& file : g_filesRead) paths.push_back(file.first);
  return paths;
}

FileStamp StampWhenRead(const std::string& resolved) {
  std::lock_guard<std::mutex> hold(g_readLock);
  const auto file = g_filesRead.find(resolved);
  return file == g_filesRead.end() ? FileStamp() : file->second;
}

bool files::ReadRest(FILE* f, const char* path, uint64_t limit, std::vector<uint8_t>& data) {
  const int64_t size = OpenFileSize(f);
  if (size >= 0 && static_cast<uint64_t>(size) <= limit) data.reserve(static_cast<size_t>(size));
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (n > limit - data.size()) {
      std::printf("- \"%s\" grew past the %llu bytes a file of its kind may hold: not read\n", path,
                  static_cast<unsigned long long>(limit));
      errno = EFBIG;
      return false;
    }
    data.insert(data.end(), chunk, chunk + n);
  }
  return !std::ferror(f);
}

void files::FoldCrLf(std::vector<uint8_t>& data) {
  size_t out = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
    data[out++] = data[i];
  }
  data.resize(out);
}

bool ReadWholeFile(const char* path, uint64_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  FILE* f = OpenFile(path, "rb", limit);
  if (!f) return false;
  const bool whole = ReadRest(f, path, limit, bytes);
  std::fclose(f);
  if (!whole) bytes.clear();
  return whole;
}

std::string files::Directory(const std::string& path) {
  const bool drives = kFolderSeparator == '\\';
  const size_t slash = path.find_last_of(drives ? "/\\" : "/");
  // "C:name" lies in the current folder of drive C, which "C:" names.
  const bool lettered = drives && path.size() > 1 && path[1] == ':';  // "C:..."
  if (slash == std::string::npos) return lettered ? path.substr(0, 2) : ".";
  // The root stays a root: "/" and, on Windows, "C:\".
  const bool root = slash == 0 || (lettered && slash == 2);
  return path.substr(0, root ? slash + 1 : slash);
}

// The prefix, this process's id and a count. The name does not grow with the target's, so a
// target whose name is near the system's limit can still be written.
std::string files::TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  std::string folder = Directory(target);
  const char last = folder.back();
  if (last != '/' && last != kFolderSeparator && !(kFolderSeparator == '\\' && last == ':'))
    folder += kFolderSeparator;
  return folder + TemporaryPrefix() + std::to_string(CurrentProcessId()) + "-" +
         std::to_string(counter++);
}

// A named temporary is all a killed writer leaves behind.
void files::RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex lock;
  static std::set<std::string> swept;
  const std::string& prefix = TemporaryPrefix();
  {
    std::lock_guard<std::mutex> hold(lock);
    if (!swept.insert(folder).second) return;
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(fs::u8path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().u8string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const char* id = name.c_str() + prefix.size();
    char* stop = nullptr;
    const unsigned long pid = std::strtoul(id, &stop, 10);
    if (stop == id || *stop != '-' || pid == 0 || pid == CurrentProcessId() ||
        !ProcessIsGone(pid))
      continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

bool AtomicFile::Commit() {
  if (!stream_) return false;
  // No fsync: the guard is against failed writes and killed processes, not power loss, and the
  // capture writes thousands of frames through here.
  // The first failure's errno is the one the caller reports (EFBIG, ENOSPC), not a later one's.
  int error = 0;
  const auto step = [&error](bool done) {
    if (!done && error == 0) error = errno ? errno : EIO;
    return done;
  };
  bool ok = step(std::fflush(stream_) == 0 && !std::ferror(stream_));
  ok = ok && step(NameUnnamedFile(stream_, target_, temporary_));
  ok = step(std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  ok = ok && step(PutInPlace(temporary_, target_));
  if (ok) temporary_.clear();
  Abandon();
  errno = error;
  return ok;
}

void AtomicFile::Abandon() {
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) RemoveFile(temporary_);
  temporary_.clear();
}

bool WriteWholeFile(const char* path, const void* data, size_t size, bool nameAsWritten) {
  AtomicFile file;
  FILE* f = file.Open(path, nameAsWritten);
  if (!f) return false;
  if (size > 0 && std::fwrite(data, 1, size, f) != size) return false;
  return file.Commit();
}
