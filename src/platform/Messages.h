#pragma once
// The Win32-style message queue of the one window. SDL events become window messages with the
// Windows codes (virtual keys, WM_SIZE, WM_ACTIVATE, WM_CLOSE), so the main loop and the window
// procedure keep their Windows shape. PostMessageA puts a message of one's own in the queue, which
// is also how tests feed synthetic input.
#include <cstdint>

#include "platform/MessageBox.h"

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef unsigned UINT;

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct POINT {
  int32_t x = 0;
  int32_t y = 0;
};

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  uint32_t time = 0;  // GetTickCount() when the message was queued
  POINT pt;
};

enum : UINT {
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSCOMMAND = 0x0112,
};

enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1 };
enum : WPARAM { WA_INACTIVE = 0, WA_ACTIVE = 1 };
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : WPARAM { SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170 };

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
enum : WPARAM {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_PAUSE = 0x13,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_NUMPAD0 = 0x60,
  VK_MULTIPLY = 0x6A,
  VK_ADD = 0x6B,
  VK_SUBTRACT = 0x6D,
  VK_DECIMAL = 0x6E,
  VK_DIVIDE = 0x6F,
  VK_F1 = 0x70,
  VK_F11 = 0x7A,
  VK_F12 = 0x7B,
};

inline uint16_t LOWORD(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
inline uint16_t HIWORD(uintptr_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }
inline LPARAM MAKELPARAM(uint16_t low, uint16_t high) {
  return static_cast<LPARAM>(static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16));
}
inline WPARAM MAKEWPARAM(uint16_t low, uint16_t high) {
  return static_cast<WPARAM>(static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16));
}

// Takes the next message for `window` (nullptr: any) in [first, last] (0, 0: any). WM_QUIT comes
// once PostQuitMessage has run and nothing else is pending. False when the queue is empty.
bool PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
// Key messages need no character translation here; true for a key message, as Windows answers.
bool TranslateMessage(const MSG* msg);
// Hands the message to the procedure of its window; 0 when the window has none.
LRESULT DispatchMessageA(const MSG* msg);
// Calls the window's procedure at once, without the queue.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// How many key-down messages for `key` have been dispatched since the last call (auto-repeats
// included), so a key pressed and released between two frames still acts: the key's state in
// g_keys is up again by the time the frame looks.
int TakeKeyPresses(WPARAM key);

// Whether a message that ends the program waits in the queue, taking none of them: a quit
// posted, a window closed (SDL turns SIGTERM and Ctrl+C into that) or, with escapeEnds, Escape
// pressed. Drawing that runs long asks between its parts, so a stop need not wait for a frame.
bool StopWaiting(bool escapeEnds);

// Which procedure serves a window (the class registration of Windows); nullptr forgets the window.
void SetWindowProc(HWND window, WNDPROC procedure);
// Drops every queued message, every untaken key press and a pending quit (tests start from an
// empty queue).
void ClearMessageQueue();
