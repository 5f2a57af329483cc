#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace {

MessageBoxHandler g_handler;
// Set while static objects are made, before main: the thread that owns the window.
const std::thread::id g_mainThread = std::this_thread::get_id();

// An SDL box only where someone can see it: SDL's video must be up on a real display driver.
// Under the offscreen or dummy drivers a box would fail or block a run nobody watches.
bool CanShowBox() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

Uint32 SdlFlags(unsigned type) {
  switch (type & 0xF0) {
    case MB_ICONSTOP: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

int ShowSdlBox(const char* text, const char* caption, unsigned type) {
  const bool yesNo = (type & 0x0F) == MB_YESNO;
  SDL_MessageBoxButtonData buttons[2];
  int count = 0;
  if (yesNo) {
    buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
    buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
  } else {
    buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                            SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                        IDOK, "OK"};
  }
  SDL_MessageBoxData data{SdlFlags(type), nullptr, caption, text, count, buttons, nullptr};
  int answer = 0;
  if (SDL_ShowMessageBox(&data, &answer) != 0 || answer <= 0) return MessageBoxDefaultAnswer(type);
  return answer;
}

}  // namespace

int MessageBoxDefaultAnswer(unsigned type) { return (type & 0x0F) == MB_YESNO ? IDYES : IDOK; }

void SetMessageBoxHandler(MessageBoxHandler handler) { g_handler = std::move(handler); }

int MessageBoxA(HWND, const char* text, const char* caption, unsigned type) {
  if (!text) text = "";
  if (!caption) caption = "";
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  std::fflush(stderr);
  // A worker (a scene converted while the production plays) must not stop on a box nobody
  // expects from it, nor drive the window's toolkit from its thread: its text is all it gives.
  if (std::this_thread::get_id() != g_mainThread) return MessageBoxDefaultAnswer(type);
  if (g_handler) return g_handler(text, caption, type);
  if (CanShowBox()) return ShowSdlBox(text, caption, type);
  return MessageBoxDefaultAnswer(type);
}
