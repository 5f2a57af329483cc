#pragma once
// Every file the engine reads or writes is opened here. Paths keep their Windows form: a backslash
// separates folders, and a component that does not exist as written is matched without regard to
// case ("ESCENAS_BIN" and "escenas_bin" are one folder). Text-mode reads fold CR LF to LF, as
// Windows text mode did, so files written on Windows read the same.
//
// Reads take regular files only: a FIFO, a device (a link to /dev/zero), a directory or a socket
// is refused with a log line naming it, and the open never waits for a writer. A file larger than
// the limit given for its kind is refused the same way before anything is read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The most each kind of input may hold, far above anything a production carries, so a damaged or
// hostile file cannot make a reader allocate without bound.
struct ReadLimit {
  static constexpr uint64_t kScript = 2ull << 20;
  static constexpr uint64_t kParticles = 64ull << 20;
  static constexpr uint64_t kTexture = 64ull << 20;
  static constexpr uint64_t kAse = 256ull << 20;
  static constexpr uint64_t kMusic = 512ull << 20;
  static constexpr uint64_t kScene = 1ull << 30;
  static constexpr uint64_t kAny = 4ull << 30;  // copies and tools' inputs of no fixed kind
};

// The longest file name and path the system opens, in bytes (the path's count with its NUL).
#ifdef _WIN32
constexpr size_t kLongestFileName = 255;
constexpr size_t kLongestPath = 260;
#else
constexpr size_t kLongestFileName = 255;
constexpr size_t kLongestPath = 4096;
#endif

FILE* OpenFile(const char* path, const char* mode, uint64_t limit = ReadLimit::kAny);

// The size of the file behind an open stream; -1 when it is not a regular file.
int64_t OpenFileSize(FILE* file);

// What a path names, looked at without opening it for reading (the open of a FIFO would wait
// for a writer). The path is taken as OpenFile takes it.
enum class FileKind { missing, danglingLink, regular, folder, other };
struct FileFacts {
  FileKind kind = FileKind::missing;
  int error = 0;          // errno's value for a missing file
  uint64_t size = 0;      // of a regular file
  bool readable = false;  // a regular file this process may open for reading
};
FileFacts ExamineFile(const char* path);

// The one absolute name of what path leads to, links and junctions followed to their end;
// empty when it leads to nothing.
std::string RealPath(const char* path);
// Whether a real path lies inside a real folder (both from RealPath), names compared as the file
// system compares them.
bool PathWithin(const std::string& path, const std::string& folder);

// The folder a production's reads are kept within. Once set (by whatever plays, checks, captures
// or converts a production, to its folder), OpenFile refuses to read a file that, links followed
// to their end, lies outside it: an absolute path, a ".." step, a link to a file elsewhere or a
// path through a linked folder that leads out. The refusal is one log line naming the file. The
// folder is kept resolved, so a production reached through a linked path is still itself.
// An empty folder lifts the bound (how the program starts).
void KeepReadsWithin(const char* folder);
// The bound in force: a resolved folder, or empty.
std::string ReadsKeptWithin();
// A file the user named on a tool's command line: read wherever it leads, as the user chose it.
void AllowReadOf(const char* path);
// Whether the file at path may not be read under the bound: it exists and, resolved, lies outside
// the folder. The one test every read of a production's files passes through.
bool LiesOutsideReads(const char* path);

// Keeps reads within folder until the end of the scope, then puts the bound before back.
class ReadsWithin {
 public:
  explicit ReadsWithin(const char* folder) : previous_(ReadsKeptWithin()) { KeepReadsWithin(folder); }
  ~ReadsWithin() { KeepReadsWithin(previous_.c_str()); }
  ReadsWithin(const ReadsWithin&) = delete;
  ReadsWithin& operator=(const ReadsWithin&) = delete;

 private:
  std::string previous_;
};

// Makes path the working directory; false with errno set when it cannot be entered.
bool EnterFolder(const char* path);

// The whole of a regular file of at most limit bytes; false (with a log line for a refused file)
// when it cannot be read whole.
bool ReadWholeFile(const char* path, uint64_t limit, std::vector<uint8_t>& bytes);

// Every file this process has opened for reading, as resolved paths: a tool about to write a
// file checks against these that it replaces nothing it reads.
std::vector<std::string> FilesRead();

// The path on this machine that OpenFile would use: separators turned, existing components
// matched by case; components that do not exist are kept as written (so they can be created).
std::string ResolvePath(const char* path);

// A file's identity on disk, to tell whether it changed or was replaced since it was read: all
// fields empty when it cannot be seen. On Windows the device is the volume's serial number and
// the inode the file index.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = -1;
  int64_t modifiedNs = 0;
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && modifiedNs == o.modifiedNs;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// The stamp of the file OpenFile would open for path.
FileStamp StampOfFile(const char* path);
// The stamp a file had when this process last opened it for reading (resolved, as FilesRead
// gives it): the version a reader took, whatever happened to the file since. All fields empty
// when it has not been read.
FileStamp StampWhenRead(const std::string& resolved);

// A file written beside its target and renamed over it only when whole: a failed write or a kill
// leaves the old file as it was, and no half-written one. Anything not committed is removed.
// The file is unnamed until Commit (O_TMPFILE), so a killed process leaves nothing; where the
// file system has no unnamed files, and always on Windows, it is named ".tmp-HOST-PID-N", and a
// later writer into the same folder on the same host removes those whose process is gone.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile() { Abandon(); }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // A binary write stream for path; null when no file can be made beside it. nameAsWritten
  // takes the file's own name as given, not matched by case (its folders still are), for a
  // folder whose files the caller alone names: on Linux the match reads the whole folder, so
  // writing N new files cost N^2 entries read.
  FILE* Open(const char* path, bool nameAsWritten = false);
  // Closes the stream and puts the file in place; false, with the old file kept and errno saying
  // why, when any write failed. The stream is gone either way.
  bool Commit();
  void Abandon();
  // A name by which another process (an encoder) can open the file being written: the unnamed
  // file through /proc, else its temporary name. Empty when nothing is open.
  std::string WritePath() const;

 private:
  FILE* stream_ = nullptr;
  std::string target_;
  std::string temporary_;  // empty while the file has no name yet (an unnamed O_TMPFILE)
};

// Writes size bytes to path through an AtomicFile (nameAsWritten as AtomicFile::Open takes it).
bool WriteWholeFile(const char* path, const void* data, size_t size, bool nameAsWritten = false);
