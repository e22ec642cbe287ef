// 16-bpp fills whose texels are already 16-bit pixels in the frame's format.
// Like every 16-bpp fill they step rows by fbPitch >> 1 pixels: fbPitch is a
// byte count, and taking it as a pixel count would address every row twice
// as far down as it lies.

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/pixelops16avx2.h"
#include "sg/raster/triwalk.h"
#include "sg/raster/vectorset.h"

namespace {

#if ISG_HAVE_AVX2
template <int W, int H>
[[gnu::target("avx2")]] void FillDirectTextureAvx2(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                                   const SGRasterFrame* frame, const void* texels) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return ISGOpDirectTextureAvx2<W, H>{{{}, static_cast<const uint16_t*>(texels)}};
  });
}
#endif

template <int W, int H>
void FillDirectTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                       const void* texels, const void*, const void*) {
#if ISG_HAVE_AVX2
  if (ISGUseAvx2(ISGWidePath::kDirectTexture, ISGManyPixels(first, second, third)))
    return FillDirectTextureAvx2<W, H>(first, second, third, frame, texels);
#endif
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return ISGOpDirectTexture<W, H>{{}, static_cast<const uint16_t*>(texels)};
  });
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16DirectTexture, FillDirectTexture)
