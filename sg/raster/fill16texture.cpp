// Textured and transparent textured 16-bpp fills (8-bit texels through the
// colour table).

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/pixelops16avx2.h"
#include "sg/raster/triwalk.h"
#include "sg/raster/vectorset.h"

namespace {

template <template <int, int> class Op, int W, int H>
void FillWith(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
              const void* texels, const void* colourTable) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return Op<W, H>{{}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable)};
  });
}

#if ISG_HAVE_AVX2
// The same walk compiled for AVX2, so that its rows are drawn eight pixels a
// round.
template <template <int, int> class Op, int W, int H>
[[gnu::target("avx2")]] void FillWithAvx2(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                          const SGRasterFrame* frame, const void* texels, const void* colourTable) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return Op<W, H>{{{}, static_cast<const uint8_t*>(texels), static_cast<const uint16_t*>(colourTable)}};
  });
}
#endif

template <int W, int H>
void FillTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                 const void* texels, const void*, const void* colourTable) {
#if ISG_HAVE_AVX2
  if (ISGUseAvx2(ISGWidePath::kTexture, ISGManyPixels(first, second, third)))
    return FillWithAvx2<ISGOpTextureAvx2, W, H>(first, second, third, frame, texels, colourTable);
#endif
  FillWith<ISGOpTexture, W, H>(first, second, third, frame, texels, colourTable);
}

template <int W, int H>
void FillTransparentTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                            const SGRasterFrame* frame, const void* texels, const void*, const void* colourTable) {
#if ISG_HAVE_AVX2
  if (ISGUseAvx2(ISGWidePath::kTransparentTexture, ISGManyPixels(first, second, third)))
    return FillWithAvx2<ISGOpTransparentTextureAvx2, W, H>(first, second, third, frame, texels, colourTable);
#endif
  FillWith<ISGOpTransparentTexture, W, H>(first, second, third, frame, texels, colourTable);
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16Texture, FillTexture)
ISG_FILL16_FAMILY(ISGFill16TransparentTexture, FillTransparentTexture)
