#include "driver/ContentCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "driver/Content.h"
#include "driver/ContentManifest.h"
#include "particles/ParticleSystem.h"
#include "platform/AudioDecoder.h"
#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/ImpossibleValues.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

constexpr int kCheckRate = 44100;

class FileChecker {
 public:
  // The player's check when its warnings are kept apart (`playing`), the checker's otherwise.
  FileChecker(const ContentManifest& manifest, bool decode, std::vector<std::string>& findings,
              std::vector<std::string>* warnings)
      : manifest_(manifest),
        decode_(decode),
        playing_(warnings != nullptr),
        findings_(findings),
        warnings_(warnings ? *warnings : findings) {}

  // Where the manifest names the file, so the author finds the line to mend.
  std::string Line(int line, const std::string& path, const std::string& text) const {
    std::string where = line > 0 ? manifest_.source + ":" + std::to_string(line) + ": " : "";
    return where + path + ": " + text;
  }
  void Add(int line, const std::string& path, const std::string& text) {
    findings_.push_back(Line(line, path, text));
  }
  void Warn(int line, const std::string& path, const std::string& text) {
    warnings_.push_back(Line(line, path, text));
  }

  // Looked at without opening it: a FIFO would wait for a writer. Empty when the file can be
  // read.
  static std::string Absence(const std::string& path) {
    const FileFacts facts = ExamineFile(path.c_str());
    if (facts.kind == FileKind::missing || facts.kind == FileKind::danglingLink)
      return facts.error == ENOENT || facts.error == ENOTDIR ? "file not found"
                                                             : std::strerror(facts.error);
    if (facts.kind != FileKind::regular) return "not a regular file (a folder, a device or a pipe)";
    if (LiesOutsideReads(path.c_str()))
      return "leads out of the production folder (to " + RealPath(path.c_str()) + "): not read";
    if (!facts.readable) return "cannot be read: permission denied";
    if (facts.size == 0) return "empty file";
    return "";
  }

  bool Present(int line, const std::string& path) {
    const std::string fault = Absence(path);
    if (!fault.empty()) Add(line, path, fault);
    return fault.empty();
  }

  // Why the picture cannot be used, or empty; without `decode` only whether it can be read.
  std::string ImageFault(const std::string& path) const {
    std::string fault = Absence(path);
    DecodedImage image;
    std::string message;
    if (fault.empty() && decode_ && !DecodeJpegFile(path.c_str(), image, message))
      fault = "not a usable JPEG: " + message;
    return fault;
  }

  void Image(int line, const std::string& path) {
    if (!seen_.insert(path).second) return;
    const std::string fault = ImageFault(path);
    if (!fault.empty()) Add(line, path, fault);
  }

  // The player draws a checker pattern in place of a scene's map it cannot load, and tells of
  // it then: only the checker reports it here, as a fault.
  void SceneMap(int line, const std::string& path) {
    if (playing_ || !seen_.insert(path).second) return;
    const std::string fault = ImageFault(path);
    if (!fault.empty()) Add(line, path, fault + ": the player draws a checker pattern in its place");
  }

  void SceneFile(const ManifestScene& entry, ScriptTargets& targets) {
    const std::string path = ScenePath(entry.name);
    // A scene that cannot be read has no camera.
    Scene scene;
    SceneBinaryFile file;
    if (Present(entry.line, path) && !file.readScene(path.c_str(), scene))
      Warn(entry.line, path,
           "cut short or damaged (" + file.fault + "): the scene keeps what was read before it");
    // Written by a converter that did not look for them, or by hand.
    const std::string impossible = FirstImpossibleValue(scene);
    if (!impossible.empty())
      Warn(entry.line, path, "holds a number nothing can draw: " + impossible);
    targets.sceneCameras.push_back(static_cast<int32_t>(scene.cameraCount));
    targets.sceneAqua.push_back(entry.aqua);
    for (uint32_t m = 0; m < scene.materialCount; ++m)
      for (uint32_t k = 0; k < scene.materials[m].header.mapCount && k < 2; ++k)
        SceneMap(entry.line, scene.materials[m].maps[k].bitmap);
    for (uint32_t l = 0; l < scene.lightCount; ++l)
      if (scene.lights[l].hasFlare) Image(entry.line, "textures\\particle2.jpg");
    scene.release();
  }

  void Particles(const ManifestEntry& file) {
    if (!Present(file.line, file.path)) return;
    ParticleSystem system;
    std::string fault;
    if (!system.ReadRecords(file.path.c_str(), &fault))
      Warn(file.line, file.path,
           "not a usable particle file (" + fault + "): the system stays in its place, empty");
    for (int32_t t = 0; t < system.textureCount; ++t) Image(file.line, system.textureNames[t]);
    system.Release();
  }

  // The music's length in seconds; 0 when there is none to play. The player plays on a silent
  // clock without it: a fault for the checker, a warning for the player. The checker also plays
  // it through, to find music that gives out early (the player tells of that when it comes).
  float Music(const ManifestEntry& music) {
    if (music.path.empty()) return 0;
    std::string fault = Absence(music.path);
    AudioDecoder decoder;
    if (fault.empty() && !decoder.Open(music.path.c_str(), kCheckRate))
      fault = decoder.Fault();
    else if (fault.empty() && decoder.Length() <= 0)
      fault = "holds no sound";
    if (!fault.empty()) {
      Warn(music.line, music.path, fault + ": the production plays on a silent clock");
      return 0;
    }
    const double seconds = static_cast<double>(decoder.Length()) / kCheckRate;
    if (decode_ && !playing_) {
      int16_t frames[2 * 4096];
      int64_t end = 0;
      for (int n; (n = decoder.Read(frames, 4096)) > 0;) end += n;
      if (EndsEarly(end, decoder.Length(), kCheckRate)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "damaged or cut short: its sound gives out at %.2f s of the %.2f s the "
                      "file announces, and the rest plays as silence",
                      static_cast<double>(end) / kCheckRate, seconds);
        Warn(music.line, music.path, text);
      }
    }
    return static_cast<float>(seconds);
  }

 private:
  const ContentManifest& manifest_;
  bool decode_;
  bool playing_;
  std::vector<std::string>& findings_;
  std::vector<std::string>& warnings_;
  std::set<std::string> seen_;
};

}  // namespace

void CheckContentFiles(const ContentManifest& manifest, bool decode, ScriptTargets& targets,
                       std::vector<std::string>& findings, std::vector<std::string>* warnings) {
  FileChecker check(manifest, decode, findings, warnings);
  targets = ScriptTargets();
  targets.tempo = manifest.tempo;
  check.Image(manifest.font.line, manifest.font.path);
  for (const ManifestScene& scene : manifest.scenes) check.SceneFile(scene, targets);
  targets.scenes = static_cast<int32_t>(manifest.scenes.size());
  targets.musicSeconds = check.Music(manifest.music);
  for (const ManifestLayer& layer : manifest.layers) check.Image(layer.line, layer.path);
  targets.layers = static_cast<int32_t>(manifest.layers.size());
  for (const ManifestEntry& file : manifest.particleFiles) check.Particles(file);
  targets.particles = static_cast<int32_t>(manifest.particleFiles.size());
  for (int s = 0; s < kNoiseSets; ++s) targets.noiseSet[s] = manifest.noiseSetFirstLayer[s] >= 0;
}

bool CheckContentScript(const ContentManifest& manifest, const ScriptTargets& targets,
                        std::vector<std::string>& findings, int32_t& events, ScriptCheck* whole) {
  events = 0;
  const std::string& path = manifest.script.path;
  std::string text, error;
  if (!ReadScriptText(path.c_str(), text, error)) {
    findings.push_back(path + ": cannot be read: " + error);
    return false;
  }
  const ScriptCheck check = CheckScript(text, targets);
  for (const ScriptFinding& f : check.findings)
    findings.push_back(path + ":" + (f.line > 0 ? std::to_string(f.line) + ":" : "") + " " + f.text);
  events = check.events;
  if (whole) *whole = check;
  return true;
}
