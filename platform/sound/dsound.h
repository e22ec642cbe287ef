#pragma once
// The DirectSound role: a sound object and its secondary buffers, with the
// classic calls, flags and result codes. Every playing buffer is mixed into
// the audio output (platform/display/audio.h): resampled from its frequency,
// scaled by its volume (hundredths of a decibel, -10000 silent .. 0) and pan
// (-10000 left only .. 10000 right only). Under a memory output the mix, and
// so every play position, follows the program clock.
//
// Lock hands out a copy of the locked bytes (in one or two parts when the
// range wraps) which Unlock writes back, so the mixing thread never reads a
// half-written region. Objects are reference counted (Release frees at 0); a
// buffer keeps its sound object alive. Game thread only; the mixing runs on
// the output's thread.

#include <memory>
#include <vector>

#include "platform/core/types.h"

namespace plat {

constexpr HRESULT MakeDSResult(DWORD code) { return static_cast<HRESULT>(0x88780000u + code); }
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_ALLOCATED = MakeDSResult(10);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeDSResult(30);
constexpr HRESULT DSERR_INVALIDCALL = MakeDSResult(50);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = MakeDSResult(70);
constexpr HRESULT DSERR_BADFORMAT = MakeDSResult(100);
constexpr HRESULT DSERR_NODRIVER = MakeDSResult(120);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
// Buffers hold at least 4 bytes and at most 16 MB here.
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x01000000;
// At most this many buffers exist at once (DSERR_OUTOFMEMORY beyond).
constexpr std::size_t kMaxSoundBuffers = 256;

constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
  WORD wFormatTag = WAVE_FORMAT_PCM;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};

struct DSBUFFERDESC {
  DWORD dwSize = sizeof(DSBUFFERDESC);
  DWORD dwFlags = 0;
  DWORD dwBufferBytes = 0;
  DWORD dwReserved = 0;
  const WAVEFORMATEX* lpwfxFormat = nullptr;
};

class SoundObject {
 public:
  SoundObject(const SoundObject&) = delete;
  SoundObject& operator=(const SoundObject&) = delete;
  ULONG AddRef() { return ++refs_; }
  // The count left; 0 means the object is gone.
  ULONG Release();

 protected:
  SoundObject() = default;
  virtual ~SoundObject() = default;

 private:
  ULONG refs_ = 1;
};

struct SoundVoice;

class IDirectSoundBuffer : public SoundObject {
 public:
  HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written);
  HRESULT GetStatus(DWORD* status);
  // Play and write cursors in bytes; the write cursor runs 10 ms ahead.
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write);
  HRESULT SetCurrentPosition(DWORD position);
  // A range of `bytes` from `offset`, wrapping into a second part at the end.
  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags);
  HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2);
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
  HRESULT Stop();
  // Need the matching DSBCAPS_CTRL* flag (DSERR_CONTROLUNAVAIL otherwise).
  HRESULT SetVolume(LONG volume);
  HRESULT GetVolume(LONG* volume);
  HRESULT SetPan(LONG pan);
  HRESULT GetPan(LONG* pan);
  HRESULT SetFrequency(DWORD frequency);
  HRESULT GetFrequency(DWORD* frequency);

 private:
  friend class IDirectSound;
  IDirectSoundBuffer(class IDirectSound* owner, std::shared_ptr<SoundVoice> voice, DWORD flags);
  ~IDirectSoundBuffer() override;
  class IDirectSound* owner_;
  std::shared_ptr<SoundVoice> voice_;
  DWORD flags_;
  std::vector<BYTE> staging_;
  DWORD lockOffset_ = 0;
  bool locked_ = false;
};

class IDirectSound : public SoundObject {
 public:
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD level);
  // PCM, 1 or 2 channels of 8 or 16 bits, 100..100000 Hz, block align and
  // bytes a second consistent; DSERR_PRIOLEVELNEEDED before a cooperative level.
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void* outer);

 private:
  friend HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, void* outer);
  IDirectSound() = default;
  DWORD level_ = 0;
};

// The sound object of the default device (device null); DSERR_NODRIVER when
// sound is switched off (SetSoundDeviceAvailable).
HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, void* outer);
// Test hook: whether a sound device exists (default true).
void SetSoundDeviceAvailable(bool available);

}  // namespace plat
