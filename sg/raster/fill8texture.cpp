// The 8-bpp textured fills: walk into a span list on the stack, then draw it.

#include "sg/raster/fill8.h"
#include "sg/raster/span8.h"
#include "sg/raster/span8fill.h"

namespace {

using WalkFn = uint32_t(const SGQVert*, const SGQVert*, const SGQVert*, const SGRasterFrame*, SGSpanList*);

// Walks, then draws with the plain filler, or with the 2 x 2 or 4 x 4 one
// when the walker classes the triangle so.
template <WalkFn* kWalk, ISGSpanFillFn* kPlain, ISGSpanFillFn* kDither2 = kPlain, ISGSpanFillFn* kDither4 = kPlain>
void WalkThenFill(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void* texels, const void* table, const void* table2) {
  SGSpanList list;
  const uint32_t flags = kWalk(first, second, third, frame, &list);
  if (flags == 0) return;
  ISGSpanFillFn* filler = (flags & SG_FILL_DITHER4) ? kDither4 : (flags & SG_FILL_DITHER2) ? kDither2 : kPlain;
  filler(&list, flags & SG_FILL_LEFT_TO_RIGHT, texels, table, table2);
}

template <int W, int H, class Mode, bool kShaded>
void Fill(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
          const void* texels, const void* shadeTable, const void*) {
  WalkThenFill<kShaded ? ISGWalkShadedTexture8 : ISGWalkTexture8, ISGSpan8<ISGTexel8<W, H>, Mode>>(
      first, second, third, frame, texels, shadeTable, nullptr);
}

template <int W, int H, class Mode, bool>
void FillAlpha(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
               const void* texels, const void* scale565, const void* index565) {
  WalkThenFill<ISGWalkAlphaTexture8, ISGSpan8<ISGTexel8<W, H>, ISGSpan8Alpha>>(first, second, third, frame, texels,
                                                                               scale565, index565);
}

template <int W, int H>
void FillDithered(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void* texels, const void*, const void*) {
  using Texel = ISGTexel8<W, H>;
  WalkThenFill<ISGWalkDitheredTexture8, ISGSpan8<Texel, ISGSpan8Plain>, ISGSpan8<Texel, ISGSpan8Plain, 2>,
               ISGSpan8<Texel, ISGSpan8Plain, 4>>(first, second, third, frame, texels, nullptr, nullptr);
}

}  // namespace

#define ISG_FILL8_MEMBER(prefix, w, h, mode, shaded, impl)                                                            \
  void prefix##w##x##h(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame, \
                       const void* texels, const void* shadeTable, const void* colour) {                              \
    impl<w, h, mode, shaded>(first, second, third, frame, texels, shadeTable, colour);                                \
  }
#define ISG_FILL8_FAMILY(prefix, mode, shaded, impl)     \
  ISG_FILL8_MEMBER(prefix, 16, 16, mode, shaded, impl)   \
  ISG_FILL8_MEMBER(prefix, 32, 32, mode, shaded, impl)   \
  ISG_FILL8_MEMBER(prefix, 64, 64, mode, shaded, impl)   \
  ISG_FILL8_MEMBER(prefix, 128, 128, mode, shaded, impl) \
  ISG_FILL8_MEMBER(prefix, 256, 256, mode, shaded, impl) \
  ISG_FILL8_MEMBER(prefix, 512, 512, mode, shaded, impl) \
  ISG_FILL8_MEMBER(prefix, 64, 32, mode, shaded, impl)   \
  ISG_FILL8_MEMBER(prefix, 128, 64, mode, shaded, impl)  \
  ISG_FILL8_MEMBER(prefix, 128, 32, mode, shaded, impl)  \
  ISG_FILL8_MEMBER(prefix, 256, 128, mode, shaded, impl) \
  ISG_FILL8_MEMBER(prefix, 256, 64, mode, shaded, impl)  \
  ISG_FILL8_MEMBER(prefix, 256, 32, mode, shaded, impl)

ISG_FILL8_FAMILY(ISGFill8Texture, ISGSpan8Plain, false, Fill)
ISG_FILL8_FAMILY(ISGFill8ShadedTexture, ISGSpan8Shaded, true, Fill)
ISG_FILL8_FAMILY(ISGFill8TransparentTexture, ISGSpan8Transparent, false, Fill)
ISG_FILL8_FAMILY(ISGFill8ShadedTransparentTexture, ISGSpan8ShadedTransparent, true, Fill)
ISG_FILL8_FAMILY(ISGFill8AlphaTexture, ISGSpan8Alpha, false, FillAlpha)

void ISGFill8AlphaStrip(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                        const void* texels, const void* scale565, const void* index565) {
  WalkThenFill<ISGWalkAlphaStrip8, ISGSpan8<ISGStripTexel8, ISGSpan8AlphaStrip>,
               ISGSpan8<ISGStripTexel8, ISGSpan8AlphaStrip, 2>,
               ISGSpan8<ISGStripTexel8, ISGSpan8AlphaStrip, 4, kISGStripDither4>>(first, second, third, frame, texels,
                                                                                  scale565, index565);
}

void ISGFill8DitheredTexture32x32(const SGQVert* a, const SGQVert* b, const SGQVert* c, const SGRasterFrame* f,
                                  const void* t, const void* s, const void* k) {
  FillDithered<32, 32>(a, b, c, f, t, s, k);
}
void ISGFill8DitheredTexture128x128(const SGQVert* a, const SGQVert* b, const SGQVert* c, const SGRasterFrame* f,
                                    const void* t, const void* s, const void* k) {
  FillDithered<128, 128>(a, b, c, f, t, s, k);
}
void ISGFill8DitheredTexture512x512(const SGQVert* a, const SGQVert* b, const SGQVert* c, const SGRasterFrame* f,
                                    const void* t, const void* s, const void* k) {
  FillDithered<512, 512>(a, b, c, f, t, s, k);
}
