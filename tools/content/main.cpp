// zorbanel-content OUTDIR: builds the bundled production into OUTDIR, in the order the pieces
// need each other: textures, music, the eight scenes as ASE exports, their conversion into binary
// scenes by zorbanel-convert (which sits beside this tool), the particle file and the script.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Music.h"
#include "Particles.h"
#include "Scenes.h"
#include "Textures.h"
#include "platform/Files.h"

namespace {

// The hand-written script lives in the source tree's production folder.
std::string ScriptSource() {
  std::filesystem::path here(__FILE__);
  return (here.parent_path().parent_path().parent_path() / "production" / "script2_full.txt")
      .string();
}

std::string ToolBeside(const char* name) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(name) : (self.parent_path() / name).string();
}

// Runs the converter in the current directory on every scene, as a user would.
bool ConvertScenes() {
  const std::string convert = ToolBeside("zorbanel-convert");
  std::vector<std::string> args = {convert};
  for (const char* name : kSceneNames) args.push_back(name);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    execv(convert.c_str(), argv.data());
    std::printf("No se pudo ejecutar %s\n", convert.c_str());
    std::fflush(stdout);
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return false;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  std::printf("%s terminó con error\n", convert.c_str());
  return false;
}

bool CopyScript(const std::string& source) {
  std::vector<uint8_t> text;
  if (!ReadWholeFile(source.c_str(), ReadLimit::kScript, text)) {
    std::printf("No se encuentra el guion %s\n", source.c_str());
    return false;
  }
  const bool ok = WriteWholeFile("escenas_bin\\script2_full.txt", text.data(), text.size());
  if (!ok) std::printf("No se pudo escribir escenas_bin\\script2_full.txt\n");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "uso: zorbanel-content CARPETA\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  if (error || chdir(argv[1]) != 0) {
    std::printf("No se puede usar la carpeta %s\n", argv[1]);
    return 1;
  }
  std::filesystem::create_directories("escenas_bin", error);

  struct Step {
    const char* what;
    bool (*run)();
  };
  const Step steps[] = {
      {"texturas", [] { return WriteTextures("."); }},
      {"música", [] { return WriteMusic("."); }},
      {"escenas ASE", [] { return WriteScenes("."); }},
      {"conversión de escenas", ConvertScenes},
      {"partículas", WriteParticles},
      {"guion", [] { return CopyScript(ScriptSource()); }},
  };
  for (const Step& step : steps) {
    std::printf("zorbanel-content: %s\n", step.what);
    if (!step.run()) {
      std::printf("zorbanel-content: falló el paso \"%s\"\n", step.what);
      return 1;
    }
  }
  std::printf("zorbanel-content: producción lista en %s\n", argv[1]);
  return 0;
}
