#include "platform/AudioDecoder.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>

#include "platform/Files.h"

namespace {

constexpr int kOutputChannels = 2;
constexpr int kFrameBytes = kOutputChannels * 2;

size_t ReadFile(void* buffer, size_t size, size_t count, void* file) {
  return std::fread(buffer, size, count, static_cast<FILE*>(file));
}
int SeekFile(void* file, ogg_int64_t offset, int whence) {
  return fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), whence);
}
int CloseFile(void* file) { return std::fclose(static_cast<FILE*>(file)); }
long TellFile(void* file) { return static_cast<long>(ftello(static_cast<FILE*>(file))); }

const ov_callbacks kFileCallbacks = {ReadFile, SeekFile, CloseFile, TellFile};

// The length comes from the granule position of the file's last page, which a damaged or forged
// file can set to anything. No real music runs for a day: a longer claim is cut to a day, and the
// music still ends where its data does.
constexpr int64_t kMaxSeconds = 24 * 60 * 60;

// value * to / from without overflowing on the way.
int64_t Rescale(int64_t value, int64_t to, int64_t from) {
  return static_cast<int64_t>(static_cast<__int128>(value) * to / from);
}

}  // namespace

AudioDecoder::AudioDecoder() : m_file(new OggVorbis_File()) {}

AudioDecoder::~AudioDecoder() { Close(); }

void AudioDecoder::Close() {
  if (m_convert) SDL_FreeAudioStream(m_convert);
  m_convert = nullptr;
  if (m_open) ov_clear(m_file.get());
  m_open = false;
}

bool AudioDecoder::Open(const char* path, int outputRate) {
  Close();
  FILE* file = OpenFile(path, "rb", ReadLimit::kMusic);
  if (!file) return false;
  if (ov_open_callbacks(file, m_file.get(), nullptr, 0, kFileCallbacks) != 0) {
    std::fclose(file);  // a failed open leaves the file to its owner
    return false;
  }
  m_open = true;
  const vorbis_info* info = ov_info(m_file.get(), -1);
  const ogg_int64_t fileFrames = ov_pcm_total(m_file.get(), -1);
  if (!info || info->rate <= 0 || info->rate > INT32_MAX || fileFrames < 0 || outputRate <= 0) {
    Close();
    return false;
  }
  m_fileRate = static_cast<int>(info->rate);
  m_outputRate = outputRate;
  m_length = Rescale(fileFrames, outputRate, m_fileRate);
  if (fileFrames / m_fileRate >= kMaxSeconds) {
    std::printf("- \"%s\" claims %lld frames at %d Hz, more than a day of music; taken as a day\n",
                path, static_cast<long long>(fileFrames), m_fileRate);
    m_length = kMaxSeconds * outputRate;
  }
  m_convert = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(info->channels), m_fileRate,
                                 AUDIO_S16SYS, kOutputChannels, outputRate);
  if (!m_convert) {
    Close();
    return false;
  }
  m_drained = false;
  return true;
}

int AudioDecoder::Read(int16_t* frames, int count) {
  if (!m_open) return 0;
  int delivered = 0;
  while (delivered < count) {
    const int got = SDL_AudioStreamGet(m_convert, frames + delivered * kOutputChannels,
                                       (count - delivered) * kFrameBytes);
    if (got > 0) delivered += got / kFrameBytes;
    if (delivered == count || m_drained) break;

    char pcm[4096];
    int section = 0;
    const long bytes = ov_read(m_file.get(), pcm, sizeof pcm, SDL_BYTEORDER == SDL_BIG_ENDIAN, 2,
                               1, &section);
    if (bytes == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
    // The end, a damaged page, or a chained section of another layout all end the music.
    if (bytes <= 0 || SDL_AudioStreamPut(m_convert, pcm, static_cast<int>(bytes)) != 0) {
      SDL_AudioStreamFlush(m_convert);
      m_drained = true;
    }
  }
  return delivered;
}

bool AudioDecoder::Seek(int64_t frame) {
  if (!m_open) return false;
  if (frame < 0) frame = 0;
  if (frame > m_length) frame = m_length;
  if (ov_pcm_seek(m_file.get(), Rescale(frame, m_fileRate, m_outputRate)) != 0) return false;
  SDL_AudioStreamClear(m_convert);
  m_drained = false;
  return true;
}
