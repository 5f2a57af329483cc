// zorbanel-check [DIR]: reads a production as the player will and reports, one finding a line as
// "file:line: what", everything the player would pass over in silence or fail on. With
// --timeline it also draws the production along its music as an HTML page.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TimelinePage.h"
#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "driver/PlayerOptions.h"
#include "platform/ChildProcess.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "timeline/EffectList.h"

namespace {

const char kUsage[] =
    "Usage: zorbanel-check [DIR] [--timeline PAGE.html [--thumbnails T1,T2,...]]\n"
    "\n"
    "Checks the production in DIR (the working directory if left out) as the player reads it:\n"
    "the manifest (production.txt, or the bundled production's list when there is none but its\n"
    "script is there, as the player does), every file it names (images and the textures each\n"
    "scene names, scenes, particle files, music) and the script: words the player does not\n"
    "know, numbers it reads only in part, tabs, a last line without a newline, targets that\n"
    "are not loaded, effects that do nothing on their target, missing and extra parameters,\n"
    "values the player holds to a range (and the value it uses), FX_AQUA on a scene the\n"
    "manifest does not prepare for it, two events at one time that set one thing to different\n"
    "values, events before the start or after the end of the music, and a missing FX_QUIT.\n"
    "Each finding is one line, \"file:line: what\", on standard output. A manifest without a\n"
    "music line is told once as a note, which is not a finding: the production then plays on\n"
    "a silent clock to its FX_QUIT; named music that cannot be played is a finding.\n"
    "\n"
    "  --timeline PAGE.html  also writes the timeline: one HTML page that holds all it shows\n"
    "                        (open it in a browser): the music's waveform, one lane per scene,\n"
    "                        layer and particle system, every event as a mark, the beat grid\n"
    "                        when the manifest gives a tempo, the findings at their times, and\n"
    "                        pictures of the production made by zorbanel-capture. A file\n"
    "                        already at PAGE.html is replaced only when this tool wrote it\n"
    "  --thumbnails T1,T2,...\n"
    "                        the seconds to picture (default: six spread over the time the\n"
    "                        production plays; an empty list: none)\n"
    "  --effects             lists every effect: its targets, parameters, their ranges and\n"
    "                        whether it can move\n"
    "  -h, --help            this help\n"
    "  --version             the program's version\n"
    "\n"
    "Exit status: 0 when nothing was found, 1 when something was (or DIR holds no production),\n"
    "2 for bad arguments or a page that cannot be written.\n";

enum : int { kClean = 0, kFindings = 1, kBadArguments = 2 };

constexpr int kDefaultThumbnails = 6;

struct Options {
  std::string folder;
  std::string page;  // absolute, so it names the same file once the folder is entered
  bool pictureTimesGiven = false;
  std::vector<double> pictureTimes;
};

bool EndsWithHtml(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "html" || ext == "htm";
}

// "12,30.5,61": seconds of music, each 0 or more.
bool ReadTimes(const std::string& text, std::vector<double>& times) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    char* stop = nullptr;
    const double value = std::strtod(word.c_str(), &stop);
    if (word.empty() || *stop != '\0' || !(value >= 0) || value > 1e6) return false;
    times.push_back(value);
    start = end + 1;
  }
  return true;
}

// False, with the reason, for arguments that do not make a run.
bool ReadOptions(const std::vector<std::string>& arguments, Options& options, std::string& why) {
  bool folderGiven = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    const bool valued = arg == "--timeline" || arg == "--thumbnails";
    if (valued && i + 1 >= arguments.size()) {
      why = arg + " needs a value";
      return false;
    }
    if (arg == "--timeline") {
      const std::string name = arguments[++i];
      if (!EndsWithHtml(name)) {
        why = "the timeline page's name must end in .html";
        return false;
      }
      options.page = std::filesystem::absolute(std::filesystem::u8path(name)).u8string();
    } else if (arg == "--thumbnails") {
      options.pictureTimesGiven = true;
      if (!ReadTimes(arguments[++i], options.pictureTimes)) {
        why = "--thumbnails takes seconds separated by commas, such as 10,42.5";
        return false;
      }
    } else if (!arg.empty() && arg[0] != '-' && !folderGiven) {
      options.folder = arg;
      folderGiven = true;
    } else {
      why = "bad arguments";
      return false;
    }
  }
  if (options.pictureTimesGiven && options.page.empty()) {
    why = "--thumbnails goes with --timeline";
    return false;
  }
  return true;
}

// The timeline page of the checked production; false, said on standard error, when it cannot be
// written.
bool WritePage(const Options& options, const ContentManifest& manifest, const ScriptCheck& script,
               const std::vector<std::string>& fileFindings, float musicSeconds) {
  TimelinePage page = MakeTimelinePage(manifest, script, fileFindings);
  // About 25 columns a second: a wide screen shows the whole music with a column a pixel.
  const int columns = std::max(100, std::min(20000, static_cast<int>(musicSeconds * 25)));
  if (manifest.music.path.empty())
    page.waveNote = "no music: the production plays on a silent clock";
  else if (!ReadWaveform(manifest.music.path, columns, page.wave, page.waveNote))
    page.waveNote = "no waveform: " + page.waveNote;
  const std::vector<double> times = options.pictureTimesGiven
                                        ? options.pictureTimes
                                        : SpreadTimes(PlayedSeconds(page), kDefaultThumbnails);
  page.thumbnails = CaptureThumbnails(RealPath("."), times, page.thumbnailNote);
  std::string error;
  if (!WriteTimelinePage(options.page, TimelineHtml(page), error)) {
    std::fprintf(stderr, "zorbanel-check: %s\n", error.c_str());
    return false;
  }
  return true;
}

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
  Options options;
  std::string why;
  if (!ReadOptions(arguments, options, why)) {
    std::fprintf(stderr, "zorbanel-check: %s\n\n%s", why.c_str(), kUsage);
    return kBadArguments;
  }
  if (!options.folder.empty() && !EnterFolder(options.folder.c_str())) {
    std::fprintf(stderr, "zorbanel-check: cannot enter %s: %s\n", options.folder.c_str(),
                 std::strerror(errno));
    return kBadArguments;
  }
  // Read as the player reads it: nothing outside the production.
  KeepReadsWithin(".");
  // Where the player finds no production, the built-in list is not checked in its place: the
  // answer is the player's.
  std::string none;
  if (!HoldsProduction(none)) {
    std::fprintf(stderr, "zorbanel-check: %s.\nName the production's folder: zorbanel-check DIR.\n",
                 none.c_str());
    return kFindings;
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
  bool written = true;
  if (ReadProductionManifest(manifest, findings)) {
    // How the production plays without music: worth knowing, not a fault.
    const std::string silence = SilentClockNote(manifest);
    if (!silence.empty()) std::fprintf(report, "%s (note)\n", silence.c_str());
    findings.insert(findings.end(), manifest.warnings.begin(), manifest.warnings.end());
    ScriptTargets targets;
    CheckContentFiles(manifest, true, targets, findings);
    const std::vector<std::string> fileFindings = findings;
    int32_t events = 0;
    ScriptCheck script;
    CheckContentScript(manifest, targets, findings, events, &script);
    if (!options.page.empty())
      written = WritePage(options, manifest, script, fileFindings, targets.musicSeconds);
  } else if (!options.page.empty()) {
    std::fprintf(stderr, "zorbanel-check: no timeline page: the manifest cannot be used\n");
  }
  for (const std::string& finding : findings) std::fprintf(report, "%s\n", finding.c_str());
  std::fclose(report);
  if (!written) return kBadArguments;
  return findings.empty() ? kClean : kFindings;
}
