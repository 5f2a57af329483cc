#pragma once
// While SDL looks for a device, ALSA writes every step of a failed search to standard error
// ("cannot find card '0'", "Unknown PCM default"): a machine without sound gets one line of our
// own instead. SDL loads the same libasound, so its error handler is the one set here; it is put
// back once this goes, so a playing device's errors still show.
class QuietAlsa {
 public:
  QuietAlsa();
  ~QuietAlsa();
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;

 private:
  typedef int (*SetHandler)(void (*)(const char*, int, const char*, int, const char*, ...));
  void* m_library = nullptr;
  SetHandler m_setHandler = nullptr;
};
