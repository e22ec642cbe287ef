// 16-bpp fills whose texels are already 16-bit pixels in the frame's format.
// Like every 16-bpp fill they step rows by fbPitch >> 1 pixels: fbPitch is a
// byte count, and taking it as a pixel count would address every row twice
// as far down as it lies.

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

namespace {

template <int W, int H>
void FillDirectTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                       const SGRasterFrame* frame, const void* texels, const void*, const void*) {
  ISGTriWalk<ISGAttrsUV, uint16_t>(first, second, third, frame, [&] {
    return ISGOpDirectTexture<W, H>{{}, static_cast<const uint16_t*>(texels)};
  });
}

}  // namespace

ISG_FILL16_FAMILY(ISGFill16DirectTexture, FillDirectTexture)
