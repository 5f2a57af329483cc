// Every shader program of the gl3 renderer (src/render/shaders/*.glsl, one program a file, both
// stages in it) passes glslangValidator as GLSL ES 3.00, put together as the renderer's loader
// does: the version line, the stage's define, then the file. ES 3.00 is the narrower of the two
// dialects the loader asks for, so a program that passes here compiles on the desktop too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TestProcess.h"

namespace fs = std::filesystem;

namespace {

struct Stage {
  const char* define;
  const char* name;
  const char* extension;  // how the validator tells the stage
};
const Stage kStages[] = {{"VERTEX", "vertex", ".vert"}, {"FRAGMENT", "fragment", ".frag"}};
const char kVersion[] = "#version 300 es\n";
constexpr int kLinesBeforeFile = 2;  // the version and the define

std::string ReadText(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The validator's lines about a stage built from glsl, their "0:LINE:" turned into the .glsl
// file's own "PATH:LINE:", the echo of the stage file's name left out.
std::string InFileTerms(const std::string& output, const std::string& glsl,
                        const std::string& stageFile) {
  static const std::regex located(R"(^(ERROR|WARNING): 0:(\d+): (.*)$)");
  std::istringstream lines(output);
  std::string said;
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line == stageFile) continue;
    if (std::regex_match(line, m, located))
      line = glsl + ":" + std::to_string(std::stoi(m[2]) - kLinesBeforeFile) + ": " +
             m[1].str() + ": " + m[3].str();
    said += "  " + line + "\n";
  }
  return said;
}

// What the validator says against the stages of one .glsl file; empty when both pass. The
// stage files are written into work.
std::string Validate(const std::string& validator, const std::string& glsl,
                     const std::string& work) {
  const std::string text = ReadText(glsl);
  std::string faults;
  for (const Stage& stage : kStages) {
    const std::string stageFile =
        (fs::u8path(work) / fs::u8path(glsl).stem()).u8string() + stage.extension;
    std::ofstream(fs::u8path(stageFile), std::ios::binary)
        << kVersion << "#define " << stage.define << " 1\n" << text;
    ProcessSetup setup;
    setup.outputFile = setup.errorsFile = work + "/validator.txt";
    TestProcess process;
    const int status = process.Start({validator, stageFile}, setup) ? process.Wait(60) : -1;
    if (status == 0) continue;
    faults += glsl + " as a " + stage.name + " shader (validator status " +
              std::to_string(status) + "):\n" +
              InFileTerms(ReadText(work + "/validator.txt"), glsl, stageFile);
  }
  return faults;
}

const char kNoValidator[] =
    "glslangValidator is not installed (apt-get install glslang-tools, or scripts/install-deps.sh "
    "test)";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Shaders, EveryProgramPassesAsGlslEs300) {
  const std::string validator = FindProgram("glslangValidator");
  if (validator.empty()) GTEST_SKIP() << kNoValidator;
  const fs::path folder = fs::u8path(ZB_SOURCE_DIR "/src/render/shaders");
  std::vector<std::string> shaders;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".glsl") shaders.push_back(entry.path().u8string());
  if (shaders.empty()) GTEST_SKIP() << "no shader programs in " << folder.u8string();
  std::sort(shaders.begin(), shaders.end());
  TempDir work;
  for (const std::string& shader : shaders) {
    const std::string faults = Validate(validator, shader, work.path);
    EXPECT_TRUE(faults.empty()) << faults;
  }
}

// The harness itself, on programs written here: a fault is reported with its stage and its line
// in the .glsl file, a sound program passes.
TEST(Shaders, FaultsAreToldByStageAndLine) {
  const std::string validator = FindProgram("glslangValidator");
  if (validator.empty()) GTEST_SKIP() << kNoValidator;
  const std::string fragment =
      "#ifdef FRAGMENT\n"
      "precision mediump float;\n"
      "out vec4 colour;\n"
      "void main() { colour = vec4(1.0); }\n"
      "#endif\n";
  struct Case {
    const char* file;
    std::string text;
    std::vector<std::string> said;  // empty: passes
    const char* notSaid;
  };
  const Case cases[] = {
      {"sound.glsl",
       "#ifdef VERTEX\n"
       "in vec2 corner;\n"
       "void main() { gl_Position = vec4(corner, 0.0, 1.0); }\n"
       "#endif\n" + fragment,
       {}, ""},
      {"vertex_fault.glsl",
       "#ifdef VERTEX\n"
       "in vec2 corner;\n"
       "void main() { gl_Position = vec4(cornr, 0.0, 1.0); }\n"
       "#endif\n" + fragment,
       {"vertex_fault.glsl as a vertex shader", "vertex_fault.glsl:3: ERROR: 'cornr'"},
       "as a fragment shader"},
      // texture2D is the desktop's old name, gone from ES 3.00.
      {"fragment_fault.glsl",
       "#ifdef FRAGMENT\n"
       "precision mediump float;\n"
       "uniform sampler2D picture;\n"
       "out vec4 colour;\n"
       "void main() { colour = texture2D(picture, vec2(0.0)); }\n"
       "#endif\n",
       {"fragment_fault.glsl as a fragment shader", "fragment_fault.glsl:5: ERROR:"},
       "as a vertex shader"},
      // The loader writes the version line itself; one in the file is a fault.
      {"own_version.glsl", "#version 330 core\n" + fragment,
       {"own_version.glsl as a vertex shader", "own_version.glsl:1: ERROR:"}, ""},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    dir.Write(c.file, c.text);
    const std::string faults = Validate(validator, dir.path + "/" + c.file, dir.path);
    if (c.said.empty()) {
      EXPECT_EQ(faults, "");
    }
    for (const std::string& part : c.said) EXPECT_TRUE(Has(faults, part)) << faults;
    if (*c.notSaid) {
      EXPECT_FALSE(Has(faults, c.notSaid)) << faults;
    }
  }
}
