// Ogg Vorbis through libvorbisfile.
#include <SDL.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/MusicSource.h"

namespace {

size_t ReadFile(void* buffer, size_t size, size_t count, void* file) {
  return std::fread(buffer, size, count, static_cast<FILE*>(file));
}
int SeekFile(void* file, ogg_int64_t offset, int whence) {
  return fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), whence);
}
int CloseFile(void* file) { return std::fclose(static_cast<FILE*>(file)); }
long TellFile(void* file) { return static_cast<long>(ftello(static_cast<FILE*>(file))); }

const ov_callbacks kFileCallbacks = {ReadFile, SeekFile, CloseFile, TellFile};

class VorbisSource : public MusicSource {
 public:
  OggVorbis_File vorbis{};
  bool open = false;

  ~VorbisSource() override {
    if (open) ov_clear(&vorbis);  // closes the file too
  }

  int Read(char* pcm, int bytes) override {
    for (;;) {
      int section = 0;
      const long got =
          ov_read(&vorbis, pcm, bytes, SDL_BYTEORDER == SDL_BIG_ENDIAN, 2, 1, &section);
      if (got == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
      // The end, a damaged page, or a chained section of another layout all end the music.
      return got > 0 ? static_cast<int>(got) : 0;
    }
  }

  bool Seek(int64_t frame) override { return ov_pcm_seek(&vorbis, frame) == 0; }
};

}  // namespace

std::unique_ptr<MusicSource> OpenVorbisSource(FILE* file, std::string& fault) {
  std::unique_ptr<VorbisSource> source(new VorbisSource());
  if (ov_open_callbacks(file, &source->vorbis, nullptr, 0, kFileCallbacks) != 0) {
    std::fclose(file);  // a failed open leaves the file to its owner
    fault = "its Ogg Vorbis headers are damaged";
    return nullptr;
  }
  source->open = true;
  const vorbis_info* info = ov_info(&source->vorbis, -1);
  const ogg_int64_t frames = ov_pcm_total(&source->vorbis, -1);
  if (!info || frames < 0) {
    fault = "its Ogg Vorbis stream has no length";
    return nullptr;
  }
  source->rate = info->rate > 0 && info->rate <= INT32_MAX ? static_cast<int>(info->rate) : 0;
  source->channels = info->channels;
  source->frames = frames;
  return source;
}
