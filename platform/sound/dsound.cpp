#include "platform/sound/dsound.h"

#include <algorithm>
#include <cstring>

#include "platform/sound/mixer.h"

namespace plat {
namespace {

bool g_deviceAvailable = true;

// Every call first lets a memory output mix up to the program clock, so what
// the call changes takes effect from now on.
std::unique_lock<std::mutex> Sync() {
  CurrentAudioOutput().CatchUp();
  return std::unique_lock(SoundMixer::Get().Mutex());
}

// A control's value, read under the mixer's lock.
template <typename T>
HRESULT ReadControl(DWORD flags, DWORD control, T* out, const T& value) {
  if (!(flags & control)) return DSERR_CONTROLUNAVAIL;
  if (!out) return DSERR_INVALIDPARAM;
  auto lock = Sync();
  *out = value;
  return DS_OK;
}

bool ValidFormat(const WAVEFORMATEX& f) {
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= DSBFREQUENCY_MIN &&
         f.nSamplesPerSec <= DSBFREQUENCY_MAX && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
         f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

}  // namespace

ULONG SoundObject::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void SetSoundDeviceAvailable(bool available) { g_deviceAvailable = available; }

HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, void*) {
  if (!out) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (device || !g_deviceAvailable) return DSERR_NODRIVER;
  *out = new IDirectSound();
  return DS_OK;
}

HRESULT IDirectSound::SetCooperativeLevel(HWND, DWORD level) {
  if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
  level_ = level;
  return DS_OK;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void*) {
  if (!out || !desc || desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (level_ == 0) return DSERR_PRIOLEVELNEEDED;
  if (!desc->lpwfxFormat) return DSERR_INVALIDPARAM;
  const WAVEFORMATEX& f = *desc->lpwfxFormat;
  if (!ValidFormat(f)) return DSERR_BADFORMAT;
  if (desc->dwBufferBytes < std::max<DWORD>(DSBSIZE_MIN, f.nBlockAlign) || desc->dwBufferBytes > DSBSIZE_MAX)
    return DSERR_INVALIDPARAM;
  auto voice = std::make_shared<SoundVoice>();
  voice->data.assign(desc->dwBufferBytes, f.wBitsPerSample == 8 ? 0x80 : 0);
  voice->frames = desc->dwBufferBytes / f.nBlockAlign;
  voice->channels = f.nChannels;
  voice->bits = f.wBitsPerSample;
  voice->blockAlign = f.nBlockAlign;
  voice->baseRate = voice->rate = f.nSamplesPerSec;
  if (!SoundMixer::Get().Add(voice.get())) return DSERR_OUTOFMEMORY;
  *out = new IDirectSoundBuffer(this, std::move(voice), desc->dwFlags);
  return DS_OK;
}

IDirectSoundBuffer::IDirectSoundBuffer(IDirectSound* owner, std::shared_ptr<SoundVoice> voice, DWORD flags)
    : owner_(owner), voice_(std::move(voice)), flags_(flags), staging_(voice_->data.size()) {
  owner_->AddRef();
}

IDirectSoundBuffer::~IDirectSoundBuffer() {
  SoundMixer::Get().Remove(voice_.get());
  owner_->Release();
}

HRESULT IDirectSoundBuffer::GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) {
  if (!format || size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
  const SoundVoice& v = *voice_;
  *format = WAVEFORMATEX{WAVE_FORMAT_PCM, v.channels, v.baseRate, v.baseRate * v.blockAlign, v.blockAlign, v.bits, 0};
  if (written) *written = sizeof(WAVEFORMATEX);
  return DS_OK;
}

HRESULT IDirectSoundBuffer::GetStatus(DWORD* status) {
  if (!status) return DSERR_INVALIDPARAM;
  auto lock = Sync();
  *status = (voice_->playing ? DSBSTATUS_PLAYING : 0) | (voice_->playing && voice_->looping ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

HRESULT IDirectSoundBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  auto lock = Sync();
  const SoundVoice& v = *voice_;
  const DWORD frame = static_cast<DWORD>(v.position >> 32) % std::max<DWORD>(v.frames, 1);
  const DWORD playByte = frame * v.blockAlign;
  const DWORD lead = v.playing ? (v.rate / 100) * v.blockAlign : 0;
  if (play) *play = playByte;
  if (write) *write = static_cast<DWORD>((playByte + lead) % v.data.size());
  return DS_OK;
}

HRESULT IDirectSoundBuffer::SetCurrentPosition(DWORD position) {
  auto lock = Sync();
  if (position >= voice_->data.size()) return DSERR_INVALIDPARAM;
  voice_->position = static_cast<std::uint64_t>(position / voice_->blockAlign) << 32;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                                 DWORD flags) {
  if (!part1 || !bytes1) return DSERR_INVALIDPARAM;
  auto lock = Sync();
  const auto size = static_cast<DWORD>(voice_->data.size());
  if (locked_) return DSERR_INVALIDCALL;
  if (flags & DSBLOCK_FROMWRITECURSOR) {
    lock.unlock();
    GetCurrentPosition(nullptr, &offset);
    lock.lock();
  }
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
  if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
  const DWORD first = std::min(bytes, size - offset);
  const DWORD second = bytes - first;
  std::memcpy(staging_.data() + offset, voice_->data.data() + offset, first);
  std::memcpy(staging_.data(), voice_->data.data(), second);
  *part1 = staging_.data() + offset;
  *bytes1 = first;
  if (part2) *part2 = second ? staging_.data() : nullptr;
  if (bytes2) *bytes2 = second;
  if (second && (!part2 || !bytes2)) return DSERR_INVALIDPARAM;
  lockOffset_ = offset;
  locked_ = true;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) {
  auto lock = Sync();
  const auto size = static_cast<DWORD>(voice_->data.size());
  if (!locked_ || part1 != staging_.data() + lockOffset_ || bytes1 > size - lockOffset_ ||
      (part2 && part2 != staging_.data()) || (part2 ? bytes2 : 0) > lockOffset_)
    return DSERR_INVALIDPARAM;
  std::memcpy(voice_->data.data() + lockOffset_, part1, bytes1);
  if (part2) std::memcpy(voice_->data.data(), part2, bytes2);
  locked_ = false;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Play(DWORD, DWORD, DWORD flags) {
  auto lock = Sync();
  voice_->playing = true;
  voice_->looping = (flags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Stop() {
  auto lock = Sync();
  voice_->playing = false;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::SetVolume(LONG volume) {
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  auto lock = Sync();
  voice_->volume = volume;
  SoundMixer::UpdateGains(*voice_);
  return DS_OK;
}

HRESULT IDirectSoundBuffer::GetVolume(LONG* volume) {
  return ReadControl(flags_, DSBCAPS_CTRLVOLUME, volume, voice_->volume);
}

HRESULT IDirectSoundBuffer::SetPan(LONG pan) {
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  auto lock = Sync();
  voice_->pan = pan;
  SoundMixer::UpdateGains(*voice_);
  return DS_OK;
}

HRESULT IDirectSoundBuffer::GetPan(LONG* pan) { return ReadControl(flags_, DSBCAPS_CTRLPAN, pan, voice_->pan); }

HRESULT IDirectSoundBuffer::SetFrequency(DWORD frequency) {
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
    return DSERR_INVALIDPARAM;
  auto lock = Sync();
  voice_->rate = frequency == DSBFREQUENCY_ORIGINAL ? voice_->baseRate : frequency;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::GetFrequency(DWORD* frequency) {
  return ReadControl(flags_, DSBCAPS_CTRLFREQUENCY, frequency, voice_->rate);
}

}  // namespace plat
