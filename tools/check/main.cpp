// zorbanel-check [DIR]: reads a production as the player will and reports, one finding a line as
// "file:line: what", everything the player would pass over in silence or fail on.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <vector>

#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "driver/PlayerOptions.h"
#include "platform/ChildProcess.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "timeline/EffectList.h"

namespace {

const char kUsage[] =
    "Usage: zorbanel-check [DIR]\n"
    "\n"
    "Checks the production in DIR (the working directory if left out) as the player reads it:\n"
    "the manifest (production.txt, or the bundled production's list when there is none but its\n"
    "script is there, as the player does), every file it names (images and the textures each\n"
    "scene names, scenes, particle files, music) and the script: words the player does not\n"
    "know, numbers it reads only in part, tabs, a last line without a newline, targets that\n"
    "are not loaded, effects that do nothing on their target, values the player holds to a\n"
    "range (and the value it uses), events before the start or after the end of the music,\n"
    "and a missing FX_QUIT.\n"
    "Each finding is one line, \"file:line: what\", on standard output.\n"
    "\n"
    "  --effects      lists every effect: its targets, parameters, their ranges and whether\n"
    "                 it can move\n"
    "  -h, --help     this help\n"
    "  --version      the program's version\n"
    "\n"
    "Exit status: 0 when nothing was found, 1 when something was, 2 for bad arguments.\n";

enum : int { kClean = 0, kFindings = 1, kBadArguments = 2 };

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  const size_t count = arguments.size();
  const std::string arg = count > 1 ? arguments[1] : "";
  if (count == 2 && (arg == "-h" || arg == "--help")) {
    std::fputs(kUsage, stdout);
    return kClean;
  }
  if (count == 2 && arg == "--version") {
    std::printf("zorbanel-check %s\n", ZB_VERSION);
    return kClean;
  }
  if (count == 2 && arg == "--effects") {
    std::fputs(EffectListText().c_str(), stdout);
    return kClean;
  }
  if (count > 2 || (!arg.empty() && arg[0] == '-')) {
    std::fprintf(stderr, "zorbanel-check: bad arguments\n\n%s", kUsage);
    return kBadArguments;
  }
  if (!arg.empty() && !EnterFolder(arg.c_str())) {
    std::fprintf(stderr, "zorbanel-check: cannot enter %s: %s\n", arg.c_str(), std::strerror(errno));
    return kBadArguments;
  }
  // The engine's readers log to standard output; the findings alone go there, and the log into
  // a file that goes with the process.
  std::fflush(stdout);
  FILE* report = ::fdopen(::dup(::fileno(stdout)), "w");
  FILE* log = OpenScratchFile();
  if (!report || !log || ::dup2(::fileno(log), ::fileno(stdout)) < 0) {
    std::fprintf(stderr, "zorbanel-check: cannot set up the report\n");
    return kBadArguments;
  }

  std::vector<std::string> findings;
  ContentManifest manifest;
  std::string none;
  // Where the player finds no production, the built-in list is not checked in its place.
  if (!HoldsProduction(none)) {
    findings.push_back(none);
  } else if (ReadProductionManifest(manifest, findings)) {
    findings.insert(findings.end(), manifest.warnings.begin(), manifest.warnings.end());
    ScriptTargets targets;
    CheckContentFiles(manifest, true, targets, findings);
    int32_t events = 0;
    CheckContentScript(manifest, targets, findings, events);
  }
  for (const std::string& finding : findings) std::fprintf(report, "%s\n", finding.c_str());
  std::fclose(report);
  return findings.empty() ? kClean : kFindings;
}
