#include "platform/MessageBox.h"
#include "platform/OpenGL.h"
#include "platform/TextureCache.h"
#include "scene/SceneLight.h"

void SceneLight::loadFlare() {
  if (flareBitmap[0] == '\0') {
    MessageBoxA(nullptr, "Nombre de textura de FLARE nulo.", "Error!", MB_OK);
    return;
  }
  flareTexture = AcquireTexture(flareBitmap, false);
}

void SceneLight::drawFlare(GLWindow*, int32_t angle) {
  if (!hasFlare) return;
  glPushMatrix();
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  glLoadIdentity();
  // The light in eye space; the square is then built there, so it always faces the viewer.
  const float x = frame.position[0], y = frame.position[1], z = frame.position[2];
  const float ex = m[0] * x + m[4] * y + m[8] * z + m[12];
  const float ey = m[1] * x + m[5] * y + m[9] * z + m[13];
  const float ez = m[2] * x + m[6] * y + m[10] * z + m[14];
  glTranslatef(ex, ey, ez);
  glRotatef(static_cast<float>(angle), 0, 0, 1);

  glDisable(GL_DEPTH_TEST);
  glBindTexture(GL_TEXTURE_2D, flareTexture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(-60, -60, 0);
  glTexCoord2f(0, 1);
  glVertex3f(-60, 60, 0);
  glTexCoord2f(1, 1);
  glVertex3f(60, 60, 0);
  glTexCoord2f(1, 0);
  glVertex3f(60, -60, 0);
  glEnd();
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
}
