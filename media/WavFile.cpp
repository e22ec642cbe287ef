#include "media/WavFile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/core/bytes.h"

using namespace plat;

UINT WavOpen(const char* path, HMMIO* file, std::unique_ptr<WavFormat>* format, MMCKINFO* riff) {
  format->reset();
  *file = mmioOpen(path, nullptr, MMIO_ALLOCBUF);
  if (!*file) return kWavCannotOpen;
  auto fail = [&](UINT code) {
    WavClose(file, format);
    return code;
  };
  if (mmioDescend(*file, riff, nullptr, 0) != 0 || riff->ckid != mmioFOURCC('R', 'I', 'F', 'F') ||
      riff->fccType != mmioFOURCC('W', 'A', 'V', 'E'))
    return fail(kWavNotWave);
  MMCKINFO fmt;
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(*file, &fmt, riff, MMIO_FINDCHUNK) != 0 || fmt.cksize < 16) return fail(kWavNotWave);
  std::array<std::uint8_t, 16> head;
  if (mmioRead(*file, reinterpret_cast<char*>(head.data()), 16) != 16) return fail(kWavShortRead);
  auto f = std::make_unique<WavFormat>();
  ByteReader r(head);
  f->head = WAVEFORMATEX{r.U16(), r.U16(), r.U32(), r.U32(), r.U16(), r.U16(), 0};
  if (f->head.wFormatTag != WAVE_FORMAT_PCM) {
    std::array<std::uint8_t, 2> count;
    if (fmt.cksize < 18 || mmioRead(*file, reinterpret_cast<char*>(count.data()), 2) != 2) return fail(kWavShortRead);
    f->head.cbSize = DecodeLE<std::uint16_t>(count);
    if (f->head.cbSize > fmt.cksize - 18) return fail(kWavShortRead);
    f->extra.resize(f->head.cbSize);
    if (mmioRead(*file, reinterpret_cast<char*>(f->extra.data()), f->head.cbSize) != f->head.cbSize)
      return fail(kWavShortRead);
  }
  if (mmioAscend(*file, &fmt, 0) != 0) return fail(kWavShortRead);
  *format = std::move(f);
  return 0;
}

UINT WavSeekData(HMMIO file, MMCKINFO* data, const MMCKINFO* riff) {
  if (mmioSeek(file, static_cast<LONG>(riff->dwDataOffset + 4), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
  data->ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (UINT r = mmioDescend(file, data, riff, MMIO_FINDCHUNK)) return r;
  const LONG end = mmioSeek(file, 0, SEEK_END);
  if (end < 0 || mmioSeek(file, static_cast<LONG>(data->dwDataOffset), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
  data->cksize = std::min<DWORD>(
      data->cksize, static_cast<DWORD>(end) - std::min<DWORD>(data->dwDataOffset, static_cast<DWORD>(end)));
  return 0;
}

UINT WavRead(HMMIO file, UINT wanted, BYTE* out, MMCKINFO* data, UINT* read) {
  *read = 0;
  MMIOINFO info;
  if (UINT r = mmioGetInfo(file, &info, 0)) return r;
  const UINT count = std::min<UINT>(wanted, data->cksize);
  data->cksize -= count;
  UINT result = 0;
  UINT done = 0;
  while (done < count) {
    if (info.pchNext == info.pchEndRead) {
      if (mmioAdvance(file, &info, MMIO_READ) != 0 || info.pchNext == info.pchEndRead) {
        result = kWavDataEnded;
        break;
      }
    }
    const auto n = std::min<UINT>(count - done, static_cast<UINT>(info.pchEndRead - info.pchNext));
    std::memcpy(out + done, info.pchNext, n);
    info.pchNext += n;
    done += n;
  }
  if (mmioSetInfo(file, &info, 0) != 0) return kWavShortRead;
  *read = done;
  return result;
}

void WavClose(HMMIO* file, std::unique_ptr<WavFormat>* format) {
  if (format) format->reset();
  if (file && *file) {
    mmioClose(*file, 0);
    *file = nullptr;
  }
}
