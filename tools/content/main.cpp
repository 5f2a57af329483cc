// zorbanel-content OUTDIR: builds the bundled production into OUTDIR, in the order the pieces
// need each other: textures, music, the eight scenes as ASE exports, their conversion into binary
// scenes by zorbanel-convert (which sits beside this tool), the particle file, the script and the
// manifest. zorbanel-content --new DIR makes the skeleton of a new production instead.
//
// OUTDIR must be empty or hold only the tool's own earlier output, unchanged: what it wrote is
// recorded in OUTDIR (see OutputRecord.h), so a run in a user's production refuses and writes
// nothing.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Music.h"
#include "OutputRecord.h"
#include "Particles.h"
#include "Scenes.h"
#include "Skeleton.h"
#include "Textures.h"
#include "driver/ContentManifest.h"
#include "platform/ChildProcess.h"
#include "platform/Console.h"
#include "platform/Files.h"

// The bundled production's hand-written parts (production/), built in so the tool works wherever
// it is installed.
extern const char kBundledScriptText[];

namespace {

const char kUsage[] =
    "Usage: zorbanel-content OUTDIR\n"
    "       zorbanel-content --new DIR\n"
    "\n"
    "OUTDIR: builds the bundled production into OUTDIR (created if needed): textures, music,\n"
    "scenes (converted with zorbanel-convert, which must sit beside this program), particles,\n"
    "script and manifest. The same bytes on every run. OUTDIR must be empty or hold only this\n"
    "program's own earlier output, unchanged (its files, sizes and hashes are listed in\n"
    "OUTDIR/.zorbanel-content; the logs of runs there, LOGFILE*.TXT, may be there too): any\n"
    "other file, or one edited since, and nothing is written.\n"
    "\n"
    "--new DIR: makes DIR, which must not exist or be empty, a new production that plays at\n"
    "once: one scene, one title layer, sixteen seconds of music, a manifest (production.txt)\n"
    "and a commented script (script.txt) to start from. Play it with `zorbanel` in DIR.\n"
    "\n"
    "  -h, --help     this help\n"
    "  --version      the program's version\n"
    "\n"
    "Exit status: 0 when done, 1 when a step failed, 2 for bad arguments.\n";

// Runs the converter in the current directory on the scenes, as a user would.
bool ConvertScenes(const std::vector<std::string>& names) {
  const std::string convert = ProgramBeside("zorbanel-convert");
  std::vector<std::string> args = {convert};
  args.insert(args.end(), names.begin(), names.end());
  std::fflush(stdout);
  ChildProcess converter;
  std::string error;
  int status = 0;
  if (!converter.Start(args, ChildOptions(), error)) {
    std::printf("Could not run %s\n", convert.c_str());
  } else if (converter.Wait(status)) {
    return true;
  }
  std::printf("%s ended with an error\n", convert.c_str());
  return false;
}

std::vector<std::string> BundledSceneNames() {
  std::vector<std::string> names;
  for (const ManifestScene& scene : DefaultManifest().scenes) names.push_back(scene.name);
  return names;
}

bool MakeFolderAndEnter(const char* folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(folder), error);
  if (error || !EnterFolder(folder)) {
    std::printf("Cannot use the folder %s\n", folder);
    return false;
  }
  return true;
}

// A new production goes only where it cannot overwrite anything.
int MakeSkeleton(const char* folder) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::u8path(folder);
  if (std::filesystem::exists(path, error) && !std::filesystem::is_empty(path, error)) {
    std::fprintf(stderr, "zorbanel-content: %s is not empty: choose a new folder\n", folder);
    return 1;
  }
  if (!MakeFolderAndEnter(folder)) return 1;
  if (!WriteSkeleton() || !ConvertScenes({kSkeletonScene})) {
    std::fprintf(stderr, "zorbanel-content: the new production in %s is incomplete\n", folder);
    return 1;
  }
  std::printf("zorbanel-content: new production in %s; play it with `zorbanel` there\n", folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  const size_t count = arguments.size();
  const std::string first = count > 1 ? arguments[1] : "";
  if (count == 2 && (first == "-h" || first == "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (count == 2 && first == "--version") {
    std::printf("zorbanel-content %s\n", ZB_VERSION);
    return 0;
  }
  if (count == 3 && first == "--new") return MakeSkeleton(arguments[2].c_str());
  if (count != 2 || first.empty() || first[0] == '-') {
    std::fprintf(stderr, "zorbanel-content: bad arguments\n\n%s", kUsage);
    return 2;
  }
  if (!MakeFolderAndEnter(first.c_str())) return 1;
  const OutputCheck check = CheckOutputFolder(".");
  if (!check.allowed) {
    std::fprintf(stderr,
                 "zorbanel-content: %s %s: nothing written. The bundled production goes only "
                 "into an empty folder or over this program's own earlier output (listed in "
                 "%s); choose another folder.\n",
                 (std::filesystem::u8path(first) / std::filesystem::u8path(check.file))
                     .generic_u8string()
                     .c_str(),
                 check.why.c_str(), kOutputRecordFile);
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories("escenas_bin", error);

  struct Step {
    const char* what;
    bool (*run)();
  };
  const Step steps[] = {
      {"textures", [] { return WriteTextures("."); }},
      {"music", [] { return WriteMusic("."); }},
      {"ASE scenes", [] { return WriteScenes("."); }},
      {"scene conversion", [] { return ConvertScenes(BundledSceneNames()); }},
      {"particles", WriteParticles},
      {"script", [] { return WriteText(DefaultManifest().script.path.c_str(), kBundledScriptText); }},
      {"manifest", [] { return WriteText(kManifestFile, kDefaultManifestText); }},
  };
  for (const Step& step : steps) {
    std::printf("zorbanel-content: %s\n", step.what);
    if (!step.run()) {
      std::printf("zorbanel-content: the step \"%s\" failed\n", step.what);
      // What a failed run left is still the tool's own, and a later run may write over it.
      WriteOutputRecord(".");
      return 1;
    }
  }
  if (!WriteOutputRecord(".")) return 1;
  std::printf("zorbanel-content: production ready in %s\n", first.c_str());
  return 0;
}
