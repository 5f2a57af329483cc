#pragma once
// What Files.cpp shares with the system's own half of the file layer (FilesPosix.cpp or
// FilesWindows.cpp). Nothing outside those files includes this.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace files {

// Shared (Files.cpp).
void RecordRead(const std::string& resolved, const FileStamp& stamp);
// Reads what is left of f, refusing more than limit bytes: a file can grow after it was opened.
bool ReadRest(FILE* f, const char* path, uint64_t limit, std::vector<uint8_t>& data);
// Text mode as Windows' C library reads it: each CR LF becomes LF; a lone CR stays.
void FoldCrLf(std::vector<uint8_t>& data);
// The folder part of a resolved path; "." for a bare name.
std::string Directory(const std::string& path);
// A fresh name beside target for a file about to be put in place.
std::string TemporaryName(const std::string& target);
// This machine's temporaries in folder whose process is gone are removed, once per folder and run.
void RemoveStaleTemporaries(const std::string& folder);

// The system's half.
extern const char kFolderSeparator;
// Opens a regular file of at most limit bytes for reading in binary mode ("r+" for update);
// anything else is refused with a log line naming path.
FILE* OpenForReading(const char* path, const std::string& resolved, const char* mode,
                     uint64_t limit);
// A read stream over text already read and folded.
FILE* TextStream(std::vector<uint8_t>&& data);
// Opens resolved for writing as mode says, byte for byte whatever its "t".
FILE* OpenForWriting(const std::string& resolved, const char* mode);
std::string HostName();
unsigned long CurrentProcessId();
// True only when no process of that id runs on this machine.
bool ProcessIsGone(unsigned long id);
// Gives an unnamed file being written through stream a name beside target (its temporary);
// true at once for a file that has one.
bool NameUnnamedFile(FILE* stream, const std::string& target, std::string& temporary);
// Puts the whole temporary in the target's place, replacing it; false with errno set.
bool PutInPlace(const std::string& temporary, const std::string& target);
void RemoveFile(const std::string& path);

}  // namespace files
