#include "platform/MusicPlayer.h"

#include "platform/AudioDecoder.h"
#include "platform/AudioOutput.h"
#include "platform/StatusLine.h"

bool MusicPlayer::Init(HWND) {
  if (AudioGetVersion() != AUDIO_VERSION) {
    MessageBoxA(nullptr, "No se cargó BASS version 1.5", "Version de BASS.DLL incorrecta", MB_OK);
    return false;
  }
  if (!AudioInit(kMusicRate)) {
    MessageBoxA(nullptr, "ERROR!", "No se pudo inicializar el sistema de sonido.", MB_OK);
    return false;
  }
  AudioStart();
  return true;
}

void MusicPlayer::Load(const char* path) {
  m_toldShortMusic = false;
  m_stream = AudioStreamCreateFile(path);
  if (m_stream) return;
  MessageBoxA(nullptr, "ERROR!", "No se pudo cargar el fichero de musica.", MB_OK);
  // Without its music the production still needs its clock to reach its events.
  LoadSilence();
  PrintStatus("- Music file %s could not be loaded: the production plays on a silent clock\n",
              path ? path : "");
}

void MusicPlayer::LoadSilence() { m_stream = AudioStreamCreateSilent(); }

void MusicPlayer::Play() {
  AudioChannelPlay(m_stream);
  m_playing = true;
}

void MusicPlayer::Pause() {
  AudioChannelPause(m_stream);
  m_playing = false;
}

void MusicPlayer::Resume() {
  AudioChannelPlay(m_stream);
  m_playing = true;
}

uint32_t MusicPlayer::Level() {
  const uint32_t level = AudioChannelGetLevel(m_stream);
  return m_playing ? ((level & 0xFFFF) + (level >> 16)) / 2 : 0;
}

void MusicPlayer::TellShortMusic() {
  const int64_t end = AudioChannelGetEnd(m_stream);
  const int64_t length = AudioStreamGetLength(m_stream);
  if (m_toldShortMusic || end < 0 || !EndsEarly(end, length, kMusicRate)) return;
  m_toldShortMusic = true;
  PrintStatus("- The music gives out at %.2f s, before the %.2f s its file announces: the file "
              "is damaged or cut short, and the clock runs on in silence\n",
              AudioFramesToSeconds(end), AudioFramesToSeconds(length));
}

float MusicPlayer::Position() {
  TellShortMusic();
  return static_cast<float>(AudioFramesToSeconds(AudioChannelGetPosition(m_stream)));
}

float MusicPlayer::Length() {
  return static_cast<float>(AudioFramesToSeconds(AudioStreamGetLength(m_stream)));
}

void MusicPlayer::MoveBy(float seconds) {
  AudioChannelSetPosition(m_stream,
                          AudioChannelGetPosition(m_stream) + AudioSecondsToFrames(seconds));
}

void MusicPlayer::SetPosition(float seconds) {
  AudioChannelSetPosition(m_stream, AudioSecondsToFrames(seconds > 0 ? seconds : 0));
}

void MusicPlayer::Rewind(float seconds) { MoveBy(-seconds); }

void MusicPlayer::Forward(float seconds) { MoveBy(seconds); }

void MusicPlayer::Free() {
  AudioStop();
  AudioStreamFree(m_stream);
  AudioFree();
}
