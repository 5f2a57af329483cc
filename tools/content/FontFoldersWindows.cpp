#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "FontFolders.h"
#include "platform/ChildProcess.h"
#include "platform/Utf16.h"

// The fonts folder beside the program first, where a release carries them; then the system's
// fonts and the user's own, where an installed DejaVu lands.
std::vector<std::string> FontFolders() {
  std::vector<std::string> folders;
  const std::filesystem::path self = std::filesystem::u8path(ProgramBeside("zorbanel-content"));
  if (self.has_parent_path()) folders.push_back(self.parent_path().u8string() + "\\fonts\\");
  wchar_t windows[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders.push_back(Utf8(windows) + "\\Fonts\\");
  if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"))
    folders.push_back(Utf8(local) + "\\Microsoft\\Windows\\Fonts\\");
  return folders;
}

const char kFontInstall[] =
    "copy the DejaVu fonts (DejaVuSans*.ttf, DejaVuSansMono*.ttf) into the fonts folder beside "
    "zorbanel-content.exe";
#endif
