#include "platform/Messages.h"

#include <SDL.h>

#include <deque>
#include <map>

#include "platform/Clock.h"

namespace {

std::deque<MSG> g_queue;
std::map<HWND, WNDPROC> g_procedures;
// Key-down messages dispatched per key since the key's presses were last taken.
int g_keyPresses[256] = {};
bool g_quitPosted = false;
int g_quitCode = 0;

void Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg;
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  g_queue.push_back(msg);
}

// Virtual-key code of an SDL key; 0 for keys the program has no code for.
WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    default: return 0;
  }
}

// The only window of the program, for SDL events that name none (a quit request from outside).
HWND AnyWindow() { return g_procedures.empty() ? nullptr : g_procedures.begin()->first; }

HWND WindowOf(Uint32 windowId) {
  HWND window = SDL_GetWindowFromID(windowId);
  return window ? window : AnyWindow();
}

// Key message lParam as Windows fills it: repeat count 1, scan code, previous state, transition.
LPARAM KeyFlags(const SDL_KeyboardEvent& key) {
  uint32_t flags = 1u | ((static_cast<uint32_t>(key.keysym.scancode) & 0xFF) << 16);
  if (key.type == SDL_KEYUP) flags |= (1u << 30) | (1u << 31);
  else if (key.repeat) flags |= 1u << 30;
  return static_cast<LPARAM>(flags);
}

// The client size in pixels (the drawable, which differs from window units on dense screens).
void EnqueueClientSize(HWND window) {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window), &width, &height);
  Enqueue(window, WM_SIZE, SIZE_RESTORED,
          MAKELPARAM(static_cast<uint16_t>(width), static_cast<uint16_t>(height)));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  HWND window = WindowOf(event.windowID);
  if (!window) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: EnqueueClientSize(window); break;
    case SDL_WINDOWEVENT_MINIMIZED:
      // A minimised client area is 0 x 0, and the window is inactive and minimised.
      Enqueue(window, WM_SIZE, SIZE_MINIMIZED, 0);
      Enqueue(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      EnqueueClientSize(window);
      Enqueue(window, WM_ACTIVATE, WA_ACTIVE, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: Enqueue(window, WM_ACTIVATE, WA_ACTIVE, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: Enqueue(window, WM_ACTIVATE, WA_INACTIVE, 0); break;
    case SDL_WINDOWEVENT_CLOSE: Enqueue(window, WM_CLOSE, 0, 0); break;
    default: break;
  }
}

void PumpSdlEvents() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const WPARAM key = VirtualKey(event.key.keysym.sym);
        if (key)
          Enqueue(WindowOf(event.key.windowID), event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP,
                  key, KeyFlags(event.key));
        break;
      }
      case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
      // Ctrl+C in the terminal or the session ending: close the window like its close button.
      case SDL_QUIT: Enqueue(AnyWindow(), WM_CLOSE, 0, 0); break;
      default: break;
    }
  }
}

bool Matches(const MSG& msg, HWND window, UINT first, UINT last) {
  if (window && msg.hwnd != window) return false;
  if (first == 0 && last == 0) return true;
  return msg.message >= first && msg.message <= last;
}

}  // namespace

bool PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) {
  PumpSdlEvents();
  for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
    if (!Matches(*it, window, first, last)) continue;
    *msg = *it;
    if (remove & PM_REMOVE) g_queue.erase(it);
    return true;
  }
  const bool wantsQuit = (first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last);
  if (g_quitPosted && wantsQuit) {
    *msg = MSG();
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(g_quitCode);
    msg->time = GetTickCount();
    if (remove & PM_REMOVE) g_quitPosted = false;
    return true;
  }
  return false;
}

bool TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP);
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_KEYDOWN && msg->wParam < 256) ++g_keyPresses[msg->wParam];
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = g_procedures.find(window);
  if (it == g_procedures.end() || !window) return 0;
  return it->second(window, message, wParam, lParam);
}

bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Enqueue(window, message, wParam, lParam);
  return true;
}

// As on Windows, several calls before the quit is taken still give one WM_QUIT.
void PostQuitMessage(int exitCode) {
  g_quitPosted = true;
  g_quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

bool StopWaiting(bool escapeEnds) {
  PumpSdlEvents();
  if (g_quitPosted) return true;
  for (const MSG& msg : g_queue) {
    if (msg.message == WM_CLOSE) return true;
    if (escapeEnds && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) return true;
  }
  return false;
}

void SetWindowProc(HWND window, WNDPROC procedure) {
  if (!window) return;
  if (procedure) g_procedures[window] = procedure;
  else g_procedures.erase(window);
}

int TakeKeyPresses(WPARAM key) {
  if (key >= 256) return 0;
  const int presses = g_keyPresses[key];
  g_keyPresses[key] = 0;
  return presses;
}

void ClearMessageQueue() {
  g_queue.clear();
  for (int& presses : g_keyPresses) presses = 0;
  g_quitPosted = false;
  g_quitCode = 0;
}
