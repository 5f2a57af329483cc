#include "platform/AudioOutput.h"

#include <SDL.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/AudioDecoder.h"
#include "platform/Clock.h"
#include "platform/QuietAlsa.h"
#include "platform/StatusLine.h"

namespace {

constexpr int kBlockFrames = 1024;
constexpr int kChannels = 2;

// The one stream. The SDL device reads it on its own thread; the main thread takes the device
// lock before it changes the decoder, and reads position, state and level as atomics.
struct Channel {
  uint32_t handle = 0;
  std::unique_ptr<AudioDecoder> decoder;
  std::atomic<int64_t> position{0};
  std::atomic<bool> playing{false};
  std::atomic<bool> ended{false};  // the decoder gave out before its announced length
  std::atomic<int64_t> endedAt{-1};  // the frame where it gave out; -1 before it has
  std::atomic<uint32_t> level{0};
};

struct Output {
  bool open = false;
  bool silent = false;
  bool forceSilent = false;
  int rate = 0;
  SDL_AudioDeviceID device = 0;
  uint32_t nextHandle = 1;
  // The silent output's clock: the last reading, counts per second, and the part of a frame
  // carried over between pumps (so no time is lost to rounding).
  bool running = false;
  bool ticksOnly = false;
  int64_t countsPerSecond = 0;
  int64_t lastCount = 0;
  int64_t carry = 0;
  int16_t block[kBlockFrames * kChannels];
};

Output g_output;
Channel g_channel;

uint32_t Peak(const int16_t* samples, int frames) {
  uint32_t peak[kChannels] = {0, 0};
  for (int i = 0; i < frames * kChannels; ++i) {
    const uint32_t value = static_cast<uint32_t>(std::abs(static_cast<int>(samples[i])));
    if (value > peak[i % kChannels]) peak[i % kChannels] = value;
  }
  return peak[0] | (peak[1] << 16);
}

// The stream has no music left to play at its position (or never had any): its clock runs on.
bool PastTheMusic() {
  return !g_channel.decoder || g_channel.ended || g_channel.position >= g_channel.decoder->Length();
}

// Hands `frames` frames of the stream to the output; the position counts what was handed over,
// silence past the end of the music included, so the production's clock never stops.
void Mix(int16_t* out, int frames) {
  int got = 0;
  if (g_channel.handle && g_channel.playing) {
    if (g_channel.decoder && !g_channel.ended) {
      got = g_channel.decoder->Read(out, frames);
      if (got < frames) {
        g_channel.endedAt = g_channel.position + got;
        g_channel.ended = true;
      }
    }
    g_channel.position += frames;
  }
  std::memset(out + got * kChannels, 0, static_cast<size_t>(frames - got) * kChannels * 2);
  g_channel.level = got > 0 ? Peak(out, got) : 0;
}

void FillDevice(void*, Uint8* stream, int bytes) {
  Mix(reinterpret_cast<int16_t*>(stream), bytes / (kChannels * 2));
}

int64_t ClockCount() {
  if (g_output.ticksOnly) return GetTickCount();
  int64_t count = 0;
  QueryPerformanceCounter(&count);
  return count;
}

// Counts since the last reading; the tick count is read as a wrapping 32-bit value.
int64_t ClockAdvance() {
  const int64_t now = ClockCount();
  const int64_t elapsed = g_output.ticksOnly
                              ? static_cast<uint32_t>(now - g_output.lastCount)
                              : now - g_output.lastCount;
  g_output.lastCount = now;
  return elapsed > 0 ? elapsed : 0;
}

// The silent output consumes, on each call, the frames the clock says have been played since the
// previous call. Every operation that reads or changes the stream pumps first.
void PumpSilent() {
  if (!g_output.open || !g_output.silent) return;
  const int64_t elapsed = ClockAdvance();
  if (!g_output.running) return;
  const int64_t perSecond = g_output.countsPerSecond;
  const int64_t scaled = (elapsed % perSecond) * g_output.rate + g_output.carry;
  int64_t frames = elapsed / perSecond * g_output.rate + scaled / perSecond;
  g_output.carry = scaled % perSecond;
  if (g_channel.playing && PastTheMusic()) {
    g_channel.position += frames;  // silence needs no decoding
    g_channel.level = 0;
    return;
  }
  while (frames > 0 && g_channel.playing) {
    const int block = frames < kBlockFrames ? static_cast<int>(frames) : kBlockFrames;
    Mix(g_output.block, block);
    frames -= block;
  }
}

// Holds the SDL device still while the main thread changes the stream.
struct DeviceLock {
  DeviceLock() {
    if (g_output.device) SDL_LockAudioDevice(g_output.device);
  }
  ~DeviceLock() {
    if (g_output.device) SDL_UnlockAudioDevice(g_output.device);
  }
};

// Brings the silent output up to the clock first, so every answer about the stream is as of now.
bool IsCurrent(uint32_t stream) {
  PumpSilent();
  return stream != 0 && stream == g_channel.handle;
}

// SDL's dummy driver plays nothing and keeps poor time: the clock-paced silent output is better.
bool OpenDevice(int frequency) {
  QuietAlsa quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  const char* driver = SDL_GetCurrentAudioDriver();
  if (driver && std::strcmp(driver, "dummy") != 0) {
    SDL_AudioSpec want{};
    want.freq = frequency;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = kBlockFrames;
    want.callback = FillDevice;
    g_output.device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (g_output.device) return true;
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

}  // namespace

uint32_t AudioGetVersion() { return AUDIO_VERSION; }

void AudioUseSilentOutput(bool silent) { g_output.forceSilent = silent; }

bool AudioInit(int frequency) {
  if (g_output.open || frequency <= 0) return false;
  g_output.rate = frequency;
  g_output.silent = g_output.forceSilent || !OpenDevice(frequency);
  if (g_output.silent) {
    g_output.ticksOnly = !QueryPerformanceFrequency(&g_output.countsPerSecond) ||
                         g_output.countsPerSecond <= 0;
    if (g_output.ticksOnly) g_output.countsPerSecond = 1000;
  }
  if (g_output.silent && !g_output.forceSilent) {
    PrintStatus("- No sound device: the music plays silently, keeping the clock\n");
  }
  g_output.open = true;
  g_output.running = false;
  return true;
}

bool AudioIsSilent() { return g_output.open && g_output.silent; }

void AudioStart() {
  if (!g_output.open) return;
  PumpSilent();
  g_output.running = true;
  g_output.carry = 0;
  if (g_output.device) SDL_PauseAudioDevice(g_output.device, 0);
}

void AudioStop() {
  if (!g_output.open) return;
  PumpSilent();
  g_output.running = false;
  if (g_output.device) SDL_PauseAudioDevice(g_output.device, 1);
}

void AudioFree() {
  if (!g_output.open) return;
  AudioStop();
  AudioStreamFree(g_channel.handle);
  if (g_output.device) {
    SDL_CloseAudioDevice(g_output.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_output.device = 0;
  }
  g_output.open = false;
}

namespace {

uint32_t CreateStream(std::unique_ptr<AudioDecoder> decoder) {
  PumpSilent();
  DeviceLock lock;
  g_channel.decoder = std::move(decoder);
  g_channel.handle = g_output.nextHandle++;
  if (g_output.nextHandle == 0) g_output.nextHandle = 1;
  g_channel.position = 0;
  g_channel.ended = false;
  g_channel.endedAt = -1;
  g_channel.playing = false;
  g_channel.level = 0;
  return g_channel.handle;
}

}  // namespace

uint32_t AudioStreamCreateFile(const char* path) {
  if (!g_output.open || !path) return 0;
  std::unique_ptr<AudioDecoder> decoder(new AudioDecoder());
  if (!decoder->Open(path, g_output.rate)) return 0;
  return CreateStream(std::move(decoder));
}

uint32_t AudioStreamCreateSilent() { return g_output.open ? CreateStream(nullptr) : 0; }

void AudioStreamFree(uint32_t stream) {
  if (!IsCurrent(stream)) return;
  DeviceLock lock;
  g_channel.decoder.reset();
  g_channel.handle = 0;
  g_channel.playing = false;
  g_channel.level = 0;
}

int64_t AudioStreamGetLength(uint32_t stream) {
  return IsCurrent(stream) && g_channel.decoder ? g_channel.decoder->Length() : 0;
}

bool AudioChannelPlay(uint32_t stream) {
  if (!IsCurrent(stream)) return false;
  g_channel.playing = true;
  return true;
}

bool AudioChannelPause(uint32_t stream) {
  if (!IsCurrent(stream)) return false;
  g_channel.playing = false;
  g_channel.level = 0;
  return true;
}

bool AudioChannelIsPlaying(uint32_t stream) {
  return IsCurrent(stream) && g_channel.playing && !PastTheMusic();
}

int64_t AudioChannelGetEnd(uint32_t stream) {
  return IsCurrent(stream) ? g_channel.endedAt.load() : -1;
}

int64_t AudioChannelGetPosition(uint32_t stream) {
  return IsCurrent(stream) ? g_channel.position.load() : 0;
}

bool AudioChannelSetPosition(uint32_t stream, int64_t frame) {
  if (!IsCurrent(stream)) return false;
  DeviceLock lock;
  if (frame < 0) frame = 0;
  if (g_channel.decoder) {
    const int64_t length = g_channel.decoder->Length();
    if (!g_channel.decoder->Seek(frame < length ? frame : length)) return false;
  }
  g_channel.position = frame;
  g_channel.ended = false;
  return true;
}

uint32_t AudioChannelGetLevel(uint32_t stream) {
  return IsCurrent(stream) && g_channel.playing ? g_channel.level.load() : 0;
}

double AudioFramesToSeconds(int64_t frames) {
  return g_output.rate > 0 ? static_cast<double>(frames) / g_output.rate : 0.0;
}

int64_t AudioSecondsToFrames(double seconds) {
  return static_cast<int64_t>(std::llround(seconds * g_output.rate));
}
