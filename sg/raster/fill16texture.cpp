// Textured and transparent textured 16-bpp fills (8-bit texels through the
// colour table).

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

namespace {

template <int W, int H>
void FillTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                 const SGRasterFrame* frame, const void* texels, const void*, const void* colourTable) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return ISGOpTexture<W, H>{
        {}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable)};
  });
}

template <int W, int H>
void FillTransparentTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                            const SGRasterFrame* frame, const void* texels, const void*,
                            const void* colourTable) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return ISGOpTransparentTexture<W, H>{
        {}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable)};
  });
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16Texture, FillTexture)
ISG_FILL16_FAMILY(ISGFill16TransparentTexture, FillTransparentTexture)
