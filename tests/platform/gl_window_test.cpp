#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/GLWindow.h"
#include "platform/MessageBox.h"
#include "support/GLTestWindow.h"
#include "TestEnvironment.h"
#include "support/BoxRecorder.h"
#include "support/TestProcess.h"
#include "support/TestScreen.h"

namespace {

std::vector<float> Matrix(GLenum which) {
  std::vector<float> m(16);
  glGetFloatv(which, m.data());
  return m;
}

int Integer(GLenum which) {
  GLint value = 0;
  glGetIntegerv(which, &value);
  return value;
}

// The perspective state every End2D and Resize must leave: the viewport of the picture (the
// whole window unless given), projection of fov and the picture's aspect, identity modelview
// selected.
void ExpectPerspective(const GLWindow& window, std::vector<int> picture = {}) {
  const std::vector<int> viewport = [] {
    std::vector<int> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
  }();
  if (picture.empty()) picture = {0, 0, window.m_width, window.m_height};
  EXPECT_EQ(viewport, picture);
  const double f = 1.0 / std::tan(window.m_fov * 3.14159265358979323846 / 360.0);
  const double aspect = double(window.m_pictureWidth) / window.m_pictureHeight;
  const std::vector<float> p = Matrix(GL_PROJECTION_MATRIX);
  EXPECT_NEAR(p[0], f / aspect, 1e-4);
  EXPECT_NEAR(p[5], f, 1e-4);
  EXPECT_NEAR(p[11], -1.0, 1e-6);
  const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), identity);
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

void FillRect(int x0, int y0, int x1, int y1) {
  glBegin(GL_QUADS);
  glVertex2i(x0, y0);
  glVertex2i(x0, y1);
  glVertex2i(x1, y1);
  glVertex2i(x1, y0);
  glEnd();
}

class GLWindowTest : public GLTestWindow {};

}  // namespace

TEST_F(GLWindowTest, OpensWithContextExtensionsAndActivation) {
  EXPECT_NE(window.GetHWND(), nullptr);
  EXPECT_NE(window.GetHDC(), nullptr);
  EXPECT_FALSE(window.m_fullscreen);
  EXPECT_TRUE(g_active) << "the window is active once shown";
  EXPECT_GE(Integer(GL_DEPTH_BITS), 16);
  ExpectPerspective(window);

  ASSERT_NE(glActiveTextureARB, nullptr);
  ASSERT_NE(glMultiTexCoord2fARB, nullptr);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);
  glActiveTextureARB(GL_TEXTURE0_ARB);

  const uint64_t presented = g_presentCount;
  EXPECT_TRUE(SwapBuffers(window.GetHDC()));
  EXPECT_FALSE(SwapBuffers(nullptr));
  EXPECT_EQ(g_presentCount, presented + 1);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLWindowTest, Begin2DIsTopLeftPixelSpaceAndRepeatedUseKeepsTheStacksBalanced) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT);
  window.Begin2D();
  glColor3f(1, 0, 0);
  FillRect(10, 20, 30, 40);  // pixels 10..29 across, 20..39 down from the top
  EXPECT_EQ(At(10, 20), (Pixel{255, 0, 0}));
  EXPECT_EQ(At(29, 39), (Pixel{255, 0, 0}));
  EXPECT_EQ(At(30, 39), (Pixel{0, 0, 0}));
  EXPECT_EQ(At(10, 600 - 1 - 20), (Pixel{0, 0, 0})) << "y grows downwards";
  EXPECT_EQ(Count([](const Pixel& p) { return p.r > 0; }), 400);
  window.End2D();

  const int projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
  const int modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);
  window.SetFov(60.0f);
  for (int frame = 0; frame < 100; ++frame) {  // the compositor enters 2D twice, leaves once
    window.Begin2D();
    glTranslatef(5, 5, 0);
    window.Begin2D();
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX)[12], 0.0f) << "each Begin2D starts from identity";
    window.End2D();
  }
  EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  ExpectPerspective(window);
  EXPECT_FLOAT_EQ(window.m_fov, 60.0f);
}

TEST_F(GLWindowTest, SizeMessagesResizeViewportAndProjection) {
  SendMessageA(window.GetHWND(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
  EXPECT_EQ(window.m_width, 400);
  ExpectPerspective(window);
  SendMessageA(window.GetHWND(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 0));
  EXPECT_EQ(window.m_height, 1);
  ExpectPerspective(window, {199, 0, 1, 1});  // the picture at its aspect: one pixel, centred
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GLWindowCreate, FullScreenCoversTheDesktopInItsOwnModeWithThePictureAtItsAspect) {
  ZB_REQUIRE_SCREEN();
  PreferOffscreenVideo();
  BoxRecorder boxes(IDNO);
  GLWindow window;
  ASSERT_TRUE(window.Create("t", 800, 600, 32, 100.33f, true));
  EXPECT_TRUE(window.m_fullscreen);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(SDL_GetWindowFlags(window.GetHDC()) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window.GetHDC(), &width, &height);
  EXPECT_EQ(width, desktop.w) << "no mode switch";
  EXPECT_EQ(height, desktop.h);
  const GLWindow::Rect picture = window.PictureRect();
  EXPECT_LE(std::abs(picture.width * 600 - picture.height * 800), 800) << "4:3 to the pixel";
  EXPECT_EQ(std::min(width - picture.width, height - picture.height), 0) << "bars on one axis only";
  EXPECT_EQ(picture.x, (width - picture.width) / 2);
  EXPECT_EQ(picture.y, (height - picture.height) / 2);
  window.Destroy();
  EXPECT_FALSE(window.m_fullscreen);
  EXPECT_EQ(window.GetHWND(), nullptr);
}

TEST(GLWindowCreate, RefusedFullScreenAsksAndYesOpensAWindow) {
  ZB_REQUIRE_SCREEN();
  PreferOffscreenVideo();
  SetDisplayModeSwitch([](int32_t, int32_t, int32_t) { return false; });
  BoxRecorder boxes(IDYES);
  GLWindow window;
  const bool created = window.Create("t", 800, 600, 32, 100.33f, true);
  SetDisplayModeSwitch(nullptr);
  ASSERT_TRUE(created);
  EXPECT_FALSE(window.m_fullscreen);
  EXPECT_FALSE(SDL_GetWindowFlags(window.GetHDC()) & SDL_WINDOW_FULLSCREEN);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "El modo pantalla completa no es soportado por\nSu tarjeta gráfica. ¿Desea usar modo "
            "ventana?");
  EXPECT_EQ(boxes.boxes[0].caption, "¿Ventana? :-)");
  EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_YESNO | MB_ICONEXCLAMATION));
  window.Destroy();
}

TEST(GLWindowCreate, RefusedFullScreenAndNoClosesEverything) {
  ZB_REQUIRE_SCREEN();
  PreferOffscreenVideo();
  SetDisplayModeSwitch([](int32_t, int32_t, int32_t) { return false; });
  BoxRecorder boxes(IDNO);
  GLWindow window;
  const bool created = window.Create("t", 800, 600, 32, 100.33f, true);
  SetDisplayModeSwitch(nullptr);
  EXPECT_FALSE(created);
  EXPECT_EQ(window.GetHWND(), nullptr);
  EXPECT_EQ(window.m_hRC, nullptr);
  EXPECT_FALSE(SDL_WasInit(SDL_INIT_VIDEO)) << "nothing of the window is left";
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, "El programa cerrará.");
  EXPECT_EQ(boxes.boxes[1].caption, "ERROR");
  EXPECT_EQ(boxes.boxes[1].type, unsigned(MB_OK | MB_ICONSTOP));
}

TEST(GLWindowCreate, UnavailableVideoDriverFailsAtTheClassRegistration) {
  EnvOverride driver("SDL_VIDEODRIVER", "no-such-driver");
  BoxRecorder boxes(IDYES);
  GLWindow window;
  EXPECT_FALSE(window.Create("t", 800, 600, 32, 100.33f, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Fallo al registrar la clase ventana.");
  EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
  EXPECT_EQ(window.m_hInstance, nullptr);
}

TEST(GLWindowCreate, WithoutDisplayPlaysOffscreenAndSaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << "SDL has no offscreen video driver on Windows";
#endif
  EnvOverride driver("SDL_VIDEODRIVER", nullptr);
  EnvOverride display("DISPLAY", nullptr);
  EnvOverride wayland("WAYLAND_DISPLAY", nullptr);
  BoxRecorder boxes(IDYES);
  GLWindow window;
  testing::internal::CaptureStdout();
  const bool created = window.Create("t", 320, 240, 32, 100.33f, false);
  const std::string log = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(created);
  EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
  EXPECT_NE(log.find("No display"), std::string::npos) << log;
  EXPECT_TRUE(window.CheckExtensions());
  window.Destroy();
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
}
