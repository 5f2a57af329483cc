#include "Capture.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "EncodeQueue.h"
#include "FrameClock.h"
#include "FrameReader.h"
#include "FrameTarget.h"
#include "PngFrames.h"
#include "ProductionInputs.h"
#include "Progress.h"
#include "VideoEncoder.h"
#include "driver/ContentManifest.h"
#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/AudioOutput.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/OpenGL.h"
#include "render/SceneRenderer.h"
#include "timeline/Timeline.h"

namespace {

const char kTool[] = "zorbanel-capture";
// Random shakes from a fixed seed: two captures give the same frames.
constexpr unsigned kShakeSeed = 1;

int g_boxes = 0;

// Nobody can answer a box during a capture: the log keeps it and the first button is taken.
int AnswerBox(const char* text, const char* caption, unsigned type) {
  ++g_boxes;
  const int answer = MessageBoxDefaultAnswer(type);
  std::printf("- Message [%s] %s (answer: %s)\n", caption, text, answer == IDYES ? "Yes" : "OK");
  return answer;
}

// The frames drawn, unwritten, before a stretch that starts with a seek: the feedback trail and
// the glow build their picture from the frames before, and fade within this much.
constexpr int kWarmUpSeconds = 2;

// The time of the script's quit event, or -1 when it has none that can come due.
float QuitTime() {
  for (int32_t i = static_cast<int32_t>(g_timeline.cursor); i < g_timeline.eventCount; ++i) {
    const ScriptEvent& e = g_timeline.events[i];
    if (e.targetKind == SCENE && e.effect == FX_QUIT) return std::isfinite(e.time) ? e.time : -1;
  }
  return -1;
}

// Where the capture stops when no --to is given: the quit event while the music still runs,
// else the end of the music. On a silent clock, which has no end, the quit event alone; false
// when there is none.
bool ProductionEnd(float& seconds) {
  const float length = g_music.m_stream ? g_music.Length() : 0;
  const float quit = QuitTime();
  if (length <= 0 && quit < 0) return false;
  seconds = quit >= 0 && (length <= 0 || quit <= length) ? quit : length;
  return true;
}

// The pending window messages; false once the window was closed (SDL turns Ctrl+C into that).
bool DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

std::unique_ptr<FrameSink> OpenSink(const CaptureOptions& options, const GLWindow::Rect& frame,
                                    int64_t first, int64_t end) {
  const int width = frame.width, height = frame.height;
  std::string error;
  std::unique_ptr<FrameSink> sink;
  if (!options.framesDir.empty()) {
    auto frames = std::make_unique<PngFrames>(options.framesDir, width, height);
    if (frames->Open(error)) sink = std::move(frames);
  } else {
    VideoRequest request;
    request.output = options.output;
    request.width = width;
    request.height = height;
    request.fps = options.fps;
    request.preset = options.preset;
    const std::string music = ResolvePath(ProductionManifest().music.path.c_str());
    // A production without its music file may still play on a silent stream: no sound then.
    if (g_music.m_stream && g_music.Length() > 0)
      request.music = std::filesystem::absolute(std::filesystem::u8path(music)).u8string();
    request.musicStart = MusicPositionAtFrame(first, options.fps);
    request.seconds = static_cast<double>(end - first) / options.fps;
    auto video = std::make_unique<VideoEncoder>();
    if (video->Open(request, error)) sink = std::move(video);
  }
  if (!sink) std::fprintf(stderr, "%s: %s\n", kTool, error.c_str());
  return sink;
}

enum class LoopEnd { Done, Quit, Interrupted, Failed };

// Frame k is composed at music time k / fps, from frame `start` on. A scene's wait for its next
// animation frame moves the clock on; frames whose start the clock has already passed show the
// picture still on the screen, as they would in real time. Frames from `first` on are written:
// each picture is read back while the next frame draws and is encoded on other threads.
LoopEnd RenderFrames(FrameClock& clock, int fps, int64_t start, int64_t first, int64_t end,
                     FrameTarget& target, EncodeQueue& queue, int64_t& written) {
  const GLWindow::Rect frame = target.Frame();
  FrameReader reader(frame.x, frame.y, frame.width, frame.height);
  std::vector<int64_t> shown;  // the written frames that show the picture being read
  Progress progress(start, end, fps);
  LoopEnd result = LoopEnd::Done;
  std::string error;
  const auto collect = [&]() {
    if (!reader.InFlight()) return true;
    if (!reader.Take(queue.Blank())) {
      queue.Submit({});
      error = "the GL driver did not give the frame back";
      return false;
    }
    written += static_cast<int64_t>(shown.size());
    queue.Submit(std::move(shown));
    shown.clear();
    return true;
  };
  for (int64_t k = start; k < end; ++k) {
    if (!DrainMessages()) {
      result = LoopEnd::Interrupted;
      break;
    }
    target.Hold();
    if (clock.MoveTo(FrameClock::FrameStart(k))) {
      g_frameTimer.Reset();
      if (g_timeline.Dispatch()) {
        result = LoopEnd::Quit;
        break;
      }
      g_timeline.Compose();
      // A stop asked for while a heavy frame drew: the frame is not written.
      if (g_window.m_frameAbandoned) {
        result = LoopEnd::Interrupted;
        break;
      }
      // The last picture is off the screen now: it goes to the encoders once complete.
      if (!collect()) {
        result = LoopEnd::Failed;
        break;
      }
      // Frames before the first written one are read only when a later written frame repeats
      // them.
      if (k >= first || clock.Counter() > FrameClock::FrameStart(first)) reader.Start();
      SwapBuffers(g_window.GetHDC());
    }
    if (k >= first) shown.push_back(k);
    if (!queue.Healthy(error)) {
      result = LoopEnd::Failed;
      break;
    }
    progress.Frame(k);
  }
  if (result != LoopEnd::Failed && !collect()) result = LoopEnd::Failed;
  progress.Finish();
  if (result == LoopEnd::Failed) std::fprintf(stderr, "%s: %s\n", kTool, error.c_str());
  return result;
}

}  // namespace

CaptureStatus RunCapture(const CaptureOptions& options) {
  // No sound: a silent output that plays the music on the frame clock.
  AudioUseSilentOutput(true);
  FrameClock clock(options.fps);
  SetClockSource(&clock);
  setFrameWaitHandler([&clock](double missingMs) {
    clock.Wait(missingMs);
    return true;
  });
  SetMessageBoxHandler(AnswerBox);
  // The player's LOGFILE.TXT stays the player's, and captures run at once keep their own logs.
  SetLogFile("LOGFILE-capture-" + std::to_string(::getpid()) + ".TXT");

  StartupOptions startup;
  startup.randomSeed = kShakeSeed;
  startup.fullscreen = false;
  startup.renderer = options.renderer;
  int startStatus = 0;
  const bool started = StartProduction(startup, startStatus);
  if (!started) {
    ShutdownProduction();
    if (startStatus != 0)
      std::fprintf(stderr, "%s: the production could not start (see %s)\n", kTool,
                   LogFile().c_str());
    else
      std::fprintf(stderr, "%s: the OpenGL window could not be opened (see %s)\n", kTool,
                   LogFile().c_str());
    return kCaptureFailed;
  }

  CaptureStatus status = kCaptured;
  float to = static_cast<float>(options.to);
  const bool hasEnd = options.to >= 0 || ProductionEnd(to);
  int64_t first = FirstFrameAt(static_cast<float>(options.from), options.fps);
  int64_t end = hasEnd ? FirstFrameAt(to, options.fps) : 0;
  const int64_t stretch = end - first;  // frames of the whole stretch, before a part is taken
  if (hasEnd && options.parts > 0 && end > first) {
    const int64_t frames = end - first;
    end = first + frames * options.part / options.parts;
    first += frames * (options.part - 1) / options.parts;
  }
  // Start-up has read every file the production plays: the output may be none of them.
  const std::string& output = options.framesDir.empty() ? options.output : options.framesDir;
  const std::string replaced = FileReplacedBy(output, !options.framesDir.empty(), FilesRead());
  const float quit = QuitTime();
  std::unique_ptr<FrameSink> sink;
  FrameTarget target;
  std::string targetError;
  if (!replaced.empty()) {
    std::fprintf(stderr, "%s: refusing to write %s: the production reads %s\n", kTool,
                 output.c_str(), replaced.c_str());
    status = kBadArguments;
  } else if (!hasEnd) {
    std::fprintf(stderr,
                 "%s: the production has no music and no FX_QUIT event, so it has no end: "
                 "give --to\n",
                 kTool);
    status = kCaptureFailed;
  } else if (end <= first) {
    if (options.parts > 0 && stretch > 0)
      std::fprintf(stderr,
                   "%s: nothing to capture: part %d/%d holds no frame of the %lld in the "
                   "stretch; give at most %lld parts\n",
                   kTool, options.part, options.parts, static_cast<long long>(stretch),
                   static_cast<long long>(stretch));
    else if (options.to < 0)
      std::fprintf(stderr, "%s: nothing to capture: the production ends at second %.3f\n",
                   kTool, to);
    else
      std::fprintf(stderr, "%s: nothing to capture: no frame falls between %.3f s and %.3f s\n",
                   kTool, options.from, options.to);
    status = kCaptureFailed;
  } else if (quit >= 0 && FirstFrameAt(quit, options.fps) <= first) {
    std::fprintf(stderr,
                 "%s: nothing to capture: the production ends with its FX_QUIT event at second "
                 "%.3f, before the first frame (%.3f s)\n",
                 kTool, quit, MusicPositionAtFrame(first, options.fps));
    status = kCaptureFailed;
  } else if (!target.Open(options.width > 0 ? options.width : g_window.GetWidth(),
                          options.height > 0 ? options.height : g_window.GetHeight(),
                          options.fill, targetError)) {
    std::fprintf(stderr, "%s: %s\n", kTool, targetError.c_str());
    status = kCaptureFailed;
  } else if (!(sink = OpenSink(options, target.Frame(), first, end))) {
    status = kCaptureFailed;
  }

  if (sink) {
    std::fprintf(stderr, "%s: frames %lld to %lld at %d fps (%.3f s to %.3f s)\n", kTool,
                 static_cast<long long>(first), static_cast<long long>(end - 1), options.fps,
                 MusicPositionAtFrame(first, options.fps), MusicPositionAtFrame(end, options.fps));
    // Events are cheap to apply and frames dear to draw: a late stretch is sought to, and only
    // its warm-up is drawn unwritten.
    const int64_t warmUp = static_cast<int64_t>(kWarmUpSeconds) * options.fps;
    const int64_t start = options.exact || first <= warmUp ? 0 : first - warmUp;
    if (start > 0) {
      clock.MoveTo(FrameClock::FrameStart(start));
      g_timeline.Seek(MusicPositionAtFrame(start, options.fps), options.fps);
    }
    g_music.Play();
    int64_t written = 0;
    LoopEnd loop = LoopEnd::Failed;
    std::string error;
    bool finished = false;
    {
      const GLWindow::Rect frame = target.Frame();
      EncodeQueue queue(*sink, static_cast<size_t>(frame.width) * frame.height * 4);
      loop = RenderFrames(clock, options.fps, start, first, end, target, queue, written);
      // After a failure the output is dropped, not completed, and so is an empty one.
      if (written == 0 && loop != LoopEnd::Failed)
        error = "no frame was written: " + output + " is left as it was";
      finished = loop != LoopEnd::Failed && written > 0 && queue.Finish(error);
    }
    if (!finished && loop != LoopEnd::Failed) std::fprintf(stderr, "%s: %s\n", kTool, error.c_str());
    if (loop == LoopEnd::Quit)
      std::fprintf(stderr, "%s: the production ended with its FX_QUIT event\n", kTool);
    if (loop == LoopEnd::Interrupted) std::fprintf(stderr, "%s: capture interrupted\n", kTool);
    if (finished)
      std::fprintf(stderr, "%s: %lld frames written to %s\n", kTool,
                   static_cast<long long>(written),
                   options.framesDir.empty() ? options.output.c_str() : options.framesDir.c_str());
    if (loop == LoopEnd::Interrupted && (finished || written == 0)) status = kInterrupted;
    else if (!finished) status = kCaptureFailed;
  }
  if (g_boxes > 0)
    std::fprintf(stderr, "%s: %d messages from the production (see %s)\n", kTool, g_boxes,
                 LogFile().c_str());

  ShutdownProduction();
  setFrameWaitHandler(nullptr);
  SetMessageBoxHandler(nullptr);
  SetClockSource(nullptr);
  return status;
}
