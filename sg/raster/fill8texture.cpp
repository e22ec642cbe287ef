// The 8-bpp textured fills: walk into a span list on the stack, then draw it.

#include "sg/raster/fill8.h"
#include "sg/raster/span8.h"
#include "sg/raster/span8fill.h"

namespace {

template <ISGSpanFillFn* kFiller>
void WalkThenFill(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void* texels, const void* shadeTable, bool shaded) {
  SGSpanList list;
  const uint32_t flags = shaded ? ISGWalkShadedTexture8(first, second, third, frame, &list)
                                : ISGWalkTexture8(first, second, third, frame, &list);
  if (flags != 0) kFiller(&list, flags & SG_FILL_LEFT_TO_RIGHT, texels, shadeTable);
}

template <int W, int H, class Mode, bool kShaded>
void Fill(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
          const void* texels, const void* shadeTable, const void*) {
  WalkThenFill<ISGSpan8<W, H, Mode>>(first, second, third, frame, texels, shadeTable, kShaded);
}

template <int W, int H>
void FillDithered(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void* texels, const void*, const void*) {
  SGSpanList list;
  const uint32_t flags = ISGWalkDitheredTexture8(first, second, third, frame, &list);
  if (flags == 0) return;
  const uint32_t direction = flags & SG_FILL_LEFT_TO_RIGHT;
  if (flags & SG_FILL_DITHER4)
    ISGSpan8<W, H, ISGSpan8Plain, 4>(&list, direction, texels, nullptr);
  else if (flags & SG_FILL_DITHER2)
    ISGSpan8<W, H, ISGSpan8Plain, 2>(&list, direction, texels, nullptr);
  else
    ISGSpan8<W, H, ISGSpan8Plain>(&list, direction, texels, nullptr);
}

}  // namespace

#define ISG_FILL8_MEMBER(prefix, w, h, mode, shaded)                                                  \
  void prefix##w##x##h(const SGQVert* first, const SGQVert* second, const SGQVert* third,             \
                       const SGRasterFrame* frame, const void* texels, const void* shadeTable,        \
                       const void* colour) {                                                          \
    Fill<w, h, mode, shaded>(first, second, third, frame, texels, shadeTable, colour);                \
  }
#define ISG_FILL8_FAMILY(prefix, mode, shaded)                                                        \
  ISG_FILL8_MEMBER(prefix, 16, 16, mode, shaded)                                                      \
  ISG_FILL8_MEMBER(prefix, 32, 32, mode, shaded)                                                      \
  ISG_FILL8_MEMBER(prefix, 64, 64, mode, shaded)                                                      \
  ISG_FILL8_MEMBER(prefix, 128, 128, mode, shaded)                                                    \
  ISG_FILL8_MEMBER(prefix, 256, 256, mode, shaded)                                                    \
  ISG_FILL8_MEMBER(prefix, 512, 512, mode, shaded)                                                    \
  ISG_FILL8_MEMBER(prefix, 64, 32, mode, shaded)                                                      \
  ISG_FILL8_MEMBER(prefix, 128, 64, mode, shaded)                                                     \
  ISG_FILL8_MEMBER(prefix, 128, 32, mode, shaded)                                                     \
  ISG_FILL8_MEMBER(prefix, 256, 128, mode, shaded)                                                    \
  ISG_FILL8_MEMBER(prefix, 256, 64, mode, shaded)                                                     \
  ISG_FILL8_MEMBER(prefix, 256, 32, mode, shaded)

ISG_FILL8_FAMILY(ISGFill8Texture, ISGSpan8Plain, false)
ISG_FILL8_FAMILY(ISGFill8ShadedTexture, ISGSpan8Shaded, true)
ISG_FILL8_FAMILY(ISGFill8TransparentTexture, ISGSpan8Transparent, false)
ISG_FILL8_FAMILY(ISGFill8ShadedTransparentTexture, ISGSpan8ShadedTransparent, true)

void ISGFill8DitheredTexture32x32(const SGQVert* a, const SGQVert* b, const SGQVert* c, const SGRasterFrame* f,
                                  const void* t, const void* s, const void* k) {
  FillDithered<32, 32>(a, b, c, f, t, s, k);
}
void ISGFill8DitheredTexture128x128(const SGQVert* a, const SGQVert* b, const SGQVert* c,
                                    const SGRasterFrame* f, const void* t, const void* s, const void* k) {
  FillDithered<128, 128>(a, b, c, f, t, s, k);
}
void ISGFill8DitheredTexture512x512(const SGQVert* a, const SGQVert* b, const SGQVert* c,
                                    const SGRasterFrame* f, const void* t, const void* s, const void* k) {
  FillDithered<512, 512>(a, b, c, f, t, s, k);
}
