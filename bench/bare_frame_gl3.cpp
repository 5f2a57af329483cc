// The bare frame of bench_bare_frame with an OpenGL 3.3 core-profile context, as the gl3 renderer
// draws: per frame it clears, copies 512 x 512 of the frame into a texture and draws that texture
// on one full-window quad, from a vertex array and buffer through a two-stage shader, then
// presents, finished with glFinish. It stands beside the classic bare frame in the table.
//   bench_bare_frame_gl3 --benchmark_out=x.json --benchmark_out_format=json
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "BareFrameBench.h"
#include "GlEntry.h"

namespace {

const char kVertexShader[] =
    "#version 330 core\n"
    "layout(location = 0) in vec2 corner;\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "  uv = corner * 0.5 + 0.5;\n"
    "  gl_Position = vec4(corner, 0.0, 1.0);\n"
    "}\n";
const char kFragmentShader[] =
    "#version 330 core\n"
    "uniform sampler2D picture;\n"
    "in vec2 uv;\n"
    "out vec4 colour;\n"
    "void main() { colour = texture(picture, uv); }\n";

GLuint Compile(GLenum stage, const char* source) {
  const auto createShader = GlEntry<PFNGLCREATESHADERPROC>("glCreateShader");
  const auto shaderSource = GlEntry<PFNGLSHADERSOURCEPROC>("glShaderSource");
  const auto compileShader = GlEntry<PFNGLCOMPILESHADERPROC>("glCompileShader");
  const auto getShaderiv = GlEntry<PFNGLGETSHADERIVPROC>("glGetShaderiv");
  const GLuint shader = createShader(stage);
  shaderSource(shader, 1, &source, nullptr);
  compileShader(shader);
  GLint compiled = GL_FALSE;
  getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  return compiled ? shader : 0;
}

bool SetUp() {
  const auto genVertexArrays = GlEntry<PFNGLGENVERTEXARRAYSPROC>("glGenVertexArrays");
  const auto bindVertexArray = GlEntry<PFNGLBINDVERTEXARRAYPROC>("glBindVertexArray");
  const auto genBuffers = GlEntry<PFNGLGENBUFFERSPROC>("glGenBuffers");
  const auto bindBuffer = GlEntry<PFNGLBINDBUFFERPROC>("glBindBuffer");
  const auto bufferData = GlEntry<PFNGLBUFFERDATAPROC>("glBufferData");
  const auto vertexAttribPointer = GlEntry<PFNGLVERTEXATTRIBPOINTERPROC>("glVertexAttribPointer");
  const auto enableAttrib = GlEntry<PFNGLENABLEVERTEXATTRIBARRAYPROC>("glEnableVertexAttribArray");
  const auto createProgram = GlEntry<PFNGLCREATEPROGRAMPROC>("glCreateProgram");
  const auto attachShader = GlEntry<PFNGLATTACHSHADERPROC>("glAttachShader");
  const auto linkProgram = GlEntry<PFNGLLINKPROGRAMPROC>("glLinkProgram");
  const auto getProgramiv = GlEntry<PFNGLGETPROGRAMIVPROC>("glGetProgramiv");
  const auto useProgram = GlEntry<PFNGLUSEPROGRAMPROC>("glUseProgram");
  if (!genVertexArrays || !bindVertexArray || !genBuffers || !bindBuffer || !bufferData ||
      !vertexAttribPointer || !enableAttrib || !createProgram || !attachShader || !linkProgram ||
      !getProgramiv || !useProgram) {
    std::fprintf(stderr, "bench_bare_frame_gl3: the driver lacks OpenGL 3.3 entry points\n");
    return false;
  }
  const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  const GLuint program = createProgram();
  attachShader(program, vertex);
  attachShader(program, fragment);
  linkProgram(program);
  GLint linked = GL_FALSE;
  getProgramiv(program, GL_LINK_STATUS, &linked);
  if (!vertex || !fragment || !linked) {
    std::fprintf(stderr, "bench_bare_frame_gl3: the shader does not build\n");
    return false;
  }
  useProgram(program);  // its one sampler reads texture unit 0, the default

  const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
  GLuint vao = 0, vbo = 0;
  genVertexArrays(1, &vao);
  bindVertexArray(vao);
  genBuffers(1, &vbo);
  bindBuffer(GL_ARRAY_BUFFER, vbo);
  bufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  vertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  enableAttrib(0);

  bare::MakeCopyTexture();
  return glGetError() == GL_NO_ERROR;
}

void Draw() {
  glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 512, 512, 0);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

int main(int argc, char** argv) {
  return RunBareFrameBenchmarks(argc, argv, {SDL_GL_CONTEXT_PROFILE_CORE, 3, 3, SetUp, Draw});
}
