#include "driver/PlayerOptions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/ContentManifest.h"
#include "driver/Startup.h"
#include "platform/Files.h"

const char kPlayerUsage[] =
    "Usage: zorbanel [options] [PRODUCTION_DIR]\n"
    "\n"
    "Plays the production in PRODUCTION_DIR (or the working directory) in time with its music.\n"
    "\n"
    "  -C DIR          the production in DIR (the same as PRODUCTION_DIR)\n"
    "  --window        play in a window\n"
    "  --fullscreen    play full screen, on the desktop's own mode with the picture at its\n"
    "                  aspect (without either, full screen is asked for and a window offered\n"
    "                  where the display refuses it)\n"
    "  --from S        start at second S of the production\n"
    "  --loop A B      play seconds A to B again and again\n"
    "  --renderer NAME classic (the default: the fixed-function pipeline, the reference\n"
    "                  pictures) or gl3 (OpenGL 3.3 core profile with shaders, faster; the\n"
    "                  same pictures within a small tolerance). Where gl3 cannot start, a\n"
    "                  line says so and classic draws\n"
    "  --dev           authoring keys (below), and the script and production.txt reloaded\n"
    "                  when saved\n"
    "  -h, --help      this help\n"
    "  --version       the version\n"
    "\n"
    "Keys: Escape ends, F1 shows the time and frame rate. With --dev also: Space pauses and\n"
    "resumes, Left/Right seek 1 s, Up/Down 10 s, Home restarts, L marks the loop start, then its\n"
    "end, then clears it, R reloads the script and the manifest (production.txt). With a tempo\n"
    "in the manifest, Shift+Left/Right step to the previous/next beat, Ctrl+Left/Right a bar.\n"
    "\n"
    "The log is LOGFILE.TXT in the production's folder. Exit status: 0 after a run; 1 when there\n"
    "is no production; 2 for bad arguments.\n";

bool ReadSeconds(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !(v >= 0 && v <= kMaxSeconds)) return false;
  value = v;
  return true;
}

PlayerCommand ParsePlayerOptions(int argc, const char* const* argv, PlayerOptions& options,
                                 std::string& error) {
  bool dirGiven = false;
  auto setDir = [&](const std::string& dir) {
    if (dirGiven || dir.empty()) {
      error = dir.empty() ? "the production folder is empty" : "one production folder only";
      return false;
    }
    options.production = dir;
    dirGiven = true;
    return true;
  };
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    // How many values the option takes, and a description of them for the messages.
    const int values =
        arg == "--loop" ? 2 : arg == "-C" || arg == "--from" || arg == "--renderer" ? 1 : 0;
    if (i + values >= argc) {
      error = "missing value for " + arg;
      return PlayerCommand::Bad;
    }
    if (arg == "-h" || arg == "--help") return PlayerCommand::Help;
    if (arg == "--version") return PlayerCommand::Version;
    if (arg == "--window" || arg == "--fullscreen") {
      const WindowChoice choice = arg == "--window" ? WindowChoice::Window : WindowChoice::Fullscreen;
      if (options.window != WindowChoice::Ask && options.window != choice) {
        error = "--window and --fullscreen exclude each other";
        return PlayerCommand::Bad;
      }
      options.window = choice;
    } else if (arg == "--dev") {
      options.dev = true;
    } else if (arg == "-C") {
      if (!setDir(argv[++i])) return PlayerCommand::Bad;
    } else if (arg == "--from") {
      if (!ReadSeconds(argv[++i], options.from)) {
        error = std::string("--from takes seconds from 0 to 86400, not '") + argv[i] + "'";
        return PlayerCommand::Bad;
      }
    } else if (arg == "--renderer") {
      if (!ParseRendererKind(argv[++i], options.renderer)) {
        error = std::string("--renderer is classic or gl3, not '") + argv[i] + "'";
        return PlayerCommand::Bad;
      }
    } else if (arg == "--loop") {
      const char* a = argv[++i];
      const char* b = argv[++i];
      if (!ReadSeconds(a, options.loopStart) || !ReadSeconds(b, options.loopEnd) ||
          options.loopEnd <= options.loopStart) {
        error = std::string("--loop takes two times A < B in seconds, not '") + a + "' '" + b + "'";
        return PlayerCommand::Bad;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return PlayerCommand::Bad;
    } else if (!setDir(arg)) {
      return PlayerCommand::Bad;
    }
  }
  return PlayerCommand::Play;
}

bool HoldsProduction(std::string& why) {
  // A folder with a manifest, or with the bundled production's script, holds a production. Any
  // entry by the manifest's name counts, a dangling link or a folder too: the manifest reader then
  // names what is wrong with it.
  if (ExamineFile(kManifestFile).kind != FileKind::missing ||
      ExamineFile(kScriptPath).kind == FileKind::regular)
    return true;
  std::string script = kScriptPath;
  std::replace(script.begin(), script.end(), '\\', '/');
  why = RealPath(".") + " holds no production (no " + kManifestFile + ", nor " + script + ")";
  return false;
}

bool EnterProduction(const std::string& dir) {
  if (!dir.empty() && !EnterFolder(dir.c_str())) {
    std::fprintf(stderr, "zorbanel: cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
    return false;
  }
  // Nothing outside the production is read, whatever its files or links name.
  KeepReadsWithin(".");
  std::string why;
  if (HoldsProduction(why)) return true;
  std::fprintf(stderr,
               "zorbanel: %s.\n"
               "Name the production's folder: zorbanel PRODUCTION_DIR, or zorbanel -C DIR.\n",
               why.c_str());
  return false;
}
