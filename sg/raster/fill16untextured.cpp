// The untextured 16-bpp fills: flat, Gouraud and Gouraud with skipped pixels.

#include <type_traits>

#include "sg/raster/fill16.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/pixelops16avx2.h"
#include "sg/raster/triwalk.h"
#include "sg/raster/vectorset.h"

void ISGFill16Flat(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                   const void*, const void*, const void* colourTable) {
  ISGTriWalk<ISGAttrsNone, uint16_t>(first, second, third, frame,
                                     [&] { return ISGOpFlat(ISGReadColour16(colourTable)); });
}

namespace {

#if ISG_HAVE_AVX2
// The walk of a triangle of many pixels compiled for AVX2, drawing rows
// eight pixels a round.
template <bool kTransparent>
[[gnu::target("avx2")]] void FillByLevelAvx2(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                             const SGRasterFrame* frame, const void* shadeTable,
                                             const void* colourTable, ISGLevelColours& levels) {
  ISGTriWalk<ISGAttrsQ, uint16_t>(first, second, third, frame, [&] {
    ISGWithShader(shadeTable, frame->fbPixelFormat,
                  [&](const auto& shader) { ISGShadeLevels(shader, ISGReadColour16(colourTable), levels); });
    return ISGOpByLevelAvx2<kTransparent>{{&levels}};
  });
}
#endif

template <bool kTransparent, template <class> class Op>
void FillShaded(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                const void* shadeTable, const void* colourTable) {
  if (ISGManyPixels(first, second, third)) {
    ISGLevelColours levels;
#if ISG_HAVE_AVX2
    if (ISGUseAvx2(kTransparent ? ISGWidePath::kShadedTransparent : ISGWidePath::kShaded, true))
      return FillByLevelAvx2<kTransparent>(first, second, third, frame, shadeTable, colourTable, levels);
#endif
    ISGTriWalk<ISGAttrsQ, uint16_t>(first, second, third, frame, [&] {
      ISGWithShader(shadeTable, frame->fbPixelFormat,
                    [&](const auto& shader) { ISGShadeLevels(shader, ISGReadColour16(colourTable), levels); });
      return ISGOpByLevel<kTransparent>{&levels};
    });
    return;
  }
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    ISGTriWalk<ISGAttrsQ, uint16_t>(first, second, third, frame, [&] {
      return Op<std::decay_t<decltype(shader)>>{{}, ISGReadColour16(colourTable), shader};
    });
  });
}

}  // namespace

void ISGFill16Shaded(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                     const void*, const void* shadeTable, const void* colourTable) {
  FillShaded<false, ISGOpShaded>(first, second, third, frame, shadeTable, colourTable);
}

void ISGFill16ShadedTransparent(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                const SGRasterFrame* frame, const void*, const void* shadeTable,
                                const void* colourTable) {
  FillShaded<true, ISGOpShadedTransparent>(first, second, third, frame, shadeTable, colourTable);
}
