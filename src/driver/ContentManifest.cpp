#include "driver/ContentManifest.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "driver/Content.h"
#include "driver/Program.h"
#include "effects/LayerSlot.h"
#include "platform/Files.h"

const char kManifestFile[] = "production.txt";

namespace {

// A manifest names a handful of files; anything this large is not one.
constexpr uint64_t kManifestLimit = 1 << 20;

class LineParser {
 public:
  LineParser(const char* source, int line, std::vector<std::string>& errors)
      : source_(source), line_(line), errors_(errors) {}

  void Fail(const std::string& what) {
    errors_.push_back(source_ + ":" + std::to_string(line_) + ": " + what);
    ok_ = false;
  }
  bool ok() const { return ok_; }

  // A number written whole and finite; `what` names it in the message.
  bool Number(const std::string& token, const char* what, float& value) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(token.c_str(), &end);
    if (token.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
      Fail(std::string(what) + " '" + token + "' is not a number");
      return false;
    }
    value = v;
    return true;
  }

  // A path that stays inside the production folder (relative, with no ".." step) and that a
  // file can have: no name in it longer than the file system allows.
  bool InsidePath(const std::string& path) {
    const bool absolute = path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    bool climbs = false;
    size_t longest = 0;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find_first_of("/\\", start);
      if (end == std::string::npos) end = path.size();
      if (path.compare(start, end - start, "..") == 0) climbs = true;
      longest = std::max(longest, end - start);
      start = end + 1;
    }
    if (absolute || climbs) {
      Fail("'" + path + "' is outside the production folder");
      return false;
    }
    return FileNameFits(path, longest, path.size());
  }

  // The system opens no file whose name or path is longer than this.
  bool FileNameFits(const std::string& what, size_t longestName, size_t pathLength) {
    if (longestName <= kLongestFileName && pathLength < kLongestPath) return true;
    Fail("'" + what.substr(0, 40) + "...' is too long to be a file's name (" +
         std::to_string(kLongestFileName) + " characters a name, " +
         std::to_string(kLongestPath - 1) + " a path)");
    return false;
  }

  void Warn(ContentManifest& manifest, const std::string& what) {
    manifest.warnings.push_back(source_ + ":" + std::to_string(line_) + ": " + what);
  }

 private:
  std::string source_;
  int line_;
  std::vector<std::string>& errors_;
  bool ok_ = true;
};

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool Is(const std::string& word, const char* keyword) {
  return ::strcasecmp(word.c_str(), keyword) == 0;
}

void ParseScene(const std::vector<std::string>& w, LineParser& p, ManifestScene& scene) {
  if (w.size() < 2) return p.Fail("scene needs a name");
  scene.name = w[1];
  if (scene.name.find_first_of("/\\") != std::string::npos || scene.name == "." || scene.name == "..")
    return p.Fail("scene name '" + scene.name + "' must be a bare name (escenas_bin\\NAME.bin)");
  const std::string file = ScenePath(scene.name);
  if (!p.FileNameFits(scene.name, scene.name.size() + 4, file.size())) return;
  for (size_t i = 2; i < w.size(); ++i) {
    if (Is(w[i], "overlay")) {
      scene.clearsScreen = false;
    } else if (Is(w[i], "clear")) {
      scene.clearsScreen = true;
    } else if (Is(w[i], "aqua")) {
      scene.aqua = true;
    } else if (Is(w[i], "frame")) {
      scene.frame = true;
      if (i + 1 < w.size() && Is(w[i + 1], "always")) {
        scene.frameAlways = true;
        ++i;
      }
    } else if (Is(w[i], "fog")) {
      if (i + 3 >= w.size()) return p.Fail("fog needs START END DENSITY");
      scene.fog = p.Number(w[i + 1], "fog start", scene.fogStart) &&
                  p.Number(w[i + 2], "fog end", scene.fogEnd) &&
                  p.Number(w[i + 3], "fog density", scene.fogDensity);
      if (!scene.fog) return;
      // Linear fog divides by END - START: an end at or before the start turns the fog inside
      // out or divides by zero, and no distance is negative.
      if (scene.fogStart < 0) return p.Fail("fog start " + w[i + 1] + " is negative");
      if (!(scene.fogEnd > scene.fogStart))
        return p.Fail("fog end " + w[i + 2] + " must lie beyond its start " + w[i + 1]);
      if (scene.fogDensity < 0) return p.Fail("fog density " + w[i + 3] + " is negative");
      i += 3;
    } else {
      return p.Fail("unknown scene option '" + w[i] + "' (overlay, clear, fog, aqua, frame)");
    }
  }
}

void ParseLayer(const std::vector<std::string>& w, LineParser& p, ManifestLayer& layer) {
  if (w.size() < 2) return p.Fail("layer needs an image");
  if (w.size() != 2 && w.size() != 3 && w.size() != 7)
    return p.Fail("layer takes IMAGE [ALPHA [X0 Y0 X1 Y1]]");
  layer.path = w[1];
  if (!p.InsidePath(layer.path)) return;
  if (w.size() >= 3 && p.Number(w[2], "alpha", layer.alpha) && (layer.alpha < 0 || layer.alpha > 1))
    p.Fail("alpha " + w[2] + " is outside 0 to 1");
  if (w.size() != 7) return;
  float* corners[] = {&layer.x0, &layer.y0, &layer.x1, &layer.y1};
  const char* names[] = {"x0", "y0", "x1", "y1"};
  for (int k = 0; k < 4; ++k) {
    if (!p.Number(w[3 + k], names[k], *corners[k])) return;
    if (std::fabs(*corners[k]) > kMaxLayerPixels)
      return p.Fail(std::string(names[k]) + " " + w[3 + k] + " is more than " +
                    std::to_string(static_cast<int32_t>(kMaxLayerPixels)) +
                    " pixels from the window");
  }
}

// A layer drawn mirrored or not at all is allowed (the script can do the same), but rarely meant:
// X1 Y1 is the far corner, not a size.
void WarnOfLayerShape(const ManifestLayer& layer, LineParser& p, ContentManifest& m) {
  if (layer.x0 == layer.x1 || layer.y0 == layer.y1)
    p.Warn(m, "the layer's rectangle has no area: it shows nothing");
  else if (layer.x1 < layer.x0 || layer.y1 < layer.y0)
    p.Warn(m, std::string("x1 y1 is the corner opposite x0 y0, not a size: the layer is drawn ") +
                  "mirrored " +
                  (layer.x1 < layer.x0 ? (layer.y1 < layer.y0 ? "both ways" : "left to right")
                                       : "upside down"));
}

void ParseParticles(const std::vector<std::string>& w, LineParser& p, ManifestEntry& file) {
  if (w.size() != 2) return p.Fail("particles takes one path");
  if (p.InsidePath(w[1])) file.path = w[1];
}

// The next entry of a store, which holds kStoreCapacity at most.
template <typename Entry>
void AddEntry(const std::vector<std::string>& w, LineParser& p, int line, const char* what,
              void (*parse)(const std::vector<std::string>&, LineParser&, Entry&), std::vector<Entry>& list) {
  if (list.size() >= static_cast<size_t>(kStoreCapacity))
    return p.Fail("more than " + std::to_string(kStoreCapacity) + " " + what);
  Entry entry;
  entry.line = line;
  parse(w, p, entry);
  if (p.ok()) list.push_back(entry);
}

// font, music, script: one path, stated once.
void ParseSingle(const std::vector<std::string>& w, LineParser& p, int line, ManifestEntry& entry) {
  if (w.size() != 2) return p.Fail(w[0] + " takes one path");
  if (entry.line != 0) return p.Fail(w[0] + " is already given on line " + std::to_string(entry.line));
  if (!p.InsidePath(w[1])) return;
  entry.path = w[1];
  entry.line = line;
}

void ParseNoise(const std::vector<std::string>& w, LineParser& p, int line, ContentManifest& m) {
  float set = 0, first = 0;
  if (w.size() != 3) return p.Fail("noise takes SET FIRST_LAYER");
  if (!p.Number(w[1], "noise set", set) || !p.Number(w[2], "first layer", first)) return;
  if (set != 1 && set != 2) return p.Fail("noise set must be 1 or 2");
  if (first < 0 || first != std::floor(first) || first > kStoreCapacity)
    return p.Fail("first layer must be a layer index");
  const int s = static_cast<int>(set) - 1;
  if (m.noiseSetLine[s] != 0)
    return p.Fail("noise set " + w[1] + " is already given on line " + std::to_string(m.noiseSetLine[s]));
  m.noiseSetFirstLayer[s] = static_cast<int32_t>(first);
  m.noiseSetLine[s] = line;
}

// title: the rest of the line after the keyword, spaces round it left out.
void ParseTitle(const std::string& content, LineParser& p, int line, ContentManifest& m) {
  if (m.titleLine != 0) return p.Fail("title is already given on line " + std::to_string(m.titleLine));
  const size_t keyword = content.find_first_not_of(" \t") + 5;
  const size_t first = content.find_first_not_of(" \t\r", keyword);
  if (first == std::string::npos) return p.Fail("title needs the production's name");
  m.title = content.substr(first, content.find_last_not_of(" \t\r") + 1 - first);
  m.titleLine = line;
}

// The music's tempo, for beat times in the script.
void ParseTempo(const std::vector<std::string>& w, LineParser& p, int line, ContentManifest& m) {
  if (w.size() < 2 || w.size() > 4) return p.Fail("tempo takes BPM [BEAT0_SECONDS [BEATS_A_BAR]]");
  if (m.tempoLine != 0) return p.Fail("tempo is already given on line " + std::to_string(m.tempoLine));
  Tempo t;
  float bar = 4;
  if (!p.Number(w[1], "beats a minute", t.bpm) ||
      (w.size() > 2 && !p.Number(w[2], "beat 0 offset", t.beatZero)) ||
      (w.size() > 3 && !p.Number(w[3], "beats a bar", bar)))
    return;
  if (!(t.bpm > 0) || t.bpm > 1000) return p.Fail("beats a minute " + w[1] + " must be more than 0 and at most 1000");
  if (bar < 1 || bar > 64 || bar != std::floor(bar))
    return p.Fail("beats a bar " + w[3] + " is not a whole number from 1 to 64");
  t.beatsPerBar = static_cast<int32_t>(bar);
  m.tempo = t;
  m.tempoLine = line;
}

}  // namespace

bool ParseManifest(const std::string& text, const char* source, ContentManifest& manifest,
                   std::vector<std::string>& errors) {
  manifest = ContentManifest();
  manifest.source = source;
  const size_t before = errors.size();
  int line = 0;
  // A UTF-8 byte-order mark, as some editors save one, is no part of the first entry.
  const size_t bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (size_t start = bom; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    start = end + 1;
    ++line;
    const size_t hash = content.find('#');
    if (hash != std::string::npos) content.resize(hash);
    const std::vector<std::string> w = SplitWords(content);
    if (w.empty()) continue;
    LineParser p(source, line, errors);
    if (content.find('\0') != std::string::npos) {
      p.Fail("NUL byte: the manifest must be plain text");
    } else if (Is(w[0], "scene")) {
      AddEntry(w, p, line, "scenes", ParseScene, manifest.scenes);
    } else if (Is(w[0], "layer")) {
      const size_t before = manifest.layers.size();
      AddEntry(w, p, line, "layers", ParseLayer, manifest.layers);
      if (manifest.layers.size() > before) WarnOfLayerShape(manifest.layers.back(), p, manifest);
    } else if (Is(w[0], "particles")) {
      AddEntry(w, p, line, "particle files", ParseParticles, manifest.particleFiles);
    } else if (Is(w[0], "noise")) {
      ParseNoise(w, p, line, manifest);
    } else if (Is(w[0], "font")) {
      ParseSingle(w, p, line, manifest.font);
    } else if (Is(w[0], "music")) {
      ParseSingle(w, p, line, manifest.music);
    } else if (Is(w[0], "script")) {
      ParseSingle(w, p, line, manifest.script);
    } else if (Is(w[0], "title")) {
      ParseTitle(content, p, line, manifest);
    } else if (Is(w[0], "tempo")) {
      ParseTempo(w, p, line, manifest);
    } else {
      p.Fail("unknown entry '" + w[0] +
             "' (font, music, script, scene, layer, noise, particles, title, tempo)");
    }
  }
  const std::string where = std::string(source) + ":";
  // Without music the production plays on a silent clock.
  const std::pair<const char*, const ManifestEntry*> required[] = {{"font", &manifest.font},
                                                                    {"script", &manifest.script}};
  for (const auto& r : required)
    if (r.second->line == 0) errors.push_back(where + " no " + r.first + " line");
  // A set's four masks must all be layers, or the flip-book would skip frames.
  for (int s = 0; s < kNoiseSets; ++s) {
    const int32_t first = manifest.noiseSetFirstLayer[s];
    if (first >= 0 && first + kNoiseSetLayers > static_cast<int32_t>(manifest.layers.size()))
      errors.push_back(where + std::to_string(manifest.noiseSetLine[s]) + ": noise set " +
                       std::to_string(s + 1) + " needs layers " + std::to_string(first) + " to " +
                       std::to_string(first + kNoiseSetLayers - 1) + ", but there are " +
                       std::to_string(manifest.layers.size()) + " layers");
  }
  return errors.size() == before;
}

const ContentManifest& DefaultManifest() {
  static const ContentManifest manifest = [] {
    ContentManifest m;
    std::vector<std::string> errors;
    ParseManifest(kDefaultManifestText, "(built-in)", m, errors);
    return m;
  }();
  return manifest;
}

bool ReadProductionManifest(ContentManifest& manifest, std::vector<std::string>& errors) {
  const FileFacts facts = ExamineFile(kManifestFile);
  // Only a name that is not there at all means "no manifest": a link to nothing is the author's
  // manifest gone astray, not a request for the built-in one.
  if (facts.kind == FileKind::missing && facts.error == ENOENT) {
    manifest = DefaultManifest();
    return true;
  }
  // Checked before the open, which would wait for ever on a FIFO.
  const bool regular = facts.kind == FileKind::regular;
  FILE* f = regular ? OpenFile(kManifestFile, "r", kManifestLimit) : nullptr;
  if (!f) {
    const char* why = facts.kind == FileKind::danglingLink ? "a link to a file that is not there"
                      : facts.kind == FileKind::missing    ? std::strerror(facts.error)
                      : !regular                           ? "not a regular file"
                                                           : std::strerror(errno);
    errors.push_back(std::string(kManifestFile) + ": cannot be read: " + why);
    return false;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return ParseManifest(text, kManifestFile, manifest, errors);
}

std::string SilentClockNote(const ContentManifest& manifest) {
  if (manifest.music.line != 0) return "";
  return manifest.source +
         ": no music line: the production plays on a silent clock, to its FX_QUIT";
}

bool SameContent(const ContentManifest& a, const ContentManifest& b) {
  const auto sameScene = [](const ManifestScene& x, const ManifestScene& y) {
    return x.name == y.name && x.clearsScreen == y.clearsScreen && x.aqua == y.aqua &&
           x.frame == y.frame && x.fog == y.fog && x.fogStart == y.fogStart &&
           x.fogEnd == y.fogEnd && x.fogDensity == y.fogDensity;
  };
  const auto sameLayer = [](const ManifestLayer& x, const ManifestLayer& y) {
    return x.path == y.path && x.alpha == y.alpha && x.x0 == y.x0 && x.y0 == y.y0 &&
           x.x1 == y.x1 && x.y1 == y.y1;
  };
  const auto samePath = [](const ManifestEntry& x, const ManifestEntry& y) {
    return x.path == y.path;
  };
  return samePath(a.font, b.font) && samePath(a.music, b.music) &&
         std::equal(a.scenes.begin(), a.scenes.end(), b.scenes.begin(), b.scenes.end(),
                    sameScene) &&
         std::equal(a.layers.begin(), a.layers.end(), b.layers.begin(), b.layers.end(),
                    sameLayer) &&
         std::equal(a.particleFiles.begin(), a.particleFiles.end(), b.particleFiles.begin(),
                    b.particleFiles.end(), samePath) &&
         std::equal(std::begin(a.noiseSetFirstLayer), std::end(a.noiseSetFirstLayer),
                    std::begin(b.noiseSetFirstLayer));
}
