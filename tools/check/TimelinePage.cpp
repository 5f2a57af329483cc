#include "TimelinePage.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "TimelinePageScript.h"
#include "driver/ContentManifest.h"
#include "particles/ParticleSystem.h"
#include "platform/Files.h"
#include "timeline/Move.h"

namespace {

// The first line of every page this tool writes: what tells its own page from a file it must keep.
const char kPageMark[] = "<!DOCTYPE html>\n<!-- zorbanel-check timeline page -->\n";

// Points along a move's path on the page.
constexpr int kShapeSteps = 12;

// A JSON string; '<' escaped too, so no text in it can end the page's script element.
std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A number for the page: not-a-number and infinities, which JSON cannot hold, as null.
std::string JsonNumber(double value) { return std::isfinite(value) ? FormatNumber(value) : "null"; }

// The lane of an event: the trail and the glow have one each, the other whole-screen effects
// share one, the rest go by target; a target the production does not load goes to a lane of its
// own.
size_t LaneOf(const ScriptEvent& e, const std::map<std::string, size_t>& lanes) {
  if (e.targetKind == SCENE && IsWholeScreenEffect(e.effect))
    return lanes.at(e.effect == FX_BLUR ? "trail" : e.effect == FX_SATURATE ? "glow" : "screen");
  const char* kind = e.targetKind == SCENE   ? "scene-"
                     : e.targetKind == LAYER ? "layer-"
                                             : "particle-";
  const auto found = lanes.find(kind + std::to_string(e.targetIndex));
  return found != lanes.end() ? found->second : lanes.at("unloaded");
}

}  // namespace

TimelinePage MakeTimelinePage(const ContentManifest& manifest, const ScriptCheck& script,
                              const std::vector<std::string>& fileFindings) {
  TimelinePage page;
  page.title = manifest.title;
  page.script = manifest.script.path;
  page.tempo = manifest.tempo;
  std::map<std::string, size_t> index;
  const auto lane = [&](const std::string& id, const std::string& label) -> TimelinePage::Lane& {
    index[id] = page.lanes.size();
    page.lanes.push_back({id, label, {}});
    return page.lanes.back();
  };
  lane("screen", "whole screen");
  lane("trail", "whole screen: trail (FX_BLUR)");
  lane("glow", "whole screen: glow (FX_SATURATE)");
  for (size_t i = 0; i < manifest.scenes.size(); ++i)
    lane("scene-" + std::to_string(i),
         "SCENE " + std::to_string(i) + " " + manifest.scenes[i].name);
  for (size_t i = 0; i < manifest.layers.size(); ++i) {
    const ManifestLayer& layer = manifest.layers[i];
    lane("layer-" + std::to_string(i), "LAYER " + std::to_string(i) + " " + layer.path).start = {
        {"FX_ALPHA", {layer.alpha}},
        {"FX_MOVE", {layer.x0, layer.y0}},
        {"FX_RESIZE", {layer.x1 - layer.x0, layer.y1 - layer.y0}}};
  }
  const double particleAlpha = ParticleSystem().alpha;
  for (size_t i = 0; i < manifest.particleFiles.size(); ++i)
    lane("particle-" + std::to_string(i),
         "PARTICLE " + std::to_string(i) + " " + manifest.particleFiles[i].path)
        .start = {{"FX_ALPHA", {particleAlpha}}};
  lane("unloaded", "targets not loaded");

  std::map<int, double> lineTimes;
  for (const CheckedEvent& event : script.loaded) {
    page.marks.push_back({LaneOf(event.event, index), event});
    lineTimes[event.line] = event.event.time;
    if (std::isfinite(event.event.time))
      page.seconds = std::max(page.seconds, double(event.event.time));
  }
  for (const std::string& text : fileFindings) page.findings.push_back({-1, text});
  for (const ScriptFinding& finding : script.findings) {
    const auto time = lineTimes.find(finding.line);
    const std::string where =
        page.script + ":" + (finding.line > 0 ? std::to_string(finding.line) + ":" : "");
    page.findings.push_back(
        {time != lineTimes.end() && std::isfinite(time->second) ? time->second : -1,
         where + " " + finding.text});
  }
  // The lane kept for targets that are not loaded only shows when some event has one.
  bool unloaded = false;
  for (const TimelinePage::Mark& mark : page.marks) unloaded |= mark.lane == page.lanes.size() - 1;
  if (!unloaded) page.lanes.pop_back();
  return page;
}

double PlayedSeconds(const TimelinePage& page) {
  double end = page.wave.seconds > 0 ? page.wave.seconds : page.seconds;
  for (const TimelinePage::Mark& mark : page.marks)
    if (mark.at.event.effect == FX_QUIT && mark.at.event.time >= 0)
      end = std::min(end, double(mark.at.event.time));
  return end;
}

std::string TimelineHtml(const TimelinePage& page) {
  std::string data = "{\"title\":" + Json(page.title) + ",\"script\":" + Json(page.script) +
                     ",\"seconds\":" + JsonNumber(std::max(page.seconds, page.wave.seconds)) +
                     ",\"waveSeconds\":" + JsonNumber(page.wave.seconds) +
                     ",\"waveNote\":" + Json(page.waveNote) + ",\"tempo\":";
  const Tempo& tempo = page.tempo;
  data += tempo.Known() ? "{\"bpm\":" + JsonNumber(tempo.bpm) +
                              ",\"beatZero\":" + JsonNumber(tempo.beatZero) +
                              ",\"beatsPerBar\":" + std::to_string(tempo.beatsPerBar) + "}"
                        : "null";
  // The beat of a time as the author writes it, for the page's words ("" without a tempo).
  const auto beat = [&](double seconds) { return ",\"b\":" + Json(BeatLabel(seconds, tempo)); };
  data += ",\"low\":[";
  for (size_t i = 0; i < page.wave.low.size(); ++i)
    data += (i ? "," : "") + std::to_string(page.wave.low[i]);
  data += "],\"high\":[";
  for (size_t i = 0; i < page.wave.high.size(); ++i)
    data += (i ? "," : "") + std::to_string(page.wave.high[i]);
  data += "],\"lanes\":[";
  for (size_t i = 0; i < page.lanes.size(); ++i) {
    data += std::string(i ? "," : "") + "{\"id\":" + Json(page.lanes[i].id) +
            ",\"label\":" + Json(page.lanes[i].label) + ",\"start\":{";
    const char* comma = "";
    for (const auto& [effect, values] : page.lanes[i].start) {
      data += comma + Json(effect) + ":[";
      for (size_t k = 0; k < values.size(); ++k) data += (k ? "," : "") + JsonNumber(values[k]);
      data += "]";
      comma = ",";
    }
    data += "}}";
  }
  data += "],\"events\":[";
  for (size_t i = 0; i < page.marks.size(); ++i) {
    const ScriptEvent& e = page.marks[i].at.event;
    data += std::string(i ? "," : "") + "{\"lane\":" + std::to_string(page.marks[i].lane) +
            ",\"line\":" + std::to_string(page.marks[i].at.line) + ",\"t\":" + JsonNumber(e.time) +
            beat(e.time) + ",\"fx\":" + Json(EffectName(e.effect)) +
            ",\"index\":" + std::to_string(e.targetIndex) +
            ",\"move\":" + JsonNumber(e.moveSeconds) +
            ",\"curve\":" + Json(e.moveSeconds > 0 ? CurveName(e.moveCurve) : "") + ",\"v\":[";
    for (int k = 0; k < EffectParamCount(e.effect); ++k)
      data += (k ? "," : "") + JsonNumber(e.params[k]);
    data += "]";
    // The move's path as the player takes it, for the slope the page draws.
    if (e.moveSeconds > 0) {
      data += ",\"shape\":[";
      for (int k = 0; k <= kShapeSteps; ++k)
        data +=
            (k ? "," : "") + JsonNumber(CurveAt(e.moveCurve, static_cast<float>(k) / kShapeSteps));
      data += "]";
    }
    data += "}";
  }
  data += "],\"findings\":[";
  for (size_t i = 0; i < page.findings.size(); ++i)
    data += std::string(i ? "," : "") + "{\"t\":" +
            (page.findings[i].seconds >= 0
                 ? JsonNumber(page.findings[i].seconds) + beat(page.findings[i].seconds)
                 : "null") +
            ",\"text\":" + Json(page.findings[i].text) + "}";
  data += "],\"thumbnails\":[";
  for (size_t i = 0; i < page.thumbnails.size(); ++i)
    data += std::string(i ? "," : "") + "{\"t\":" + JsonNumber(page.thumbnails[i].seconds) +
            beat(page.thumbnails[i].seconds) + ",\"src\":" + Json(page.thumbnails[i].image) + "}";
  data += "],\"thumbnailNote\":" + Json(page.thumbnailNote) + "}";

  const std::string title = page.title.empty() ? "Timeline" : "Timeline: " + page.title;
  std::string escapedTitle;
  for (const char c : title)
    escapedTitle += c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
  return std::string(kPageMark) + "<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
         escapedTitle + "</title>\n<style>\n" + kTimelineStyle + "</style></head>\n<body>\n" +
         "<div id=\"page\"></div>\n<script>\nconst DATA = " + data + ";\n" + kTimelineScript +
         "</script>\n</body></html>\n";
}

bool WriteTimelinePage(const std::string& path, const std::string& html, std::string& error) {
  const FileFacts facts = ExamineFile(path.c_str());
  if (facts.kind != FileKind::missing) {
    AllowReadOf(path.c_str());  // named on the command line, wherever it lies
    std::vector<uint8_t> start;
    const bool ours = facts.kind == FileKind::regular &&
                      ReadWholeFile(path.c_str(), 64u << 20, start) &&
                      start.size() >= std::strlen(kPageMark) &&
                      std::memcmp(start.data(), kPageMark, std::strlen(kPageMark)) == 0;
    if (!ours) {
      error =
          path +
          " is there and is not a timeline page this tool wrote: it is kept (name another file)";
      return false;
    }
  }
  if (!WriteWholeFile(path.c_str(), html.data(), html.size())) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}
