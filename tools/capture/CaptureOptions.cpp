#include "CaptureOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Ffmpeg.h"
#include "VideoEncoder.h"
#include "driver/PlayerOptions.h"

const char kCaptureUsage[] =
    "Usage: zorbanel-capture [options] [VIDEO]\n"
    "       zorbanel-capture --join VIDEO PART...\n"
    "\n"
    "Renders the production of the working directory (or of -C) frame by frame, at a fixed rate\n"
    "and with no visible window, into VIDEO (zorbanel.mp4 when not given): H.264 picture and,\n"
    "when the production has music, AAC sound. Needs ffmpeg. Frame k is composed at second\n"
    "k / fps of the music and every clock of the production moves 1 / fps s per frame, so two\n"
    "captures give the same frames. A scene that waits for its own animation rate moves the\n"
    "clock on, as in real time: frames that fall in that wait repeat the picture before.\n"
    "\n"
    "  -C, --production DIR  the production in folder DIR\n"
    "  -o, --output VIDEO    the video file (also as the one plain argument), ending in .mp4,\n"
    "                        .m4v, .mov, .mkv, .avi or .ts\n"
    "  --fps N               frames per second, 1 to 240 (60)\n"
    "  --from S              first second written (0)\n"
    "  --to S                second at which the capture ends (default: the script's FX_QUIT\n"
    "                        event or the end of the music); S from 0 to 86400\n"
    "  --part K/N            only the K-th of N equal stretches of --from..--to (1 <= K <= N <=\n"
    "                        1000); join the videos with --join\n"
    "  --exact               compose every frame from second 0 (slow), so a stretch or part\n"
    "                        is the same frames as in the whole capture\n"
    "  --size WxH            the frames' size, even numbers up to 3840x2160, such as\n"
    "                        1920x1080 or 2560x1440 (default 800x600): everything is drawn at\n"
    "                        that size, the picture as large as it fits at its own 4:3, with\n"
    "                        black bars beside it\n"
    "  --fill                with --size, the picture fills the frame's width instead: a 4:3\n"
    "                        picture in a wider frame loses equal strips at top and bottom\n"
    "  --renderer NAME       gl3 (the default: OpenGL 3.3 core profile with shaders, the\n"
    "                        classic pictures within a small tolerance) or classic (the\n"
    "                        fixed-function pipeline: the reference frames); where gl3\n"
    "                        cannot start, a line says so and classic draws\n"
    "  --preset NAME         video encoder speed: ultrafast (default), superfast, veryfast,\n"
    "                        faster, fast, medium, slow, slower, veryslow; slower ones give a\n"
    "                        smaller file of the same quality (CRF 18)\n"
    "  --frames DIR          numbered PNG frames in DIR instead of a video: DIR/000123.png is\n"
    "                        frame 123, at second 123 / fps (no ffmpeg needed); parts written\n"
    "                        to one DIR need no join\n"
    "  --join VIDEO PART...  puts the videos of the parts together, in the order given, into\n"
    "                        VIDEO without encoding them again (ffmpeg's concat demuxer); each\n"
    "                        part is checked first (ffprobe): a video of the same size, frame\n"
    "                        rate and codecs as the first\n"
    "  -h, --help            this help\n"
    "  --version             the program's version\n"
    "\n"
    "A stretch (--from, --part) starts with a seek: the script's events up to two seconds\n"
    "before it are applied without drawing, then those two seconds are drawn unwritten, so the\n"
    "feedback trail and glow have their history. A late stretch costs about its own length.\n"
    "Its frames match the whole capture's but for what carries a long history (a trail older\n"
    "than two seconds); --exact gives the very same frames.\n"
    "\n"
    "Outputs are written beside their final name and take it only when whole: a video when\n"
    "ffmpeg reported no error and it reads back (ffprobe, where installed). A capture that\n"
    "fails (a full disk, a file-size limit) or is killed leaves the old file (or frame) as it\n"
    "was. Where the file system has no unnamed files, the one being written is named\n"
    ".tmp-HOST-PID-N; a killed run leaves it, and the next write into that folder on that host\n"
    "removes it. An output inside the production's input folders (escenas, escenas_bin,\n"
    "textures, music) or that is a file the production reads (by identity, links too) is\n"
    "refused, so a capture can never overwrite what the production plays.\n"
    "\n"
    "Progress goes to standard error; the engine's log to LOGFILE-capture-PID.TXT in the\n"
    "production's folder, a file for each run (PID: its process id), so captures run at once\n"
    "keep their logs and the player's LOGFILE.TXT is left alone.\n"
    "\n"
    "Exit status: 0 when everything was written; 1 when the production is missing, nothing is\n"
    "to be captured or the capture fails; 2 for invalid arguments or an output the production\n"
    "reads; 130 when interrupted (what was written is whole).\n";

namespace {

bool ReadInt(const char* text, int low, int high, int& value, const char** rest = nullptr) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || errno != 0 || v < low || v > high) return false;
  if (rest) *rest = end;
  else if (*end != '\0') return false;
  value = static_cast<int>(v);
  return true;
}

// WxH, both even (the video's colour planes are halved) and within kMaxWidth x kMaxHeight.
bool ReadSize(const char* text, int& width, int& height) {
  const char* rest = nullptr;
  int w = 0, h = 0;
  if (*text < '0' || *text > '9' || !ReadInt(text, 2, kMaxWidth, w, &rest)) return false;
  if ((*rest != 'x' && *rest != 'X') || rest[1] < '0' || rest[1] > '9') return false;
  if (!ReadInt(rest + 1, 2, kMaxHeight, h) || w % 2 != 0 || h % 2 != 0) return false;
  width = w;
  height = h;
  return true;
}

// K/N with 1 <= K <= N <= kMaxParts.
bool ReadPart(const char* text, int& part, int& parts) {
  const char* rest = nullptr;
  int k = 0, n = 0;
  if (!ReadInt(text, 1, kMaxParts, k, &rest) || *rest != '/') return false;
  if (!ReadInt(rest + 1, 1, kMaxParts, n) || k > n) return false;
  part = k;
  parts = n;
  return true;
}

const char* Expected(const std::string& arg) {
  if (arg == "--fps") return " (a whole number from 1 to 240)";
  if (arg == "--from" || arg == "--to") return " (seconds, from 0 to 86400)";
  if (arg == "--part") return " (K/N, 1 <= K <= N <= 1000)";
  if (arg == "--preset") return " (ultrafast ... veryslow, see --help)";
  if (arg == "--renderer") return " (classic or gl3)";
  if (arg == "--size") return " (WxH, even numbers from 2x2 to 3840x2160, such as 1920x1080)";
  return "";
}

}  // namespace

ParseResult ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                                std::string& error) {
  bool outputGiven = false;
  bool presetGiven = false;
  if (argc > 0 && std::strcmp(argv[0], "--join") == 0) {
    for (int i = 1; i < argc; ++i)
      if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0)
        return ParseResult::Help;
    if (argc < 3) {
      error = "--join needs the video to write and at least one part";
      return ParseResult::Bad;
    }
    options.output = argv[1];
    options.join.assign(argv + 2, argv + argc);
    if (!IsVideoName(options.output)) {
      error = "the video's name must end in " + std::string(kVideoEndings);
      return ParseResult::Bad;
    }
    return ParseResult::Run;
  }
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") return ParseResult::Help;
    if (arg == "--exact" || arg == "--fill") {
      (arg == "--exact" ? options.exact : options.fill) = true;
      continue;
    }
    if (arg == "--join") {
      error = "--join comes first and takes no other options";
      return ParseResult::Bad;
    }
    const bool takesValue = arg == "-C" || arg == "--production" || arg == "-o" ||
                            arg == "--output" || arg == "--fps" || arg == "--from" ||
                            arg == "--to" || arg == "--frames" || arg == "--part" ||
                            arg == "--preset" || arg == "--size" || arg == "--renderer";
    if (takesValue) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return ParseResult::Bad;
      }
      const char* value = argv[++i];
      bool valid = *value != '\0';
      if (arg == "--fps") {
        valid = ReadInt(value, 1, kMaxFps, options.fps);
      } else if (arg == "--from") {
        valid = ReadSeconds(value, options.from);
      } else if (arg == "--to") {
        valid = ReadSeconds(value, options.to);
      } else if (arg == "--size") {
        valid = ReadSize(value, options.width, options.height);
      } else if (arg == "--part") {
        valid = ReadPart(value, options.part, options.parts);
      } else if (arg == "--preset") {
        valid = IsVideoPreset(value);
        options.preset = value;
        presetGiven = true;
      } else if (arg == "--renderer") {
        valid = ParseRendererKind(value, options.renderer);
      } else if (arg == "--frames") {
        options.framesDir = value;
      } else if (arg == "-C" || arg == "--production") {
        options.production = value;
      } else if (outputGiven) {
        error = "the video is named only once";
        return ParseResult::Bad;
      } else {
        options.output = value;
        outputGiven = true;
      }
      if (!valid) {
        error = "bad value for " + arg + ": '" + value + "'" + Expected(arg);
        return ParseResult::Bad;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return ParseResult::Bad;
    } else if (outputGiven) {
      error = "the video is named only once: '" + arg + "' is one too many";
      return ParseResult::Bad;
    } else {
      options.output = arg;
      outputGiven = true;
    }
  }
  if (options.to >= 0 && options.to <= options.from) {
    error = "--to must be greater than --from";
    return ParseResult::Bad;
  }
  if (!options.framesDir.empty() && outputGiven) {
    error = "--frames writes frames, not a video: leave out the video's name";
    return ParseResult::Bad;
  }
  if (options.framesDir.empty() && !IsVideoName(options.output)) {
    error = "the video's name must end in " + std::string(kVideoEndings);
    return ParseResult::Bad;
  }
  if (options.fill && options.width == 0) {
    error = "--fill needs --size: at the picture's own size there is nothing to fill";
    return ParseResult::Bad;
  }
  if (!options.framesDir.empty() && presetGiven) {
    error = "--preset sets the video encoder's speed; PNG frames (--frames) have none";
    return ParseResult::Bad;
  }
  return ParseResult::Run;
}
