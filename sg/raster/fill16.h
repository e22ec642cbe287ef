#pragma once
// The 16-bpp triangle fills. All share the fill interface of fill.h and one
// set-up and walk:
//  - rows ceil(top y) .. ceil(bottom y) - 1 are drawn, and in each row the
//    pixels from the left edge rounded up to the right edge rounded down, both
//    included; edges are walked in 16.16 with a truncated reciprocal per edge;
//  - a triangle is drawn only when its vertices, as passed, run clockwise on
//    the screen (y downward); zero-area and single-row-band triangles draw
//    nothing;
//  - attributes (u, v as texel x 32, q as level x 32 + 16) are interpolated
//    linearly in 16.16; a sliver, whose doubled area is below its larger x or
//    y extent, takes the top vertex's attributes throughout;
//  - textures repeat in both directions; the texel of a pixel is row
//    (v >> 16) mod height, column (u >> 16) mod width.
// The pitch in pixels is fbPitch >> 1 for every fill.

#include "sg/raster/fill.h"

// Flat fill: every covered pixel takes the one 16-bit colour read (two bytes,
// once) from the colour argument. Reads only x and y of the vertices.
ISGTriFillFn ISGFill16Flat;
// Gouraud fill: the 16-bit colour with each channel replaced through the shade
// (or fog) table row of the pixel's level, bits 16..23 of the interpolated q.
ISGTriFillFn ISGFill16Shaded;
// As ISGFill16Shaded, but a pixel whose level's row sends the full value of
// each of the three channels to 0 (a level at which every colour would turn
// black) keeps its old value.
ISGTriFillFn ISGFill16ShadedTransparent;

// Textured fills: each pixel takes colourTable[texel]; every texel value is drawn.
// Texels are 8-bit, width x height; the shade table is not read.
ISGTriFillFn ISGFill16Texture16x16;
ISGTriFillFn ISGFill16Texture32x32;
ISGTriFillFn ISGFill16Texture64x64;
ISGTriFillFn ISGFill16Texture128x128;
ISGTriFillFn ISGFill16Texture256x256;
ISGTriFillFn ISGFill16Texture512x512;
ISGTriFillFn ISGFill16Texture64x32;
ISGTriFillFn ISGFill16Texture128x64;
ISGTriFillFn ISGFill16Texture128x32;
ISGTriFillFn ISGFill16Texture256x128;
ISGTriFillFn ISGFill16Texture256x64;

// Shaded textured fills: colourTable[texel] with each channel replaced through
// the shade (or fog) table row of the pixel's level, bits 16..23 of the
// interpolated q; colour bits outside the three channel masks come out 0.
ISGTriFillFn ISGFill16ShadedTexture16x16;
ISGTriFillFn ISGFill16ShadedTexture32x32;
ISGTriFillFn ISGFill16ShadedTexture64x64;
ISGTriFillFn ISGFill16ShadedTexture128x128;
ISGTriFillFn ISGFill16ShadedTexture256x256;
ISGTriFillFn ISGFill16ShadedTexture512x512;
ISGTriFillFn ISGFill16ShadedTexture64x32;
ISGTriFillFn ISGFill16ShadedTexture128x64;
ISGTriFillFn ISGFill16ShadedTexture128x32;
ISGTriFillFn ISGFill16ShadedTexture256x128;
ISGTriFillFn ISGFill16ShadedTexture256x64;

// Transparent textured fills: as the textured fills, but a pixel whose texel is
// 0 keeps its old value.
ISGTriFillFn ISGFill16TransparentTexture16x16;
ISGTriFillFn ISGFill16TransparentTexture32x32;
ISGTriFillFn ISGFill16TransparentTexture64x64;
ISGTriFillFn ISGFill16TransparentTexture128x128;
ISGTriFillFn ISGFill16TransparentTexture256x256;
ISGTriFillFn ISGFill16TransparentTexture512x512;
ISGTriFillFn ISGFill16TransparentTexture64x32;
ISGTriFillFn ISGFill16TransparentTexture128x64;
ISGTriFillFn ISGFill16TransparentTexture128x32;
ISGTriFillFn ISGFill16TransparentTexture256x128;
ISGTriFillFn ISGFill16TransparentTexture256x64;

// Shaded transparent textured fills: as the shaded textured fills, but a pixel
// whose texel is 0 keeps its old value.
ISGTriFillFn ISGFill16ShadedTransparentTexture16x16;
ISGTriFillFn ISGFill16ShadedTransparentTexture32x32;
ISGTriFillFn ISGFill16ShadedTransparentTexture64x64;
ISGTriFillFn ISGFill16ShadedTransparentTexture128x128;
ISGTriFillFn ISGFill16ShadedTransparentTexture256x256;
ISGTriFillFn ISGFill16ShadedTransparentTexture512x512;
ISGTriFillFn ISGFill16ShadedTransparentTexture64x32;
ISGTriFillFn ISGFill16ShadedTransparentTexture128x64;
ISGTriFillFn ISGFill16ShadedTransparentTexture128x32;
ISGTriFillFn ISGFill16ShadedTransparentTexture256x128;
ISGTriFillFn ISGFill16ShadedTransparentTexture256x64;

// Direct textured fills: texels are 16-bit pixels in the frame's format, stored
// as they are; neither table is read.
ISGTriFillFn ISGFill16DirectTexture16x16;
ISGTriFillFn ISGFill16DirectTexture32x32;
ISGTriFillFn ISGFill16DirectTexture64x64;
ISGTriFillFn ISGFill16DirectTexture128x128;
ISGTriFillFn ISGFill16DirectTexture256x256;
ISGTriFillFn ISGFill16DirectTexture512x512;
ISGTriFillFn ISGFill16DirectTexture64x32;
ISGTriFillFn ISGFill16DirectTexture128x64;
ISGTriFillFn ISGFill16DirectTexture128x32;
ISGTriFillFn ISGFill16DirectTexture256x128;
ISGTriFillFn ISGFill16DirectTexture256x64;

// The list entry of a fill (ISGTriFillListFn), or null for a fill without one.
// The shaded textured and shaded transparent textured fills have them: in a
// lit scene most triangles are theirs and few pixels each, so choosing the
// shader once for a run of them is worth a second entry.
ISGTriFillList ISGFill16ListOf(ISGTriFill fill);
