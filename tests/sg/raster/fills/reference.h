#pragma once
// A plain, step-by-step transcription of the 16-bpp triangle fill, one walk
// for every family with the per-pixel work chosen at run time. The library's
// templated fills must match it pixel for pixel.

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
};

void RefFill16(RefMode mode, int texWidth, int texHeight, const SGQVert* p1, const SGQVert* p2,
               const SGQVert* p3, const SGRasterFrame* frame, const void* texels, const void* shadeTable,
               const void* colourTable);
