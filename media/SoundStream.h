#pragma once
// A PCM WAV file played through one circular DirectSound buffer of about 4.8
// seconds, refilled from the file while it plays, so long sounds need no
// large buffer. Game thread only.

#include <memory>

#include "media/WavFile.h"
#include "platform/sound/dsound.h"

struct SoundStream {
  std::unique_ptr<WavFormat> format;
  plat::HMMIO file = nullptr;
  plat::MMCKINFO dataChunk;
  plat::MMCKINFO riffChunk;
  plat::IDirectSoundBuffer* buffer = nullptr;
  plat::DWORD bufferSize = 0;  // lowered to the data length when the sound ends in the first fill
  plat::DWORD writePos = 0;
  plat::DWORD dataLeft = 0;
  plat::DWORD stopFlag = 0;
  plat::DWORD endReached = 0;
  plat::DWORD startTime = 0;
  plat::DWORD endTime = 0;
  plat::DWORD lastFillTime = 0;
  plat::DWORD playing = 0;
  plat::DWORD fileOpen = 0;

  SoundStream() = default;
  ~SoundStream();  // closes the file and releases the buffer
  SoundStream(const SoundStream&) = delete;
  SoundStream& operator=(const SoundStream&) = delete;
};

// 1 when a DirectSound object was made and set to the exclusive level, else 0.
int DSoundCreate(plat::IDirectSound** directSound, plat::HWND window);
void DSoundRelease(plat::IDirectSound* directSound);

// SoundStreamOpen results.
constexpr int kStreamCannotOpen = -100;  // cannot open, or not a WAVE file
constexpr int kStreamNotPcm = -101;
constexpr int kStreamNoBuffer = -102;
constexpr int kStreamNoData = -103;

// Opens the file, makes the buffer and fills it; 0 or a code above.
int SoundStreamOpen(plat::IDirectSound* directSound, SoundStream* stream, const char* path);
// Bytes that can be written without overtaking the play cursor.
plat::DWORD SoundStreamFreeBytes(SoundStream* stream);
// Writes `bytes` of the file into the buffer at writePos.
void SoundStreamFill(SoundStream* stream, plat::DWORD bytes);
// 1 keep playing, 0 finished (or, looping, waiting to restart). Looping, a
// sound shorter than the buffer restarts the buffer once the cursor has passed
// its data; a longer one reads on from the start of its data.
int SoundStreamService(SoundStream* stream, int loop);
