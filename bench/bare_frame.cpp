// The anchor of the benchmark table: a bare program with the player's window (800 x 600, SDL's
// offscreen driver, the same pixel format) that per frame clears, copies 512 x 512 of the frame
// into a texture, draws that texture as one quad and presents, each frame finished with
// glFinish. Our start-up and frame times are stated as multiples of its own.
//   bench_bare_frame --benchmark_out=x.json --benchmark_out_format=json
#include <GL/gl.h>

#include "BareFrameBench.h"

namespace {

bool SetUp() {
  bare::MakeCopyTexture();
  glEnable(GL_TEXTURE_2D);
  return true;
}

void Draw() {
  glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 512, 512, 0);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
}

}  // namespace

int main(int argc, char** argv) {
  return RunBareFrameBenchmarks(argc, argv,
                                {SDL_GL_CONTEXT_PROFILE_COMPATIBILITY, 0, 0, SetUp, Draw});
}
