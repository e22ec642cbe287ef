#include "platform/sound/mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/core/lifelong.h"
#include "platform/sound/dsound.h"

namespace plat {
namespace {

float Sample(const SoundVoice& v, DWORD frame, int channel) {
  return PcmSample(v.data.data() + static_cast<std::size_t>(frame) * v.blockAlign, v.bits, channel);
}

void MixVoice(SoundVoice& v, std::int32_t* mix, std::size_t frames) {
  if (v.frames == 0) {
    v.playing = false;
    return;
  }
  const std::uint64_t step = (static_cast<std::uint64_t>(v.rate) << 32) / kAudioRate;
  const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << 32;
  const int right = v.channels > 1 ? 1 : 0;
  for (std::size_t i = 0; i < frames; ++i) {
    if (v.position >= end) {
      if (!v.looping) {
        v.playing = false;
        v.position = 0;
        return;
      }
      v.position %= end;
    }
    const auto frame = static_cast<DWORD>(v.position >> 32);
    const float frac = static_cast<float>(v.position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
    DWORD next = frame + 1;
    if (next >= v.frames) next = v.looping ? 0 : frame;
    const float l0 = Sample(v, frame, 0), l1 = Sample(v, next, 0);
    const float r0 = Sample(v, frame, right), r1 = Sample(v, next, right);
    mix[2 * i] += static_cast<std::int32_t>((l0 + (l1 - l0) * frac) * v.gainLeft);
    mix[2 * i + 1] += static_cast<std::int32_t>((r0 + (r1 - r0) * frac) * v.gainRight);
    v.position += step;
  }
}

}  // namespace

float GainOfLevel(LONG hundredthsDb) {
  if (hundredthsDb <= DSBVOLUME_MIN) return 0.0f;
  return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

SoundMixer& SoundMixer::Get() { return Lifelong<SoundMixer>(); }

SoundMixer::SoundMixer() {
  voices_.reserve(kMaxSoundBuffers);
  AddAudioSource(this);
}

bool SoundMixer::Add(SoundVoice* voice) {
  std::lock_guard lock(mutex_);
  if (voices_.size() >= kMaxSoundBuffers) return false;
  voices_.push_back(voice);
  return true;
}

void SoundMixer::Remove(SoundVoice* voice) {
  std::lock_guard lock(mutex_);
  voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void SoundMixer::MixInto(std::int32_t* mix, std::size_t frames) {
  std::lock_guard lock(mutex_);
  for (SoundVoice* v : voices_)
    if (v->playing) MixVoice(*v, mix, frames);
}

void SoundMixer::UpdateGains(SoundVoice& v) {
  const float volume = GainOfLevel(v.volume);
  v.gainLeft = volume * (v.pan > 0 ? GainOfLevel(-v.pan) : 1.0f);
  v.gainRight = volume * (v.pan < 0 ? GainOfLevel(v.pan) : 1.0f);
}

}  // namespace plat
