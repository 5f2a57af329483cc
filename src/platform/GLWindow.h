#pragma once
// The one render window: an SDL window with a compatibility-profile OpenGL context, full screen
// through a display-mode switch or, when that is refused and the user agrees, an ordinary window.
// It keeps the client size and the perspective projection, enters and leaves a pixel-exact 2D
// projection, and carries the render-target textures of the screen effects and the bitmap font,
// so everything that draws reaches size, projection and those resources through one reference.
#include "platform/OpenGL.h"

#include <cstdint>

#include "platform/Messages.h"

struct SDL_Window;
typedef SDL_Window* HDC;  // the surface SwapBuffers presents: the SDL window itself
typedef void* HGLRC;      // an SDL_GLContext
typedef void* HINSTANCE;

class GLWindow {
 public:
  bool m_fullscreen = false;
  HDC m_hDC = nullptr;
  HGLRC m_hRC = nullptr;
  HWND m_hWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;  // set while the video subsystem is held for this window
  int32_t m_width = 0;
  int32_t m_height = 0;
  // The picture's own size, set by Create: 2D layers and text are laid out in its units, and it
  // is shown as large as the window allows at its own aspect ratio, with black bars beside it.
  int32_t m_pictureWidth = 0;
  int32_t m_pictureHeight = 0;
  float m_fov = 0.0f;
  float m_projectionFov = 0.0f;  // the field of view the last Resize made the projection with
  uint32_t m_glowTexture = 0;           // square render target, 256 or half the 3D pass's side
  uint32_t m_frameTexture = 0;          // the 3D pass, up to 4096 x 4096
  uint32_t m_previousFrameTexture = 0;  // the pass kept for the trail, as large
  uint32_t m_capturedTexture = 0;       // whichever of the two holds this frame's pass
  bool m_passStored = false;            // the trail's texture holds the pass drawn last
  bool m_fogHeld = false;               // fog switched off by Begin2D, for End2D to restore
  bool m_frameAbandoned = false;        // drawing stopped short for a stop request: not to show
  // Asked before Create: an OpenGL 3.3 core-profile context for the shader renderer. Create
  // clears it when the driver offers none and opens a compatibility context instead.
  bool m_coreProfile = false;
  uint32_t m_fontBase = 0;              // first of the 256 font display lists
  uint32_t m_fontTexture = 0;

  GLWindow();
  ~GLWindow();  // releases nothing: the process end does, as the main loop expects
  GLWindow(const GLWindow&) = delete;
  GLWindow& operator=(const GLWindow&) = delete;

  // Opens window and context. On false a message has been shown and what was made is released.
  bool Create(const char* title, int32_t width, int32_t height, int32_t bits, float fov,
              bool fullscreen);
  void Destroy();
  // Viewport (the picture's place in the window) and perspective projection. Height 0 is taken
  // as 1; -1 keeps the stored value.
  void Resize(int32_t width, int32_t height);
  bool InitState();
  // True when both required extensions are present; fetches the multitexture entry points.
  bool CheckExtensions();
  // Pixel projection in picture units over the current viewport, origin top-left, y down,
  // identity modelview. End2D rebuilds the perspective state from the stored size and field of
  // view, however often Begin2D ran before it.
  void Begin2D();
  void End2D();
  void SetFov(float fov) { m_fov = fov; }  // takes effect at the next Resize
  // Between full screen (the desktop's mode, the picture between bars) and a window of the
  // picture's own size. The new size arrives as WM_SIZE. False without a window.
  bool SetFullscreen(bool fullscreen);
  void SetTitle(const char* title);

  int32_t GetWidth() const { return m_width; }
  int32_t GetHeight() const { return m_height; }
  int32_t GetPictureWidth() const { return m_pictureWidth > 0 ? m_pictureWidth : m_width; }
  int32_t GetPictureHeight() const { return m_pictureHeight > 0 ? m_pictureHeight : m_height; }
  // Where the picture lies in the window, in window pixels from the lower-left corner: as large as
  // fits at the picture's aspect ratio, centred. At the picture's own size, the whole window.
  struct Rect {
    int32_t x, y, width, height;
  };
  Rect PictureRect() const;
  bool HasBars() const;
  HDC GetHDC() const { return m_hDC; }
  HWND GetHWND() const { return m_hWnd; }

  // The window procedure: records keys and activation, resizes the one window, quits on close.
  // F11 and Alt+Enter switch between full screen and a window.
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Whole-word search in a list of words separated by newline characters.
  static bool FindExtension(const char* list, const char* name);
  // Whether the current context's driver names the extension.
  static bool HasExtension(const char* name);

  // Render-to-texture screen effects (defined in effects/).
  void CreateRenderTargets();
  void DeleteRenderTargets();
  void BeginCapture();
  void DrawPreviousFrame(float alpha);
  void StorePreviousFrame();
  void ForgetPreviousFrame();
  void CaptureFrame();
  void SetGlowViewport();
  void DrawFrame();
  void CaptureGlowSource();
  void DrawGlow(int32_t count, float spread);
  void DrawGlowCopies(int32_t count, float spread);

  // Bitmap font (defined in effects/).
  void BuildFont();
  void DeleteFont();
  // Text with its first glyph's lower-left corner at (x, y), in pixels from the lower-left corner.
  void Print(int32_t x, int32_t y, const char* text, int32_t set, float brightness);
  // A line across the picture on a black band, readable over any picture: y as for Print.
  void PrintOnBand(int32_t y, const char* text);
};

// Written by the window procedure, read by the main loop.
extern bool g_keys[256];  // indexed by virtual-key code; true while the key is down
extern bool g_active;     // true while the window is not minimised

// The multitexture entry points, filled by CheckExtensions. The GL header declares functions of
// the same names, so the names are routed to the fetched pointers.
extern PFNGLACTIVETEXTUREARBPROC zb_glActiveTextureARB;
extern PFNGLMULTITEXCOORD2FARBPROC zb_glMultiTexCoord2fARB;
#define glActiveTextureARB zb_glActiveTextureARB
#define glMultiTexCoord2fARB zb_glMultiTexCoord2fARB

// The check of a full-screen Create: true when the display can show the picture full screen (on
// the desktop's own mode). Tests install one that refuses, as a display without a desktop does;
// nullptr restores the display's own answer.
typedef bool (*DisplayModeSwitch)(int32_t width, int32_t height, int32_t bits);
void SetDisplayModeSwitch(DisplayModeSwitch change);

// Set while the current context is a core-profile one: the fixed-function calls are not there.
extern bool g_coreProfile;

// The driver's entry point of that name, or nullptr.
void* GLProcAddress(const char* name);

// Presents the back buffer of the window; false without a window.
bool SwapBuffers(HDC dc);
// Frames presented so far (tests and tools read it).
extern uint64_t g_presentCount;
