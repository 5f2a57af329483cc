#pragma once
// A file written beside its target and put in the target's place only once it is whole. Until
// Commit the target keeps what it had; a failure, or a process killed half way, leaves the old
// file and nothing else. Where the file system offers unnamed files (O_TMPFILE) the file being
// written has no name at all, so even a killed process leaves no litter; elsewhere it is a hidden
// ".NAME.PID.tmp" beside the target, removed on every path but a kill.
#include <cstddef>
#include <string>

class StagedFile {
 public:
  StagedFile() = default;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() { Discard(); }

  // Starts a new file for `target` in the target's folder; false (with `error`) when that folder
  // cannot take one. With `keepEnding` a named stage keeps the target's ending after its own, for
  // writers that pick the format from the name.
  bool Open(const std::string& target, bool keepEnding = false);
  // The open file, for writing.
  int Descriptor() const { return m_fd; }
  // A name by which another process can open the file being written (an unnamed one through
  // /proc); it has the target's ending only for a named stage opened with keepEnding.
  std::string WritePath() const;
  bool IsNamed() const { return !m_stagePath.empty(); }
  // Flushes the file to disk and puts it in the target's place; false (with `error`) when it
  // could not, and then the target is as it was.
  bool Commit();
  // Drops the file being written; the target is untouched.
  void Discard();

  std::string error;

 private:
  std::string m_target;
  std::string m_stagePath;  // empty for an unnamed file
  int m_fd = -1;
};

// Writes `size` bytes as the whole new content of `target`, through a StagedFile.
bool WriteWholeFile(const std::string& target, const void* data, size_t size, std::string& error);
