#ifdef _WIN32
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <cstdlib>

#include "platform/Console.h"
#include "platform/Utf16.h"

namespace {

UINT g_consoleCodePage = 0;

// A standard handle the process was started with: a console, a file or a pipe.
bool Inherited(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// Where a C runtime descriptor leads, as volume and file index; consoles have none.
bool Identity(int fd, BY_HANDLE_FILE_INFORMATION& info) {
  const intptr_t h = _get_osfhandle(fd);
  return h != -1 && GetFileInformationByHandle(reinterpret_cast<HANDLE>(h), &info);
}

}  // namespace

void UseStartingConsole() {
  const bool out = Inherited(STD_OUTPUT_HANDLE), err = Inherited(STD_ERROR_HANDLE);
  if (out && err) return;
  // A double click: no console to join, and nothing is lost, the log has it all.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out) std::freopen("CONOUT$", "w", stdout);
  if (!err) std::freopen("CONOUT$", "w", stderr);
  // The messages are UTF-8; the console is given back its own code page at the end.
  g_consoleCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
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
  std::fflush(stdout);
  if (_dup2(_fileno(file), 1) != 0) return false;
  // A window program started with no console and no redirection (a double click) gets a stdout
  // bound to no descriptor (-2), which msvcrt will not reopen: it is bound to the log by hand.
  if (_fileno(stdout) < 0) stdout->_file = 1;
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
