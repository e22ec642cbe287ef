#pragma once
// A plain, step-by-step transcription of the triangle fills, one walk for
// every family and both pixel sizes with the per-pixel work chosen at run
// time. The library's templated fills must match it pixel for pixel.

#include "sg/raster/fill.h"

enum class RefMode {
  kTexture,
  kShadedTexture,
  kTransparentTexture,
  kShadedTransparentTexture,
  kDirectTexture,
  kFlat,
  kShaded,
  kShadedTransparent,
  kDitheredTexture,  // 8 bpp only from here on
  kAlphaTexture,
  kAlphaStrip,
};

void RefFill16(RefMode mode, int texWidth, int texHeight, const SGQVert* p1, const SGQVert* p2, const SGQVert* p3,
               const SGRasterFrame* frame, const void* texels, const void* shadeTable, const void* colourTable);

// The 8-bpp fills: texels are palette indices; table is the 16 x 256 shade
// table of the shaded textured modes, the 16-entry ramp of kShaded and
// kShadedTransparent, or the alpha modes' 5-6-5 scale table; colour's first
// byte is the flat fill's index, or colour is the alpha modes' index table. Textured
// modes draw directly what the span list would record.
void RefFill8(RefMode mode, int texWidth, int texHeight, const SGQVert* p1, const SGQVert* p2, const SGQVert* p3,
              const SGRasterFrame* frame, const void* texels, const void* table, const void* colour);
