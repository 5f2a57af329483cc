// Every other music format through libsndfile: Ogg Opus, FLAC, WAV, MP3 and the rest it reads.
// It reads through the stream OpenFile gave, so the file rules (regular files, size limit, names
// matched without regard to case) hold for these formats as for Vorbis.
#include <sndfile.h>

#include <string>

#include "platform/Files.h"
#include "platform/MusicSource.h"

namespace {

FILE* AsFile(void* file) { return static_cast<FILE*>(file); }

sf_count_t FileLength(void* file) { return OpenFileSize(AsFile(file)); }
sf_count_t SeekFile(sf_count_t offset, int whence, void* file) {
  if (fseeko(AsFile(file), static_cast<off_t>(offset), whence) != 0) return -1;
  return ftello(AsFile(file));
}
sf_count_t ReadFile(void* buffer, sf_count_t count, void* file) {
  return static_cast<sf_count_t>(std::fread(buffer, 1, static_cast<size_t>(count), AsFile(file)));
}
sf_count_t WriteFile(const void*, sf_count_t, void*) { return 0; }
sf_count_t TellFile(void* file) { return ftello(AsFile(file)); }

SF_VIRTUAL_IO kFileIo = {FileLength, SeekFile, ReadFile, WriteFile, TellFile};

// Why libsndfile refused a file, in the words of our other messages. Its own text for a file cut
// short in its headers speaks of pipes, which would mislead.
std::string Reason() {
  switch (sf_error(nullptr)) {
    case SF_ERR_UNRECOGNISED_FORMAT:
      return "a format it does not know";
    case SF_ERR_SYSTEM:
    case SF_ERR_MALFORMED_FILE:
      return "damaged or cut short in its headers";
    case SF_ERR_UNSUPPORTED_ENCODING:
      return "an encoding of its format that is not supported";
    default:
      break;
  }
  std::string reason = sf_strerror(nullptr);
  while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n')) reason.pop_back();
  return reason;
}

class SndfileSource : public MusicSource {
 public:
  FILE* file = nullptr;
  SNDFILE* sound = nullptr;

  ~SndfileSource() override {
    if (sound) sf_close(sound);
    if (file) std::fclose(file);
  }

  int Read(char* pcm, int bytes) override {
    const sf_count_t frames = bytes / (2 * channels);
    const sf_count_t got = sf_readf_short(sound, reinterpret_cast<short*>(pcm), frames);
    return got > 0 ? static_cast<int>(got * 2 * channels) : 0;
  }

  bool Seek(int64_t frame) override { return sf_seek(sound, frame, SEEK_SET) >= 0; }

  int64_t CountFrames() {
    char pcm[4096];
    int64_t count = 0;
    for (int bytes; (bytes = Read(pcm, sizeof pcm)) > 0;) count += bytes / (2 * channels);
    return Seek(0) ? count : -1;
  }
};

}  // namespace

std::unique_ptr<MusicSource> OpenSndfileSource(FILE* file, std::string& fault) {
  std::unique_ptr<SndfileSource> source(new SndfileSource());
  source->file = file;
  SF_INFO info{};
  source->sound = sf_open_virtual(&kFileIo, SFM_READ, &info, file);
  if (!source->sound) {
    fault = Reason();
    return nullptr;
  }
  // Decoders that work in floating point (Opus, MP3, float WAV) may go past full scale: such
  // samples are held at its edge, not wrapped round to the other sign.
  sf_command(source->sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  source->rate = info.samplerate;
  source->channels = info.channels;
  source->frames = info.frames;
  // A stream cut short before its last page does not say how long it is: count its frames.
  if (info.frames == SF_COUNT_MAX && info.channels > 0) source->frames = source->CountFrames();
  return source;
}
