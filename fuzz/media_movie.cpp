// AVI files through the video role as the movie player reads them: every
// stream's information, format and samples, the key-frame search, and each
// frame decoded into 8-bit and 24-bit pictures. Reads stay within the bytes
// read; nothing is read past the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/video/avifile.h"
#include "platform/video/icm.h"

namespace {

using namespace plat;

constexpr LONG kMaxPixels = 1 << 18;
constexpr LONG kMaxFrames = 64;

void Decode(PAVISTREAM video, std::size_t inputSize) {
  LONG size = 0;
  if (AVIStreamReadFormat(video, 0, nullptr, &size) != AVIERR_OK || size < 40 || size > (1 << 20)) return;
  std::vector<BYTE> format(static_cast<std::size_t>(size));
  AVIStreamReadFormat(video, 0, format.data(), &size);
  auto* in = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
  const LONG w = in->biWidth, h = std::abs(in->biHeight);
  if (w <= 0 || h <= 0 || w > kMaxPixels / h) return;
  HIC codec = ICLocate(ICTYPE_VIDEO, 0, in, nullptr, ICMODE_DECOMPRESS);
  if (!codec) return;
  std::vector<BYTE> out8(40 + 1024), pixels8(static_cast<std::size_t>((w + 3) & ~3) * h);
  std::vector<BYTE> pixels24(static_cast<std::size_t>((w * 3 + 3) & ~3) * h);
  BITMAPINFOHEADER o8 = *in, o24 = *in;
  o8.biSize = o24.biSize = 40;
  o8.biCompression = o24.biCompression = BI_RGB;
  o8.biBitCount = 8;
  o24.biBitCount = 24;
  std::vector<BYTE> frame(inputSize + 1);
  const LONG length = std::min(AVIStreamLength(video), kMaxFrames);
  for (LONG n = 0; n < length; ++n) {
    LONG bytes = 0;
    if (AVIStreamRead(video, n, 1, frame.data(), static_cast<LONG>(frame.size()), &bytes, nullptr) != AVIERR_OK)
      continue;
    if (static_cast<std::size_t>(bytes) > inputSize) __builtin_trap();
    in->biSizeImage = static_cast<DWORD>(bytes);
    ICDECOMPRESSEX d{
        n % 3 == 2 ? ICDECOMPRESS_HURRYUP : 0, in, frame.data(), &o8, pixels8.data(), 0, 0, w, h, 0, 0, w, h};
    ICDecompressEx(codec, d);
    d.lpbiDst = &o24;
    d.lpDst = pixels24.data();
    d.dxDst = std::max<LONG>(1, w / 2);
    ICDecompressEx(codec, d);
  }
  ICClose(codec);
}

void ReadSound(PAVISTREAM audio, std::size_t inputSize) {
  std::vector<BYTE> block(4096);
  const LONG length = AVIStreamLength(audio);
  std::size_t total = 0;
  for (LONG at = 0; at < length;) {
    LONG bytes = 0, samples = 0;
    if (AVIStreamRead(audio, at, 4096, block.data(), 4096, &bytes, &samples) != AVIERR_OK || samples <= 0) break;
    total += static_cast<std::size_t>(bytes);
    at += samples;
  }
  if (total > inputSize) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PAVIFILE file = nullptr;
  if (AVIFileOpenBytes(&file, {data, size}) != AVIERR_OK) return 0;
  for (LONG i = 0;; ++i) {
    PAVISTREAM s = nullptr;
    if (AVIFileGetStream(file, &s, 0, i) != AVIERR_OK) break;
    AVISTREAMINFO info;
    AVIStreamInfo(s, &info, sizeof info);
    AVIStreamFindSample(s, static_cast<LONG>(info.dwLength / 2), FIND_PREV | FIND_KEY);
    AVIStreamFindSample(s, 0, FIND_NEXT | FIND_KEY);
    AVIStreamSampleToTime(s, static_cast<LONG>(info.dwLength));
    if (info.fccType == streamtypeVIDEO) Decode(s, size);
    if (info.fccType == streamtypeAUDIO) ReadSound(s, size);
    AVIStreamRelease(s);
  }
  AVIFileRelease(file);
  return 0;
}
