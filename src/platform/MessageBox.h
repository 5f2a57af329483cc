#pragma once
// The one modal message box of the program, with the Win32 arguments and answers.
// Every box is also written to standard error, so a run without a display still tells its story.
// A box asked for by any thread but the main one is only written there, with the default answer.
#include <functional>

typedef void* HWND;

enum : unsigned {
  MB_OK = 0x00,
  MB_YESNO = 0x04,
  MB_ICONSTOP = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};

enum : int { IDOK = 1, IDYES = 6, IDNO = 7 };

int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);

// Tests install a handler that records boxes and chooses answers; an empty handler restores
// the normal behaviour (an SDL box on a real display, else the default answer).
using MessageBoxHandler = std::function<int(const char* text, const char* caption, unsigned type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
// The answer of a box nobody can click: the first button, as Win32 would focus it.
int MessageBoxDefaultAnswer(unsigned type);
