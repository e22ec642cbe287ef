#include "media/SoundStream.h"

#include <algorithm>
#include <cstring>

#include "platform/core/clock.h"

using namespace plat;

SoundStream::~SoundStream() {
  WavClose(&file, &format);
  if (buffer) buffer->Release();
}

int DSoundCreate(IDirectSound** directSound, HWND window) {
  if (DirectSoundCreate(nullptr, directSound, nullptr) != DS_OK) return 0;
  if ((*directSound)->SetCooperativeLevel(window, DSSCL_EXCLUSIVE) != DS_OK) {
    (*directSound)->Release();
    *directSound = nullptr;
    return 0;
  }
  return 1;
}

void DSoundRelease(IDirectSound* directSound) {
  if (directSound) directSound->Release();
}

int SoundStreamOpen(IDirectSound* directSound, SoundStream* s, const char* path) {
  WavClose(&s->file, &s->format);  // a file left open by the sound before
  if (WavOpen(path, &s->file, &s->format, &s->riffChunk) != 0) {
    s->fileOpen = 0;
    s->playing = 0;
    return kStreamCannotOpen;
  }
  s->fileOpen = 1;
  auto close = [&](int code) {
    WavClose(&s->file, &s->format);
    s->fileOpen = 0;
    return code;
  };
  if (s->format->head.wFormatTag != WAVE_FORMAT_PCM) return close(kStreamNotPcm);
  if (WavSeekData(s->file, &s->dataChunk, &s->riffChunk) != 0) return close(kStreamNoData);
  if (s->buffer) {
    s->buffer->Release();
    s->buffer = nullptr;
  }
  const WAVEFORMATEX& f = s->format->head;
  s->bufferSize = static_cast<DWORD>(std::uint64_t{f.nAvgBytesPerSec} * 480 / 100);
  // Whole frames only, or the play cursor of a rate not divisible by 5 would
  // fall between a frame's channels.
  if (f.nBlockAlign > 0) s->bufferSize -= s->bufferSize % f.nBlockAlign;
  DSBUFFERDESC desc;
  desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = s->bufferSize;
  desc.lpwfxFormat = &f;
  if (directSound->CreateSoundBuffer(&desc, &s->buffer, nullptr) != DS_OK) {
    s->buffer = nullptr;
    return close(kStreamNoBuffer);
  }
  const DWORD now = timeGetTime();
  s->endReached = 0;
  s->dataLeft = s->dataChunk.cksize;
  s->writePos = 0;
  s->startTime = s->lastFillTime = now;
  s->endTime = now + static_cast<DWORD>(std::uint64_t{s->dataChunk.cksize} * 1000 / f.nAvgBytesPerSec);
  SoundStreamFill(s, s->bufferSize);
  s->stopFlag = 0;
  return 0;
}

DWORD SoundStreamFreeBytes(SoundStream* s) {
  DWORD play = 0;
  if (s->buffer->GetCurrentPosition(&play, nullptr) != DS_OK) play = 0;
  return play >= s->writePos ? play - s->writePos : s->bufferSize + play - s->writePos;
}

void SoundStreamFill(SoundStream* s, DWORD bytes) {
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  if (bytes == 0 || s->buffer->Lock(s->writePos, bytes, &p1, &n1, &p2, &n2, 0) != DS_OK || n1 == 0) return;
  const BYTE silence = s->format->head.wBitsPerSample == 8 ? 0x80 : 0x00;
  UINT got1 = 0;
  WavRead(s->file, n1, static_cast<BYTE*>(p1), &s->dataChunk, &got1);
  s->dataLeft -= std::min<DWORD>(got1, s->dataLeft);
  if (got1 == n1 && p2 && n2) {
    UINT got2 = 0;
    WavRead(s->file, n2, static_cast<BYTE*>(p2), &s->dataChunk, &got2);
    s->dataLeft -= std::min<DWORD>(got2, s->dataLeft);
    if (got2 < n2) {
      s->endReached = 1;
      std::memset(static_cast<BYTE*>(p2) + got2, silence, n2 - got2);
    }
  }
  if (got1 < n1) {
    s->endReached = 1;
    // The buffer's valid length ends here; what follows must not sound.
    std::memset(static_cast<BYTE*>(p1) + got1, silence, n1 - got1);
    s->bufferSize = got1;
  }
  s->buffer->Unlock(p1, n1, p2, n2);
  // After a short first part the next byte to write is the start again:
  // counting the whole locked part would point inside the data not yet
  // played, and silencing from there would cut the sound's end.
  s->writePos = s->bufferSize && got1 == n1 ? (s->writePos + n1 + n2) % s->bufferSize : 0;
}

namespace {

void Restart(SoundStream* s, DWORD now) {
  s->endTime = s->endTime - s->startTime + now;
  s->startTime = s->lastFillTime = now;
  s->buffer->SetCurrentPosition(0);
}

// Past the end of a sound the buffer holds older parts of it; what the
// cursor will still pass before the sound is stopped must be silent.
void SilenceAhead(SoundStream* s, DWORD bytes) {
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  if (s->buffer->Lock(s->writePos, bytes, &p1, &n1, &p2, &n2, 0) != DS_OK) return;
  const int silence = s->format->head.wBitsPerSample == 8 ? 0x80 : 0x00;
  std::memset(p1, silence, n1);
  if (p2) std::memset(p2, silence, n2);
  s->buffer->Unlock(p1, n1, p2, n2);
  s->writePos = (s->writePos + n1 + n2) % s->bufferSize;
}

DWORD PlayCursor(SoundStream* s) {
  DWORD play = 0;
  s->buffer->GetCurrentPosition(&play, nullptr);
  return play;
}

}  // namespace

int SoundStreamService(SoundStream* s, int loop) {
  if (!s->playing) return 1;
  const DWORD now = timeGetTime();
  if (static_cast<LONG>(now - s->endTime) > 0) {
    if (!loop) return 0;
    if (PlayCursor(s) >= s->bufferSize) Restart(s, now);
    return 0;
  }
  if (now - s->lastFillTime < 250) return 1;
  const DWORD free = SoundStreamFreeBytes(s);
  if (free == 0) return 1;
  if (s->dataLeft > 0) {
    SoundStreamFill(s, std::min(s->dataLeft, free));
    s->lastFillTime = now;
    return 1;
  }
  if (!loop) {
    SilenceAhead(s, free);
    s->lastFillTime = now;
  } else if (PlayCursor(s) >= s->bufferSize) {
    Restart(s, now);
  } else if (!s->endReached && WavSeekData(s->file, &s->dataChunk, &s->riffChunk) == 0) {
    // A sound as long as the buffer or longer never brings the cursor past
    // its data, so it starts over in the file, right behind what is still to
    // play, instead of repeating what the buffer last held.
    const DWORD rate = s->format->head.nAvgBytesPerSec;
    const DWORD queued = s->bufferSize - free;
    s->dataLeft = s->dataChunk.cksize;
    s->endTime = now + static_cast<DWORD>((std::uint64_t{queued} + s->dataLeft) * 1000 / rate);
    SoundStreamFill(s, std::min(s->dataLeft, free));
    s->lastFillTime = now;
  }
  return 1;
}
