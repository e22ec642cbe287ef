// Shaded textured and shaded transparent textured 16-bpp fills (8-bit texels
// through the colour table, then each channel through the shade-table row of
// the pixel's level).

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

namespace {

template <int W, int H>
void FillShadedTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                       const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                       const void* colourTable) {
  ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
    return ISGOpShadedTexture<W, H>{static_cast<const uint8_t*>(texels),
                                    static_cast<const uint16_t*>(colourTable),
                                    ISGShader(shadeTable, frame->fbPixelFormat)};
  });
}

template <int W, int H>
void FillShadedTransparentTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                  const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                                  const void* colourTable) {
  ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
    return ISGOpShadedTransparentTexture<W, H>{static_cast<const uint8_t*>(texels),
                                               static_cast<const uint16_t*>(colourTable),
                                               ISGShader(shadeTable, frame->fbPixelFormat)};
  });
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16ShadedTexture, FillShadedTexture)
ISG_FILL16_FAMILY(ISGFill16ShadedTransparentTexture, FillShadedTransparentTexture)
