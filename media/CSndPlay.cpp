#include "media/CSndPlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/core/clock.h"
#include "platform/core/random.h"
#include "platform/core/systime.h"

using namespace plat;

CSndPlay* g_sndPlay = nullptr;
CSndPlay::SoundPathSource CSndPlay::soundPathSource = nullptr;

namespace {

constexpr DWORD kTrackLimit = 8;

// The CD-audio volume of a music level: a third of full scale a step.
DWORD MusicVolume(short level) {
  const auto v = static_cast<DWORD>(0xFFFF * level / 3);
  return v | (v << 16);
}

}  // namespace

// Each session pauses between its tracks differently, as the classic sequence
// seeded from the clock did.
CSndPlay::CSndPlay() : musicRandom(static_cast<unsigned>(plat::time(nullptr))) {}

CSndPlay::~CSndPlay() {
  for (auto& s : slots) s.reset();
  cd.Close();
  DSoundRelease(directSound);
}

int CSndPlay::StartTrack(DWORD track) {
  auxSetVolume(kCdAudioAuxDevice, musicVolume);
  return cd.PlayTrack(static_cast<BYTE>(track));
}

int CSndPlay::Init(HWND window, short music, short effects, DWORD speech) {
  if (soundAvailable) return SetLevels(music, effects, speech);
  soundAvailable = static_cast<DWORD>(DSoundCreate(&directSound, window));
  if (!musicAvailable && cd.FindDrive()) {
    cd.Open(0, window, kTrackLimit);
    musicAvailable = cd.isOpen;
    if (cd.isOpen) {
      musicVolume = MusicVolume(music > 0 && music <= 3 ? music : 3);
      // The front end opens with the title, after a game as at the start.
      // The track a game left next is one before its guild's (none, the
      // disc's data track, for the first guild), and a failed start would
      // leave the music unavailable for the rest of the run.
      currentTrack = kTitleTrack;
      if (StartTrack(currentTrack) == 1)
        trackPlaying = 1;
      else
        musicAvailable = cd.isOpen;
    }
  }
  return SetLevels(music, effects, speech);
}

int CSndPlay::SetLevels(short music, short effects, DWORD speech) {
  if (music == 0) {
    if (trackPlaying) SetMusicEnabled(0);
  } else if (music >= 1 && music <= 3) {
    musicEnabled = 1;
    musicVolume = MusicVolume(music);
    auxSetVolume(kCdAudioAuxDevice, musicVolume);
    if (musicAvailable && !cd.isOpen) {
      cd.Open(0, cd.notifyWindow, kTrackLimit);
      nextChangeTime = 0;
      musicAvailable = cd.isOpen;
    }
  }
  static constexpr float kEffects[] = {0.0f, 0.625f, 0.8f, 0.9f};
  if (effects >= 0 && effects <= 3) effectsVolume = kEffects[effects];
  speechEnabled = speech;
  return 1;
}

void CSndPlay::ApplyVolumePan(SoundStream& s, float attenuation, float pan) {
  const double level = (1.0 - effectsVolume) * attenuation * -10000.0;
  const LONG volume = static_cast<LONG>(std::clamp(std::trunc(level), -10000.0, 0.0));
  s.buffer->SetVolume(volume);
  const double p = std::clamp(std::floor(static_cast<double>(pan) * 10000.0), -10000.0, 10000.0);
  s.buffer->SetPan(static_cast<LONG>(p));
}

int CSndPlay::PlayEffect(const char* name, float attenuation, float pan, BYTE loop) {
  if (!soundAvailable || !soundEnabled || effectsVolume == 0.0f || !name) return -1;
  int slot = -1;
  for (int i = 0; i < kSoundSlots && slot < 0; ++i)
    if (!slots[i] || !slots[i]->playing) slot = i;
  if (slot < 0) return -1;
  if (!slots[slot]) slots[slot] = std::make_unique<SoundStream>();
  SoundStream& s = *slots[slot];
  std::snprintf(pathBuffer, sizeof pathBuffer, "%s", name);
  if (SoundStreamOpen(directSound, &s, pathBuffer) != 0) {
    char dir[256];
    if (!soundPathSource || !soundPathSource(dir, sizeof dir)) return -1;
    std::snprintf(pathBuffer, sizeof pathBuffer, "%s%s", dir, name);
    if (SoundStreamOpen(directSound, &s, pathBuffer) != 0) return -1;
  }
  ApplyVolumePan(s, attenuation, pan);
  s.buffer->SetCurrentPosition(0);
  s.buffer->Play(0, 0, DSBPLAY_LOOPING);
  s.playing = 1;
  loopFlags[slot] = loop;
  ++streamsActive;
  return slot;
}

int CSndPlay::SetEffectVolumePan(int slot, float attenuation, float pan) {
  if (slot < 0 || slot >= kSoundSlots || !slots[slot] || !slots[slot]->playing) return 0;
  ApplyVolumePan(*slots[slot], attenuation, pan);
  return 1;
}

void CSndPlay::StopEffect(int slot) {
  if (!soundAvailable) return;
  if (slot < -1 || slot >= kSoundSlots) return;
  for (int i = slot < 0 ? 0 : slot; i < (slot < 0 ? kSoundSlots : slot + 1); ++i) {
    if (!slots[i]) continue;
    SoundStream& s = *slots[i];
    s.stopFlag = 1;
    loopFlags[i] = 0;
    if (s.playing) {
      s.playing = 0;
      s.buffer->Stop();
    }
    if (s.fileOpen) {
      WavClose(&s.file, &s.format);
      s.fileOpen = 0;
    }
  }
}

int CSndPlay::FadeAllSounds() {
  for (int i = 0; i < kSoundSlots; ++i) {
    if (!slots[i] || !slots[i]->playing || !loopFlags[i]) continue;
    LONG volume = 0;
    slots[i]->buffer->GetVolume(&volume);
    slots[i]->buffer->SetVolume(std::max<LONG>(volume - 100, DSBVOLUME_MIN));
  }
  return 1;
}

void CSndPlay::ClearLoopFlags() { loopFlags.fill(0); }

void CSndPlay::OnTimer(DWORD now) {
  if (streamsActive) {
    bool any = false;
    for (int i = 0; i < kSoundSlots; ++i) {
      if (!slots[i] || !slots[i]->playing) continue;
      if (SoundStreamService(slots[i].get(), loopFlags[i]) == 0 && !loopFlags[i]) StopEffect(i);
      any = any || slots[i]->playing;
    }
    if (!any) streamsActive = 0;
  }
  CheckMusicTimer(now);
}

void CSndPlay::PlayTrack(DWORD track) {
  nextChangeTime = 0;
  currentTrack = track;
  if (!trackPlaying && musicEnabled && musicAvailable) {
    trackPlaying = static_cast<DWORD>(StartTrack(track));
    if (!trackPlaying) musicAvailable = cd.isOpen;
    nextChangeTime = timeGetTime() + static_cast<DWORD>(musicRandom.Next() % 18 + 30) * 6000;
  } else {
    currentTrack = (track & 0xFF) - 1;
  }
}

void CSndPlay::ScheduleNextTrack() {
  trackPlaying = 0;
  if (currentTrack == kTitleTrack) return;
  const DWORD a = timeGetTime() + static_cast<DWORD>(musicRandom.Next() % 18 + 5) * 6000;
  const DWORD b = timeGetTime() + static_cast<DWORD>(musicRandom.Next() % 18 + 4) * 6000;
  nextChangeTime = std::min(a, b);
}

void CSndPlay::CheckMusicTimer(DWORD now) {
  if (!trackPlaying && musicEnabled && musicAvailable && now > nextChangeTime) PlayNextTrack(currentTrack + 1);
}

int CSndPlay::PlayNextTrack(DWORD track) {
  if (trackPlaying || !musicAvailable || !musicEnabled) return 0;
  StopMusic();
  const DWORD t = track >= 1 && track <= 5 ? track : 1;
  const int result = StartTrack(t);
  trackPlaying = result > 0 ? 1 : 0;
  if (!trackPlaying)
    musicAvailable = cd.isOpen;
  else
    currentTrack = t;
  return 1;
}

DWORD CSndPlay::PlayRandomTrack() {
  if (!trackPlaying && musicEnabled && musicAvailable) {
    const DWORD t = static_cast<DWORD>(musicRandom.Next() & 3) + 7;
    trackPlaying = static_cast<DWORD>(StartTrack(t));
    if (!trackPlaying)
      musicAvailable = cd.isOpen;
    else
      currentTrack = t;
    nextChangeTime = timeGetTime() + static_cast<DWORD>((musicRandom.Next() & 15) + 15) * 6000;
  }
  return trackPlaying;
}

DWORD CSndPlay::PlayBattleMusic() {
  if (!musicAvailable || !musicEnabled) return 0;
  if (trackPlaying && currentTrack >= kFirstBattleTrack && currentTrack <= kLastBattleTrack) return 1;
  // Played on the open device, the new track ends the one before it (whose
  // end is reported as aborted and schedules nothing). Stopping the music
  // first would close the device and leave nothing to play on.
  const DWORD track = kFirstBattleTrack + static_cast<DWORD>(musicRandom.Next() % 4);
  trackPlaying = StartTrack(track) == 1 ? 1 : 0;
  if (!trackPlaying) {
    musicAvailable = cd.isOpen;
    return 0;
  }
  currentTrack = track;
  nextChangeTime = timeGetTime() + static_cast<DWORD>(90 + musicRandom.Next() % 91) * 1000;
  return 1;
}

void CSndPlay::StopMusic() {
  if (musicAvailable && trackPlaying) {
    cd.Close();
    trackPlaying = 0;
  }
}

void CSndPlay::SetMusicEnabled(DWORD enabled) {
  if (!enabled) StopMusic();
  musicEnabled = enabled;
}

void CSndPlay::Shutdown() {
  if (!musicAvailable && !soundAvailable) {
    soundAvailable = musicAvailable = trackPlaying = 0;
    return;
  }
  if (musicAvailable) StopMusic();
  for (int i = 0; i < kSoundSlots; ++i) {
    if (!slots[i]) continue;
    if (slots[i]->playing) StopEffect(i);
    slots[i].reset();
  }
  DSoundRelease(directSound);
  directSound = nullptr;
  soundAvailable = musicAvailable = trackPlaying = 0;
}

void CSndPlay::Reopen(HWND window) {
  if (soundAvailable) return;
  if (soundEnabled) soundAvailable = static_cast<DWORD>(DSoundCreate(&directSound, window));
  if (musicAvailable || !musicEnabled || !cd.FindDrive()) return;
  cd.Open(0, window, kTrackLimit);
  musicAvailable = cd.isOpen;
  ScheduleNextTrack();
}
