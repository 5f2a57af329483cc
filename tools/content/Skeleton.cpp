#include "Skeleton.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "FontSheet.h"
#include "JpegWriter.h"
#include "Layers.h"
#include "Music.h"
#include "OggWriter.h"
#include "SceneMaps.h"
#include "Scenes.h"
#include "Sprites.h"
#include "platform/Files.h"

// The hand-written manifest and script (tools/content/skeleton/), built in.
extern const char kSkeletonManifestText[];
extern const char kSkeletonScriptText[];

const char kSkeletonScene[] = "knot";

namespace {

constexpr int kKnotScene = 6;  // the bundled production's torus knot
constexpr float kClipStart = 48.0f;  // the piece's peak
constexpr float kClipSeconds = 16.0f;
constexpr float kFadeSeconds = 0.5f;

// Sixteen seconds of the bundled piece, faded in and out so it starts and ends cleanly.
std::vector<float> MusicClip() {
  const std::vector<float> piece = RenderMusic();
  const size_t first = static_cast<size_t>(kClipStart * kMusicSampleRate);
  const size_t frames = static_cast<size_t>(kClipSeconds * kMusicSampleRate);
  std::vector<float> clip(piece.begin() + first * 2, piece.begin() + (first + frames) * 2);
  for (size_t i = 0; i < frames; ++i) {
    const float t = static_cast<float>(i) / kMusicSampleRate;
    const float gain = std::min({1.0f, t / kFadeSeconds, (kClipSeconds - t) / kFadeSeconds});
    clip[2 * i] *= gain;
    clip[2 * i + 1] *= gain;
  }
  return clip;
}

}  // namespace

bool WriteText(const char* path, const char* text) {
  const bool ok = WriteWholeFile(path, text, std::strlen(text));
  if (!ok) std::printf("Could not write %s\n", path);
  return ok;
}

bool WriteSkeleton() {
  std::error_code error;
  for (const char* folder : {"textures", "music", "escenas", "escenas_bin"})
    std::filesystem::create_directories(folder, error);
  Picture title;
  if (!PaintLogo(title)) return false;
  Picture font;
  if (!PaintFontSheet(font)) return false;
  AseScene knot = BuildScene(kKnotScene);
  return WriteJpeg("textures/title.jpg", title, 90) && WriteJpeg("textures/font.jpg", font, 95) &&
         WriteJpeg("textures/env.jpg", PaintEnvironment(), 90) &&
         WriteJpeg("textures/glass.jpg", PaintGlass(), 90) &&
         WriteJpeg("textures/particle2.jpg", PaintFlare(), 90) &&
         WriteOggVorbis("music/music.ogg", MusicClip(), 0.4f) &&
         WriteAse((std::string("escenas/") + kSkeletonScene + ".ase").c_str(), knot) &&
         WriteText("production.txt", kSkeletonManifestText) &&
         WriteText("script.txt", kSkeletonScriptText);
}
