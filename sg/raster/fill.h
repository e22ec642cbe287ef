#pragma once
// The interface every software triangle fill shares: the screen vertex, the
// frame the fill draws into and the fill's argument list.

#include <cstdint>

// SGPixelFormat: per channel the number of bits, the mask of those bits in a
// pixel and the position of the mask's lowest set bit (5-6-5: red
// 5/0xF800/11, green 6/0x07E0/5, blue 5/0x001F/0). One definition for the
// whole library, so the renderer can hand its frame's format straight on.
#include "sg/raster/ddinfo.h"

// The part of a locked frame buffer that the fills read: the leading fields of
// the frame buffer record, in its order.
struct SGRasterFrame {
  void* fbPixels;               // pixel at row 0, column 0; 2-byte aligned for 16-bit fills
  int32_t fbPitch;              // signed bytes from one row to the next
  SGPixelFormat fbPixelFormat;  // read by the shaded fills only
};

// Screen vertex read by every triangle fill (28 bytes, in this order).
struct SGQVert {
  int32_t x;  // screen x, 27.5 (pixel x 32, pixel centres at whole pixels)
  int32_t y;  // screen y, 27.5, growing downward
  float rhw;  // reciprocal depth; not read by the 16-bpp fills
  float u;    // texel column x 32: ((width - 1) x U + 0.5) x 32
  float v;    // texel row x 32: ((height - 1) x V + 0.5) x 32
  float q;    // level x 32 + 16: intensity of a shaded, fog of a fogged triangle
  float col;  // first colour byte x 32; read by 8-bpp fills only
};

// A triangle fill. It draws the triangle into the locked frame and returns
// nothing; it does no clipping, so every pixel it selects must lie inside the
// frame. Each fill reads only the table arguments its mode needs:
//   texels      - texel block, row after row (8-bit indices, or 16-bit pixels
//                 for the direct-texture fills);
//   shadeTable  - 256 rows of 256 bytes, row L for level L; per row a red,
//                 a green and a blue segment of 2^bits entries each;
//   colourTable - 256 16-bit pixels in the frame's format, one per texel value;
//                 the untextured fills read one 16-bit colour from it.
using ISGTriFillFn = void(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                          const void* texels, const void* shadeTable, const void* colourTable);
using ISGTriFill = ISGTriFillFn*;

// A run of triangles for one fill with one set of tables: triangle i has the
// vertices verts[corners[i][0]], verts[corners[i][1]] and verts[corners[i][2]],
// in that order. It draws what that fill, called for each triangle in turn,
// would draw, with the table arguments read once for the run.
using ISGTriFillListFn = void(const SGQVert* verts, const uint32_t (*corners)[3], uint32_t count,
                              const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                              const void* colourTable);
using ISGTriFillList = ISGTriFillListFn*;
