#pragma once
// The MCI CD-audio device. The game's CD tracks are audio files on the CD
// drive (the first drive of type CD-ROM): CD track n is the file
// "MUSIC\TRACKnn.*" there (two digits, any extension FFmpeg reads: OGG,
// FLAC, MP3, WAV, ...). Track 1, the data track of a game CD, has no file.
// Playing decodes the files in order on a thread of the device and mixes
// them into the audio output; the end of a play with MCI_NOTIFY posts
// MM_MCINOTIFY (MCI_NOTIFY_SUCCESSFUL, device id) to the callback window, and
// a play stopped, replaced or closed posts MCI_NOTIFY_ABORTED instead.
// Game thread only.

#include <cstdint>

#include "platform/core/types.h"

namespace plat {

using MCIDEVICEID = UINT;
using MCIERROR = DWORD;

constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 0x0002;
constexpr WPARAM MCI_NOTIFY_ABORTED = 0x0004;
constexpr WPARAM MCI_NOTIFY_FAILURE = 0x0008;

constexpr UINT MCI_OPEN = 0x0803;
constexpr UINT MCI_CLOSE = 0x0804;
constexpr UINT MCI_PLAY = 0x0806;
constexpr UINT MCI_STOP = 0x0808;
constexpr UINT MCI_SET = 0x080D;

constexpr DWORD MCI_NOTIFY = 0x00000001;
constexpr DWORD MCI_WAIT = 0x00000002;
constexpr DWORD MCI_FROM = 0x00000004;
constexpr DWORD MCI_TO = 0x00000008;
constexpr DWORD MCI_OPEN_SHAREABLE = 0x00000100;
constexpr DWORD MCI_OPEN_TYPE_ID = 0x00001000;
constexpr DWORD MCI_OPEN_TYPE = 0x00002000;
constexpr DWORD MCI_SET_TIME_FORMAT = 0x00000400;

constexpr DWORD MCI_DEVTYPE_CD_AUDIO = 516;
constexpr DWORD MCI_FORMAT_TMSF = 10;
constexpr DWORD MCI_MAKE_TMSF(BYTE t, BYTE m, BYTE s, BYTE f) {
  return static_cast<DWORD>(t) | (static_cast<DWORD>(m) << 8) | (static_cast<DWORD>(s) << 16) |
         (static_cast<DWORD>(f) << 24);
}

constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr MCIERROR MCIERR_HARDWARE = 262;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = 274;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = 276;
constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = 293;

struct MCI_GENERIC_PARMS {
  std::uintptr_t dwCallback = 0;  // the HWND that gets MM_MCINOTIFY
};
struct MCI_OPEN_PARMS {
  std::uintptr_t dwCallback = 0;
  MCIDEVICEID wDeviceID = 0;           // filled by the open
  std::uintptr_t lpstrDeviceType = 0;  // MCI_DEVTYPE_CD_AUDIO with MCI_OPEN_TYPE_ID, or "cdaudio"
  const char* lpstrElementName = nullptr;
  const char* lpstrAlias = nullptr;
};
struct MCI_SET_PARMS {
  std::uintptr_t dwCallback = 0;
  DWORD dwTimeFormat = 0;
  DWORD dwAudio = 0;
};
// Positions in TMSF, the only time format: the track in the low byte; plays
// start and end at track starts (minutes, seconds and frames are not read).
struct MCI_PLAY_PARMS {
  std::uintptr_t dwCallback = 0;
  DWORD dwFrom = 0;
  DWORD dwTo = 0;
};

// MCI_OPEN (CD audio only; MCIERR_INVALID_DEVICE_NAME without a CD drive),
// MCI_SET (time format TMSF), MCI_PLAY (MCI_FROM, and MCI_TO the track after
// the last one played; without MCI_TO up to the last track file; a track
// without a file is MCIERR_OUTOFRANGE), MCI_STOP, MCI_CLOSE. `param` points at
// the command's record. 0 or an MCI error.
MCIERROR mciSendCommand(MCIDEVICEID device, UINT message, DWORD flags, void* param);
// The error's text; FALSE for an unknown code.
BOOL mciGetErrorString(MCIERROR error, char* text, UINT size);

// The CD-audio volume: low word left, high word right, 0 .. 0xFFFF each
// (device 0 only; the music setting's level).
constexpr UINT kCdAudioAuxDevice = 0;
UINT auxSetVolume(UINT device, DWORD volume);
UINT auxGetVolume(UINT device, DWORD* volume);

}  // namespace plat
