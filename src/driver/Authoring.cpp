#include "driver/Authoring.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "driver/Content.h"
#include "driver/ContentManifest.h"
#include "driver/ConvertScene.h"
#include "driver/Program.h"
#include "driver/Reload.h"
#include "driver/Startup.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/StatusLine.h"
#include "platform/TextureCache.h"
#include "scene/ConvertedTextures.h"
#include "scene/SceneBinaryTextures.h"

namespace {

constexpr uint32_t kPollMs = 250;
// How long a changed file must stay as it is before it is taken: an editor's or an exporter's
// save written in many small writes is never read half way (base clock milliseconds).
constexpr uint32_t kStillMs = 500;
constexpr uint32_t kFrameRateWindowMs = 500;
constexpr uint32_t kNoticeMs = 6000;

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

Authoring::Authoring(const PlayerOptions& options)
    : m_dev(options.dev),
      m_from(options.from),
      m_loopStart(options.loopStart),
      m_loopEnd(options.loopEnd) {
  if (!m_dev) return;
  m_clock = std::make_unique<HeldClock>(CurrentClock());
  SetClockSource(m_clock.get());
}

Authoring::~Authoring() {
  if (m_clock) SetClockSource(&m_clock->Base());
}

void Authoring::Begin() {
  if (m_from >= 0)
    SeekTo(m_from);
  else if (m_loopEnd > m_loopStart)
    SeekTo(m_loopStart);
  if (!m_dev) return;
  m_lastPollMs = m_rateSince = m_clock->Base().TickCount();
  Watch({});
  NoticeSilentClock();
}

// Named music that does not play is easily missed while the pictures take the eye.
void Authoring::NoticeSilentClock() {
  const std::string& music = ProductionManifest().music.path;
  if (!music.empty() && g_music.Length() <= 0)
    Notify(music + " cannot be played: the production plays on a silent clock");
}

// The script and the manifest; every other file the production has read (the converter's own
// record and copy logs aside: it rewrites them itself); for each scene with a modeller's export,
// the export and the pictures its last conversion copied.
void Authoring::Watch(const std::map<std::string, FileStamp>& used) {
  const ContentManifest& manifest = ProductionManifest();
  const uint32_t now = m_clock->Base().TickCount();
  std::vector<WatchedFile> old;
  old.swap(m_watched);
  const auto add = [&](const std::string& path, Role role, const std::string& scene) {
    for (const WatchedFile& file : m_watched)
      if (file.path == path) return;
    WatchedFile file{path, role, scene, {}, {}, now};
    const auto taken = used.find(path);
    const auto known = std::find_if(old.begin(), old.end(),
                                    [&](const WatchedFile& w) { return w.path == path; });
    if (taken != used.end()) {
      file.used = taken->second;
    } else if (known != old.end()) {
      file.used = known->used;
    } else {
      file.used = StampWhenRead(path);
      // Never read here (an export the player did not convert): as it stands now.
      if (file.used == FileStamp()) file.used = StampOfFile(path.c_str());
    }
    if (known != old.end()) {
      file.seen = known->seen;
      file.seenSince = known->seenSince;
    } else {
      file.seen = file.used;
    }
    m_watched.push_back(file);
  };
  add(ResolvePath(manifest.script.path.c_str()), Role::reload, "");
  add(ResolvePath(kManifestFile), Role::reload, "");
  std::vector<std::string> copyLogs = {ResolvePath(kConvertedTexturesFile)};
  for (const ManifestScene& scene : manifest.scenes) {
    std::string source, why;
    if (!FindSceneSource(scene.name.c_str(), source, why)) continue;
    add(ResolvePath(source.c_str()), Role::source, scene.name);
    copyLogs.push_back(ResolvePath((ScenePath(scene.name) + ".TXT").c_str()));
    for (const std::string& picture : PicturesOfCopyLog(copyLogs.back()))
      add(picture, Role::source, scene.name);
  }
  for (const std::string& path : FilesRead())
    if (!Contains(copyLogs, path)) add(path, Role::content, "");
  // Files named but not played yet: once there, they are loaded.
  if (!manifest.music.path.empty() && g_music.Length() <= 0)
    add(ResolvePath(manifest.music.path.c_str()), Role::content, "");
  for (const std::string& path : StandInFiles()) add(path, Role::content, "");
}

void Authoring::SeekTo(double seconds) {
  g_timeline.Seek(static_cast<float>(seconds > 0 ? seconds : 0), kPlayerSeekFps);
}

void Authoring::BeforeFrame() {
  if (m_dev) {
    if (TakeKeyPresses(VK_SPACE) % 2) TogglePause();
    // With a tempo, Shift+Left/Right step a beat and Ctrl+Left/Right a bar, onto the grid.
    const int steps = TakeKeyPresses(VK_RIGHT) - TakeKeyPresses(VK_LEFT);
    const Tempo& tempo = ProductionManifest().tempo;
    const int beats = !tempo.Known() ? 0 : g_keys[VK_CONTROL] ? tempo.beatsPerBar : g_keys[VK_SHIFT];
    const int seconds = (beats ? 0 : steps) + 10 * (TakeKeyPresses(VK_UP) - TakeKeyPresses(VK_DOWN));
    if (TakeKeyPresses(VK_HOME)) SeekTo(0);
    if (seconds != 0) SeekTo(g_music.Position() + seconds);
    if (beats && steps) SeekTo(StepOnBeats(g_music.Position(), tempo, steps, beats));
    for (int marks = TakeKeyPresses('L'); marks > 0; --marks) MarkLoop();
    if (TakeKeyPresses('R')) Reload();
    PollFiles();
  }
  if (m_loopEnd > m_loopStart && g_music.Position() >= m_loopEnd) SeekTo(m_loopStart);
}

void Authoring::TogglePause() {
  if (m_clock->IsHeld()) {
    m_clock->Release();
    setFrameWaitHandler(std::move(m_waitBeforePause));
    g_music.Resume();
    PrintStatus("- Playing on from %.2f s\n", g_music.Position());
    return;
  }
  g_music.Pause();
  m_clock->Hold();
  // The second to write in the script for what the picture shows now.
  PrintStatus("- Paused at %.2f s\n", g_music.Position());
  // Scenes waiting for their next animation frame would wait for ever on a held clock: they
  // stay on the frame they show.
  m_waitBeforePause = setFrameWaitHandler([](double) { return false; });
}

void Authoring::MarkLoop() {
  const double now = g_music.Position();
  if (m_loopEnd > m_loopStart) {
    m_loopStart = m_loopEnd = -1;
    m_loopStartMarked = false;
    PrintStatus("- Loop cleared\n");
  } else if (!m_loopStartMarked) {
    m_loopStart = now;
    m_loopStartMarked = true;
    PrintStatus("- Loop starts at %.2f s\n", now);
  } else if (now > m_loopStart) {
    m_loopEnd = now;
    m_loopStartMarked = false;
    PrintStatus("- Loop from %.2f s to %.2f s\n", m_loopStart, m_loopEnd);
    SeekTo(m_loopStart);
  } else {
    // An end before the start: the two marks the other way round.
    m_loopEnd = m_loopStart;
    m_loopStart = now;
    m_loopStartMarked = false;
    PrintStatus("- Loop from %.2f s to %.2f s\n", m_loopStart, m_loopEnd);
    SeekTo(m_loopStart);
  }
}

void Authoring::Reload(const std::vector<std::string>& changedFiles,
                       std::map<std::string, FileStamp> used) {
  // Stamps taken before anything is read: a save that lands while the reload reads is seen as a
  // change after it, never taken for what was read.
  for (const WatchedFile& file : m_watched)
    if (file.role == Role::reload || Contains(changedFiles, file.path))
      used.emplace(file.path, StampOfFile(file.path.c_str()));
  std::string why;
  bool contentLoaded = false;
  const bool reloaded = ReloadProduction(why, contentLoaded, changedFiles);
  Watch(used);
  g_window.SetTitle(ProductionTitle());
  if (contentLoaded) {
    PrintStatus("- Content loaded again from %s\n", ProductionManifest().source.c_str());
    NoticeSilentClock();
  }
  if (reloaded)
    PrintStatus("- Script reloaded at %.2f s\n", g_music.Position());
  else
    Refused(why);
}

void Authoring::Refused(const std::string& why) {
  PrintStatus("- Not reloaded: %s; the production plays on as it was\n", why.c_str());
  Notify("Not reloaded: " + why);
}

void Authoring::Notify(const std::string& text) {
  m_notice = text;
  m_noticeSince = m_clock->Base().TickCount();
}

const char* Authoring::Notice() const {
  if (m_notice.empty() || m_clock->Base().TickCount() - m_noticeSince > kNoticeMs) return nullptr;
  return m_notice.c_str();
}

// A save is taken once the file has been still for kStillMs. Changed sources start a conversion
// on the worker, unless one runs: they are taken when it is done, so a save that lands while it
// reads is converted again after it.
void Authoring::PollFiles() {
  const uint32_t now = m_clock->Base().TickCount();
  if (now - m_lastPollMs < kPollMs) return;
  m_lastPollMs = now;
  if (m_conversion.Finished()) {
    ConversionDone();
    return;
  }
  bool reload = false;
  // Content saved with the script in one poll is loaded with it.
  std::vector<std::string> changedFiles, scenes;
  for (WatchedFile& file : m_watched) {
    const FileStamp stamp = StampOfFile(file.path.c_str());
    if (stamp != file.seen) {
      file.seen = stamp;
      file.seenSince = now;
    }
    if (stamp == file.used || now - file.seenSince < kStillMs) continue;
    if (file.role == Role::reload)
      reload = true;
    else if (file.role == Role::content)
      changedFiles.push_back(file.path);
    else if (!m_conversion.Busy() && stamp.size >= 0 && !Contains(scenes, file.scene))
      scenes.push_back(file.scene);
  }
  if (!scenes.empty()) Convert(scenes);
  if (reload || !changedFiles.empty()) Reload(changedFiles);
}

void Authoring::Convert(const std::vector<std::string>& scenes) {
  m_conversionStamps.clear();
  for (const WatchedFile& file : m_watched)
    if (file.role == Role::source && Contains(scenes, file.scene))
      m_conversionStamps[file.path] = file.seen;
  for (const std::string& scene : scenes) {
    std::string source, why;
    PrintStatus("- Converting %s\n",
                FindSceneSource(scene.c_str(), source, why) ? source.c_str() : scene.c_str());
  }
  m_conversion.Start(scenes);
}

// The scenes written are loaded; their sources count as converted in the versions they had
// when the conversion began.
void Authoring::ConversionDone() {
  const std::vector<std::string>& scenes = m_conversion.Scenes();
  const std::vector<bool> written = m_conversion.Take();
  for (WatchedFile& file : m_watched) {
    const auto taken = m_conversionStamps.find(file.path);
    if (taken != m_conversionStamps.end()) file.used = taken->second;
  }
  std::vector<std::string> changedFiles;
  for (size_t i = 0; i < scenes.size() && i < written.size(); ++i) {
    if (written[i])
      changedFiles.push_back(ResolvePath(ScenePath(scenes[i]).c_str()));
    else
      Refused("scene " + scenes[i] + " could not be converted");
  }
  if (!changedFiles.empty()) Reload(changedFiles);
}

void Authoring::AfterFrame() {
  if (!m_dev) return;
  ++m_frames;
  const uint32_t now = m_clock->Base().TickCount();
  if (now - m_rateSince < kFrameRateWindowMs) return;
  m_frameRate = m_frames * 1000.0 / (now - m_rateSince);
  m_frames = 0;
  m_rateSince = now;
}

void Authoring::FormatInfo(char* text, size_t size, double frameMs) const {
  // With a tempo, the beat beside the second: "Time: 12.5 b24 (7:1)".
  std::string beat = BeatLabel(g_music.Position(), ProductionManifest().tempo);
  if (!beat.empty()) beat.insert(0, " ");
  if (!m_dev) {
    std::snprintf(text, size, "Time: %.1f%s | FPS: %2.1f", g_music.Position(), beat.c_str(),
                  1000.0 / frameMs);
    return;
  }
  int n = std::snprintf(text, size, "Time: %.1f%s | FPS: %2.1f%s", g_music.Position(), beat.c_str(),
                        m_frameRate, m_clock->IsHeld() ? " | paused" : "");
  if (n < 0 || static_cast<size_t>(n) >= size) return;
  if (m_loopEnd > m_loopStart)
    std::snprintf(text + n, size - n, " | loop %.1f-%.1f", m_loopStart, m_loopEnd);
  else if (m_loopStartMarked)
    std::snprintf(text + n, size - n, " | loop from %.1f", m_loopStart);
}
