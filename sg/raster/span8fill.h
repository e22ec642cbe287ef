#pragma once
// The 8-bpp span fillers, one template over the texel pick (texture size or
// strip), the pixel mode and the dither pattern, so the per-pixel loop has
// constant masks. Internal.

#include <cstdint>

#include "sg/raster/fixed.h"
#include "sg/raster/pixelops16.h"
#include "sg/raster/span8.h"

// Ordered dither offsets in 16.16 texels: 2 x 2 by [row & 1][column & 1],
// 4 x 4 by [row & 3][column & 3].
inline constexpr uint32_t kISGDither2[2][2] = {{0x0000, 0x8000}, {0x4000, 0xC000}};
inline constexpr uint32_t kISGDither4[4][4] = {{15 * 0x1000, 7 * 0x1000, 13 * 0x1000, 5 * 0x1000},
                                               {3 * 0x1000, 11 * 0x1000, 1 * 0x1000, 9 * 0x1000},
                                               {12 * 0x1000, 4 * 0x1000, 14 * 0x1000, 6 * 0x1000},
                                               {0 * 0x1000, 8 * 0x1000, 2 * 0x1000, 10 * 0x1000}};
// The alpha strip's own 4 x 4 pattern.
inline constexpr uint32_t kISGStripDither4[4][4] = {{15 * 0x1000, 2 * 0x1000, 8 * 0x1000, 5 * 0x1000},
                                                    {3 * 0x1000, 14 * 0x1000, 4 * 0x1000, 9 * 0x1000},
                                                    {12 * 0x1000, 1 * 0x1000, 11 * 0x1000, 6 * 0x1000},
                                                    {0 * 0x1000, 13 * 0x1000, 7 * 0x1000, 10 * 0x1000}};

// Texel picks: a W x H texture, or the first four texels along u.
template <int W, int H>
struct ISGTexel8 {
  static uint8_t Of(const uint8_t* texels, uint32_t u, uint32_t v) { return texels[ISGTexelAddress<W, H>::Of(u, v)]; }
};
struct ISGStripTexel8 {
  static uint8_t Of(const uint8_t* texels, uint32_t u, uint32_t) { return texels[(u >> 16) & 3]; }
};

// Blends texel t over the pixel with weights k1 and k2 through the renderer's
// 5-6-5 scale table (256 rows of 256) and nearest-index table (65536 bytes).
// Weights whose sum passes 255 would carry one channel into the next, so k1
// is held to 255 - k2, and the index is kept inside the table whatever the
// scale table holds.
inline void ISGBlend8(uint8_t& pixel, uint8_t t, uint32_t k1, uint32_t k2, const void* scaleTable,
                      const void* indexTable) {
  const auto* scale = static_cast<const uint16_t*>(scaleTable);
  if (k1 > 255 - k2) k1 = 255 - k2;
  const uint32_t sum = static_cast<uint32_t>(scale[k1 * 256 + t]) + scale[k2 * 256 + pixel];
  pixel = static_cast<const uint8_t*>(indexTable)[sum & 0xFFFF];
}

struct ISGSpan8Plain {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t, uint32_t, const void*, const void*) { pixel = texel; }
};
struct ISGSpan8Shaded {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t q, uint32_t, const void* tableArg, const void*) {
    const auto* table = static_cast<const uint8_t*>(tableArg);
    pixel = table[((q >> 8) & 0xF00) + texel];
  }
};
struct ISGSpan8Transparent {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t, uint32_t, const void*, const void*) {
    if (texel != 0) pixel = texel;
  }
};
struct ISGSpan8ShadedTransparent {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t q, uint32_t, const void* tableArg, const void*) {
    const auto* table = static_cast<const uint8_t*>(tableArg);
    if (texel != 0) pixel = table[((q >> 8) & 0xF00) + texel];
  }
};

// Textured alpha: the alpha scaled by the level over 16 against 255 - alpha.
struct ISGSpan8Alpha {
  static void Put(uint8_t& pixel, uint8_t t, uint32_t q, uint32_t col, const void* scale, const void* index) {
    if (t == 0) return;
    const uint32_t k1 =
        static_cast<uint32_t>(ISGMul32(static_cast<int32_t>(q) >> 8, static_cast<int32_t>(col) >> 8) >> 20) & 255;
    const uint32_t k2 = static_cast<uint32_t>(ISGSub32(0xFFFFFF, static_cast<int32_t>(col)) >> 16) & 255;
    ISGBlend8(pixel, t, k1, k2, scale, index);
  }
};
// Strip alpha: the alpha alone against 255 - alpha.
struct ISGSpan8AlphaStrip {
  static void Put(uint8_t& pixel, uint8_t t, uint32_t, uint32_t col, const void* scale, const void* index) {
    if (t == 0) return;
    const uint32_t k1 = (col >> 16) & 255;
    const uint32_t k2 = static_cast<uint32_t>(ISGSub32(0xFFFFFF, static_cast<int32_t>(col)) >> 16) & 255;
    ISGBlend8(pixel, t, k1, k2, scale, index);
  }
};

// Draws the list's rows in direction kStep; the attribute steps come signed.
template <int kStep, class Texel, class Mode, int kDither, const uint32_t (&kPattern4)[4][4]>
void ISGSpan8Rows(const SGSpanList* list, int count, const uint8_t* texels, const void* table, const void* table2) {
  const auto signedStep = [](int32_t value) {
    return kStep > 0 ? static_cast<uint32_t>(value) : 0u - static_cast<uint32_t>(value);
  };
  const uint32_t du = signedStep(list->slDuDx), dv = signedStep(list->slDvDx);
  const uint32_t dq = signedStep(list->slDqDx), dc = signedStep(list->slDcDx);
  for (int i = 0; i < count; ++i) {
    const SGSpan& span = list->slSpans[i];
    const uint32_t row = static_cast<uint32_t>(list->slFirstRow) + static_cast<uint32_t>(i);
    const intptr_t length = kStep > 0 ? static_cast<intptr_t>(span.spShort - span.spLong)
                                      : static_cast<intptr_t>(span.spLong - span.spShort);
    if (length < 0) continue;
    uint8_t* pixel = reinterpret_cast<uint8_t*>(span.spLong);
    uint32_t u = static_cast<uint32_t>(span.spU), v = static_cast<uint32_t>(span.spV);
    uint32_t q = static_cast<uint32_t>(span.spQ), col = static_cast<uint32_t>(span.spCol);
    uint32_t column = static_cast<uint32_t>(span.spLong);
    for (intptr_t n = 0; n <= length; ++n, pixel += kStep, column += static_cast<uint32_t>(kStep)) {
      uint32_t d = 0;
      if constexpr (kDither == 2) d = kISGDither2[row & 1][column & 1];
      if constexpr (kDither == 4) d = kPattern4[row & 3][column & 3];
      Mode::Put(*pixel, Texel::Of(texels, u + d, v + d), q, col, table, table2);
      u += du, v += dv, q += dq, col += dc;
    }
  }
}

// kDither: 0 none, 2 the 2 x 2 pattern, 4 the 4 x 4 pattern kPattern4.
template <class Texel, class Mode, int kDither = 0, const uint32_t (&kPattern4)[4][4] = kISGDither4>
void ISGSpan8(const SGSpanList* list, uint32_t direction, const void* texels, const void* table, const void* table2) {
  if (list->slFirstRow > list->slLastRow) return;
  const int64_t rows = static_cast<int64_t>(list->slLastRow) - list->slFirstRow + 1;
  const int count = rows > kSGSpanRows ? kSGSpanRows : static_cast<int>(rows);
  const auto* texels8 = static_cast<const uint8_t*>(texels);
  if (direction != 0)
    ISGSpan8Rows<1, Texel, Mode, kDither, kPattern4>(list, count, texels8, table, table2);
  else
    ISGSpan8Rows<-1, Texel, Mode, kDither, kPattern4>(list, count, texels8, table, table2);
}
