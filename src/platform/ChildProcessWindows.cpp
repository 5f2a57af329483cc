#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Utf16.h"

struct ChildProcess::Handles {
  HANDLE process = nullptr;
  HANDLE input = nullptr;
  HANDLE output = nullptr;  // the kept streams: temporary files deleted when closed
  HANDLE errors = nullptr;
};

namespace {

std::string SystemMessage(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) --n;
  return n > 0 ? std::string(text, n) : "system error " + std::to_string(code);
}

void Close(HANDLE& handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

// The folder of this program's file, with its trailing separator; empty when it cannot be told.
std::wstring ThisProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string WithExe(const std::string& name) {
  const bool hasExe = name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".exe") == 0;
  return hasExe ? name : name + ".exe";
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One argument as the C runtime of the child splits its command line back into arguments.
void AppendArgument(std::wstring& line, const std::wstring& arg) {
  if (!line.empty()) line += L' ';
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') ++i, ++backslashes;
    if (i == arg.size()) {
      line.append(backslashes * 2, L'\\');  // they stand before the closing quote
      break;
    }
    if (arg[i] == L'"') line.append(backslashes * 2 + 1, L'\\');
    else line.append(backslashes, L'\\');
    line += arg[i];
  }
  line += L'"';
}

// A temporary file that goes when its last handle closes; a child writes it through a copy of
// the handle and this process reads it back from the start.
HANDLE OpenScratchHandle() {
  wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH || GetTempFileNameW(folder, L"zb", 0, name) == 0) return nullptr;
  const HANDLE file = CreateFileW(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file != INVALID_HANDLE_VALUE) return file;
  DeleteFileW(name);
  return nullptr;
}

// A copy of `handle` that a child inherits; null for null.
HANDLE Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle && handle != INVALID_HANDLE_VALUE)
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
  return copy;
}

std::string ReadBack(HANDLE file) {
  std::string text;
  if (!file || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    return text;
  char chunk[4096];
  DWORD n = 0;
  while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
  std::string folded;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) folded += text[i];
  return folded;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  // A path is taken as it is, or with ".exe" as the system would add it.
  if (name.find_first_of("/\\:") != std::string::npos)
    return IsFile(Utf16(name)) || !IsFile(Utf16(WithExe(name))) ? name : WithExe(name);
  if (name.empty()) return std::string();
  std::vector<std::wstring> folders = {ThisProgramFolder()};
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(size, L'\0');
  if (size > 0) path.resize(GetEnvironmentVariableW(L"PATH", &path[0], size));
  for (size_t start = 0; start < path.size();) {
    size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    if (!folder.empty()) folders.push_back(folder + L"\\");
    start = end + 1;
  }
  const std::wstring file = Utf16(WithExe(name));
  for (const std::wstring& folder : folders)
    if (!folder.empty() && IsFile(folder + file)) return Utf8((folder + file).c_str());
  return std::string();
}

std::string ProgramBeside(const std::string& name) {
  const std::wstring folder = ThisProgramFolder();
  return folder.empty() ? name : Utf8(folder.c_str()) + WithExe(name);
}

std::FILE* OpenScratchFile() {
  const HANDLE file = OpenScratchHandle();
  if (!file) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "w+b");
  if (!stream) _close(fd);
  return stream;
}

ChildProcess::ChildProcess() : handles_(new Handles) {}

ChildProcess::~ChildProcess() {
  CloseInput();
  if (handles_->process) {
    TerminateProcess(handles_->process, 1);
    WaitForSingleObject(handles_->process, INFINITE);
    Close(handles_->process);
  }
  Close(handles_->output);
  Close(handles_->errors);
}

bool ChildProcess::Start(const std::vector<std::string>& args, const ChildOptions& options,
                         std::string& error) {
  Handles& h = *handles_;
  const std::string program = args.empty() ? std::string() : FindProgram(args[0]);
  if (program.empty()) {
    error = (args.empty() ? std::string("?") : args[0]) + ": " +
            SystemMessage(ERROR_FILE_NOT_FOUND);
    return false;
  }
  std::wstring line;
  for (const std::string& arg : args) AppendArgument(line, Utf16(arg));
  // This process keeps its own ends uninherited, so the child holds no end of its input pipe.
  HANDLE childInput = nullptr;
  if (options.keepOutput) h.output = OpenScratchHandle();
  if (options.keepErrors) h.errors = OpenScratchHandle();
  const bool ready = (!options.keepOutput || h.output) && (!options.keepErrors || h.errors) &&
                     (!options.pipeInput || CreatePipe(&childInput, &h.input, nullptr, 0));
  if (!ready) {
    error = "cannot connect " + args[0] + ": " + SystemMessage(GetLastError());
    Close(h.output);
    Close(h.errors);
    return false;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(childInput ? childInput : GetStdHandle(STD_INPUT_HANDLE));
  startup.hStdOutput = Inheritable(h.output ? h.output : GetStdHandle(STD_OUTPUT_HANDLE));
  startup.hStdError = Inheritable(h.errors ? h.errors : GetStdHandle(STD_ERROR_HANDLE));
  PROCESS_INFORMATION info = {};
  const DWORD flags = options.ownGroup ? CREATE_NEW_PROCESS_GROUP : 0;
  const bool started = CreateProcessW(Utf16(program).c_str(), &line[0], nullptr, nullptr, TRUE,
                                      flags, nullptr, nullptr, &startup, &info);
  const DWORD why = GetLastError();
  Close(childInput);
  Close(startup.hStdInput);
  Close(startup.hStdOutput);
  Close(startup.hStdError);
  if (!started) {
    error = program + ": " + SystemMessage(why);
    CloseInput();
    Close(h.output);
    Close(h.errors);
    return false;
  }
  CloseHandle(info.hThread);
  h.process = info.hProcess;
  return true;
}

bool ChildProcess::Running() const { return handles_->process != nullptr; }

bool ChildProcess::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD n = 0;
    if (!handles_->input || !WriteFile(handles_->input, bytes + done, chunk, &n, nullptr) || n == 0)
      return false;
    done += n;
  }
  return true;
}

void ChildProcess::CloseInput() { Close(handles_->input); }

bool ChildProcess::Wait(int& status) {
  Handles& h = *handles_;
  CloseInput();
  status = -1;
  if (!h.process) return false;
  DWORD code = 0;
  if (WaitForSingleObject(h.process, INFINITE) == WAIT_OBJECT_0 &&
      GetExitCodeProcess(h.process, &code))
    status = static_cast<int>(code);
  Close(h.process);
  output_ = ReadBack(h.output);
  errors_ = ReadBack(h.errors);
  Close(h.output);
  Close(h.errors);
  return status == 0;
}
#endif
