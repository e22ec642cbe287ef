#pragma once
// The 8-bpp (palette-indexed) triangle fills. They share the fill interface of
// fill.h; one pixel is one byte and fbPitch is the row step in pixels. Rows
// and span ends follow the 16-bpp convention of fill16.h: rows ceil(top y) ..
// ceil(bottom y) - 1, each from its left edge rounded up to its right edge
// rounded down, both drawn; only triangles passed clockwise are drawn.
// Single-threaded: fills run on the drawing thread while the frame is locked.

#include <cstdint>

#include "sg/raster/fill.h"

// Flat fill: every covered pixel takes the colour argument's first byte.
ISGTriFillFn ISGFill8Flat;
// Ramp fills: the level (bits 16..19 of the interpolated q, so levels wrap
// modulo 16) picks one of the 16 palette indices of the ramp passed as the
// shade-table argument. The transparent one leaves pixels whose ramp entry is
// 0 as they were. A sliver takes the top vertex's level throughout.
ISGTriFillFn ISGFill8Shaded;
ISGTriFillFn ISGFill8ShadedTransparent;

// Textured fills, twelve sizes each (the eleven of fill16.h and 256 x 32).
// They set the triangle up in floating point, record its rows in a span list
// and draw them (span8.h). Texels are palette indices; the shaded modes take
// each pixel through row (q >> 16) mod 16 of a 16 x 256 shade table (the
// shade-table argument); the transparent modes leave pixels whose texel is 0
// as they were (and read no table for them). A triangle of more than 799 rows
// is beyond the span list and draws nothing.
#define ISG_FILL8_DECLARE(prefix)                                                                              \
  ISGTriFillFn prefix##16x16, prefix##32x32, prefix##64x64, prefix##128x128, prefix##256x256, prefix##512x512, \
      prefix##64x32, prefix##128x64, prefix##128x32, prefix##256x128, prefix##256x64, prefix##256x32
ISG_FILL8_DECLARE(ISGFill8Texture);
ISG_FILL8_DECLARE(ISGFill8ShadedTexture);
ISG_FILL8_DECLARE(ISGFill8TransparentTexture);
ISG_FILL8_DECLARE(ISGFill8ShadedTransparentTexture);

// Alpha-blended fills: the shade-table argument is the renderer's 5-6-5 scale
// table (256 rows of 256 16-bit values, row k the palette scaled by k/256), the
// colour argument its nearest-index table (65536 bytes). A non-zero texel t
// over pixel o becomes index[scale[k1][t] + scale[k2][o]]; texel 0 leaves the
// pixel. Textured: k1 = alpha x level / 16 (col and q), k2 = 255 - alpha.
// Strip: the texel is one of the first four along u, k1 the alpha, k2 =
// 255 - alpha, u dithered by magnification as the dithered fills. Weights
// beyond the tables' range (alpha over 255, levels over 16) are held to a sum
// of 255.
ISG_FILL8_DECLARE(ISGFill8AlphaTexture);
ISGTriFillFn ISGFill8AlphaStrip;
#undef ISG_FILL8_DECLARE

// Dithered textured fills: by how strongly the texture is magnified, each
// pixel's texel is picked with a 4 x 4 (under 1/4 texel per pixel) or 2 x 2
// (under 1/2) ordered offset added to u and v, or plainly. The dither column
// comes from the pixel address, which is the x position when fbPixels and
// fbPitch are multiples of 4. No shading.
ISGTriFillFn ISGFill8DitheredTexture32x32;
ISGTriFillFn ISGFill8DitheredTexture128x128;
ISGTriFillFn ISGFill8DitheredTexture512x512;

// Vertex of the dithered ramp triangle: whole pixels and a 12.20 intensity
// (ramp level x 2^20).
struct SGRampVertex {
  int32_t x;
  int32_t y;
  int32_t intensity;
};

// Gouraud triangle through a 16-entry ramp, the intensity dithered by a 4 x 4
// ordered pattern of sixteenths of a level (column from the pixel address).
// Drawn only when the vertices run clockwise; rows top y .. bottom y - 1.
// base is pixel (0, 0), pitch the signed row step in bytes. Levels the
// dither or the intensities carry past the ramp are held to entries 0 and 15.
void ISGFill8RampDithered(const SGRampVertex* first, const SGRampVertex* second, const SGRampVertex* third,
                          uint8_t* base, int32_t pitch, const uint8_t* ramp);
