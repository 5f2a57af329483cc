// zorbanel-convert: turns the production's ASE exports into the binary scenes the player loads,
// and summarises binary scene files.
#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "SceneSummary.h"
#include "driver/ConvertScene.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

const char kUsage[] =
    "Usage: zorbanel-convert [--quiet] SCENE...\n"
    "       zorbanel-convert --info FILE.bin...\n"
    "\n"
    "Converts each SCENE of the production in the current folder from escenas\\SCENE.ase,\n"
    ".gltf, .glb (glTF 2.0) or .obj to escenas_bin\\SCENE.bin and copies its textures into\n"
    "textures\\ (with the copy log escenas_bin\\SCENE.bin.TXT). Missing output folders are\n"
    "made. SCENE may also be written as escenas\\SCENE.ase (or .gltf...). When two of these\n"
    "files exist for one SCENE, nothing is converted: keep only the one to convert. What a\n"
    "glTF or OBJ file holds that the engine's scene cannot (skinning, morph targets, PBR\n"
    "maps...) is named once per file as a warning.\n"
    "\n"
    "An existing scene file is replaced only by a whole conversion: an ASE file that is\n"
    "empty, holds no geometric object, has a mesh element before its count or ends inside a\n"
    "block leaves escenas_bin\\SCENE.bin as it was, and the exit status is 1. Every file is\n"
    "written beside its target and renamed over it once complete, so an interrupted run\n"
    "leaves the old file or the new one.\n"
    "\n"
    "Textures: a *BITMAP path keeps only its file name, after the last \\, / or drive colon,\n"
    "and the scene stores textures\\NAME. Images, glTF buffers and OBJ material libraries\n"
    "are read only from inside the production: a path that leads out of it (absolute, \"..\",\n"
    "or through a link) is not read. The SCENE file itself is read wherever a link takes it. An\n"
    "existing texture is never replaced by a different image: if textures\\NAME holds other\n"
    "bytes, it is kept and the image is copied as textures\\NAME_2 (then _3...), which the\n"
    "scene then uses, with a warning. An image already in place is not copied again. A\n"
    "copy this converter made itself from the same image, unchanged since (recorded in\n"
    "textures\\.zorbanel-converted), is replaced instead.\n"
    "The player reads JPEG only: a PNG, TGA, BMP (any picture stb_image reads) becomes a\n"
    "JPEG of quality 92 of the same size, named with .jpg (wood.png -> textures\\wood.jpg),\n"
    "transparency flattened on black. An image not found at its path (one of another\n"
    "machine, D:\\...) is looked for in textures\\ by its name, then as its .jpg; the log\n"
    "names the places looked at. A texture the scene names that is not in the production is\n"
    "one warning: the player draws a checker pattern in its place.\n"
    "\n"
    "  --info    shows the contents of binary scene files: objects, vertices, faces,\n"
    "            materials with their textures, the bounding box (corners, centre, size),\n"
    "            cameras with their tracks, each with its distance to the box's centre and\n"
    "            whether the whole box is in its view at frame 0 (4:3 picture), and lights\n"
    "            with their tracks. Textures are looked up in the production that holds the\n"
    "            file's folder.\n"
    "  --quiet   leaves out the conversion's progress lines; the summary, warnings and\n"
    "            errors still show.\n"
    "  --help    this help.\n"
    "  --version the program's version.\n"
    "\n"
    "Exit status: 0 when everything was converted or read; 1 when a file is missing, cannot\n"
    "be read or written, is damaged or holds nothing usable; 2 for invalid arguments. A\n"
    "texture that cannot be copied or found is only a warning.\n";

const char kTool[] = "zorbanel-convert";

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return text.size() >= n && ::strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

// "escenas\nudo.ase", "escenas/nudo.gltf" and "nudo" all name the scene "nudo".
std::string SceneName(std::string name) {
  if (name.size() > 8 && ::strncasecmp(name.c_str(), "escenas", 7) == 0 &&
      (name[7] == '\\' || name[7] == '/'))
    name.erase(0, 8);
  for (const char* kind : {".ase", ".gltf", ".glb", ".obj"})
    if (EndsWithIgnoringCase(name, kind)) name.resize(name.size() - std::strlen(kind));
  return name;
}

bool CanRead(const std::string& path) {
  FILE* f = OpenFile(path.c_str(), "rb");
  if (!f) return false;
  char probe;
  const bool readable = std::fread(&probe, 1, 1, f) == 1 || !std::ferror(f);
  std::fclose(f);
  return readable;
}

// Lines of the engine's log that hold one of the words.
std::vector<std::string> LinesWith(const std::string& log, std::initializer_list<const char*> words) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    for (const char* word : words)
      if (line.find(word) != std::string::npos) {
        lines.push_back(line);
        break;
      }
    start = end + 1;
  }
  return lines;
}

std::string ProductionDirOf(const std::string& binPath) {
  return std::filesystem::u8path(ResolvePath(binPath.c_str())).parent_path().parent_path().u8string();
}

int g_boxes = 0;  // message boxes of the scene model during the current file

// Reads a binary scene that can be opened; false (with the faults on standard error) when it is
// damaged. The scene then holds what was read before the fault.
bool ReadBinaryScene(const std::string& path, Scene& scene) {
  LogCapture capture;
  SceneBinaryFile file;
  file.readScene(path.c_str(), scene);
  const std::vector<std::string> faults = LinesWith(capture.stop(), {"ERROR"});
  for (const std::string& line : faults) std::fprintf(stderr, "%s: %s\n", kTool, line.c_str());
  return faults.empty();
}

bool Convert(const std::string& argument, bool quiet) {
  const std::string name = SceneName(argument);
  if (name.empty()) {
    std::fprintf(stderr, "%s: no scene name in '%s'\n", kTool, argument.c_str());
    return false;
  }
  const std::string binPath = "escenas_bin\\" + name + ".bin";
  std::string asePath, why;
  if (!FindSceneSource(name.c_str(), asePath, why)) {
    std::fprintf(stderr, "%s: %s\n", kTool, why.c_str());
    return false;
  }
  if (!CanRead(asePath)) {
    std::fprintf(stderr, "%s: %s is not there or cannot be read\n", kTool, asePath.c_str());
    return false;
  }
  // The file named on the command line is the user's choice, wherever a link takes it; what it
  // names is production content.
  AllowReadOf(asePath.c_str());
  g_boxes = 0;
  bool converted;
  if (quiet) {
    // Quiet drops the progress lines only: warnings and errors still reach the user.
    LogCapture capture;
    converted = ConvertSceneFromAse(name.c_str());
    for (const std::string& line : LinesWith(capture.stop(), {"ERROR", "WARNING", "not read"}))
      std::fprintf(stderr, "%s: %s\n", kTool, line.c_str());
  } else {
    converted = ConvertSceneFromAse(name.c_str());
    std::fflush(stdout);
  }
  if (!converted) {
    std::fprintf(stderr, "%s: could not convert %s into %s\n", kTool, asePath.c_str(), binPath.c_str());
    return false;
  }
  if (g_boxes > 0)
    std::fprintf(stderr, "%s: warning: %d warnings from the scene model while reading %s\n", kTool, g_boxes,
                 asePath.c_str());

  // The summary comes from the file just written, so it also proves the file reads back.
  Scene scene;
  const bool readBack = CanRead(binPath) && ReadBinaryScene(binPath, scene);
  std::printf("%s -> %s: %u objects, %u materials, %u cameras, %u lights\n", asePath.c_str(),
              binPath.c_str(), scene.objectsReady ? scene.objectCount : 0, scene.materialCount,
              scene.cameraCount, scene.lightCount);
  for (const std::string& texture : MissingTextures(scene, ""))
    std::fprintf(stderr,
                 "%s: warning: %s names %s, which is not in the production: the player will draw "
                 "a checker pattern in its place; put the picture there or fix its path in the "
                 "export, and convert again\n",
                 kTool, binPath.c_str(), texture.c_str());
  scene.release();
  return readBack;
}

bool Info(const std::string& path) {
  if (!CanRead(path)) {
    std::fprintf(stderr, "%s: %s is not there or cannot be read\n", kTool, path.c_str());
    return false;
  }
  Scene scene;
  const bool ok = ReadBinaryScene(path, scene);
  const FileFacts facts = ExamineFile(path.c_str());
  std::printf("%s (%llu bytes)%s\n", path.c_str(), static_cast<unsigned long long>(facts.size),
              ok ? "" : ", damaged: what was read up to the fault is shown");
  PrintSceneSummary(stdout, scene, ProductionDirOf(path));
  scene.release();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  bool info = false, quiet = false;
  std::vector<std::string> operands;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("%s %s\n", kTool, ZB_VERSION);
      return 0;
    }
    if (arg == "--info") {
      info = true;
    } else if (arg == "--quiet" || arg == "-q") {
      quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "%s: unknown option '%s'\n\n%s", kTool, arg.c_str(), kUsage);
      return 2;
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.empty()) {
    std::fprintf(stderr, "%s: %s missing\n\n%s", kTool, info ? "the file is" : "the scene is", kUsage);
    return 2;
  }

  // A command-line tool shows no dialogs: the scene model's boxes go to standard error only.
  SetMessageBoxHandler([](const char*, const char*, unsigned) {
    ++g_boxes;
    return IDOK;
  });
  bool allOk = true;
  for (const std::string& operand : operands) allOk = (info ? Info(operand) : Convert(operand, quiet)) && allOk;
  return allOk ? 0 : 1;
}
