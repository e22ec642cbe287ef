// Shaded textured and shaded transparent textured 16-bpp fills (8-bit texels
// through the colour table, then each channel through the shade-table row of
// the pixel's level).

#include <type_traits>

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

namespace {

template <int W, int H>
void FillShadedTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                       const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                       const void* colourTable) {
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
      return ISGOpShadedTexture<W, H, std::decay_t<decltype(shader)>>{
          {}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable), shader};
    });
  });
}

template <int W, int H>
void FillShadedTransparentTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                  const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                                  const void* colourTable) {
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
      return ISGOpShadedTransparentTexture<W, H, std::decay_t<decltype(shader)>>{
          {}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable), shader};
    });
  });
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16ShadedTexture, FillShadedTexture)
ISG_FILL16_FAMILY(ISGFill16ShadedTransparentTexture, FillShadedTransparentTexture)
