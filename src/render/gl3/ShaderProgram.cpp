#include "render/gl3/ShaderProgram.h"

#include "render/gl3/Gl3Api.h"

namespace {

#ifdef __EMSCRIPTEN__
constexpr char kVersion[] = "#version 300 es\n";
#else
constexpr char kVersion[] = "#version 330 core\n";
#endif

// The log's first line is enough to point at the fault; the rest often repeats it.
template <typename GetLog>
std::string FirstLineOfLog(GetLog getLog, uint32_t object) {
  char log[1024] = "";
  getLog(object, sizeof log, nullptr, log);
  const std::string text = log;
  return text.substr(0, text.find('\n'));
}

uint32_t Compile(GLenum stage, const char* source, const std::string& defines, std::string& error) {
  const char* parts[] = {kVersion,
                         stage == GL_VERTEX_SHADER ? "#define VERTEX 1\n" : "#define FRAGMENT 1\n",
                         defines.c_str(), source};
  const uint32_t shader = gl3.CreateShader(stage);
  gl3.ShaderSource(shader, 4, parts, nullptr);
  gl3.CompileShader(shader);
  GLint ok = GL_FALSE;
  gl3.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  error = std::string(stage == GL_VERTEX_SHADER ? "vertex stage: " : "fragment stage: ") +
          FirstLineOfLog(gl3.GetShaderInfoLog, shader);
  gl3.DeleteShader(shader);
  return 0;
}

}  // namespace

bool ShaderProgram::Build(const char* name, const char* source, std::string& error,
                          const std::string& defines) {
  const uint32_t vertex = Compile(GL_VERTEX_SHADER, source, defines, error);
  const uint32_t fragment = vertex ? Compile(GL_FRAGMENT_SHADER, source, defines, error) : 0;
  if (!fragment) {
    if (vertex) gl3.DeleteShader(vertex);
    error = std::string(name) + ": " + error;
    return false;
  }
  program = gl3.CreateProgram();
  gl3.AttachShader(program, vertex);
  gl3.AttachShader(program, fragment);
  gl3.LinkProgram(program);
  gl3.DeleteShader(vertex);
  gl3.DeleteShader(fragment);
  GLint ok = GL_FALSE;
  gl3.GetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok) return true;
  error = std::string(name) + ": link: " + FirstLineOfLog(gl3.GetProgramInfoLog, program);
  Release();
  return false;
}

void ShaderProgram::Release() {
  if (program) gl3.DeleteProgram(program);
  program = 0;
}

void ShaderProgram::Use() const { gl3.UseProgram(program); }

int32_t ShaderProgram::Uniform(const char* name) const {
  return gl3.GetUniformLocation(program, name);
}
