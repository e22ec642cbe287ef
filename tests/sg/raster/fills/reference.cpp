#include "reference.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "sg/raster/fixed.h"

namespace {

struct Reader {
  RefMode mode;
  int texWidth, texHeight;
  const SGRasterFrame* frame;
  const void* texels;
  const uint8_t* shade;
  const void* colours;

  bool eightBit;

  bool Textured() const {
    return mode == RefMode::kTexture || mode == RefMode::kShadedTexture || mode == RefMode::kTransparentTexture ||
           mode == RefMode::kShadedTransparentTexture || mode == RefMode::kDirectTexture ||
           mode == RefMode::kDitheredTexture || mode == RefMode::kAlphaTexture || mode == RefMode::kAlphaStrip;
  }
  bool Shaded() const {
    return mode == RefMode::kShadedTexture || mode == RefMode::kShadedTransparentTexture || mode == RefMode::kShaded ||
           mode == RefMode::kShadedTransparent;
  }
  // The 8-bpp textured fills set up in floating point.
  bool FloatSetUp() const { return eightBit && Textured(); }
  int PixelBytes() const { return eightBit ? 1 : 2; }

  uint32_t TexelIndex(int32_t u, int32_t v) const {
    const int log2w = std::countr_zero(static_cast<unsigned>(texWidth));
    return ((static_cast<uint32_t>(v) >> (16 - log2w)) & (static_cast<uint32_t>(texHeight - 1) << log2w)) |
           ((static_cast<uint32_t>(u) >> 16) & static_cast<uint32_t>(texWidth - 1));
  }

  // One 8-bpp pixel; row and column choose the dither offset.
  // Texel t over the pixel with weights k1, k2 through the 5-6-5 tables
  // (shade: scale table; colours: index table); k1 held to 255 - k2.
  void Blend(uint8_t* pixel, uint8_t t, int32_t k1, int32_t k2) const {
    const uint16_t* scale = reinterpret_cast<const uint16_t*>(shade);
    k1 = std::min(k1, 255 - k2);
    *pixel = static_cast<const uint8_t*>(colours)[(scale[k1 * 256 + t] + scale[k2 * 256 + *pixel]) & 0xFFFF];
  }

  void Pixel8(uintptr_t address, int32_t u, int32_t v, int32_t q, int32_t col, int32_t row, int ditherClass) const {
    static const int32_t kS4[4][4] = {{15, 2, 8, 5}, {3, 14, 4, 9}, {12, 1, 11, 6}, {0, 13, 7, 10}};
    static const int32_t kD2[2][2] = {{0, 0x8000}, {0x4000, 0xC000}};
    static const int32_t kD4[4][4] = {{15, 7, 13, 5}, {3, 11, 1, 9}, {12, 4, 14, 6}, {0, 8, 2, 10}};
    uint8_t* pixel = reinterpret_cast<uint8_t*>(address);
    const uint8_t* texels8 = static_cast<const uint8_t*>(texels);
    const uint8_t* shadeRow = shade + ((q >> 16) & 15) * 256;
    const uint8_t t = Textured() ? texels8[TexelIndex(u, v)] : 0;
    switch (mode) {
      case RefMode::kTexture:
        *pixel = t;
        break;
      case RefMode::kShadedTexture:
        *pixel = shadeRow[t];
        break;
      case RefMode::kTransparentTexture:
        if (t != 0) *pixel = t;
        break;
      case RefMode::kShadedTransparentTexture:
        if (t != 0) *pixel = shadeRow[t];
        break;
      case RefMode::kDitheredTexture: {
        int32_t d = 0;
        if (ditherClass == 2) d = kD4[row & 3][address & 3] * 0x1000;
        if (ditherClass == 1) d = kD2[row & 1][address & 1];
        *pixel = texels8[TexelIndex(ISGAdd32(u, d), ISGAdd32(v, d))];
        break;
      }
      case RefMode::kAlphaTexture:
        if (t != 0) Blend(pixel, t, (ISGMul32(q >> 8, col >> 8) >> 20) & 255, (ISGSub32(0xFFFFFF, col) >> 16) & 255);
        break;
      case RefMode::kAlphaStrip: {
        int32_t d = 0;
        if (ditherClass == 2) d = kS4[row & 3][address & 3] * 0x1000;
        if (ditherClass == 1) d = kD2[row & 1][address & 1];
        const uint8_t s = texels8[(ISGAdd32(u, d) >> 16) & 3];
        if (s != 0) Blend(pixel, s, (col >> 16) & 255, (ISGSub32(0xFFFFFF, col) >> 16) & 255);
        break;
      }
      case RefMode::kShaded:
        *pixel = shade[(q >> 16) & 15];
        break;
      case RefMode::kShadedTransparent:
        if (shade[(q >> 16) & 15] != 0) *pixel = shade[(q >> 16) & 15];
        break;
      default:
        break;
    }
  }

  uint16_t Colour16(int index) const {
    uint16_t c;
    std::memcpy(&c, static_cast<const uint8_t*>(colours) + 2 * index, 2);
    return c;
  }

  uint16_t ShadeColour(uint32_t c, int32_t q) const {
    const SGPixelFormat& pf = frame->fbPixelFormat;
    const uint8_t* row = shade + ((q >> 8) & 0xFF00);
    const uint32_t r = row[(c & pf.pfRedMask) >> pf.pfRedShift];
    const uint32_t g = row[(1u << pf.pfRedBits) + ((c & pf.pfGreenMask) >> pf.pfGreenShift)];
    const uint32_t b = row[(1u << pf.pfRedBits) + (1u << pf.pfGreenBits) + ((c & pf.pfBlueMask) >> pf.pfBlueShift)];
    return static_cast<uint16_t>((r << pf.pfRedShift) | (g << pf.pfGreenShift) | (b << pf.pfBlueShift));
  }

  bool LevelBlackens(int32_t q) const {
    const SGPixelFormat& pf = frame->fbPixelFormat;
    const uint8_t* row = shade + ((q >> 8) & 0xFF00);
    const uint32_t greenOffset = 1u << pf.pfRedBits;
    const uint32_t blueOffset = greenOffset + (1u << pf.pfGreenBits);
    return row[pf.pfRedMask >> pf.pfRedShift] == 0 && row[greenOffset + (pf.pfGreenMask >> pf.pfGreenShift)] == 0 &&
           row[blueOffset + (pf.pfBlueMask >> pf.pfBlueShift)] == 0;
  }

  // One pixel at byte address `address`, with the 16.16 values u, v, q.
  void Pixel(uintptr_t address, int32_t u, int32_t v, int32_t q, uint16_t flatColour) const {
    const int log2w = std::countr_zero(static_cast<unsigned>(texWidth));
    const uint32_t vShift = 16 - log2w;
    const uint32_t vMask = static_cast<uint32_t>(texHeight - 1) << log2w;
    const uint32_t uMask = texWidth - 1;
    const uint32_t index = ((static_cast<uint32_t>(v) >> vShift) & vMask) | ((static_cast<uint32_t>(u) >> 16) & uMask);
    uint16_t* pixel = reinterpret_cast<uint16_t*>(address);
    const uint8_t* texels8 = static_cast<const uint8_t*>(texels);
    switch (mode) {
      case RefMode::kTexture:
        *pixel = Colour16(texels8[index]);
        break;
      case RefMode::kShadedTexture:
        *pixel = ShadeColour(Colour16(texels8[index]), q);
        break;
      case RefMode::kTransparentTexture:
        if (texels8[index] != 0) *pixel = Colour16(texels8[index]);
        break;
      case RefMode::kShadedTransparentTexture:
        if (texels8[index] != 0) *pixel = ShadeColour(Colour16(texels8[index]), q);
        break;
      case RefMode::kDirectTexture:
        *pixel = static_cast<const uint16_t*>(texels)[index];
        break;
      case RefMode::kShaded:
        *pixel = ShadeColour(flatColour, q);
        break;
      case RefMode::kShadedTransparent:
        if (!LevelBlackens(q)) *pixel = ShadeColour(flatColour, q);
        break;
      case RefMode::kFlat:
      case RefMode::kDitheredTexture:
      case RefMode::kAlphaTexture:
      case RefMode::kAlphaStrip:
        break;
    }
  }
};

}  // namespace

namespace {

// Float to 32-bit integer toward zero; out of range gives INT32_MIN.
int32_t Truncate(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// Edge slope in 16.16 from an integer or, for the float set-up, a 32-bit
// float reciprocal.
int32_t Slope(const Reader& rd, int32_t width, int32_t height) {
  if (rd.FloatSetUp()) return Truncate(static_cast<double>(width) * (65536.0f / static_cast<float>(height)));
  return ISGFixedMulShift5(width, 0x200000 / height);
}

void RefWalk(const Reader& rd, const SGQVert* p1, const SGQVert* p2, const SGQVert* p3) {
  const RefMode mode = rd.mode;
  const SGRasterFrame* frame = rd.frame;
  const int bytes = rd.PixelBytes();

  // 1. Vertices; attributes u, v, q truncated to 27.5 (the flat fill reads none).
  const SGQVert* P[3] = {p1, p2, p3};
  int32_t A[3][4] = {};
  for (int i = 0; i < 3; ++i) {
    if (rd.Textured()) {
      A[i][0] = ISGFixedFromFloat(P[i]->u);
      A[i][1] = ISGFixedFromFloat(P[i]->v);
    }
    if (rd.Shaded() || rd.Textured()) A[i][2] = ISGFixedFromFloat(P[i]->q);
  }
  float F[3][4];
  for (int i = 0; i < 3; ++i) {
    F[i][0] = mode == RefMode::kAlphaStrip ? std::min(P[i]->u, 92.0f) : P[i]->u;
    F[i][1] = P[i]->v;
    F[i][2] = P[i]->q;
    F[i][3] = P[i]->col;
  }
  const int32_t pitch = frame->fbPitch >> (bytes - 1);

  // 2. Order by y.
  const int32_t y1 = p1->y, y2 = p2->y, y3 = p3->y;
  int T, M, B, parity;
  if (y1 < y2 && y3 >= y2) {
    T = 0, M = 1, B = 2, parity = 1;
  } else if (y1 < y2 && y3 < y2 && y1 < y3) {
    T = 0, M = 2, B = 1, parity = 0;
  } else if (y1 < y2 && y3 < y2 && y1 >= y3) {
    T = 2, M = 0, B = 1, parity = 1;
  } else if (y1 >= y2 && y1 < y3) {
    T = 1, M = 0, B = 2, parity = 0;
  } else if (y1 >= y2 && y1 >= y3 && y3 < y2) {
    T = 2, M = 1, B = 0, parity = 0;
  } else {
    T = 1, M = 2, B = 0, parity = 1;
  }
  const SGQVert& top = *P[T];
  const SGQVert& mid = *P[M];
  const SGQVert& bot = *P[B];

  // 3. x extent.
  const int32_t xext = ISGSub32(std::max({p1->x, p2->x, p3->x}), std::min({p1->x, p2->x, p3->x}));

  // 4. One row band: nothing.
  if ((ISGAdd32(top.y, 31) & ~31) == (ISGAdd32(bot.y, 31) & ~31)) return;

  // 5. Deltas and area.
  const int32_t dx1 = ISGSub32(mid.x, top.x), dx2 = ISGSub32(bot.x, top.x);
  const int32_t dy1 = ISGSub32(mid.y, top.y), dy2 = ISGSub32(bot.y, top.y);
  const int32_t area = ISGSub32(ISGFixedMulShift5(dx2, dy1), ISGFixedMulShift5(dy2, dx1));

  // 6. Back faces and zero area.
  const double fdx1 = static_cast<float>(dx1), fdx2 = static_cast<float>(dx2);
  const double fdy1 = static_cast<float>(dy1), fdy2 = static_cast<float>(dy2);
  const float areaF = static_cast<float>((fdx2 * fdy1 - fdy2 * fdx1) / 32);
  const int sign = rd.FloatSetUp() ? (areaF > 0) - (areaF < 0) : (area > 0) - (area < 0);
  if (parity == 1 && !(sign < 0)) return;
  if (parity == 0 && !(sign > 0)) return;

  // 7. Gradients, zero for a sliver.
  int32_t gx[4] = {0, 0, 0, 0}, gy[4] = {0, 0, 0, 0};
  int ditherClass = 0;
  const int32_t m = std::max(xext, dy2);
  const bool sliver = area < m && ISGNeg32(area) < m;
  if (rd.FloatSetUp()) {
    const double threshold = std::max(static_cast<double>(m) * m / 16384, 16.0);
    if (areaF >= threshold || -areaF >= threshold) {
      const float k = static_cast<float>(2048.0 / areaF);
      for (int c = 0; c < 4; ++c) {
        const double da1 = static_cast<double>(F[M][c]) - F[T][c];
        const double da2 = static_cast<double>(F[B][c]) - F[T][c];
        gx[c] = Truncate((da2 * fdy1 - fdy2 * da1) * k);
        gy[c] = Truncate((fdx2 * da1 - da2 * fdx1) * k);
      }
      float len[2];
      for (int c = 0; c < 2; ++c) {
        const float a = static_cast<float>(gx[c] >> 8), b = static_cast<float>(gy[c] >> 8);
        len[c] = static_cast<float>(static_cast<double>(a) * a + static_cast<double>(b) * b);
      }
      const float shorter = std::min(len[0], len[1]);
      if (shorter < 4096)
        ditherClass = 2;
      else if (shorter < 16384)
        ditherClass = 1;
    }
  } else if (!sliver) {
    for (int k = 0; k < 3; ++k) {
      const int32_t da1 = ISGSub32(A[M][k], A[T][k]);
      const int32_t da2 = ISGSub32(A[B][k], A[T][k]);
      gx[k] = ISGFixedGradient(dy2, da1, da2, dy1, area);
      gy[k] = ISGFixedGradient(da2, dx1, dx2, da1, area);
    }
  }

  // 8. Zero height.
  if (dy2 == 0) return;

  // 9. Long edge, on the right for a non-negative area.
  const bool longRight = sign >= 0;
  const int32_t firstRowIndex = (ISGAdd32(top.y, 31) & ~31) >> 5;
  const int32_t lastRowEnd = ISGAdd32(ISGShl32(bot.y, 11), 0xFFFF) >> 16;
  if (rd.FloatSetUp() && static_cast<int64_t>(lastRowEnd) - firstRowIndex > 799) return;
  const int32_t s = Slope(rd, dx2, dy2);
  const int32_t t = s >= 0 ? s >> 16 : ISGNeg32(ISGNeg32(s) >> 16);
  int32_t stepA = ISGAdd32(pitch, t), stepB = stepA;
  int32_t rowA[4], rowB[4];
  for (int k = 0; k < 4; ++k) rowA[k] = rowB[k] = ISGAdd32(gy[k], ISGMul32(t, gx[k]));
  const int32_t Y0 = ISGAdd32(top.y, 31) & ~31;
  int32_t row = Y0 >> 5;
  const int32_t prestep = ISGSub32(Y0, top.y);
  const int32_t middleLimit = ISGAdd32(mid.y, 31) >> 5;
  const int32_t X = ISGAdd32(ISGShl32(top.x, 11), ISGFixedMulShift5(prestep, s));
  int32_t f = s & 0xFFFF;
  int32_t pixel, e;
  if (f != 0) {
    if (longRight) {
      pixel = X >> 16;
      e = X & 0xFFFF;
    } else {
      f = 0x10000 - f;
      pixel = ISGAdd32(X, 0xFFFF) >> 16;
      e = ISGSub32(ISGShl32(pixel, 16), X);
    }
    if (s > 0) {
      stepB = stepA + 1;
      for (int k = 0; k < 4; ++k) rowB[k] = ISGAdd32(rowA[k], gx[k]);
    } else {
      stepA = stepB - 1;
      for (int k = 0; k < 4; ++k) rowA[k] = ISGSub32(rowB[k], gx[k]);
    }
  } else {
    pixel = longRight ? X >> 16 : ISGAdd32(X, 0xFFFF) >> 16;
    e = 0x8000;
  }
  e = ISGSub32(0x10000, e);
  int32_t a[4];
  for (int k = 0; k < 4; ++k)
    a[k] = ISGAdd32(ISGAdd32(ISGShl32(rd.FloatSetUp() ? ISGFixedFromFloat(F[T][k]) : A[T][k], 11),
                             ISGFixedMulShift5(ISGSub32(ISGMul32(pixel, 32), top.x), gx[k])),
                    ISGFixedMulShift5(prestep, gy[k]));
  const uintptr_t base = reinterpret_cast<uintptr_t>(frame->fbPixels);
  uintptr_t longAddress = base + static_cast<uintptr_t>((static_cast<int64_t>(pitch) * row + pixel) * bytes);

  uint16_t flatColour = 0;
  if (!rd.eightBit && (mode == RefMode::kFlat || mode == RefMode::kShaded || mode == RefMode::kShadedTransparent))
    flatColour = rd.Colour16(0);
  const uint32_t flatWord = flatColour * 0x10001u;

  // 10, 11. One half; false when the fill stops.
  auto half = [&](const SGQVert& origin, int32_t width, int32_t height, int32_t startY, int32_t endRow) {
    if (!(row < endRow)) return true;
    if (height == 0) return false;
    const int32_t s2 = Slope(rd, width, height);
    const int32_t t2 = s2 >= 0 ? s2 >> 16 : ISGNeg32(ISGNeg32(s2) >> 16);
    int32_t stepA2 = ISGAdd32(pitch, t2), stepB2 = stepA2;
    const int32_t X2 = ISGAdd32(ISGShl32(origin.x, 11), ISGFixedMulShift5(ISGSub32(startY, origin.y), s2));
    int32_t f2 = s2 & 0xFFFF;
    int32_t pixel2, e2;
    if (f2 != 0) {
      if (longRight) {
        f2 = 0x10000 - f2;
        pixel2 = ISGAdd32(X2, 0xFFFF) >> 16;
        e2 = ISGSub32(ISGShl32(pixel2, 16), X2);
      } else {
        pixel2 = X2 >> 16;
        e2 = X2 & 0xFFFF;
      }
      if (s2 > 0)
        stepB2 = stepA2 + 1;
      else
        stepA2 = stepB2 - 1;
    } else {
      pixel2 = longRight ? ISGAdd32(X2, 0xFFFF) >> 16 : X2 >> 16;
      e2 = 0x8000;
    }
    e2 = ISGSub32(0x10000, e2);
    uintptr_t shortAddress = base + static_cast<uintptr_t>((static_cast<int64_t>(pitch) * row + pixel2) * bytes);

    while (row < endRow) {
      if (rd.eightBit && mode == RefMode::kFlat) {
        const uint8_t ink = *static_cast<const uint8_t*>(rd.colours);
        const uintptr_t left = !longRight ? longAddress : shortAddress;
        const uintptr_t right = !longRight ? shortAddress : longAddress;
        for (uintptr_t p = left; p <= right; ++p) *reinterpret_cast<uint8_t*>(p) = ink;
      } else if (rd.eightBit) {
        int32_t u = a[0], v = a[1], q = a[2], col = a[3];
        const bool leftward = longRight;
        for (uintptr_t p = longAddress; leftward ? p >= shortAddress : p <= shortAddress; leftward ? --p : ++p) {
          rd.Pixel8(p, u, v, q, col, row, ditherClass);
          const int32_t sign = leftward ? -1 : 1;
          u = ISGAdd32(u, ISGMul32(sign, gx[0]));
          v = ISGAdd32(v, ISGMul32(sign, gx[1]));
          q = ISGAdd32(q, ISGMul32(sign, gx[2]));
          col = ISGAdd32(col, ISGMul32(sign, gx[3]));
        }
      } else if (mode == RefMode::kFlat) {
        // Left to right, 32-bit stores on 4-byte boundaries.
        uintptr_t p = !longRight ? longAddress : shortAddress;
        const uintptr_t end = !longRight ? shortAddress : longAddress;
        if (p <= end) {
          if (p & 2) {
            std::memcpy(reinterpret_cast<void*>(p), &flatColour, 2);
            p += 2;
          }
          while (p <= end - 2) {
            std::memcpy(reinterpret_cast<void*>(p), &flatWord, 4);
            p += 4;
          }
          if (p <= end) std::memcpy(reinterpret_cast<void*>(p), &flatColour, 2);
        }
      } else if (longRight) {
        int32_t u = a[0], v = a[1], q = a[2];
        for (uintptr_t p = longAddress; p >= shortAddress; p -= 2) {
          rd.Pixel(p, u, v, q, flatColour);
          u = ISGSub32(u, gx[0]);
          v = ISGSub32(v, gx[1]);
          q = ISGSub32(q, gx[2]);
        }
      } else {
        int32_t u = a[0], v = a[1], q = a[2];
        for (uintptr_t p = longAddress; p <= shortAddress; p += 2) {
          rd.Pixel(p, u, v, q, flatColour);
          u = ISGAdd32(u, gx[0]);
          v = ISGAdd32(v, gx[1]);
          q = ISGAdd32(q, gx[2]);
        }
      }

      e = ISGSub32(e, f);
      bool longA;
      if (longRight) {
        longA = !(e <= 0);
      } else {
        longA = e <= 0;
      }
      if (e <= 0) e = ISGAdd32(e, 0x10000);
      longAddress += static_cast<uintptr_t>(static_cast<int64_t>(longA ? stepA : stepB) * bytes);
      for (int k = 0; k < 4; ++k) a[k] = ISGAdd32(a[k], longA ? rowA[k] : rowB[k]);

      e2 = ISGSub32(e2, f2);
      bool shortA;
      if (longRight) {
        shortA = e2 <= 0;
      } else {
        shortA = !(e2 <= 0);
      }
      if (e2 <= 0) e2 = ISGAdd32(e2, 0x10000);
      shortAddress += static_cast<uintptr_t>(static_cast<int64_t>(shortA ? stepA2 : stepB2) * bytes);
      ++row;
    }
    return true;
  };

  if (row < middleLimit) {
    if (!half(top, dx1, dy1, Y0, middleLimit)) return;
  }
  half(mid, ISGSub32(dx2, dx1), ISGSub32(dy2, dy1), ISGAdd32(mid.y, 31) & ~31,
       ISGAdd32(ISGShl32(bot.y, 11), 0xFFFF) >> 16);
}

}  // namespace

void RefFill16(RefMode mode, int texWidth, int texHeight, const SGQVert* p1, const SGQVert* p2, const SGQVert* p3,
               const SGRasterFrame* frame, const void* texels, const void* shadeTable, const void* colourTable) {
  RefWalk({mode, texWidth, texHeight, frame, texels, static_cast<const uint8_t*>(shadeTable), colourTable, false}, p1,
          p2, p3);
}

void RefFill8(RefMode mode, int texWidth, int texHeight, const SGQVert* p1, const SGQVert* p2, const SGQVert* p3,
              const SGRasterFrame* frame, const void* texels, const void* table, const void* colour) {
  RefWalk({mode, texWidth, texHeight, frame, texels, static_cast<const uint8_t*>(table), colour, true}, p1, p2, p3);
}
