#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <cstdlib>

#include "platform/Console.h"
#include "platform/Utf16.h"

namespace {

UINT g_consoleCodePage = 0;

// What a standard handle the process was started with leads to: FILE_TYPE_UNKNOWN for none,
// FILE_TYPE_CHAR for a console.
DWORD StartedWith(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE ? GetFileType(h) : FILE_TYPE_UNKNOWN;
}

// Where a C runtime descriptor leads, as volume and file index; consoles have none.
bool Identity(int fd, BY_HANDLE_FILE_INFORMATION& info) {
  const intptr_t h = _get_osfhandle(fd);
  return h != -1 && GetFileInformationByHandle(reinterpret_cast<HANDLE>(h), &info);
}

// Makes descriptor target (1 or 2) and its C stream lead where fd leads. msvcrt gives a window
// program started without a console or a redirection streams bound to no descriptor (-2), and
// will not reopen them: such a stream is bound to its descriptor by hand.
bool Redirect(int fd, int target, FILE* stream) {
  std::fflush(stream);
  if (_dup2(fd, target) != 0) return false;
  if (_fileno(stream) < 0) stream->_file = target;
  return true;
}

}  // namespace

void UseStartingConsole() {
  const DWORD out = StartedWith(STD_OUTPUT_HANDLE), err = StartedWith(STD_ERROR_HANDLE);
  // Files and pipes the caller chose stay as they are.
  if (out != FILE_TYPE_UNKNOWN && out != FILE_TYPE_CHAR && err != FILE_TYPE_UNKNOWN &&
      err != FILE_TYPE_CHAR)
    return;
  // A double click: no console to join, and nothing is lost, the log has it all. A console
  // joined already is as good (Wine joins a window program to its parent's).
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
  const int console = _wopen(L"CONOUT$", _O_WRONLY);
  if (console >= 0) {
    if (out == FILE_TYPE_UNKNOWN) Redirect(console, 1, stdout);
    if (err == FILE_TYPE_UNKNOWN) Redirect(console, 2, stderr);
    _close(console);
  }
  // The messages are UTF-8; the console is given back its own code page at the end.
  g_consoleCodePage = GetConsoleOutputCP();
  if (g_consoleCodePage != 0 && SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { SetConsoleOutputCP(g_consoleCodePage); });
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool SendStandardOutputTo(FILE* file) {
  if (!Redirect(_fileno(file), 1, stdout)) return false;
  // This C library has no line buffering (_IOLBF buffers whole blocks): unbuffered instead.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  return true;
}

bool StandardOutputIsStandardError() {
  // The log is always a file: standard output that is none is the console the log failed for.
  BY_HANDLE_FILE_INFORMATION out, err;
  if (!Identity(1, out)) return true;
  if (!Identity(2, err)) return false;
  return out.dwVolumeSerialNumber == err.dwVolumeSerialNumber &&
         out.nFileIndexHigh == err.nFileIndexHigh && out.nFileIndexLow == err.nFileIndexLow;
}
#endif  // _WIN32
