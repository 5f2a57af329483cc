#pragma once
// What the manifest reader's, the capture's argument parser's, the glTF and OBJ readers' and the
// picture converter's answers must satisfy on any input. The fuzz targets abort on a fault; the
// replay of their seeds and findings in the test suite reports it. Each check gives an empty
// string when the answer holds, else what is wrong.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "Ffmpeg.h"
#include "driver/ContentManifest.h"
#include "driver/PlayerOptions.h"
#include "effects/LayerSlot.h"
#include "scene/GltfReader.h"
#include "scene/ImpossibleValues.h"
#include "scene/ObjReader.h"
#include "scene/Scene.h"
#include "scene/TextureImport.h"

// A fuzz input as a command line: one argument a line, at most 64 of them.
inline std::vector<std::string> ArgumentsOf(const std::string& text) {
  std::vector<std::string> args;
  size_t start = 0;
  while (start < text.size() && args.size() < 64) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    args.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

// A manifest is accepted exactly when nothing is faulted; every fault and warning names the file
// and, but for a fault of the whole file, a line of the text; what is accepted is finite (a NaN
// would compare unequal to itself), inside the ranges the player can draw, and every path it
// names stays inside the production folder.
inline std::string ManifestFault(const std::string& text) {
  ContentManifest manifest;
  std::vector<std::string> errors;
  const bool accepted = ParseManifest(text, kManifestFile, manifest, errors);
  if (accepted != errors.empty()) return "accepted with faults, or refused without one";
  long lines = 1;
  for (char c : text) lines += c == '\n';
  const std::string prefix = std::string(kManifestFile) + ":";
  errors.insert(errors.end(), manifest.warnings.begin(), manifest.warnings.end());
  for (const std::string& error : errors) {
    if (error.compare(0, prefix.size(), prefix) != 0) return "fault without the file: " + error;
    if (error[prefix.size()] == ' ') continue;  // a fault of the whole file
    const long line = std::strtol(error.c_str() + prefix.size(), nullptr, 10);
    if (line < 1 || line > lines) return "fault on a line the text does not have: " + error;
  }
  if (!accepted) return "";
  if (!SameContent(manifest, manifest)) return "a value that is not a number was accepted";
  for (const ManifestLayer& layer : manifest.layers) {
    if (!(layer.alpha >= 0 && layer.alpha <= 1)) return "a layer's alpha outside 0 to 1";
    for (float corner : {layer.x0, layer.y0, layer.x1, layer.y1})
      if (std::fabs(corner) > kMaxLayerPixels) return "a layer corner beyond the bound";
  }
  for (const ManifestScene& scene : manifest.scenes) {
    const bool fogInRange =
        scene.fogStart >= 0 && scene.fogEnd > scene.fogStart && scene.fogDensity >= 0;
    if (scene.fog && !fogInRange) return "fog that ends before it starts, or negative";
  }
  std::vector<const std::string*> paths = {&manifest.font.path, &manifest.music.path,
                                           &manifest.script.path};
  for (const ManifestLayer& layer : manifest.layers) paths.push_back(&layer.path);
  for (const ManifestEntry& file : manifest.particleFiles) paths.push_back(&file.path);
  for (const std::string* path : paths)
    if (!path->empty() && ((*path)[0] == '/' || (*path)[0] == '\\'))
      return "an absolute path was accepted: " + *path;
  return "";
}

// Arguments taken for a run are inside their stated ranges and agree with one another; refused
// ones say why.
inline std::string CaptureOptionsFault(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  CaptureOptions options;
  std::string error;
  const ParseResult result =
      ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), options, error);
  if (result == ParseResult::Bad) return error.empty() ? "refused without a reason" : "";
  if (result != ParseResult::Run) return "";
  if (options.fps < 1 || options.fps > kMaxFps) return "fps out of range";
  if (!(options.from >= 0 && options.from <= kMaxSeconds)) return "--from out of range";
  if (options.to >= 0 && !(options.to > options.from && options.to <= kMaxSeconds))
    return "--to not after --from, or out of range";
  if ((options.part == 0) != (options.parts == 0) || options.part > options.parts ||
      options.parts > kMaxParts || options.part < 0)
    return "a part that is not one of the parts";
  if ((options.width == 0) != (options.height == 0) || options.width < 0 ||
      options.width > kMaxWidth || options.height > kMaxHeight || options.width % 2 != 0 ||
      options.height % 2 != 0 || (options.fill && options.width == 0))
    return "a frame size the encoder cannot take";
  if (options.framesDir.empty() && !IsVideoName(options.output))
    return "a video without a video's name: " + options.output;
  return "";
}

// The scene the glTF reader (the OBJ reader for a path ending in .obj) made of a file: called
// complete, it holds something to draw; refused, nothing; kept, no number nothing can draw.
inline std::string ImportFault(const std::string& path) {
  Scene scene;
  const bool obj = path.size() >= 4 && path.compare(path.size() - 4, 4, ".obj") == 0;
  const ImportResult result = obj ? ReadObj(path.c_str(), scene) : ReadGltf(path.c_str(), scene);
  std::string fault;
  if (result == ImportResult::complete && scene.objectCount == 0)
    fault = "called complete with nothing to draw";
  else if (result == ImportResult::unreadable && (scene.objectsReady || scene.materialsReady))
    fault = "refused, yet the scene holds what was read";
  else if (result != ImportResult::unreadable && !FirstImpossibleValue(scene).empty())
    fault = "kept " + FirstImpossibleValue(scene);
  scene.release();
  return fault;
}

// A picture converted gives a JPEG and no message; one refused, a message that says why.
inline std::string PictureFault(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> jpeg;
  std::string message;
  const bool converted = PictureToJpeg(bytes, jpeg, message);
  if (converted != message.empty()) return "converted with a message, or refused without one";
  if (converted && jpeg.empty()) return "converted into nothing";
  return "";
}
