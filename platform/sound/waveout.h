#pragma once
// Wave output: blocks of PCM written to a device play one after another,
// mixed into the audio output, and come back through the callback
// (MM_WOM_DONE) once played. The callbacks run on the game thread: open and
// close during those calls, a finished block's when the game thread next
// looks at its messages (or calls a waveOut function). Game thread only.

#include <cstdint>

#include "platform/core/types.h"
#include "platform/sound/dsound.h"
#include "platform/sound/mmresult.h"

namespace plat {

struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;

constexpr UINT WAVE_MAPPER = 0xFFFFFFFF;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;

constexpr UINT MM_WOM_OPEN = 0x03BB;
constexpr UINT MM_WOM_CLOSE = 0x03BC;
constexpr UINT MM_WOM_DONE = 0x03BD;

constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

constexpr DWORD WHDR_DONE = 0x00000001;
constexpr DWORD WHDR_PREPARED = 0x00000002;
constexpr DWORD WHDR_INQUEUE = 0x00000010;

struct WAVEHDR {
  char* lpData = nullptr;
  DWORD dwBufferLength = 0;
  DWORD dwBytesRecorded = 0;
  std::uintptr_t dwUser = 0;
  DWORD dwFlags = 0;
  DWORD dwLoops = 0;
  WAVEHDR* lpNext = nullptr;
  std::uintptr_t reserved = 0;
};

constexpr UINT TIME_MS = 0x0001;
constexpr UINT TIME_SAMPLES = 0x0002;
constexpr UINT TIME_BYTES = 0x0004;

struct MMTIME {
  UINT wType = TIME_MS;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
  } u{};
};

// hwo, message, instance value, then the block (MM_WOM_DONE) and 0.
using WAVEOUTPROC = void (*)(HWAVEOUT, UINT, std::uintptr_t, std::uintptr_t, std::uintptr_t);

// At most this many devices open at once, and blocks queued on each.
constexpr std::size_t kMaxWaveOuts = 4;
constexpr std::size_t kMaxQueuedBlocks = 64;

UINT waveOutGetNumDevs();
// Device 0 or WAVE_MAPPER; PCM of 1 or 2 channels, 8 or 16 bits. The callback
// is a WAVEOUTPROC (CALLBACK_FUNCTION) or an HWND that gets the messages
// posted with the block in lParam (CALLBACK_WINDOW).
MMRESULT waveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format, std::uintptr_t callback,
                     std::uintptr_t instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT h, WAVEHDR* header, UINT size);
// WAVERR_STILLPLAYING while the block is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT h, WAVEHDR* header, UINT size);
// Queues a prepared block (WAVERR_UNPREPARED otherwise).
MMRESULT waveOutWrite(HWAVEOUT h, WAVEHDR* header, UINT size);
MMRESULT waveOutPause(HWAVEOUT h);
MMRESULT waveOutRestart(HWAVEOUT h);
// Stops, returns every queued block as done, and sets the position to 0.
MMRESULT waveOutReset(HWAVEOUT h);
// WAVERR_STILLPLAYING while blocks are queued.
MMRESULT waveOutClose(HWAVEOUT h);
// The position played since the open or the last reset, in the unit asked
// (TIME_SAMPLES, TIME_BYTES or TIME_MS).
MMRESULT waveOutGetPosition(HWAVEOUT h, MMTIME* time, UINT size);

}  // namespace plat
