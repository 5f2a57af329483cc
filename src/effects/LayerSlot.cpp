// A layer is one textured quad with a screen blend: black leaves the frame, white brightens it.
#include "effects/LayerSlot.h"

#include <climits>
#include <cstdlib>

#include "platform/GLWindow.h"

void LayerSlot::Draw() {
  if (shakeAmount > 0.0f) {
    // Offsets lie in [-shake/2, n - 1 - shake/2]. Below one pixel there is no whole offset to
    // pick, so such a layer does not jitter.
    const int n = shakeAmount < static_cast<float>(INT_MAX) ? static_cast<int>(shakeAmount) : INT_MAX;
    if (n >= 1) {
      const int dy = rand() % n;
      const int dx = rand() % n;
      // Left on the matrix on purpose: it shakes the later layers and the noise overlay too.
      glTranslatef(static_cast<float>(dx) - shakeAmount / 2.0f,
                   static_cast<float>(dy) - shakeAmount / 2.0f, 0.0f);
    }
  }

  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_LIGHTING);
  glColor4f(alpha, alpha, alpha, alpha);

  // At opacity 0 (or below, clamped to 0) the blend gives back the frame exactly: the state is
  // set as always, but the quad is not worth drawing.
  if (alpha > 0.0f) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x0, y1);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1, y0);
    glEnd();
  }

  glEnable(GL_DEPTH_TEST);
}
