#include "driver/Authoring.h"

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

namespace {

constexpr uint32_t kScriptPollMs = 250;
constexpr uint32_t kFrameRateWindowMs = 500;
constexpr uint32_t kNoticeMs = 6000;

// A production file's modification time: what an editor's save changes.
int64_t SavedAt(const char* path) { return StampOfFile(path).modifiedNs; }

int64_t ScriptStamp() { return SavedAt(ProductionManifest().script.path.c_str()); }

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
  TakeStamps();
  m_lastPollMs = m_rateSince = m_clock->Base().TickCount();
  NoticeSilentClock();
}

// Named music that does not play is easily missed while the pictures take the eye.
void Authoring::NoticeSilentClock() {
  const std::string& music = ProductionManifest().music.path;
  if (!music.empty() && g_music.Length() <= 0)
    Notify(music + " cannot be played: the production plays on a silent clock");
}

// Every file the production has read so far (the script and the manifest have stamps of their
// own), and the modeller's export of each scene that has one.
void Authoring::TakeStamps() {
  const ContentManifest& manifest = ProductionManifest();
  m_scriptStamp = ScriptStamp();
  m_manifestStamp = SavedAt(kManifestFile);
  const std::string script = ResolvePath(manifest.script.path.c_str());
  const std::string manifestFile = ResolvePath(kManifestFile);
  m_watched.clear();
  for (const std::string& path : FilesRead())
    if (path != script && path != manifestFile) m_watched.push_back({path, "", {}});
  // Files named but not played yet: once there, they are loaded.
  if (!manifest.music.path.empty() && g_music.Length() <= 0)
    m_watched.push_back({ResolvePath(manifest.music.path.c_str()), "", {}});
  for (const std::string& path : StandInFiles()) m_watched.push_back({path, "", {}});
  for (const ManifestScene& scene : manifest.scenes) {
    std::string source, why;
    if (FindSceneSource(scene.name.c_str(), source, why))
      m_watched.push_back({ResolvePath(source.c_str()), scene.name, {}});
  }
  for (WatchedFile& file : m_watched) file.stamp = StampOfFile(file.path.c_str());
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

void Authoring::Reload(const std::vector<std::string>& changedFiles) {
  std::string why;
  bool contentLoaded = false;
  const bool reloaded = ReloadProduction(why, contentLoaded, changedFiles);
  // Stamps taken after the reload, which may have switched to another script file and read
  // other files; what changed meanwhile is taken with them.
  TakeStamps();
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

// A changed export is converted into its scene file first; one that does not convert leaves the
// scene as it was.
bool Authoring::ContentChanged(std::vector<std::string>& changedFiles) {
  for (WatchedFile& file : m_watched) {
    const FileStamp stamp = StampOfFile(file.path.c_str());
    if (stamp == file.stamp) continue;
    file.stamp = stamp;
    if (file.scene.empty()) {
      changedFiles.push_back(file.path);
    } else if (stamp.size >= 0) {
      PrintStatus("- Converting %s\n", file.path.c_str());
      if (!ConvertSceneFromAse(file.scene.c_str())) {
        Refused(file.path + " could not be converted");
        continue;
      }
      changedFiles.push_back(ResolvePath(ScenePath(file.scene).c_str()));
    }
  }
  return !changedFiles.empty();
}

void Authoring::PollFiles() {
  const uint32_t now = m_clock->Base().TickCount();
  if (now - m_lastPollMs < kScriptPollMs) return;
  m_lastPollMs = now;
  // Content saved with the script in one poll is loaded with it.
  std::vector<std::string> changedFiles;
  const bool content = ContentChanged(changedFiles);
  if (content || ScriptStamp() != m_scriptStamp || SavedAt(kManifestFile) != m_manifestStamp)
    Reload(changedFiles);
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
