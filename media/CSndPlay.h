#pragma once
// The program's sound player, g_sndPlay: WAV effects and speech in 20
// streamed slots, and the CD music with its schedule (the title track, then
// the in-game tracks in turn after random pauses). The main window's 90 ms
// timer drives it through OnTimer; the CD's end-of-track notification through
// ScheduleNextTrack. Game thread only.

#include <array>
#include <memory>

#include "media/CCDAudio.h"
#include "media/SoundStream.h"
#include "platform/core/random.h"

constexpr int kSoundSlots = 20;
constexpr plat::DWORD kTitleTrack = 6;
constexpr plat::DWORD kFirstBattleTrack = 7;
constexpr plat::DWORD kLastBattleTrack = 10;

class CSndPlay {
 public:
  // Where the game keeps its sounds: fills `out` with the sound directory
  // (ending in a backslash) and returns true, or false when there is none.
  // Set by the application from its installation settings.
  using SoundPathSource = bool (*)(char* out, std::size_t size);
  static SoundPathSource soundPathSource;

  CSndPlay();
  ~CSndPlay();
  CSndPlay(const CSndPlay&) = delete;
  CSndPlay& operator=(const CSndPlay&) = delete;

  // Creates DirectSound, opens the music and starts the title track; then
  // SetLevels, whose result it returns.
  int Init(plat::HWND window, short musicLevel, short effectsLevel, plat::DWORD speech);
  // Levels 0..3 each (music 0 stops the music; effects 0 silences effects). 1.
  int SetLevels(short musicLevel, short effectsLevel, plat::DWORD speech);
  // Plays a WAV file by path, or by name in the sound directory. attenuation
  // 0 = full volume .. 1 = the most the effects level allows, pan -1 .. 1.
  // The slot 0..19, or -1 when nothing plays.
  int PlayEffect(const char* name, float attenuation, float pan, plat::BYTE loop);
  // 1 when the slot plays (and was changed), else 0.
  int SetEffectVolumePan(int slot, float attenuation, float pan);
  // slot -1: all.
  void StopEffect(int slot);
  // Lowers every repeating sound by 1 dB. 1.
  int FadeAllSounds();
  void ClearLoopFlags();
  void OnTimer(plat::DWORD now);

  void PlayTrack(plat::DWORD track);
  int PlayNextTrack(plat::DWORD track);
  plat::DWORD PlayRandomTrack();
  // A random battle track (7 to 10) in place of the track that plays, unless
  // a battle track already plays; the next change 90 to 180 s later. 1 when
  // a battle track now plays.
  plat::DWORD PlayBattleMusic();
  void ScheduleNextTrack();
  void CheckMusicTimer(plat::DWORD now);
  void StopMusic();
  void SetMusicEnabled(plat::DWORD enabled);
  void Shutdown();
  void Close() { Shutdown(); }
  void Reopen(plat::HWND window);

  std::array<std::unique_ptr<SoundStream>, kSoundSlots> slots;
  std::array<plat::BYTE, kSoundSlots> loopFlags{};
  CCDAudio cd;
  plat::DWORD soundAvailable = 0;
  plat::DWORD musicAvailable = 0;
  plat::DWORD soundEnabled = 1;
  plat::DWORD speechEnabled = 0;
  plat::DWORD musicEnabled = 1;
  plat::DWORD trackPlaying = 0;
  plat::DWORD currentTrack = kTitleTrack;
  float effectsVolume = 0.0f;
  plat::DWORD musicVolume = 0xFFFFFFFF;  // the CD-audio volume of the music level
  plat::DWORD nextChangeTime = 0xFFFFFFFF;
  plat::DWORD streamsActive = 0;
  // The music's own random numbers: its choices come when a track ends, at
  // moments the game's sequence must not depend on.
  plat::RandomStream musicRandom;
  char pathBuffer[256] = {};
  plat::IDirectSound* directSound = nullptr;

 private:
  void ApplyVolumePan(SoundStream& s, float attenuation, float pan);
  int StartTrack(plat::DWORD track);
};

extern CSndPlay* g_sndPlay;
