// The file layer on Linux and other POSIX systems.
#ifndef _WIN32
#define _GNU_SOURCE 1
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/FilesInternal.h"

using namespace files;

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals name without regard to case, or name itself.
std::string MatchComponent(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return name;
  std::string found = name;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// A text-mode read stream over the whole file with CR LF folded to LF.
struct TextBuffer {
  std::vector<uint8_t> data;
  size_t pos = 0;
};

ssize_t TextRead(void* cookie, char* buf, size_t size) {
  auto* t = static_cast<TextBuffer*>(cookie);
  size_t n = t->data.size() - t->pos;
  if (n > size) n = size;
  // An empty file has no buffer at all; memcpy from a null pointer is undefined even for 0 bytes.
  if (n > 0) std::memcpy(buf, t->data.data() + t->pos, n);
  t->pos += n;
  return static_cast<ssize_t>(n);
}

int TextSeek(void* cookie, off64_t* offset, int whence) {
  auto* t = static_cast<TextBuffer*>(cookie);
  off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off64_t>(t->pos)
                                                             : static_cast<off64_t>(t->data.size());
  off64_t target = base + *offset;
  if (target < 0 || target > static_cast<off64_t>(t->data.size())) return -1;
  t->pos = static_cast<size_t>(target);
  *offset = target;
  return 0;
}

int TextClose(void* cookie) {
  delete static_cast<TextBuffer*>(cookie);
  return 0;
}

// What a path that is not a regular file names, for the refusal line; errno is set to match.
const char* SpecialKind(mode_t mode) {
  errno = S_ISDIR(mode) ? EISDIR : ENODEV;
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

}  // namespace

// O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is cleared again once the
// file is known to be regular.
FILE* files::OpenForReading(const char* path, const std::string& resolved, const char* mode,
                            uint64_t limit) {
  const int fd = ::open(resolved.c_str(),
                        (std::strchr(mode, '+') ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    const char* kind = SpecialKind(st.st_mode);
    const int error = errno;
    std::printf("- \"%s\" is %s, not a regular file: not read\n", path, kind);
    ::close(fd);
    errno = error;
    return nullptr;
  }
  if (static_cast<uint64_t>(st.st_size) > limit) {
    std::printf("- \"%s\" holds %lld bytes, more than the %llu a file of its kind may hold: "
                "not read\n",
                path, static_cast<long long>(st.st_size), static_cast<unsigned long long>(limit));
    ::close(fd);
    errno = EFBIG;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE* f = ::fdopen(fd, std::strchr(mode, '+') ? "r+b" : "rb");
  if (!f) ::close(fd);
  else RecordRead(resolved, StampOf(st));
  return f;
}

FileStamp StampOfFile(const char* path) {
  struct stat info;
  if (::stat(ResolvePath(path).c_str(), &info) != 0) return FileStamp();
  return StampOf(info);
}

std::string ResolvePath(const char* path) {
  if (!path) return std::string();
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.empty() || Exists(p)) return p;

  std::string result;
  size_t start = 0;
  if (p[0] == '/') {
    result = "/";
    start = 1;
  }
  while (start <= p.size()) {
    size_t slash = p.find('/', start);
    if (slash == std::string::npos) slash = p.size();
    std::string name = p.substr(start, slash - start);
    if (!name.empty()) {
      std::string dir = result;
      std::string candidate = dir + name;
      if (!Exists(candidate)) name = MatchComponent(dir, name);
      result = dir + name;
      if (slash < p.size()) result += '/';
    }
    start = slash + 1;
  }
  return result;
}

FILE* files::TextStream(std::vector<uint8_t>&& data) {
  auto* t = new TextBuffer;
  t->data = std::move(data);
  cookie_io_functions_t io{TextRead, nullptr, TextSeek, TextClose};
  FILE* f = ::fopencookie(t, "r", io);
  if (!f) delete t;
  return f;
}

// "t" is a Windows letter that the C library here does not know.
FILE* files::OpenForWriting(const std::string& resolved, const char* mode) {
  std::string m;
  for (const char* c = mode; *c; ++c)
    if (*c != 't') m += *c;
  return std::fopen(resolved.c_str(), m.c_str());
}

namespace {

// The folders matched as ResolvePath matches them, the last name kept as written.
std::string ResolveFolderOf(const char* path) {
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  const size_t slash = p.rfind('/');
  if (slash == std::string::npos) return p;
  return ResolvePath(p.substr(0, slash + 1).c_str()) + p.substr(slash + 1);
}

}  // namespace

FILE* AtomicFile::Open(const char* path, bool nameAsWritten) {
  Abandon();
  if (!path) return nullptr;
  target_ = nameAsWritten ? ResolveFolderOf(path) : ResolvePath(path);
  // An unnamed file leaves nothing behind if the process is killed before Commit; where the file
  // system has none, a named one beside the target does the same job, and is swept once stale.
  RemoveStaleTemporaries(Directory(target_));
  int fd = ::open(Directory(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    temporary_ = TemporaryName(target_);
    fd = ::open(temporary_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
      temporary_.clear();
      return nullptr;
    }
  }
  // A replaced file keeps its permissions, as it did when it was rewritten in place.
  struct stat st;
  if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    ::close(fd);
    Abandon();
  }
  return stream_;
}

std::string AtomicFile::WritePath() const {
  if (!stream_) return std::string();
  if (!temporary_.empty()) return temporary_;
  return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(::fileno(stream_));
}

int64_t OpenFileSize(FILE* file) {
  struct stat st;
  if (!file || ::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

FileFacts ExamineFile(const char* path) {
  FileFacts facts;
  const std::string resolved = ResolvePath(path);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) {
    facts.error = errno;
    if (facts.error == ENOENT && ::lstat(resolved.c_str(), &st) == 0)
      facts.kind = FileKind::danglingLink;
    return facts;
  }
  facts.kind = S_ISREG(st.st_mode)   ? FileKind::regular
               : S_ISDIR(st.st_mode) ? FileKind::folder
                                     : FileKind::other;
  if (facts.kind == FileKind::regular) {
    facts.size = static_cast<uint64_t>(st.st_size);
    facts.readable = ::access(resolved.c_str(), R_OK) == 0;
  }
  return facts;
}

std::string RealPath(const char* path) {
  char real[PATH_MAX];
  return ::realpath(ResolvePath(path).c_str(), real) ? std::string(real) : std::string();
}

bool PathWithin(const std::string& path, const std::string& folder) {
  const size_t n = folder.size();
  return n > 0 && path.compare(0, n, folder) == 0 &&
         (folder[n - 1] == '/' || (path.size() > n && path[n] == '/'));
}

bool EnterFolder(const char* path) { return ::chdir(path) == 0; }

const char files::kFolderSeparator = '/';

std::string files::HostName() {
  char host[65] = {};
  ::gethostname(host, sizeof host - 1);
  return host;
}

unsigned long files::CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool files::ProcessIsGone(unsigned long id) {
  return ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

bool files::NameUnnamedFile(FILE* stream, const std::string& target, std::string& temporary) {
  if (!temporary.empty()) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(::fileno(stream));
  const std::string name = TemporaryName(target);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
    return false;
  temporary = name;
  return true;
}

bool files::PutInPlace(const std::string& temporary, const std::string& target) {
  return std::rename(temporary.c_str(), target.c_str()) == 0;
}

void files::RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

#endif  // !_WIN32
