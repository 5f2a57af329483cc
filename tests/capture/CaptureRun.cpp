#include "CaptureRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/TestProcess.h"
#include "support/TestProduction.h"
#include "support/TestScenes.h"

void WriteCaptureProduction(const TempDir& dir, bool withContent) {
  WriteProductionMedia(dir, 3.0,
                       "0 SCENE 0 FX_START\n"
                       "0 SCENE 0 FX_SHAKE 8\n"
                       "0 SCENE 0 FX_BLUR 0.5\n"
                       "0 SCENE 0 FX_NOISE 1\n"
                       "0 PARTICLE 0 FX_START\n"
                       "0.2 PARTICLE 0 FX_EXPLODE 30 40\n"
                       "0 LAYER 16 FX_START\n"
                       "0 LAYER 16 FX_ALPHA 0\n"
                       "0 LAYER 16 FX_RESIZE 200 150\n"
                       "0 LAYER 16 FX_SHAKE 6\n"
                       "0.5 LAYER 16 FX_ALPHA 1\n"
                       "2 SCENE 0 FX_QUIT\n");
  if (withContent) WriteCaptureContent();
}

void WriteCaptureContent() {
  writeRedSquareScene();
  // Five blue particles around the square; the bursts push them apart.
  std::vector<Particle> particles;
  for (int i = 0; i < 5; ++i) particles.push_back(Particle{-60.0f + 30 * i, 40, 30, 6});
  WriteParticleFile(particles);
}

CaptureRun RunCaptureTool(const TempDir& dir, const std::vector<std::string>& args,
                          double timeoutSeconds, const std::function<bool()>& stopWhen,
                          Stop stop) {
  CaptureRun run;
  std::vector<std::string> command{std::string(ZB_TOOLS_DIR) + "/zorbanel-capture"};
  command.insert(command.end(), args.begin(), args.end());
  ProcessSetup setup;
  setup.folder = dir.path;
  setup.errorsFile = dir.path + "/capture-errors.txt";
  setup.unset = {"DISPLAY"};
  TestProcess capture;
  if (!capture.Start(command, setup)) return run;
  const auto start = std::chrono::steady_clock::now();
  int status = kTimedOut;
  while (!capture.Ended(status)) {
    if (stopWhen && stopWhen()) {
      if (stop == Stop::Kill) capture.Kill();
      else capture.AskToEnd();
      break;
    }
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(timeoutSeconds))
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.status = capture.Wait(timeoutSeconds - std::chrono::duration<double>(
                                                 std::chrono::steady_clock::now() - start)
                                                 .count());
  run.errors = dir.Read("capture-errors.txt");
  return run;
}

std::vector<std::string> FrameNames(const TempDir& dir, const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path + "/" + folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

RgbPicture ReadFrame(const TempDir& dir, const std::string& path) {
  RgbPicture picture;
  std::string why;
  if (!ReadPng(dir.Read(path), picture, why)) {
    ADD_FAILURE() << path << ": " << why;
    picture = RgbPicture();
  }
  return picture;
}

namespace {

std::string RunToFile(const TempDir& dir, const std::string& command) {
  const std::string out = dir.path + "/probe.out";
  if (std::system((command + " > '" + out + "'").c_str()) != 0) return "";
  return dir.Read("probe.out");
}

}  // namespace

std::string ProbeVideo(const TempDir& dir, const std::string& video, const std::string& entries) {
  return RunToFile(dir, "ffprobe -v error -count_frames -show_entries " + entries +
                            " -of csv=p=0 '" + dir.path + "/" + video + "'");
}

std::string DecodeVideo(const TempDir& dir, const std::string& video) {
  return RunToFile(dir, "ffmpeg -v error -nostdin -i '" + dir.path + "/" + video +
                            "' -f rawvideo -pix_fmt rgb24 -");
}

std::string DecodeSound(const TempDir& dir, const std::string& video) {
  return RunToFile(dir, "ffmpeg -v error -nostdin -i '" + dir.path + "/" + video +
                            "' -f s16le -ac 1 -ar 44100 -");
}
