#pragma once
// A music file's sound as 16-bit samples at the file's own rate and channel count. The format is
// told by the file's first bytes, never by its name: Ogg Vorbis keeps libvorbisfile, which has
// always played the production's music; everything else (Ogg Opus, FLAC, WAV, MP3, and what else
// libsndfile reads) goes through libsndfile.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class MusicSource {
 public:
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;  // as the file announces them

  virtual ~MusicSource() = default;
  // Fills up to `bytes` bytes with interleaved samples in the machine's byte order; 0 at the end
  // of the music or where its data is damaged.
  virtual int Read(char* pcm, int bytes) = 0;
  virtual bool Seek(int64_t frame) = 0;
};

// Takes the file (from OpenFile) and opens it by what it holds; null, with the reason in `fault`,
// when it holds no music this engine plays. The file is the source's, or closed, either way.
std::unique_ptr<MusicSource> OpenMusicSource(FILE* file, std::string& fault);

// The two decoders behind it, for OpenMusicSource alone.
std::unique_ptr<MusicSource> OpenVorbisSource(FILE* file, std::string& fault);
std::unique_ptr<MusicSource> OpenSndfileSource(FILE* file, std::string& fault);
