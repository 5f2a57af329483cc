// The captured 3D pass, the feedback trail and the glow, read back from a real GL frame.
#include <gtest/gtest.h>

#include "support/GLDraw.h"
#include "effects/RenderTargets.h"
#include "support/GLTestWindow.h"

namespace {

class RenderTargets : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    window.CreateRenderTargets();
  }
  void TearDown() override {
    window.DeleteRenderTargets();
    GLTestWindow::TearDown();
  }

  // One frame in the order the compositor runs it, with a flat grey-level 3D pass.
  void Frame(float r, float g, float b, float trail, bool glowPath = false, int glowCount = 0,
             float glowSpread = 0.0f) {
    ClearFrame();
    window.BeginCapture();
    Paint(window, r, g, b);
    if (trail > 0.0f) {
      window.DrawPreviousFrame(trail);
      window.StorePreviousFrame();
    } else {
      window.ForgetPreviousFrame();
    }
    window.CaptureFrame();
    window.Begin2D();
    if (glowPath) window.SetGlowViewport();
    window.DrawFrame();
    if (glowPath) {
      window.CaptureGlowSource();
      window.Begin2D();
      window.DrawFrame();
      window.DrawGlow(glowCount, glowSpread);
    }
    window.End2D();
  }
};

void ExpectNear(const GLTestWindow::Pixel& pixel, int r, int g, int b, int tolerance = 3) {
  EXPECT_NEAR(pixel.r, r, tolerance) << testing::PrintToString(pixel);
  EXPECT_NEAR(pixel.g, g, tolerance) << testing::PrintToString(pixel);
  EXPECT_NEAR(pixel.b, b, tolerance) << testing::PrintToString(pixel);
}

TEST_F(RenderTargets, PassLandsInThePowerOfTwoCornerThenFillsTheWindowUpright) {
  struct Size {
    int w, h, cw, ch;  // window and capture
  };
  for (const Size& size : {Size{800, 600, 512, 512}, Size{1024, 768, 1024, 512}}) {
    SCOPED_TRACE(size.w);
    ASSERT_TRUE(Open(size.w, size.h));
    window.CreateRenderTargets();
    const int w = size.w, h = size.h, cw = size.cw, ch = size.ch;
    ClearFrame();
    window.BeginCapture();
    // Top half of the pass red, bottom half green.
    Paint(window, 1, 0, 0, 0.0f, h / 2.0f);
    Paint(window, 0, 1, 0, h / 2.0f, static_cast<float>(h));
    // Before the stretch: the pass sits in the lower-left cw x ch corner, nothing outside it.
    EXPECT_EQ(At(5, h - 5), (Pixel{0, 255, 0}));
    EXPECT_EQ(At(cw - 5, h - ch + 5), (Pixel{255, 0, 0}));
    EXPECT_EQ(At(cw - 1, h - ch), (Pixel{255, 0, 0}));
    if (cw < w) {
      EXPECT_EQ(At(cw, h - 5), (Pixel{0, 0, 0}));
    }
    if (ch < h) {
      EXPECT_EQ(At(5, h - ch - 1), (Pixel{0, 0, 0}));
    }

    window.CaptureFrame();
    window.Begin2D();
    window.DrawFrame();
    window.End2D();
    EXPECT_EQ(At(5, 5), (Pixel{255, 0, 0}));
    EXPECT_EQ(At(w - 5, h / 2 - 5), (Pixel{255, 0, 0}));
    EXPECT_EQ(At(w - 5, h / 2 + 5), (Pixel{0, 255, 0}));
    EXPECT_EQ(At(5, h - 5), (Pixel{0, 255, 0}));
    window.DeleteRenderTargets();
  }
}

TEST_F(RenderTargets, TrailAddsTheStoredFrameFromTheSecondFrameOnAndStartsAfreshWhenOnAgain) {
  g_previousFrameStored = false;
  const float grey = 0.4f;  // 102 of 255
  Frame(grey, grey, grey, 0.5f);
  ExpectNear(At(400, 300), 102, 102, 102);  // nothing stored yet: no trail
  Frame(grey, grey, grey, 0.5f);
  ExpectNear(At(400, 300), 153, 153, 153);  // 102 + 102 / 2
  Frame(grey, grey, grey, 0.5f);
  ExpectNear(At(400, 300), 178, 178, 178);  // the trail is carried: 102 + 153 / 2
  ExpectNear(At(10, 590), 178, 178, 178);   // over the whole window, not just the corner
  Frame(grey, grey, grey, 0.0f);
  ExpectNear(At(400, 300), 102, 102, 102);  // off: neither laid over nor stored
  Frame(grey, grey, grey, 0.5f);
  ExpectNear(At(400, 300), 102, 102, 102);  // on again: nothing from before it was off
}

TEST_F(RenderTargets, GlowAddsZoomedCopiesOfTheGreyRedChannel) {
  // The glow image is the red channel (0.8) as grey; each copy adds I x I x strength.
  Frame(0.8f, 0.2f, 0.0f, 0.0f, true, 0);
  ExpectNear(At(400, 300), 204, 51, 0);  // the glow path with no copies shows the plain frame
  ExpectNear(At(5, 5), 204, 51, 0);
  Frame(0.8f, 0.2f, 0.0f, 0.0f, true, 1);
  ExpectNear(At(400, 300), 255, 51 + 163, 163);
  ExpectNear(At(795, 595), 255, 51 + 163, 163);
  Frame(0.8f, 0.2f, 0.0f, 0.0f, true, 2);  // spread 0 stacks strengths 1 and 1/2
  ExpectNear(At(400, 300), 255, 255, 245);
  Frame(0.8f, 0.2f, 0.0f, 0.0f, true, -3);
  ExpectNear(At(400, 300), 204, 51, 0);
}

// Between batches of glow copies, a stop the user asked for (Escape only on the active window)
// cuts the frame short and leaves its message for the main loop; nothing else does.
TEST_F(RenderTargets, GlowStopsBetweenBatchesOnlyForAStopRequest) {
  const struct {
    UINT message;
    WPARAM key;
    bool active, abandoned;
  } cases[] = {{WM_CLOSE, 0, true, true}, {WM_KEYDOWN, VK_ESCAPE, true, true},
               {WM_KEYDOWN, VK_ESCAPE, false, false}, {WM_KEYDOWN, 'A', true, false}};
  for (const auto& c : cases) {
    ClearMessageQueue();
    g_active = c.active;
    PostMessageA(window.GetHWND(), c.message, c.key, 0);
    Frame(0.5f, 0.5f, 0.5f, 0.0f, true, 130, 0.001f);
    EXPECT_EQ(window.m_frameAbandoned, c.abandoned) << c.message << " " << c.key << " " << c.active;
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  }
  g_active = true;
}

}  // namespace
