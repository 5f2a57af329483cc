#include "platform/AudioDecoder.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>

#include "platform/Files.h"
#include "platform/MusicSource.h"

namespace {

constexpr int kOutputChannels = 2;
constexpr int kFrameBytes = kOutputChannels * 2;
// The most channels SDL's converter folds down to stereo.
constexpr int kMostChannels = 8;

// The length comes from the file's own header or last page, which a damaged or forged file can
// set to anything. No real music runs for a day: a longer claim is cut to a day, and the music
// still ends where its data does.
constexpr int64_t kMaxSeconds = 24 * 60 * 60;

// value * to / from without overflowing on the way.
int64_t Rescale(int64_t value, int64_t to, int64_t from) {
  return static_cast<int64_t>(static_cast<__int128>(value) * to / from);
}

}  // namespace

bool EndsEarly(int64_t end, int64_t length, int rate) { return end + rate / 10 < length; }

AudioDecoder::AudioDecoder() = default;

AudioDecoder::~AudioDecoder() { Close(); }

void AudioDecoder::Close() {
  if (m_convert) SDL_FreeAudioStream(m_convert);
  m_convert = nullptr;
  m_source.reset();
}

bool AudioDecoder::Fail(const std::string& reason) {
  Close();
  m_fault = "not music the player reads (Ogg Vorbis, Ogg Opus, FLAC, WAV or MP3): " + reason;
  return false;
}

bool AudioDecoder::Open(const char* path, int outputRate) {
  Close();
  m_fault.clear();
  FILE* file = OpenFile(path, "rb", ReadLimit::kMusic);
  if (!file) return Fail("the file cannot be read");
  std::string reason;
  m_source = OpenMusicSource(file, reason);
  if (!m_source) return Fail(reason);
  const MusicSource& source = *m_source;
  if (source.rate <= 0 || outputRate <= 0) return Fail("it has no sample rate");
  if (source.channels < 1 || source.channels > kMostChannels)
    return Fail(std::to_string(source.channels) + " channels, where the player takes 1 to 8");
  if (source.frames < 0) return Fail("it has no length");
  m_fileRate = source.rate;
  m_outputRate = outputRate;
  m_length = Rescale(source.frames, outputRate, m_fileRate);
  if (source.frames / m_fileRate >= kMaxSeconds) {
    std::printf("- \"%s\" claims %lld frames at %d Hz, more than a day of music; taken as a day\n",
                path, static_cast<long long>(source.frames), m_fileRate);
    m_length = kMaxSeconds * outputRate;
  }
  m_convert = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(source.channels), m_fileRate,
                                 AUDIO_S16SYS, kOutputChannels, outputRate);
  if (!m_convert) return Fail(std::string("its layout cannot be converted: ") + SDL_GetError());
  m_drained = false;
  return true;
}

int AudioDecoder::Read(int16_t* frames, int count) {
  if (!m_source) return 0;
  int delivered = 0;
  while (delivered < count) {
    const int got = SDL_AudioStreamGet(m_convert, frames + delivered * kOutputChannels,
                                       (count - delivered) * kFrameBytes);
    if (got > 0) delivered += got / kFrameBytes;
    if (delivered == count || m_drained) break;

    char pcm[4096];
    const int bytes = m_source->Read(pcm, sizeof pcm);
    if (bytes <= 0 || SDL_AudioStreamPut(m_convert, pcm, bytes) != 0) {
      SDL_AudioStreamFlush(m_convert);
      m_drained = true;
    }
  }
  return delivered;
}

bool AudioDecoder::Seek(int64_t frame) {
  if (!m_source) return false;
  if (frame < 0) frame = 0;
  if (frame > m_length) frame = m_length;
  if (!m_source->Seek(Rescale(frame, m_fileRate, m_outputRate))) return false;
  SDL_AudioStreamClear(m_convert);
  m_drained = false;
  return true;
}
