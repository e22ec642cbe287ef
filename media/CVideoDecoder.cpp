#include "media/CVideoDecoder.h"

#include <algorithm>
#include <cstring>

#include "platform/core/bytes.h"
#include "platform/gdi/dc.h"

using namespace plat;

DWORD g_videoUseDrawDib = 0;

namespace {

constexpr std::size_t kFormatBytes = 40 + 256 * 4;
constexpr UINT kIndeoSet = 0x5001;

DWORD ImageSize(const BITMAPINFOHEADER& f) {
  return static_cast<DWORD>(static_cast<std::int64_t>((f.biWidth + 3) / 4) * f.biBitCount * std::abs(f.biHeight) * 4 /
                            8);
}

FOURCC Lower(FOURCC c) {
  if (c == mmioFOURCC('I', 'V', '4', '1')) return mmioFOURCC('i', 'v', '4', '1');
  if (c == mmioFOURCC('I', 'V', '5', '0')) return mmioFOURCC('i', 'v', '5', '0');
  return c;
}

}  // namespace

HRESULT CVideoDecoder::Open(FOURCC handler, const BITMAPINFOHEADER& input) {
  drawing = 0;
  Release();
  drawDib = DrawDibOpen();
  fourcc = Lower(handler ? handler : input.biCompression);
  codec = ICLocate(ICTYPE_VIDEO, handler, &input, nullptr, ICMODE_DECOMPRESS);
  if (!codec) return AVIERR_NOCOMPRESSOR;
  ICDecompressSetPalette(codec, nullptr);
  inputFormat.assign(kFormatBytes, 0);
  outputFormat.assign(kFormatBytes, 0);
  std::memcpy(inputFormat.data(), &input, 40);
  Input()->bmiHeader.biSize = 40;
  BITMAPINFOHEADER out = input;
  out.biSize = 40;
  out.biBitCount = 8;
  out.biCompression = BI_RGB;
  out.biSizeImage = 0;
  std::memcpy(outputFormat.data(), &out, 40);
  // The codec's own colours fill the table from the start, so a caller's palette
  // set before any 8-bit drawing keeps the codec's static colours around it.
  ICDecompressGetPalette(codec, &Input()->bmiHeader, Output());
  const VideoRect whole{0, 0, input.biWidth, std::abs(input.biHeight)};
  source = destination = blit = output = whole;
  buffer.resize(ImageSize(input));
  return 0;
}

void CVideoDecoder::Release() {
  End();
  inputFormat.clear();
  outputFormat.clear();
  buffer.clear();
  if (drawDib) DrawDibClose(drawDib);
  drawDib = nullptr;
  if (codec) ICClose(codec);
  codec = nullptr;
  if (palette) DeleteObject(palette);
  palette = nullptr;
}

bool CVideoDecoder::SetOutputFormat(const BITMAPINFOHEADER& format) {
  if (outputFormat.empty()) return false;
  std::memcpy(outputFormat.data(), &format, 40);
  Output()->bmiHeader.biSize = 40;
  buffer.resize(std::max<std::size_t>(buffer.size(), ImageSize(format)));
  return true;
}

int CVideoDecoder::QueryOutput(const BITMAPINFOHEADER* format, LONG x, LONG y, LONG width, LONG height) {
  if (!codec) return -1;
  if (!format) format = &Output()->bmiHeader;
  if (width == 0) width = source.width;
  if (height == 0) height = source.height;
  if (x < 0 || y < 0 || x + width > format->biWidth || y + height > std::abs(format->biHeight)) return -1;
  std::vector<BYTE> asked(outputFormat);
  std::memcpy(asked.data(), format, 40);
  ICDECOMPRESSEX d{0,
                   &Input()->bmiHeader,
                   nullptr,
                   reinterpret_cast<BITMAPINFOHEADER*>(asked.data()),
                   nullptr,
                   x,
                   y,
                   width,
                   height,
                   source.x,
                   source.y,
                   source.width,
                   source.height};
  return ICDecompressExQuery(codec, d) == ICERR_OK ? 0 : -1;
}

int CVideoDecoder::SetPalette(const LOGPALETTE* logPalette) {
  if (!codec) return 0;
  if (!logPalette) return ICDecompressSetPalette(codec, nullptr) == ICERR_OK ? 1 : 0;
  const int count = std::min<int>(logPalette->palNumEntries, 236);
  for (int i = 0; i < count; ++i) {
    const PALETTEENTRY& e = logPalette->palPalEntry[i];
    Output()->bmiColors[10 + i] = {e.peBlue, e.peGreen, e.peRed, 0};
  }
  Output()->bmiHeader.biClrUsed = 256;
  if (ICDecompressSetPalette(codec, Output()) == ICERR_OK) return 1;
  ICDecompressSetPalette(codec, nullptr);
  return 0;
}

int CVideoDecoder::SetCodecOption(DWORD flag, DWORD) {
  if (!codec || (fourcc != mmioFOURCC('i', 'v', '4', '1') && fourcc != mmioFOURCC('i', 'v', '5', '0'))) return 0;
  ByteWriter block;
  for (DWORD v : {44u, fourcc, 0x10001u, 4u, 2u, 0x80000008u}) block.U32(v);
  block.Zeros(16);
  block.U32(flag == 1 ? 0 : 1);
  std::vector<BYTE> bytes = block.Take();
  return ICSendMessage(codec, kIndeoSet, reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size()) == ICERR_OK;
}

int CVideoDecoder::Begin(HDC dc, float) {
  if (!codec || !dc) return -1;
  windowDc = dc;
  memoryDc = CreateCompatibleDC(dc);
  if (!memoryDc) return -1;
  BITMAPINFOHEADER& out = Output()->bmiHeader;
  ICDECOMPRESSEX d{0,
                   &Input()->bmiHeader,
                   nullptr,
                   &out,
                   nullptr,
                   output.x,
                   output.y,
                   output.width,
                   output.height,
                   source.x,
                   source.y,
                   source.width,
                   source.height};
  if (ICDecompressExQuery(codec, d) != ICERR_OK || ICDecompressExBegin(codec, d) != ICERR_OK) {
    End();
    return -1;
  }
  const int screenBits = GetDeviceCaps(dc, BITSPIXEL);
  g_videoUseDrawDib = screenBits == 8 && out.biBitCount > 8 ? 1 : 0;
  if (screenBits == 8 || out.biBitCount == 8) {
    ICDecompressGetPalette(codec, &Input()->bmiHeader, Output());
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = Output()->bmiColors[i];
      lp->palPalEntry[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    if (palette) DeleteObject(palette);
    palette = CreatePalette(lp);
    if (g_videoUseDrawDib) {
      DrawDibSetPalette(drawDib, palette);
      DrawDibRealize(drawDib, dc, FALSE);
    } else if (palette) {
      oldWindowPalette = SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
      oldMemoryPalette = SelectPalette(memoryDc, palette, FALSE);
    }
  }
  section = CreateDIBSection(dc, Output(), DIB_RGB_COLORS, &sectionBits, nullptr, 0);
  if (!section)
    g_videoUseDrawDib = 1;
  else
    oldBitmap = SelectObject(memoryDc, section);
  drawing = 1;
  return 0;
}

void CVideoDecoder::End() {
  if (codec && drawing) ICDecompressExEnd(codec);
  drawing = 0;
  if (drawDib) DrawDibEnd(drawDib);
  if (windowDc && oldWindowPalette) SelectPalette(windowDc, oldWindowPalette, FALSE);
  if (memoryDc) {
    if (oldMemoryPalette) SelectPalette(memoryDc, oldMemoryPalette, FALSE);
    if (oldBitmap) SelectObject(memoryDc, oldBitmap);
    DeleteDC(memoryDc);
  }
  if (section) DeleteObject(section);
  memoryDc = nullptr;
  oldBitmap = nullptr;
  oldWindowPalette = oldMemoryPalette = nullptr;
  section = nullptr;
  sectionBits = nullptr;
  windowDc = nullptr;
}

void CVideoDecoder::StartDrawing(float frameRate) {
  if (!codec || frameRate <= 0) return;
  // A rate and scale in microseconds: the codec's clock, had it one.
  const auto rate = static_cast<std::uintptr_t>(1.0f / frameRate * 1000000.0f);
  if (ICSendMessage(codec, ICM_DRAW_BEGIN, rate, 1000000) == ICERR_OK) ICSendMessage(codec, ICM_DRAW_START, 0, 0);
}

void CVideoDecoder::StopDrawing() {
  if (!codec) return;
  ICSendMessage(codec, ICM_DRAW_STOP, 0, 0);
  ICSendMessage(codec, ICM_DRAW_END, 0, 0);
}

LRESULT CVideoDecoder::Decompress(const void* data, DWORD size, DWORD flags, void* into) {
  Input()->bmiHeader.biSizeImage = size;
  ICDECOMPRESSEX d{flags,         &Input()->bmiHeader,
                   data,          &Output()->bmiHeader,
                   into,          output.x,
                   output.y,      output.width,
                   output.height, source.x,
                   source.y,      source.width,
                   source.height};
  return ICDecompressEx(codec, d);
}

LRESULT CVideoDecoder::DecodeFrame(const void* data, DWORD size, DWORD flags) {
  if (!drawing) return -1;
  return Decompress(data, size, flags, g_videoUseDrawDib ? static_cast<void*>(buffer.data()) : sectionBits);
}

LRESULT CVideoDecoder::DrawFrame(const void* data, DWORD size, DWORD flags) {
  if (!drawing) return -1;
  void* into = g_videoUseDrawDib ? static_cast<void*>(buffer.data()) : sectionBits;
  const LRESULT r = Decompress(data, size, flags, into);
  if (r != ICERR_OK && r != ICERR_DONTDRAW) return r;
  // The codec has already scaled the picture to the output's size, which is
  // the destination's: stretching the source rectangle again would magnify
  // one corner of a zoomed picture.
  if (g_videoUseDrawDib)
    DrawDibDraw(drawDib, windowDc, destination.x, destination.y, destination.width, destination.height,
                &Output()->bmiHeader, buffer.data(), output.x, output.y, output.width, output.height, 0);
  else
    BitBlt(windowDc, destination.x, destination.y, destination.width, destination.height, memoryDc, blit.x, blit.y,
           SRCCOPY);
  return r;
}
