// Shaded textured and shaded transparent textured 16-bpp fills (8-bit texels
// through the colour table, then each channel through the shade-table row of
// the pixel's level).

#include <type_traits>

#include "sg/raster/fill16.h"
#include "sg/raster/fill16members.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/pixelops16avx2.h"
#include "sg/raster/triwalk.h"
#include "sg/raster/vectorset.h"

// The transparent operations read the old pixel, so their short rows are
// drawn a pixel at a time: drawn by their ends, triangles of 8 to 12 pixels
// came out at 0.57-0.59 of the plain loop's rate against 0.60-0.64.
template <int W, int H, class Shader>
inline constexpr bool kISGShortRowEnds<ISGOpShadedTransparentTexture<W, H, Shader>> = false;
template <int W, int H, class Shader>
inline constexpr bool kISGShortRowEnds<ISGOpShadedTextureSplit<W, H, true, Shader>> = false;
#if ISG_HAVE_AVX2
template <int W, int H, class Shader>
inline constexpr bool kISGShortRowEnds<ISGOpShadedTransparentTextureSplitAvx2<W, H, Shader>> = false;
#endif

namespace {

#if ISG_HAVE_AVX2
// The transparent walk of a triangle of many pixels compiled for AVX2,
// drawing rows eight pixels a round.
template <int W, int H, class Shader>
[[gnu::target("avx2")]] void FillSplitAvx2(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                           const SGRasterFrame* frame, const uint8_t* texels, const uint16_t* colours,
                                           ISGColourSplits& splits, const Shader& shader) {
  ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
    for (size_t texel = 0; texel < splits.size(); ++texel) splits[texel] = Shader::Split(colours[texel]);
    return ISGOpShadedTransparentTextureSplitAvx2<W, H, Shader>{{{}, texels, &splits, shader}};
  });
}
#endif

template <int W, int H, bool kTransparent, template <int, int, class> class Op>
void FillShaded(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                const void* texels, const void* shadeTable, const void* colourTable) {
  const auto* texels8 = static_cast<const uint8_t*>(texels);
  const auto* colours = static_cast<const uint16_t*>(colourTable);
  ISGWithShader(shadeTable, frame->fbPixelFormat, [&](const auto& shader) {
    using Shader = std::decay_t<decltype(shader)>;
    if constexpr (!std::is_same_v<Shader, ISGShader>) {
      if (ISGManyPixels(first, second, third)) {
        ISGColourSplits splits;
#if ISG_HAVE_AVX2
        if constexpr (kTransparent) {
          if (ISGUseAvx2(ISGWidePath::kShadedTransparentTexture, true)) {
            FillSplitAvx2<W, H>(first, second, third, frame, texels8, colours, splits, shader);
            return;
          }
        }
#endif
        ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
          for (size_t texel = 0; texel < splits.size(); ++texel) splits[texel] = Shader::Split(colours[texel]);
          return ISGOpShadedTextureSplit<W, H, kTransparent, Shader>{{}, texels8, &splits, shader};
        });
        return;
      }
    }
    ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] {
      return Op<W, H, Shader>{{}, texels8, colours, shader};
    });
  });
}

// A run of triangles: the shader chosen once for the run, each triangle of
// few pixels walked here and one of many handed to FillShaded for its tables.
template <int W, int H, bool kTransparent, template <int, int, class> class Op>
void FillShadedList(const SGQVert* verts, const uint32_t (*corners)[3], uint32_t count, const SGRasterFrame* frame,
                    const void* texels, const void* shadeTable, const void* colourTable) {
  const auto* texels8 = static_cast<const uint8_t*>(texels);
  const auto* colours = static_cast<const uint16_t*>(colourTable);
  // The run's arguments are captured by value, so that the loop keeps them
  // in registers rather than reading each through the closure (the
  // 200-rock scene frame's medians 6.96 and 6.95 full-viewport fills against
  // 7.00 and 6.99, of seven and eight alternating pinned runs).
  ISGWithShader(shadeTable, frame->fbPixelFormat, [=](const auto& shader) {
    using Shader = std::decay_t<decltype(shader)>;
    const Op<W, H, Shader> op{{}, texels8, colours, shader};
    for (uint32_t i = 0; i < count; ++i) {
      const SGQVert* first = &verts[corners[i][0]];
      const SGQVert* second = &verts[corners[i][1]];
      const SGQVert* third = &verts[corners[i][2]];
      if (!std::is_same_v<Shader, ISGShader> && ISGManyPixels(first, second, third)) {
        FillShaded<W, H, kTransparent, Op>(first, second, third, frame, texels, shadeTable, colourTable);
        continue;
      }
      ISGTriWalk<ISGAttrsUVQ, uint16_t>(first, second, third, frame, [&] { return op; });
    }
  });
}

template <int W, int H>
void FillShadedTextureList(const SGQVert* verts, const uint32_t (*corners)[3], uint32_t count,
                           const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                           const void* colourTable) {
  FillShadedList<W, H, false, ISGOpShadedTexture>(verts, corners, count, frame, texels, shadeTable, colourTable);
}

template <int W, int H>
void FillShadedTransparentTextureList(const SGQVert* verts, const uint32_t (*corners)[3], uint32_t count,
                                      const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                                      const void* colourTable) {
  FillShadedList<W, H, true, ISGOpShadedTransparentTexture>(verts, corners, count, frame, texels, shadeTable,
                                                            colourTable);
}

template <int W, int H>
void FillShadedTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                       const void* texels, const void* shadeTable, const void* colourTable) {
  FillShaded<W, H, false, ISGOpShadedTexture>(first, second, third, frame, texels, shadeTable, colourTable);
}

template <int W, int H>
void FillShadedTransparentTexture(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                  const SGRasterFrame* frame, const void* texels, const void* shadeTable,
                                  const void* colourTable) {
  FillShaded<W, H, true, ISGOpShadedTransparentTexture>(first, second, third, frame, texels, shadeTable, colourTable);
}

ISG_FILL16_LIST_FAMILY(ISGFill16ShadedTexture, FillShadedTextureList)
ISG_FILL16_LIST_FAMILY(ISGFill16ShadedTransparentTexture, FillShadedTransparentTextureList)

}  // namespace

ISG_FILL16_FAMILY(ISGFill16ShadedTexture, FillShadedTexture)
ISG_FILL16_FAMILY(ISGFill16ShadedTransparentTexture, FillShadedTransparentTexture)

ISGTriFillList ISGFill16ListOf(ISGTriFill fill) {
  static constexpr struct {
    ISGTriFill fill;
    ISGTriFillList list;
  } kLists[] = {ISG_FILL16_LIST_PAIRS(ISGFill16ShadedTexture) ISG_FILL16_LIST_PAIRS(ISGFill16ShadedTransparentTexture)};
  for (const auto& pair : kLists)
    if (pair.fill == fill) return pair.list;
  return nullptr;
}
