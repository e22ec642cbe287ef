#pragma once
// Reading PCM WAV files through the multimedia file calls: the format, then
// the "data" chunk in pieces. Game thread only.

#include <memory>
#include <vector>

#include "platform/sound/dsound.h"
#include "platform/sound/mmio.h"

// WAV error codes.
constexpr plat::UINT kWavNoMemory = 0xE000;
constexpr plat::UINT kWavCannotOpen = 0xE100;
constexpr plat::UINT kWavNotWave = 0xE101;  // not RIFF "WAVE", or "fmt " shorter than 16 bytes
constexpr plat::UINT kWavShortRead = 0xE102;
constexpr plat::UINT kWavDataEnded = 0xE103;

// The "fmt " chunk: the 16-byte head (cbSize = the count of extra bytes) and
// the extra bytes of non-PCM formats.
struct WavFormat {
  plat::WAVEFORMATEX head;
  std::vector<plat::BYTE> extra;
};

// Opens the file and reads its format; 0 or a WAV error code (the file is
// then closed and *format empty). Leaves the file after the "fmt " chunk.
plat::UINT WavOpen(const char* path, plat::HMMIO* file, std::unique_ptr<WavFormat>* format, plat::MMCKINFO* riff);
// Finds the "data" chunk of the RIFF chunk; 0 or the file call's error. Its
// size is cut to what the file holds, so a chunk claiming more ends where the
// file does.
plat::UINT WavSeekData(plat::HMMIO file, plat::MMCKINFO* data, const plat::MMCKINFO* riff);
// Reads up to `wanted` bytes of the data chunk (whose size counts down);
// 0 or an error code (kWavDataEnded when the file ends first).
plat::UINT WavRead(plat::HMMIO file, plat::UINT wanted, plat::BYTE* out, plat::MMCKINFO* data, plat::UINT* read);
// Frees the format and closes the file (either may be null).
void WavClose(plat::HMMIO* file, std::unique_ptr<WavFormat>* format);
