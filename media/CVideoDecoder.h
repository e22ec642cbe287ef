#pragma once
// Turns the compressed frames of a movie's video stream into pictures in the
// movie window through the installed codec: from a DIB section by GDI blits,
// or from a memory buffer through DrawDib when the screen has 256 colours and
// the decoded format more bits, or when no DIB section can be made. Game
// thread only.

#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/palette.h"
#include "platform/video/drawdib.h"
#include "platform/video/icm.h"

// 1 while frames are drawn with DrawDib.
extern plat::DWORD g_videoUseDrawDib;

struct VideoRect {
  plat::LONG x = 0, y = 0, width = 0, height = 0;
};

class CVideoDecoder {
 public:
  CVideoDecoder() = default;
  ~CVideoDecoder() { Release(); }
  CVideoDecoder(const CVideoDecoder&) = delete;
  CVideoDecoder& operator=(const CVideoDecoder&) = delete;

  // 0 ready; AVIERR_NOCOMPRESSOR when no codec decompresses `input`; 8 when
  // memory runs out. fourcc 0: the input's compression.
  plat::HRESULT Open(plat::FOURCC fourcc, const plat::BITMAPINFOHEADER& input);
  void Release();
  // Prepares decompression into the output format and drawing on `dc`; 0, or
  // -1 without codec or DC, or when the codec refuses the formats.
  int Begin(plat::HDC dc, float frameRate);
  void End();
  void StartDrawing(float frameRate);
  void StopDrawing();
  // Decompresses `size` bytes of one frame and shows it: the codec's result
  // (0 or 1 when shown), or -1 before Begin.
  plat::LRESULT DrawFrame(const void* data, plat::DWORD size, plat::DWORD flags);
  // Decompresses without showing (catching up to a frame).
  plat::LRESULT DecodeFrame(const void* data, plat::DWORD size, plat::DWORD flags);
  // 0 when the codec can decompress into `format` (null: the current output)
  // at the rectangle; -1 when it lies outside the image or the codec refuses.
  // A width or height of 0 takes the source rectangle's.
  int QueryOutput(const plat::BITMAPINFOHEADER* format, plat::LONG x, plat::LONG y, plat::LONG width,
                  plat::LONG height);
  // Null: the codec's own palette (1 when it accepts). Otherwise the first
  // min(count, 236) colours go into entries 10 on of the output's table: 1
  // when the codec takes them, else 0 after going back to its own.
  int SetPalette(const plat::LOGPALETTE* palette);
  // Settings of the Indeo codecs (iv41, iv50) through their private message
  // 0x5001; 0 for every other stream or when the codec refuses (FFmpeg's
  // decoders of those formats take no settings).
  int SetCodecOption(plat::DWORD flag, plat::DWORD value);

  const plat::BITMAPINFOHEADER& OutputFormat() const { return Output()->bmiHeader; }
  // Grows the memory buffer to the format's image.
  bool SetOutputFormat(const plat::BITMAPINFOHEADER& format);
  VideoRect source, destination, blit, output;

  plat::HIC codec = nullptr;
  plat::HDC windowDc = nullptr;
  plat::HDRAWDIB drawDib = nullptr;
  plat::FOURCC fourcc = 0;
  plat::DWORD drawing = 0;
  std::vector<plat::BYTE> inputFormat;   // 1064 bytes: header and table
  std::vector<plat::BYTE> outputFormat;  // 1064 bytes
  plat::HPALETTE palette = nullptr;
  plat::HBITMAP section = nullptr;
  void* sectionBits = nullptr;
  std::vector<plat::BYTE> buffer;
  plat::HDC memoryDc = nullptr;
  plat::HGDIOBJ oldBitmap = nullptr;
  plat::HPALETTE oldWindowPalette = nullptr;
  plat::HPALETTE oldMemoryPalette = nullptr;

 private:
  plat::BITMAPINFO* Input() { return reinterpret_cast<plat::BITMAPINFO*>(inputFormat.data()); }
  plat::BITMAPINFO* Output() { return reinterpret_cast<plat::BITMAPINFO*>(outputFormat.data()); }
  const plat::BITMAPINFO* Output() const { return reinterpret_cast<const plat::BITMAPINFO*>(outputFormat.data()); }
  plat::LRESULT Decompress(const void* data, plat::DWORD size, plat::DWORD flags, void* into);
};
