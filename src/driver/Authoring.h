#pragma once
// The player's authoring side: the start at --from, the --loop, and under --dev the keys (pause,
// seek, loop marks, reload), the reload when any file the production loaded changes on disk (a
// scene's export from a modeller, or a picture it names, is converted first, off the frame
// loop), the longer F1 line and the notice of a refused reload or of named music that does not
// play.
// Without any of them the player runs exactly as it always has.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/PlayerOptions.h"
#include "driver/SceneConversion.h"
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
  // After shutdown: a scene conversion still running is not waited for (SceneConversion.h).
  void ExitIfConverting(int status) { m_conversion.ExitIfRunning(status); }

 private:
  // What a change of a watched file asks for: the script and the manifest are read again, the
  // content is loaded anew, a scene's export or a picture it names is converted first.
  enum class Role { reload, content, source };
  struct WatchedFile {
    std::string path;   // as ResolvePath gives it
    Role role = Role::content;
    std::string scene;  // a source's: the scene converted from it
    FileStamp used;     // the version the production took (for a source: converted from)
    FileStamp seen;     // the stamp last seen, and since when (base clock ms): a save is taken
    uint32_t seenSince = 0;  // once the file has been still a while
  };

  void SeekTo(double seconds);
  void TogglePause();
  void MarkLoop();
  // `used`: stamps taken before the files were read, for the files the reload reads anew.
  void Reload(const std::vector<std::string>& changedFiles = {},
              std::map<std::string, FileStamp> used = {});
  void PollFiles();
  // The files to watch, after start-up or a reload: `used` gives the stamps of those read anew;
  // the others keep theirs, and a file first watched now takes the stamp it was read with.
  void Watch(const std::map<std::string, FileStamp>& used);
  void Convert(const std::vector<std::string>& scenes);
  void ConversionDone();
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
  // When the disk was last looked at (base clock ms).
  uint32_t m_lastPollMs = 0;
  std::vector<WatchedFile> m_watched;
  SceneConversion m_conversion;
  // The stamps of the running conversion's sources, taken as it began.
  std::map<std::string, FileStamp> m_conversionStamps;
  std::string m_notice;
  uint32_t m_noticeSince = 0;
  // Whole frames counted since m_rateSince (base clock milliseconds), and the last rate.
  int m_frames = 0;
  uint32_t m_rateSince = 0;
  double m_frameRate = 0;
};
