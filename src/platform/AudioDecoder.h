#pragma once
// Decodes a music file (Ogg Vorbis, Ogg Opus, FLAC, WAV, MP3: see MusicSource.h) into interleaved
// 16-bit stereo frames at the output rate, converting the file's rate and channel count where they
// differ.
#include <cstdint>
#include <memory>
#include <string>

class MusicSource;
struct _SDL_AudioStream;

// Whether music that gave out at frame `end` did so well before the `length` its file announces
// (damaged or cut short). Decoders may end a few frames either side of it: a tenth of a second
// short counts.
bool EndsEarly(int64_t end, int64_t length, int rate);

class AudioDecoder {
 public:
  AudioDecoder();
  ~AudioDecoder();
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  // Opens the file through OpenFile; false, with the reason in Fault(), when it holds no music
  // this engine plays.
  bool Open(const char* path, int outputRate);
  const std::string& Fault() const { return m_fault; }
  // Fills up to `count` frames; fewer only at the end of the music.
  int Read(int16_t* frames, int count);
  // Moves to an output frame, clamped to the music; false when the file cannot seek.
  bool Seek(int64_t frame);
  int64_t Length() const { return m_length; }  // in output frames

 private:
  void Close();
  bool Fail(const std::string& reason);

  std::unique_ptr<MusicSource> m_source;
  std::string m_fault;
  _SDL_AudioStream* m_convert = nullptr;
  int m_fileRate = 0;
  int m_outputRate = 0;
  int64_t m_length = 0;
  bool m_drained = false;  // the file is read to its end and the converter flushed
};
