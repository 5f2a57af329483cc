// The file layer on Windows. Names are UTF-8 in the engine and UTF-16 here; either slash
// separates folders, and the file system itself matches names without regard to case.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/FilesInternal.h"

using namespace files;
#include "platform/Utf16.h"

namespace {

// Others may read, write, rename or replace a file while it is open here, as on Linux: a script
// saved by an editor is put in place while the player still reads the old one.
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
  }
}

// A handle on whatever path names, a folder included, without reading it; links and junctions
// are followed.
HANDLE OpenToLook(const std::string& path) {
  return CreateFileW(Utf16(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

int64_t SizeOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) |
                              info.nFileSizeLow);
}

FileStamp StampOfHandle(HANDLE h) {
  FileStamp stamp;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return stamp;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) |
                                    info.nFileSizeLow);
  const uint64_t ticks = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                         info.ftLastWriteTime.dwLowDateTime;
  stamp.modifiedNs = static_cast<int64_t>(ticks) * 100;  // 100 ns steps since 1601
  return stamp;
}

}  // namespace

FILE* files::OpenForReading(const char* path, const std::string& resolved, const char* mode,
                            uint64_t limit) {
  const bool update = std::strchr(mode, '+') != nullptr;
  const std::wstring wide = Utf16(resolved);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::printf("- \"%s\" is a directory, not a regular file: not read\n", path);
    errno = EISDIR;
    return nullptr;
  }
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | (update ? GENERIC_WRITE : 0), kShareAll,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(GetLastError());
    return nullptr;
  }
  // CON, NUL, COM1 and pipes open like files.
  const DWORD type = GetFileType(h);
  if (type != FILE_TYPE_DISK) {
    std::printf("- \"%s\" is %s, not a regular file: not read\n", path,
                type == FILE_TYPE_PIPE ? "a pipe" : "a device");
    CloseHandle(h);
    errno = ENODEV;
    return nullptr;
  }
  const int64_t size = SizeOfHandle(h);
  if (size < 0 || static_cast<uint64_t>(size) > limit) {
    std::printf("- \"%s\" holds %lld bytes, more than the %llu a file of its kind may hold: "
                "not read\n",
                path, static_cast<long long>(size), static_cast<unsigned long long>(limit));
    CloseHandle(h);
    errno = EFBIG;
    return nullptr;
  }
  const FileStamp stamp = StampOfHandle(h);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h),
                                 (update ? _O_RDWR : _O_RDONLY) | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  FILE* f = _fdopen(fd, update ? "r+b" : "rb");
  if (!f) _close(fd);
  else RecordRead(resolved, stamp);
  return f;
}

// The folded text is served from a temporary file that the system deletes when it is closed,
// a kill included.
FILE* files::TextStream(std::vector<uint8_t>&& data) {
  wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"zbt", 0, name)) {
    errno = ErrnoOf(GetLastError());
    return nullptr;
  }
  HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(GetLastError());
    DeleteFileW(name);
    return nullptr;
  }
  DWORD written = 0;
  const bool stored = data.empty() || (WriteFile(h, data.data(), static_cast<DWORD>(data.size()),
                                                 &written, nullptr) &&
                                       written == data.size());
  const int fd = stored && SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0
                     ? _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY)
                     : -1;
  if (fd < 0) {
    errno = stored ? EIO : ENOSPC;
    CloseHandle(h);
    return nullptr;
  }
  FILE* f = _fdopen(fd, "rb");
  if (!f) _close(fd);
  return f;
}

namespace {

// How much of p names a root, kept as written: "\\\\server\\share\\", "C:\\", "C:", "\\" or nothing.
size_t RootLength(const std::string& p) {
  if (p.compare(0, 2, "\\\\") == 0) {
    const size_t server = p.find('\\', 2);
    const size_t share = server == std::string::npos ? server : p.find('\\', server + 1);
    return share == std::string::npos ? p.size() : share + 1;
  }
  if (p.size() >= 2 && p[1] == ':') return p.size() >= 3 && p[2] == '\\' ? 3 : 2;
  return !p.empty() && p[0] == '\\' ? 1 : 0;
}

}  // namespace

// Each component that exists takes its spelling on disk, as the Linux build's case-folded match
// gives it, so that two spellings of one file resolve to one name (the texture cache and the
// record of reads compare names); from the first that does not exist on, the path is as written.
std::string ResolvePath(const char* path) {
  if (!path) return std::string();
  std::string p(path);
  for (char& c : p)
    if (c == '/') c = '\\';
  // A wildcard would let the search below answer with some other file; \\?\ names stay as given.
  if (p.find_first_of("*?") != std::string::npos) return p;
  size_t start = RootLength(p);
  std::string resolved = p.substr(0, start);
  while (start < p.size()) {
    size_t end = p.find('\\', start);
    if (end == std::string::npos) end = p.size();
    std::string name = p.substr(start, end - start);
    if (!name.empty() && name != "." && name != "..") {
      WIN32_FIND_DATAW found;
      HANDLE search = FindFirstFileW(Utf16(resolved + name).c_str(), &found);
      if (search == INVALID_HANDLE_VALUE) return resolved + p.substr(start);
      FindClose(search);
      name = Utf8(found.cFileName);
    }
    resolved += name;
    if (end < p.size()) resolved += '\\';
    start = end + 1;
  }
  return resolved;
}

// Written byte for byte, as on Linux: a file the engine writes is the same on every system,
// and its readers fold CR LF anyway.
FILE* files::OpenForWriting(const std::string& resolved, const char* mode) {
  std::wstring m;
  for (const char* c = mode; *c; ++c)
    if (*c != 't' && *c != 'b') m += static_cast<wchar_t>(*c);
  return _wfopen(Utf16(resolved).c_str(), (m + L'b').c_str());
}

int64_t OpenFileSize(FILE* file) {
  if (!file) return -1;
  const intptr_t h = _get_osfhandle(_fileno(file));
  return h == -1 ? -1 : SizeOfHandle(reinterpret_cast<HANDLE>(h));
}

FileStamp StampOfFile(const char* path) {
  HANDLE h = OpenToLook(ResolvePath(path));
  if (h == INVALID_HANDLE_VALUE) return FileStamp();
  const FileStamp stamp = StampOfHandle(h);
  CloseHandle(h);
  return stamp;
}

FileFacts ExamineFile(const char* path) {
  FileFacts facts;
  const std::string resolved = ResolvePath(path);
  HANDLE h = OpenToLook(resolved);
  if (h == INVALID_HANDLE_VALUE) {
    facts.error = ErrnoOf(GetLastError());
    // The link itself is there, what it leads to is not.
    if (facts.error == ENOENT &&
        GetFileAttributesW(Utf16(resolved).c_str()) != INVALID_FILE_ATTRIBUTES)
      facts.kind = FileKind::danglingLink;
    return facts;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info))
    facts.kind = FileKind::other;
  else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    facts.kind = FileKind::folder;
  else
    facts.kind = FileKind::regular;
  CloseHandle(h);
  if (facts.kind == FileKind::regular) {
    facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    HANDLE reader = CreateFileW(Utf16(resolved).c_str(), GENERIC_READ, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    facts.readable = reader != INVALID_HANDLE_VALUE;
    if (facts.readable) CloseHandle(reader);
  }
  return facts;
}

std::string RealPath(const char* path) {
  HANDLE h = OpenToLook(ResolvePath(path));
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::wstring name(MAX_PATH, L'\0');
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  DWORD n = GetFinalPathNameByHandleW(h, &name[0], static_cast<DWORD>(name.size()), flags);
  if (n >= name.size()) {
    name.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, &name[0], static_cast<DWORD>(name.size()), flags);
  }
  CloseHandle(h);
  if (n == 0 || n >= name.size()) return std::string();
  name.resize(n);
  // The answer comes as \\?\C:\folder or \\?\UNC\server\share\folder.
  if (name.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    name = L"\\\\" + name.substr(8);
  else if (name.compare(0, 4, L"\\\\?\\") == 0)
    name = name.substr(4);
  return Utf8(name.c_str());
}

bool PathWithin(const std::string& path, const std::string& folder) {
  const std::wstring p = Utf16(path), f = Utf16(folder);
  const size_t n = f.size();
  return n > 0 && p.size() >= n &&
         CompareStringOrdinal(p.c_str(), static_cast<int>(n), f.c_str(), static_cast<int>(n),
                              TRUE) == CSTR_EQUAL &&
         (f[n - 1] == L'\\' || (p.size() > n && p[n] == L'\\'));
}

bool EnterFolder(const char* path) { return _wchdir(Utf16(path).c_str()) == 0; }

// Windows looks a name up without reading the folder through: every name is matched.
FILE* AtomicFile::Open(const char* path, bool /*nameAsWritten*/) {
  Abandon();
  if (!path) return nullptr;
  target_ = ResolvePath(path);
  // Windows has no unnamed files: the temporary is named from the start, swept once stale.
  RemoveStaleTemporaries(Directory(target_));
  temporary_ = TemporaryName(target_);
  // Shared for writing too: an encoder is handed WritePath and writes the video there.
  HANDLE h = CreateFileW(Utf16(temporary_).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(GetLastError());
    temporary_.clear();
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) CloseHandle(h);
  stream_ = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
  if (!stream_) {
    if (fd >= 0) _close(fd);
    Abandon();
  }
  return stream_;
}

std::string AtomicFile::WritePath() const { return stream_ ? temporary_ : std::string(); }

const char files::kFolderSeparator = '\\';

std::string files::HostName() {
  wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(host, &size) ? Utf8(host) : std::string();
}

unsigned long files::CurrentProcessId() { return GetCurrentProcessId(); }

bool files::ProcessIsGone(unsigned long id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  // Refused access means a process of another user runs under that id.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return ended;
}

bool files::NameUnnamedFile(FILE*, const std::string&, std::string&) { return true; }

bool files::PutInPlace(const std::string& temporary, const std::string& target) {
  if (MoveFileExW(Utf16(temporary).c_str(), Utf16(target).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = ErrnoOf(GetLastError());
  return false;
}

void files::RemoveFile(const std::string& path) { DeleteFileW(Utf16(path).c_str()); }

#endif  // _WIN32
