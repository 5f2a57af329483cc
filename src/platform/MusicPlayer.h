#pragma once
// Plays the production's one music track and reports its play position in seconds, which is the
// clock of the whole production.
#include <cstdint>

#include "platform/MessageBox.h"

constexpr int kMusicRate = 44100;  // output frames per second

class MusicPlayer {
 public:
  uint32_t m_stream = 0;  // 0 when no stream could be created
  bool m_playing = false;
  bool m_toldShortMusic = false;  // the music gave out early, and the log has said so

  // Opens the sound output (a silent one where the machine has no sound device).
  bool Init(HWND window);
  void Load(const char* path);
  // A stream with no music and no end, for a production without any: its position is the clock
  // as with music. Its length is 0.
  void LoadSilence();
  void Play();
  void Pause();
  void Resume();
  // Mean of the left and right peak levels; 0 while not playing.
  uint32_t Level();
  // Seconds; grows from 0 with the music. Music that gives out well before the length its file
  // announces (damaged or cut short) is told of in the log, once.
  float Position();
  float Length();
  // Moves the music, and with it the production's clock, to `seconds` (0 at the least); past
  // the end of the music the clock runs on in silence.
  void SetPosition(float seconds);
  void Rewind(float seconds);
  void Forward(float seconds);
  void Free();

 private:
  void MoveBy(float seconds);
  void TellShortMusic();
};
