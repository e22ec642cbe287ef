#pragma once
// The two passes of the 8-bpp textured fills: an edge walker sets a triangle
// up in floating point and records one span per pixel row; a span filler
// then draws the recorded rows. Single-threaded, like the fills.

#include <cstdint>

#include "sg/raster/fill.h"

// Rows a span list holds; a taller triangle is refused by the walkers.
inline constexpr int kSGSpanRows = 799;

// Walker flags: spans run rightward (long edge on the left) or leftward, and
// the dithering class (1: 2 x 2 pattern, 2: 4 x 4 pattern).
inline constexpr uint32_t SG_FILL_DITHER2 = 1;
inline constexpr uint32_t SG_FILL_DITHER4 = 2;
inline constexpr uint32_t SG_FILL_LEFT_TO_RIGHT = 4;
inline constexpr uint32_t SG_FILL_RIGHT_TO_LEFT = 8;

// One pixel row: its long-edge and short-edge pixel addresses and the 16.16
// attribute values at the long-edge pixel. Fields a walker does not carry are
// left as they were.
struct SGSpan {
  uintptr_t spLong;
  uintptr_t spShort;
  int32_t spU;
  int32_t spV;
  int32_t spQ;
  int32_t spCol;
};

// Rows slFirstRow .. slLastRow (none when first > last), row r in
// slSpans[r - slFirstRow], and the 16.16 per-pixel attribute steps.
struct SGSpanList {
  int32_t slFirstRow;
  int32_t slLastRow;
  int32_t slDuDx;
  int32_t slDvDx;
  int32_t slDqDx;
  int32_t slDcDx;
  SGSpan slSpans[kSGSpanRows];
};

// Walkers: fill the list for the triangle and return its flags, 0 when
// nothing is to be drawn (back-facing, empty, or taller than the list). They
// read only the vertices and fbPixels/fbPitch. ISGWalkTexture8 carries u and
// v, ISGWalkShadedTexture8 u, v and q, ISGWalkDitheredTexture8 u and v plus
// the dithering class.
uint32_t ISGWalkTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                         SGSpanList* list);
uint32_t ISGWalkShadedTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                               const SGRasterFrame* frame, SGSpanList* list);
uint32_t ISGWalkDitheredTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                 const SGRasterFrame* frame, SGSpanList* list);
// ISGWalkAlphaTexture8 carries u, v, q and col. ISGWalkAlphaStrip8 carries
// u, v and col plus the dithering class, with each u above 92.0 (2.875
// texels, inside the four-texel strip) taken as 92.0; the caller's vertices
// are not changed.
uint32_t ISGWalkAlphaTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                              const SGRasterFrame* frame, SGSpanList* list);
uint32_t ISGWalkAlphaStrip8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                            const SGRasterFrame* frame, SGSpanList* list);

// Span filler: draws every row of the list from spLong toward spShort, both
// included (leftward for direction 0, rightward otherwise); a row whose start
// lies past its end draws nothing. table is the 16 x 256 shade table of the
// shaded modes; the alpha modes take the 5-6-5 scale table there and the
// nearest-index table as table2.
using ISGSpanFillFn = void(const SGSpanList* list, uint32_t direction, const void* texels, const void* table,
                           const void* table2);
