#pragma once
// The 8-bpp span fillers, one template per pixel mode over the texture size
// and the dither pattern, so the per-pixel loop has constant masks. Internal.

#include <cstdint>

#include "sg/raster/pixelops16.h"
#include "sg/raster/span8.h"

// Ordered dither offsets in 16.16 texels: 2 x 2 by [row & 1][column & 1],
// 4 x 4 by [row & 3][column & 3].
inline constexpr uint32_t kISGDither2[2][2] = {{0x0000, 0x8000}, {0x4000, 0xC000}};
inline constexpr uint32_t kISGDither4[4][4] = {{15 * 0x1000, 7 * 0x1000, 13 * 0x1000, 5 * 0x1000},
                                                {3 * 0x1000, 11 * 0x1000, 1 * 0x1000, 9 * 0x1000},
                                                {12 * 0x1000, 4 * 0x1000, 14 * 0x1000, 6 * 0x1000},
                                                {0 * 0x1000, 8 * 0x1000, 2 * 0x1000, 10 * 0x1000}};

struct ISGSpan8Plain {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t, const uint8_t*) { pixel = texel; }
};
struct ISGSpan8Shaded {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t q, const uint8_t* table) {
    pixel = table[((q >> 8) & 0xF00) + texel];
  }
};
struct ISGSpan8Transparent {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t, const uint8_t*) {
    if (texel != 0) pixel = texel;
  }
};
struct ISGSpan8ShadedTransparent {
  static void Put(uint8_t& pixel, uint8_t texel, uint32_t q, const uint8_t* table) {
    if (texel != 0) pixel = table[((q >> 8) & 0xF00) + texel];
  }
};

// kDither: 0 none, 2 the 2 x 2 pattern, 4 the 4 x 4 pattern.
template <int W, int H, class Mode, int kDither = 0>
void ISGSpan8(const SGSpanList* list, uint32_t direction, const void* texelsArg, const void* tableArg) {
  using Address = ISGTexelAddress<W, H>;
  const auto* texels = static_cast<const uint8_t*>(texelsArg);
  const auto* table = static_cast<const uint8_t*>(tableArg);
  if (list->slFirstRow > list->slLastRow) return;
  const int64_t rows = static_cast<int64_t>(list->slLastRow) - list->slFirstRow + 1;
  const int count = rows > kSGSpanRows ? kSGSpanRows : static_cast<int>(rows);
  const uint32_t du = static_cast<uint32_t>(list->slDuDx);
  const uint32_t dv = static_cast<uint32_t>(list->slDvDx);
  const uint32_t dq = static_cast<uint32_t>(list->slDqDx);
  const int32_t step = direction != 0 ? 1 : -1;
  for (int i = 0; i < count; ++i) {
    const SGSpan& span = list->slSpans[i];
    const uint32_t row = static_cast<uint32_t>(list->slFirstRow) + static_cast<uint32_t>(i);
    const intptr_t length = direction != 0 ? static_cast<intptr_t>(span.spShort - span.spLong)
                                           : static_cast<intptr_t>(span.spLong - span.spShort);
    if (length < 0) continue;
    uint8_t* pixel = reinterpret_cast<uint8_t*>(span.spLong);
    uint32_t u = static_cast<uint32_t>(span.spU), v = static_cast<uint32_t>(span.spV);
    uint32_t q = static_cast<uint32_t>(span.spQ);
    uint32_t column = static_cast<uint32_t>(span.spLong);
    for (intptr_t n = 0; n <= length; ++n) {
      uint32_t d = 0;
      if constexpr (kDither == 2) d = kISGDither2[row & 1][column & 1];
      if constexpr (kDither == 4) d = kISGDither4[row & 3][column & 3];
      Mode::Put(pixel[n * step], texels[Address::Of(u + d, v + d)], q, table);
      column += static_cast<uint32_t>(step);
      if (direction != 0) {
        u += du, v += dv, q += dq;
      } else {
        u -= du, v -= dv, q -= dq;
      }
    }
  }
}
