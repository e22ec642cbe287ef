// The per-triangle choices the shaded fills make before drawing: whether a
// triangle is large enough for the per-triangle tables, and which shader the
// frame's pixel format takes.

#include <gtest/gtest.h>

#include <cstdint>

#include "sg/raster/pixelops16.h"

namespace {

SGQVert At(double x, double y) {
  return SGQVert{static_cast<int32_t>(x * 32), static_cast<int32_t>(y * 32), 1.f, 0.f, 0.f, 0.f, 0.f};
}

TEST(FillTableChoice, ManyPixelsFromTheAreaWhicheverWayTheCornersRun) {
  // Legs of 64 and 64 pixels: 2048 pixels, the threshold itself.
  const SGQVert a = At(10, 10), b = At(74, 10), c = At(10, 74);
  EXPECT_TRUE(ISGManyPixels(&a, &b, &c));
  EXPECT_TRUE(ISGManyPixels(&a, &c, &b));
  // A thirty-second of a pixel shorter is below it, in both windings.
  SGQVert shorter = c;
  shorter.y -= 1;
  EXPECT_FALSE(ISGManyPixels(&a, &b, &shorter));
  EXPECT_FALSE(ISGManyPixels(&a, &shorter, &b));
  // Long and thin: a large extent with a small area.
  const SGQVert far = At(600, 11);
  EXPECT_FALSE(ISGManyPixels(&a, &far, &b));
}

TEST(FillTableChoice, ManyPixelsForCornersAcrossTheWholeRange) {
  // Differences of 2^32 - 1, whose products pass 64 bits: worked out in
  // defined arithmetic (the sanitizer build checks), still a large triangle.
  const SGQVert a{INT32_MIN, INT32_MIN, 1.f, 0.f, 0.f, 0.f, 0.f};
  const SGQVert b{INT32_MAX, INT32_MIN, 1.f, 0.f, 0.f, 0.f, 0.f};
  const SGQVert c{INT32_MIN, INT32_MAX, 1.f, 0.f, 0.f, 0.f, 0.f};
  EXPECT_TRUE(ISGManyPixels(&a, &b, &c));
  EXPECT_TRUE(ISGManyPixels(&a, &c, &b));
}

TEST(FillTableChoice, SameFormatSeesEveryField) {
  const SGPixelFormat f565 = ISGShader565::kFormat;
  EXPECT_TRUE(ISGSameFormat(f565, SGPixelFormat{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0}));
  EXPECT_FALSE(ISGSameFormat(f565, ISGShader555::kFormat));
  // A change in the first or the last word alone is a different format.
  SGPixelFormat first = f565;
  first.pfRedBits = 4;
  EXPECT_FALSE(ISGSameFormat(f565, first));
  SGPixelFormat last = f565;
  last.pfBlueShift = 1;
  EXPECT_FALSE(ISGSameFormat(f565, last));
}

}  // namespace
