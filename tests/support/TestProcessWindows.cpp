#ifdef _WIN32
#include <windows.h>
#include <process.h>

#include <stdlib.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>

#include "support/TestProcess.h"

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) {
                                          return std::towupper(x) < std::towupper(y);
                                        });
  }
};

// This process's environment with the setup's changes, as CreateProcess takes it: sorted
// NAME=value strings, each ended by a zero, and one more zero at the end.
std::wstring Environment(const ProcessSetup& setup) {
  std::map<std::wstring, std::wstring, NoCase> variables;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; entry && *entry; entry += wcslen(entry) + 1) {
    const std::wstring text = entry;
    const size_t equals = text.find(L'=', 1);  // "=C:=C:\..." entries start with '='
    if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  if (block) FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : setup.set) variables[Wide(name)] = Wide(value);
  for (const std::string& name : setup.unset) variables.erase(Wide(name));
  std::wstring result;
  for (const auto& [name, value] : variables) result += name + L"=" + value + L'\0';
  return result + L'\0';
}

HANDLE OpenForChild(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(write ? Wide(path).c_str() : L"NUL", write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Every child goes into one job that ends when the test process does, with all its members.
HANDLE ChildrenJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (created) SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                         sizeof limits);
    return created;
  }();
  return job;
}

DWORD OwnerOf(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM processId) {
  if (OwnerOf(window) == static_cast<DWORD>(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// A message box (a dialog, class #32770) answered as a user pressing Enter: its default button,
// the answer a run without a display takes.
BOOL CALLBACK AnswerBoxOf(HWND window, LPARAM processId) {
  wchar_t name[16] = {};
  if (OwnerOf(window) == static_cast<DWORD>(processId) && GetClassNameW(window, name, 16) &&
      wcscmp(name, L"#32770") == 0)
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

}  // namespace

TestProcess::~TestProcess() {
  if (Started() && !ended_) Kill();
  if (process_) CloseHandle(process_);
}

bool TestProcess::Start(const std::vector<std::string>& command, const ProcessSetup& setup) {
  if (command.empty()) return false;
  std::wstring line;
  for (const std::string& word : command) line += (line.empty() ? L"" : L" ") + Quoted(Wide(word));
  HANDLE input = OpenForChild("", false);
  HANDLE output = setup.outputFile.empty() ? GetStdHandle(STD_OUTPUT_HANDLE)
                                           : OpenForChild(setup.outputFile, true);
  HANDLE errors = setup.errorsFile.empty()                ? GetStdHandle(STD_ERROR_HANDLE)
                  : setup.errorsFile == setup.outputFile ? output
                                                         : OpenForChild(setup.errorsFile, true);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  std::wstring environment = Environment(setup);
  const std::wstring folder = Wide(setup.folder);
  PROCESS_INFORMATION info{};
  const bool started =
      CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED,
                     &environment[0], folder.empty() ? nullptr : folder.c_str(), &startup,
                     &info) != 0;
  for (HANDLE mine : {input, setup.outputFile.empty() ? nullptr : output,
                      setup.errorsFile.empty() || errors == output ? nullptr : errors})
    if (mine && mine != INVALID_HANDLE_VALUE) CloseHandle(mine);
  if (!started) return false;
  AssignProcessToJobObject(ChildrenJob(), info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  ended_ = false;
  return true;
}

bool TestProcess::Started() const { return process_ != nullptr; }

bool TestProcess::Ended(int& status) {
  if (!ended_ && Started() && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    ended_ = true;
    status_ = static_cast<int>(code);
  }
  status = status_;
  return ended_;
}

// A box on the screen waits for ever for a click that no test gives.
void TestProcess::Pause() {
  EnumWindows(AnswerBoxOf, static_cast<LPARAM>(id_));
  WaitForSingleObject(process_, 50);
}

void TestProcess::AskToEnd() {
  if (!Started() || ended_) return;
  EnumWindows(CloseWindowOf, static_cast<LPARAM>(id_));
  GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, id_);
}

void TestProcess::Kill() {
  if (!Started() || ended_) return;
  TerminateProcess(process_, kKilledStatus);
  WaitForSingleObject(process_, INFINITE);
  ended_ = true;
  status_ = kKilledStatus;
}

// Windows has no offscreen video driver: the program gets the display of the run, if any.
ProcessSetup HeadlessSetup(const std::string& folder) {
  ProcessSetup setup;
  setup.folder = folder;
  setup.set = {{"SDL_AUDIODRIVER", "dummy"}};
  return setup;
}

// _putenv_s, not SetEnvironmentVariable: getenv reads the C runtime's copy.
void SetVariable(const char* name, const char* value) { _putenv_s(name, value ? value : ""); }

void PreferOffscreenVideo() {}

int CurrentProcessId() { return _getpid(); }
#endif
