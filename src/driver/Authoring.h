#pragma once
// The player's authoring side: the start at --from, the --loop, and under --dev the keys (pause,
// seek, loop marks, reload), the reload when any file the production loaded changes on disk (a
// scene's export from a modeller is converted first), the longer F1 line and the notice of a
// refused reload or of named music that does not play.
// Without any of them the player runs exactly as it always has.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/PlayerOptions.h"
#include "platform/Files.h"
#include "platform/HeldClock.h"
#include "render/SceneRenderer.h"

class Authoring {
 public:
  // Under --dev the player runs on a clock that the pause can hold: set up before start-up.
  explicit Authoring(const PlayerOptions& options);
  ~Authoring();
  Authoring(const Authoring&) = delete;
  Authoring& operator=(const Authoring&) = delete;

  // Once the production is loaded, before the music plays: to --from, or to the loop's start.
  void Begin();
  // Each frame before Dispatch: the keys, the script's reload, the loop.
  void BeforeFrame();
  // Each frame after the picture is presented: counts it for the frame rate.
  void AfterFrame();
  // The information line: time and frame rate, and under --dev the pause and the loop.
  void FormatInfo(char* text, size_t size, double frameMs) const;
  bool Paused() const { return m_clock && m_clock->IsHeld(); }
  // Why the last reload was refused, or that the named music does not play, for a few seconds
  // after; nullptr otherwise.
  const char* Notice() const;

 private:
  void SeekTo(double seconds);
  void TogglePause();
  void MarkLoop();
  void Reload(const std::vector<std::string>& changedFiles = {});
  void PollFiles();
  void TakeStamps();
  // A content file changed on disk, or a scene's ASE export to convert.
  bool ContentChanged(std::vector<std::string>& changedFiles);
  void Refused(const std::string& why);
  void NoticeSilentClock();
  // Shows text along the picture's bottom for a few seconds.
  void Notify(const std::string& text);

  bool m_dev;
  double m_from;
  double m_loopStart, m_loopEnd;  // a loop when m_loopEnd > m_loopStart >= 0
  bool m_loopStartMarked = false;
  std::unique_ptr<HeldClock> m_clock;
  FrameWaitHandler m_waitBeforePause;
  // The script's and the manifest's modification times last seen, and when the disk was last
  // looked at.
  int64_t m_scriptStamp = 0;
  int64_t m_manifestStamp = 0;
  uint32_t m_lastPollMs = 0;
  struct WatchedFile {
    std::string path;   // as ResolvePath gives it
    std::string scene;  // for a modeller's export: the scene it is converted into
    FileStamp stamp;
  };
  std::vector<WatchedFile> m_watched;
  std::string m_notice;
  uint32_t m_noticeSince = 0;
  // Whole frames counted since m_rateSince (base clock milliseconds), and the last rate.
  int m_frames = 0;
  uint32_t m_rateSince = 0;
  double m_frameRate = 0;
};
