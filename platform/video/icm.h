#pragma once
// Installable video compressors, for decompression: a codec is found for a
// stream's format by its four-character code and decodes its frames into
// DIBs of 8 (through a palette), 16 (5-5-5, or 5-6-5 by BI_BITFIELDS), 24
// or 32 bits per pixel, bottom-up or top-down, scaling a source rectangle to
// a destination rectangle. Every decoder FFmpeg has is installed; codes it
// does not know have no codec. One codec object on one thread at a time.

#include <cstdint>

#include "platform/gdi/bitmaps.h"
#include "platform/video/vfw.h"

namespace plat {

struct HIC__;
using HIC = HIC__*;

constexpr FOURCC ICTYPE_VIDEO = mmioFOURCC('v', 'i', 'd', 'c');
constexpr WORD ICMODE_DECOMPRESS = 2;

// Codec results.
constexpr LRESULT ICERR_OK = 0;
constexpr LRESULT ICERR_DONTDRAW = 1;
constexpr LRESULT ICERR_UNSUPPORTED = -1;
constexpr LRESULT ICERR_BADFORMAT = -2;
constexpr LRESULT ICERR_MEMORY = -3;
constexpr LRESULT ICERR_BADPARAM = -6;
constexpr LRESULT ICERR_BADHANDLE = -8;
constexpr LRESULT ICERR_ERROR = -100;

constexpr UINT ICM_USER = 0x4000;
constexpr UINT ICM_DRAW_BEGIN = ICM_USER + 15;
constexpr UINT ICM_DRAW_START = ICM_USER + 18;
constexpr UINT ICM_DRAW_STOP = ICM_USER + 19;
constexpr UINT ICM_DRAW_END = ICM_USER + 21;
// p1: a BITMAPINFO with the colour table to decode 8-bit output to, or 0 for
// the codec's own palette.
constexpr UINT ICM_DECOMPRESS_SET_PALETTE = ICM_USER + 29;
// p1: the input format; p2: a BITMAPINFO with room for 256 colours, which
// receives the palette 8-bit output is decoded to (biClrUsed = 256).
constexpr UINT ICM_DECOMPRESS_GET_PALETTE = ICM_USER + 30;
// p1: an ICDECOMPRESSEX, p2: its size.
constexpr UINT ICM_DECOMPRESSEX_BEGIN = ICM_USER + 60;
constexpr UINT ICM_DECOMPRESSEX_QUERY = ICM_USER + 61;
constexpr UINT ICM_DECOMPRESSEX = ICM_USER + 62;
constexpr UINT ICM_DECOMPRESSEX_END = ICM_USER + 63;

// Decode the frame but do not convert it: it will not be shown.
constexpr DWORD ICDECOMPRESS_HURRYUP = 0x80000000;

// The frame's bytes are lpSrc[0 .. lpbiSrc->biSizeImage); the destination
// DIB's rows (lpDst) follow lpbiDst's width, height and bit count, with its
// colour masks (BI_BITFIELDS) behind the header.
struct ICDECOMPRESSEX {
  DWORD dwFlags = 0;
  BITMAPINFOHEADER* lpbiSrc = nullptr;
  const void* lpSrc = nullptr;
  BITMAPINFOHEADER* lpbiDst = nullptr;
  void* lpDst = nullptr;
  int xDst = 0, yDst = 0, dxDst = 0, dyDst = 0;
  int xSrc = 0, ySrc = 0, dxSrc = 0, dySrc = 0;
};

// The codec of type ICTYPE_VIDEO (or 0) for `handler` (0: the input's
// compression) that decompresses `in` (and, when given, into `out`); null
// when there is none. Close it with ICClose.
HIC ICLocate(FOURCC type, FOURCC handler, const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out, WORD mode);
LRESULT ICClose(HIC codec);
// The messages above; others (drawing, codec-private ones) answer
// ICERR_UNSUPPORTED, as a codec that only decompresses does.
LRESULT ICSendMessage(HIC codec, UINT message, std::uintptr_t p1, std::uintptr_t p2);

inline LRESULT ICDecompressExQuery(HIC codec, const ICDECOMPRESSEX& d) {
  return ICSendMessage(codec, ICM_DECOMPRESSEX_QUERY, reinterpret_cast<std::uintptr_t>(&d), sizeof d);
}
inline LRESULT ICDecompressExBegin(HIC codec, const ICDECOMPRESSEX& d) {
  return ICSendMessage(codec, ICM_DECOMPRESSEX_BEGIN, reinterpret_cast<std::uintptr_t>(&d), sizeof d);
}
inline LRESULT ICDecompressEx(HIC codec, const ICDECOMPRESSEX& d) {
  return ICSendMessage(codec, ICM_DECOMPRESSEX, reinterpret_cast<std::uintptr_t>(&d), sizeof d);
}
inline LRESULT ICDecompressExEnd(HIC codec) { return ICSendMessage(codec, ICM_DECOMPRESSEX_END, 0, 0); }
inline LRESULT ICDecompressSetPalette(HIC codec, const BITMAPINFO* palette) {
  return ICSendMessage(codec, ICM_DECOMPRESS_SET_PALETTE, reinterpret_cast<std::uintptr_t>(palette), 0);
}
inline LRESULT ICDecompressGetPalette(HIC codec, const BITMAPINFOHEADER* in, BITMAPINFO* out) {
  return ICSendMessage(codec, ICM_DECOMPRESS_GET_PALETTE, reinterpret_cast<std::uintptr_t>(in),
                       reinterpret_cast<std::uintptr_t>(out));
}

}  // namespace plat
