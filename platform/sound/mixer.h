#pragma once
// The mixer behind the DirectSound buffers: each buffer's voice, and the one
// audio source that mixes every playing voice. Internal to the sound role; its
// mutex guards the voices, which the game thread changes while the output's
// thread mixes them.

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/core/lifelong.h"
#include "platform/core/types.h"
#include "platform/display/audio.h"

namespace plat {

// One buffer's sound and play state. The fields below `mutable state` are
// guarded by the mixer's mutex.
struct SoundVoice {
  std::vector<BYTE> data;
  DWORD frames = 0;
  WORD channels = 1;
  WORD bits = 16;
  WORD blockAlign = 2;
  DWORD baseRate = 22050;
  // mutable state
  DWORD rate = 22050;
  LONG volume = 0;
  LONG pan = 0;
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
  bool playing = false;
  bool looping = false;
  std::uint64_t position = 0;  // frames, 32.32 fixed point
};

// One channel of a PCM frame (8-bit unsigned or 16-bit signed) on the 16-bit scale.
inline float PcmSample(const BYTE* frame, WORD bits, int channel) {
  if (bits == 8) return static_cast<float>((static_cast<int>(frame[channel]) - 128) * 256);
  return static_cast<float>(static_cast<std::int16_t>(frame[channel * 2] | (frame[channel * 2 + 1] << 8)));
}

// Amplitude factor of a level in hundredths of a decibel (-10000 is silence).
float GainOfLevel(LONG hundredthsDb);

// The one mixer, never destroyed (platform/core/lifelong.h): the audio
// output's thread mixes it until the process ends.
class SoundMixer final : public AudioSource {
 public:
  static SoundMixer& Get();
  // False when kMaxSoundBuffers voices exist.
  bool Add(SoundVoice* voice);
  void Remove(SoundVoice* voice);
  void MixInto(std::int32_t* mix, std::size_t frames) override;
  std::mutex& Mutex() { return mutex_; }
  // Gains from the voice's volume and pan.
  static void UpdateGains(SoundVoice& v);

 private:
  friend SoundMixer& Lifelong<SoundMixer>();
  SoundMixer();
  std::mutex mutex_;
  std::vector<SoundVoice*> voices_;
};

}  // namespace plat
