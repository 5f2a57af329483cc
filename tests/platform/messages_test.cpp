#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/GLWindow.h"
#include "platform/Messages.h"

namespace {

// A window handle that is not an SDL window: messages to it go to the engine's window procedure.
char g_fakeWindowMemory;
HWND const kWindow = &g_fakeWindowMemory;

class WindowMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearMessageQueue();
    SetWindowProc(kWindow, GLWindow::WindowProc);
    std::fill(std::begin(g_keys), std::end(g_keys), false);
    g_active = false;
  }
  void TearDown() override {
    SetWindowProc(kWindow, nullptr);
    ClearMessageQueue();
  }

  // The main loop's way with the queue: every pending message is translated and dispatched;
  // the result is the list of message codes taken, WM_QUIT included.
  std::vector<UINT> Drain() {
    std::vector<UINT> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      taken.push_back(msg.message);
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return taken;
  }

  GLWindow window;  // the one window WM_SIZE resizes (no context: sizes are only recorded)
};

}  // namespace

TEST_F(WindowMessages, KeysAreRecordedByVirtualKeyAndOutOfRangeCodesAreIgnored) {
  PostMessageA(kWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(kWindow, WM_KEYDOWN, VK_F1, 0);
  PostMessageA(kWindow, WM_KEYDOWN, 'A', 0);
  Drain();
  EXPECT_TRUE(g_keys[VK_ESCAPE]);
  EXPECT_TRUE(g_keys[VK_F1]);
  EXPECT_TRUE(g_keys['A']);

  PostMessageA(kWindow, WM_KEYUP, VK_F1, 0);
  PostMessageA(kWindow, WM_KEYDOWN, 256, 0);
  PostMessageA(kWindow, WM_KEYDOWN, static_cast<WPARAM>(-1), 0);
  Drain();
  EXPECT_FALSE(g_keys[VK_F1]);
  EXPECT_TRUE(g_keys[VK_ESCAPE]);
  int down = 0;
  for (bool key : g_keys) down += key;
  EXPECT_EQ(down, 2) << "codes outside the table change nothing";
}

TEST_F(WindowMessages, ActivationFollowsTheMinimisedFlagInTheHighWord) {
  PostMessageA(kWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  Drain();
  EXPECT_TRUE(g_active);
  PostMessageA(kWindow, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
  Drain();
  EXPECT_FALSE(g_active) << "minimised";
  PostMessageA(kWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  Drain();
  EXPECT_TRUE(g_active) << "merely in the background still counts as active";
}

TEST_F(WindowMessages, CloseEndsInOneQuitAfterThePendingMessages) {
  PostMessageA(kWindow, WM_CLOSE, 0, 0);
  PostMessageA(kWindow, WM_CLOSE, 0, 0);
  PostMessageA(kWindow, WM_KEYDOWN, 'Q', 0);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_CLOSE, WM_CLOSE, WM_KEYDOWN, WM_QUIT}));
  EXPECT_TRUE(Drain().empty()) << "the quit is taken once";

  PostQuitMessage(3);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "a peek without removal keeps it";
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WindowMessages, SizeBeforeTheContextIsRecordedAndHeightZeroBecomesOne) {
  window.m_width = 800;
  window.m_height = 600;
  PostMessageA(kWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1024, 768));
  Drain();
  EXPECT_EQ(window.m_width, 1024);
  EXPECT_EQ(window.m_height, 768);

  PostMessageA(kWindow, WM_SIZE, SIZE_MINIMIZED, 0);
  Drain();
  EXPECT_EQ(window.m_width, 0);
  EXPECT_EQ(window.m_height, 1);

  window.Resize(640, 480);
  window.Resize(-1, 0);
  EXPECT_EQ(window.m_width, 640);
  EXPECT_EQ(window.m_height, 1);
  window.Resize(-1, -1);
  EXPECT_EQ(window.m_width, 640);
  EXPECT_EQ(window.m_height, 1);

  GLWindow fresh;
  fresh.Resize(-1, -1);
  EXPECT_EQ(fresh.m_height, 1) << "never 0 after a resize";
}

// SDL's own events become Windows messages. No video is needed: the events subsystem alone queues
// them, and events that name no SDL window go to the program's one window.
class SdlEventMessages : public WindowMessages {
 protected:
  void SetUp() override {
    WindowMessages::SetUp();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
  void TearDown() override {
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
    WindowMessages::TearDown();
  }

  static void PushKey(Uint32 type, SDL_Keycode key, bool repeat = false) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
  }
  static void PushWindowEvent(Uint8 what) {
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = what;
    SDL_PushEvent(&event);
  }

  std::vector<MSG> Take() {
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) taken.push_back(msg);
    return taken;
  }
};

TEST_F(SdlEventMessages, KeysArriveWithWindowsVirtualKeyCodesAndRepeatsAsKeyDowns) {
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
  PushKey(SDL_KEYDOWN, SDLK_F1);
  PushKey(SDL_KEYDOWN, SDLK_F1, true);
  PushKey(SDL_KEYUP, SDLK_F1);
  PushKey(SDL_KEYDOWN, SDLK_q);
  PushKey(SDL_KEYDOWN, SDLK_7);
  PushKey(SDL_KEYDOWN, SDLK_KP_3);
  PushKey(SDL_KEYDOWN, SDLK_UP);
  const std::vector<MSG> taken = Take();
  ASSERT_EQ(taken.size(), 8u);
  const UINT kinds[] = {WM_KEYDOWN, WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP,
                        WM_KEYDOWN, WM_KEYDOWN, WM_KEYDOWN, WM_KEYDOWN};
  const WPARAM keys[] = {0x1B, 0x70, 0x70, 0x70, 'Q', '7', 0x63, 0x26};
  for (size_t i = 0; i < taken.size(); ++i) {
    EXPECT_EQ(taken[i].message, kinds[i]) << i;
    EXPECT_EQ(taken[i].wParam, keys[i]) << i;
    EXPECT_EQ(taken[i].hwnd, kWindow) << i;
  }
  EXPECT_FALSE(taken[1].lParam & (1 << 30)) << "first press: key was up before";
  EXPECT_TRUE(taken[2].lParam & (1 << 30)) << "auto-repeat: key was already down";
}

TEST_F(SdlEventMessages, MinimiseRestoreAndCloseBecomeSizeActivateAndQuit) {
  PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  const std::vector<UINT> taken = Drain();
  EXPECT_EQ(taken, (std::vector<UINT>{WM_SIZE, WM_ACTIVATE, WM_CLOSE, WM_QUIT}));
  EXPECT_FALSE(g_active);
  EXPECT_EQ(window.m_height, 1);
}

TEST(FindExtension, MatchesWholeNewlineSeparatedWordsOnly) {
  const char* list = "GL_ARB_multitexture_extra\nGL_EXT_bgra\nGL_ARB_multi\nGL_EXT_texture_env_combine";
  EXPECT_FALSE(GLWindow::FindExtension(list, "GL_ARB_multitexture")) << "a longer word";
  EXPECT_FALSE(GLWindow::FindExtension(list, "GL_EXT_bgr")) << "a prefix of a word";
  EXPECT_FALSE(GLWindow::FindExtension(list, "bgra"));
  EXPECT_TRUE(GLWindow::FindExtension(list, "GL_EXT_texture_env_combine")) << "the last word";
  EXPECT_TRUE(GLWindow::FindExtension(list, "GL_ARB_multitexture_extra")) << "the first word";
  EXPECT_TRUE(GLWindow::FindExtension("GL_ARB_multitexture\n", "GL_ARB_multitexture"));
  EXPECT_FALSE(GLWindow::FindExtension("GL_ARB_multitexture GL_EXT_bgra", "GL_EXT_bgra"))
      << "only newlines separate words";
  EXPECT_FALSE(GLWindow::FindExtension("", "GL_EXT_bgra"));
  EXPECT_FALSE(GLWindow::FindExtension("\n\n", ""));
  EXPECT_FALSE(GLWindow::FindExtension(nullptr, "GL_EXT_bgra"));
}

TEST_F(WindowMessages, ATapBetweenTwoFramesIsStillAPress) {
  for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_F1}, WPARAM{VK_SPACE}, WPARAM{'L'}}) {
    PostMessageA(kWindow, WM_KEYDOWN, key, 0);
    PostMessageA(kWindow, WM_KEYUP, key, 0);
    Drain();
    EXPECT_FALSE(g_keys[key]) << key;
    EXPECT_EQ(TakeKeyPresses(key), 1) << key;
    EXPECT_EQ(TakeKeyPresses(key), 0) << "taken once: " << key;
  }
  // Auto-repeat key-downs count as presses; codes out of range have none.
  for (int i = 0; i < 3; ++i) PostMessageA(kWindow, WM_KEYDOWN, VK_RIGHT, 0);
  Drain();
  EXPECT_EQ(TakeKeyPresses(VK_RIGHT), 3);
  EXPECT_EQ(TakeKeyPresses(256), 0);
}
