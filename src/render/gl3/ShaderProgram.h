#pragma once
// One GLSL program from one source file: both stages built from it, the version line put in
// front for the context at hand (GLSL 3.30 here, GLSL ES 3.00 where only ES is offered).
#include <cstdint>
#include <string>

class ShaderProgram {
 public:
  uint32_t program = 0;

  // False, with the driver's first lines in `error` (after the program's name), when a stage
  // does not compile or the program does not link. `defines` ("#define NAME VALUE" lines) select
  // a variant.
  bool Build(const char* name, const char* source, std::string& error,
             const std::string& defines = "");
  void Release();
  void Use() const;
  int32_t Uniform(const char* name) const;
};

// The program sources, built into the library.
extern const char kShader_scene[];
extern const char kShader_picture[];
extern const char kShader_frame[];
