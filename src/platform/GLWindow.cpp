#include "platform/GLWindow.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/DisplayLoss.h"
#include "platform/OpenGL.h"
#include "platform/StatusLine.h"
#include "platform/TextureCache.h"

bool g_keys[256];
bool g_active;
PFNGLACTIVETEXTUREARBPROC zb_glActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC zb_glMultiTexCoord2fARB = nullptr;
uint64_t g_presentCount = 0;
bool g_coreProfile = false;

namespace {

// The window that WM_SIZE resizes: the one whose Create ran last, else the first constructed.
GLWindow* g_procWindow = nullptr;

// Stands for the module that owns the window class; its address is the instance handle.
char g_programModule;

// Releases what Create made, then tells the user. SDL video is held across the release so the
// box can still appear on the screen; it goes with the box.
bool FailCreate(GLWindow& window, const char* text, const char* caption, unsigned type) {
  const bool held = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  window.Destroy();
  MessageBoxA(nullptr, text, caption, type);
  if (held) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return false;
}

bool FailCreate(GLWindow& window, const char* text) {
  return FailCreate(window, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void DestroyFailure(const char* text) {
  MessageBoxA(nullptr, text, "ERROR DE SALIDA", MB_OK | MB_ICONINFORMATION);
}

bool DriverRequested() {
  const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return driver && *driver;
}

// Without a runtime folder and a named display no Wayland compositor can be reached, and the
// Wayland library says so on standard error ("XDG_RUNTIME_DIR is invalid") when SDL tries: SDL
// is given its other drivers to try, in its own order.
void SkipUnreachableWayland() {
  if (std::getenv("WAYLAND_DISPLAY") || std::getenv("XDG_RUNTIME_DIR")) return;
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string name = SDL_GetVideoDriver(i);
    if (name != "wayland" && name != "offscreen" && name != "dummy" && name != "evdev")
      drivers += (drivers.empty() ? "" : ",") + name;
  }
  if (!drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

// SDL video stands for the window class. Without a display SDL's offscreen driver still gives a
// real GL context, so the production plays (and can be captured) on a machine with no screen.
bool InitVideo() {
  const bool requested = DriverRequested();
  if (!requested) SkipUnreachableWayland();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (requested) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  }
  if (!requested && std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0) {
    PrintStatus("- No display: the window opens off screen\n");
  }
  return true;
}

// The context a window asks for: compatibility (any version), or 3.3 core profile.
bool RequestProfile(bool core) {
  if (!core)
    return SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                               SDL_GL_CONTEXT_PROFILE_COMPATIBILITY) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1) == 0;
  return SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3) == 0;
}

// The pixel format request: RGB of the given depth, no alpha, 16-bit depth, double buffer.
bool RequestPixelFormat(int32_t bits, bool core) {
  const int colour = bits >= 24 ? 8 : 5;
  return RequestProfile(core) &&
         SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) == 0 &&
         SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
}

// Full screen takes the desktop in the mode it is in, with the picture letterboxed at its own
// aspect: a display without an 800 x 600 mode (most of today's) still plays full screen, and
// nothing is left switched when the program ends. It is refused only where there is no desktop.
bool DisplayOffersFullScreen(int32_t, int32_t, int32_t) {
  SDL_DisplayMode desktop;
  return SDL_GetDesktopDisplayMode(0, &desktop) == 0;
}

DisplayModeSwitch g_switchDisplayMode = DisplayOffersFullScreen;

// Opens the SDL window; a full-screen one covers the desktop without changing its mode. It is
// made at the desktop's size from the start: one made smaller and stretched when shown keeps its
// first drawable size on some drivers, and the picture would be cut.
SDL_Window* OpenWindow(const char* title, int32_t width, int32_t height, bool fullscreen) {
  SDL_DisplayMode desktop;
  if (fullscreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    width = desktop.w;
    height = desktop.h;
  }
  const Uint32 style = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS
                                  : SDL_WINDOW_RESIZABLE;
  return SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | style);
}

}  // namespace

GLWindow::GLWindow() {
  if (!g_procWindow) g_procWindow = this;
}

GLWindow::~GLWindow() {
  if (g_procWindow == this) g_procWindow = nullptr;
}

bool GLWindow::Create(const char* title, int32_t width, int32_t height, int32_t bits, float fov,
                      bool fullscreen) {
  m_fullscreen = fullscreen;
  m_width = width;
  m_height = height;
  m_pictureWidth = width;
  m_pictureHeight = height;
  m_fov = fov;
  g_procWindow = this;

  if (!InitVideo()) {
    MessageBoxA(nullptr, "Fallo al registrar la clase ventana.", "ERROR",
                MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  m_hInstance = &g_programModule;
  EndAtOnceWhenTheDisplayIsLost();

  if (m_fullscreen && !g_switchDisplayMode(width, height, bits)) {
    const int answer = MessageBoxA(nullptr,
                                   "El modo pantalla completa no es soportado por\n"
                                   "Su tarjeta gráfica. ¿Desea usar modo ventana?",
                                   "¿Ventana? :-)", MB_YESNO | MB_ICONEXCLAMATION);
    m_fullscreen = false;
    if (answer != IDYES)
      return FailCreate(*this, "El programa cerrará.", "ERROR", MB_OK | MB_ICONSTOP);
  }
  if (m_fullscreen) SDL_ShowCursor(SDL_DISABLE);

  if (!RequestPixelFormat(bits, m_coreProfile))
    return FailCreate(*this, "No podemos encontrar un formato de pixel aceptable.");
  SDL_Window* window = OpenWindow(title, width, height, m_fullscreen);
  if (!window) return FailCreate(*this, "Error en la creación de la ventana.");
  m_hWnd = window;
  m_hDC = window;
  SetWindowProc(m_hWnd, WindowProc);

  m_hRC = SDL_GL_CreateContext(window);
  if (!m_hRC && m_coreProfile) {
    PrintStatus("- No OpenGL 3.3 core profile here (%s): drawing with the classic renderer\n",
                SDL_GetError());
    m_coreProfile = false;
    RequestProfile(false);
    m_hRC = SDL_GL_CreateContext(window);
  }
  g_coreProfile = m_coreProfile;
  if (!m_hRC) return FailCreate(*this, "No se puede crear un GL Rendering Context.");
  if (SDL_GL_MakeCurrent(window, m_hRC) != 0)
    return FailCreate(*this, "No se puede activar el GL Rendering Context.");

  SDL_ShowWindow(window);
  SDL_RaiseWindow(window);
  // Windows activates a window as it comes to the front; SDL may report focus later or never
  // (no display), so the activation is delivered here.
  SendMessageA(m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);

  // Full screen gives the window the desktop's size; the picture fits into it, with bars.
  SDL_GL_GetDrawableSize(window, &width, &height);
  Resize(width, height);
  if (!InitState()) return FailCreate(*this, "Fallo en la inicialización.");
  return true;
}

void GLWindow::Destroy() {
  SDL_Window* window = static_cast<SDL_Window*>(m_hWnd);
  if (m_fullscreen) {
    if (window) SDL_SetWindowFullscreen(window, 0);
    SDL_ShowCursor(SDL_ENABLE);
    m_fullscreen = false;
  }
  if (m_hRC) {
    if (SDL_GL_MakeCurrent(window, nullptr) != 0)
      DestroyFailure("Fallo al eliminar el DC y el RC.");
    SDL_GL_DeleteContext(m_hRC);
    m_hRC = nullptr;
    ForgetTextures();  // they went with the context
  }
  m_hDC = nullptr;  // the window is its own drawing surface: nothing to release
  if (window) {
    SetWindowProc(m_hWnd, nullptr);
    SDL_DestroyWindow(window);
    m_hWnd = nullptr;
  }
  if (m_hInstance) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_hInstance = nullptr;
  }
}

void GLWindow::Resize(int32_t width, int32_t height) {
  if (height != -1) m_height = height;
  if (width != -1) m_width = width;
  if (m_height == 0) m_height = 1;  // the aspect ratio never divides by zero
  if (!m_hRC) return;               // a size that arrives before the context is only recorded
  const Rect picture = PictureRect();
  glViewport(picture.x, picture.y, picture.width, picture.height);
  m_projectionFov = m_fov;
  if (m_coreProfile) return;  // the shader renderer makes its projection from the same fields
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double aspect =
      static_cast<double>(GetPictureWidth()) / static_cast<double>(GetPictureHeight());
  gluPerspective(m_fov, aspect, 1.0, 50000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool GLWindow::SetFullscreen(bool fullscreen) {
  SDL_Window* window = static_cast<SDL_Window*>(m_hWnd);
  if (!window) return false;
  if (fullscreen == m_fullscreen) return true;
  if (fullscreen) {
    SDL_Rect desktop;
    if (!g_switchDisplayMode(m_pictureWidth, m_pictureHeight, 32) ||
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &desktop) != 0)
      return false;
    // Without a window manager the full-screen request alone changes nothing on X: the window
    // covers the desktop itself first, as one made full screen does.
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, desktop.x, desktop.y);
    SDL_SetWindowSize(window, desktop.w, desktop.h);
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    SDL_ShowCursor(SDL_DISABLE);
  } else {
    SDL_SetWindowFullscreen(window, 0);
    // A window made full screen from the start has no border and the desktop's size.
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, GetPictureWidth(), GetPictureHeight());
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_ShowCursor(SDL_ENABLE);
  }
  m_fullscreen = fullscreen;
  return true;
}

void GLWindow::SetTitle(const char* title) {
  if (m_hWnd) SDL_SetWindowTitle(static_cast<SDL_Window*>(m_hWnd), title);
}

void* GLProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

// A core-profile context has none of this state: the shader renderer sets its own.
bool GLWindow::InitState() {
  if (m_coreProfile) return true;
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glEnable(GL_LIGHTING);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  return true;
}

bool GLWindow::HasExtension(const char* name) {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!extensions) return false;
  std::string list(extensions);
  for (char& c : list)
    if (c == ' ') c = '\n';
  return FindExtension(list.c_str(), name);
}

bool GLWindow::CheckExtensions() {
  if (!HasExtension("GL_ARB_multitexture") || !HasExtension("GL_EXT_texture_env_combine"))
    return false;
  zb_glMultiTexCoord2fARB =
      reinterpret_cast<PFNGLMULTITEXCOORD2FARBPROC>(SDL_GL_GetProcAddress("glMultiTexCoord2fARB"));
  zb_glActiveTextureARB =
      reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(SDL_GL_GetProcAddress("glActiveTextureARB"));
  // A driver that names the extension but hands out no entry point cannot run the renderer.
  return zb_glMultiTexCoord2fARB && zb_glActiveTextureARB;
}

GLWindow::Rect GLWindow::PictureRect() const {
  const int64_t pw = GetPictureWidth(), ph = GetPictureHeight();
  Rect rect{0, 0, m_width, m_height};
  if (pw <= 0 || ph <= 0 || m_width <= 0) return rect;
  // Rounded to the nearest pixel, at least one; the leftover goes to the bars in equal halves.
  if (m_width * ph > m_height * pw)
    rect.width = static_cast<int32_t>(std::max<int64_t>(1, (m_height * pw * 2 + ph) / (ph * 2)));
  else
    rect.height = static_cast<int32_t>(std::max<int64_t>(1, (m_width * ph * 2 + pw) / (pw * 2)));
  rect.x = (m_width - rect.width) / 2;
  rect.y = (m_height - rect.height) / 2;
  return rect;
}

bool GLWindow::HasBars() const {
  const Rect picture = PictureRect();
  return picture.width != m_width || picture.height != m_height;
}

namespace {

// Whether the fog a scene left on leaves 2D drawing as it is. Everything in 2D lies at eye depth
// 0, where the scenes' linear fog weighs the colour by end / (end - start), clamped to 1: clear of
// 1 by a margin that no rounding can take away, it is exactly 1.
bool FogLeavesDepthZeroClear() {
  GLint mode = 0;
  GLfloat start = 0, end = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  glGetFloatv(GL_FOG_START, &start);
  glGetFloatv(GL_FOG_END, &end);
  if (mode != GL_LINEAR || !(end > start)) return false;
  return static_cast<double>(end) / (static_cast<double>(end) - start) >= 1.001;
}

}  // namespace

// Nothing is pushed: End2D rebuilds the whole state from the stored size and field of view, so
// entering 2D twice and leaving once (the compositor does) cannot grow the matrix stacks.
// Fog that cannot change a 2D pixel is switched off for the software renderer's sake, which
// fills noticeably faster without it, and back on by End2D for the 3D that follows.
void GLWindow::Begin2D() {
  if (m_coreProfile) return;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, GetPictureWidth(), GetPictureHeight(), 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (glIsEnabled(GL_FOG) && FogLeavesDepthZeroClear()) {
    glDisable(GL_FOG);
    m_fogHeld = true;
  }
}

void GLWindow::End2D() {
  if (m_coreProfile) return Resize(m_width, m_height);
  if (m_fogHeld) glEnable(GL_FOG);
  m_fogHeld = false;
  Resize(m_width, m_height);
}

LRESULT GLWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE: g_active = HIWORD(wParam) == 0; return 0;
    case WM_SYSCOMMAND: {
      const WPARAM command = wParam & 0xFFF0;  // Windows keeps the low four bits for itself
      if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) return 0;
      break;
    }
    case WM_CLOSE: PostQuitMessage(0); return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wParam < sizeof g_keys / sizeof g_keys[0]) g_keys[wParam] = message == WM_KEYDOWN;
      // Once per press: a held key repeats (previous state, bit 30). Alt's own message comes
      // before Enter's.
      if (message == WM_KEYDOWN && !(lParam & (1 << 30)) && g_procWindow &&
          (wParam == VK_F11 || (wParam == VK_RETURN && g_keys[VK_MENU])))
        g_procWindow->SetFullscreen(!g_procWindow->m_fullscreen);
      return 0;
    case WM_SIZE:
      if (g_procWindow) g_procWindow->Resize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool GLWindow::FindExtension(const char* list, const char* name) {
  if (!list || !name || !*name) return false;
  const size_t length = std::strlen(name);
  for (const char* word = list;;) {
    const char* end = std::strchr(word, '\n');
    const size_t wordLength = end ? static_cast<size_t>(end - word) : std::strlen(word);
    if (wordLength == length && std::memcmp(word, name, length) == 0) return true;
    if (!end) return false;
    word = end + 1;
  }
}

void SetDisplayModeSwitch(DisplayModeSwitch change) {
  g_switchDisplayMode = change ? change : DisplayOffersFullScreen;
}

bool SwapBuffers(HDC dc) {
  if (!dc) return false;
  SDL_GL_SwapWindow(dc);
  ++g_presentCount;
  return true;
}
