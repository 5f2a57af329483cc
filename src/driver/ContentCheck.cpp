#include "driver/ContentCheck.h"

#include <cerrno>
#include <cstring>
#include <set>

#include "driver/Content.h"
#include "driver/ContentManifest.h"
#include "particles/ParticleSystem.h"
#include "platform/AudioDecoder.h"
#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

constexpr int kCheckRate = 44100;

class FileChecker {
 public:
  FileChecker(const ContentManifest& manifest, bool decode, std::vector<std::string>& findings,
              std::vector<std::string>& warnings)
      : manifest_(manifest), decode_(decode), findings_(findings), warnings_(warnings) {}

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

  // Looked at without opening it: a FIFO would wait for a writer.
  bool Present(int line, const std::string& path) {
    const FileFacts facts = ExamineFile(path.c_str());
    std::string fault;
    if (facts.kind == FileKind::missing || facts.kind == FileKind::danglingLink)
      fault = facts.error == ENOENT || facts.error == ENOTDIR ? "file not found"
                                                              : std::strerror(facts.error);
    else if (facts.kind != FileKind::regular)
      fault = "not a regular file (a folder, a device or a pipe)";
    else if (!facts.readable)
      fault = "cannot be read: permission denied";
    else if (facts.size == 0)
      fault = "empty file";
    if (!fault.empty()) Add(line, path, fault);
    return fault.empty();
  }

  void Image(int line, const std::string& path) {
    if (!seen_.insert(path).second || !Present(line, path) || !decode_) return;
    DecodedImage image;
    std::string message;
    if (!DecodeJpegFile(path.c_str(), image, message)) Add(line, path, "not a usable JPEG: " + message);
  }

  void SceneFile(const ManifestScene& entry, ScriptTargets& targets) {
    const std::string path = ScenePath(entry.name);
    // A scene that cannot be read has no camera.
    Scene scene;
    SceneBinaryFile file;
    if (Present(entry.line, path) && !file.readScene(path.c_str(), scene))
      Warn(entry.line, path,
           "cut short or damaged (" + file.fault + "): the scene keeps what was read before it");
    targets.sceneCameras.push_back(static_cast<int32_t>(scene.cameraCount));
    targets.sceneAqua.push_back(entry.aqua);
    for (uint32_t m = 0; m < scene.materialCount; ++m)
      for (uint32_t k = 0; k < scene.materials[m].header.mapCount && k < 2; ++k)
        Image(entry.line, scene.materials[m].maps[k].bitmap);
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

  float Music(const ManifestEntry& music) {
    if (!Present(music.line, music.path)) return 0;
    AudioDecoder decoder;
    if (!decoder.Open(music.path.c_str(), kCheckRate)) {
      Add(music.line, music.path, "not a usable Ogg Vorbis file");
      return 0;
    }
    return static_cast<float>(static_cast<double>(decoder.Length()) / kCheckRate);
  }

 private:
  const ContentManifest& manifest_;
  bool decode_;
  std::vector<std::string>& findings_;
  std::vector<std::string>& warnings_;
  std::set<std::string> seen_;
};

}  // namespace

void CheckContentFiles(const ContentManifest& manifest, bool decode, ScriptTargets& targets,
                       std::vector<std::string>& findings, std::vector<std::string>* warnings) {
  FileChecker check(manifest, decode, findings, warnings ? *warnings : findings);
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
