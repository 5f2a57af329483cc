#include "platform/StagedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Ending(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
}

std::string Why(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

bool StagedFile::Open(const std::string& target, bool keepEnding) {
  Discard();
  error.clear();
  m_target = target;
  const std::string folder = FolderOf(target);
  m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (m_fd >= 0) return true;
  // Not every file system has unnamed files: a hidden name of this process beside the target.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    error = Why("cannot write in", folder);
    return false;
  }
  const std::string name = NameOf(target);
  const std::string stage = folder + "/." + name + "." + std::to_string(::getpid()) + ".tmp" +
                            (keepEnding ? Ending(name) : "");
  ::unlink(stage.c_str());  // only a killed run of a process with this same id left it
  m_fd = ::open(stage.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
  if (m_fd < 0) {
    error = Why("cannot write", stage);
    return false;
  }
  m_stagePath = stage;
  return true;
}

std::string StagedFile::WritePath() const {
  if (IsNamed()) return m_stagePath;
  return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(m_fd);
}

bool StagedFile::Commit() {
  if (m_fd < 0) {
    error = "nothing to put in place of " + m_target;
    return false;
  }
  std::string stage = m_stagePath;
  if (!IsNamed()) {
    // An unnamed file gets a name only now, already whole, and at once takes the target's.
    stage = FolderOf(m_target) + "/." + NameOf(m_target) + "." + std::to_string(::getpid()) +
            ".tmp";
    ::unlink(stage.c_str());
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, stage.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      error = Why("cannot write", m_target);
      Discard();
      return false;
    }
  }
  if (::rename(stage.c_str(), m_target.c_str()) != 0) {
    error = Why("cannot put in place", m_target);
    ::unlink(stage.c_str());
    m_stagePath.clear();
    Discard();
    return false;
  }
  m_stagePath.clear();
  ::close(m_fd);
  m_fd = -1;
  return true;
}

void StagedFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (IsNamed()) ::unlink(m_stagePath.c_str());
  m_stagePath.clear();
}

bool WriteWholeFile(const std::string& target, const void* data, size_t size,
                    std::string& error) {
  StagedFile file;
  if (!file.Open(target)) {
    error = file.error;
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(file.Descriptor(), bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = Why("cannot write", target);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (!file.Commit()) {
    error = file.error;
    return false;
  }
  return true;
}
