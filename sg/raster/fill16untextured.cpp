// The untextured 16-bpp fills: flat, Gouraud and Gouraud with skipped pixels.

#include <type_traits>

#include "sg/raster/fill16.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

void ISGFill16Flat(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                   const SGRasterFrame* frame, const void*, const void*, const void* colourTable) {
  ISGTriWalk<ISGAttrsNone, uint16_t>(first, second, third, frame,
                                     [&] { return ISGOpFlat(ISGReadColour16(colourTable)); });
}

void ISGFill16Shaded(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                     const SGRasterFrame* frame, const void*, const void* shadeTable,
                     const void* colourTable) {
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    ISGTriWalk<ISGAttrsQ, uint16_t>(first, second, third, frame, [&] {
      return ISGOpShaded<std::decay_t<decltype(shader)>>{{}, ISGReadColour16(colourTable), shader};
    });
  });
}

void ISGFill16ShadedTransparent(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                const SGRasterFrame* frame, const void*, const void* shadeTable,
                                const void* colourTable) {
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    ISGTriWalk<ISGAttrsQ, uint16_t>(first, second, third, frame, [&] {
      return ISGOpShadedTransparent<std::decay_t<decltype(shader)>>{{}, ISGReadColour16(colourTable), shader};
    });
  });
}
