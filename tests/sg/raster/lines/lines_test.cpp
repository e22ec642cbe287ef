// Lines and triangle outlines, pixel by pixel.

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "sg/raster/line.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

// A w x h buffer of 16- or 8-bit pixels, with a guard row above and below.
template <class Pixel>
struct Buffer {
  int w, h, pitchPixels;
  std::vector<Pixel> memory;
  Buffer(int width, int height) : w(width), h(height), pitchPixels(width), memory((height + 2) * width, 0) {}
  void* Base() { return &memory[w]; }
  Pixels Lit(Pixel colour) const {
    Pixels lit;
    for (size_t i = 0; i < memory.size(); ++i) {
      if (memory[i] == colour) lit.insert({static_cast<int>(i % w), static_cast<int>(i / w) - 1});
    }
    return lit;
  }
};

Pixels Line16(int x0, int y0, int x1, int y1) {
  Buffer<uint16_t> buffer(12, 12);
  ISGLine16(x0, y0, x1, y1, 0xABCD7E57, buffer.Base(), buffer.w * 2);
  return buffer.Lit(0x7E57);
}

Pixels Line8(int x0, int y0, int x1, int y1) {
  Buffer<uint8_t> buffer(12, 12);
  ISGLine8(x0, y0, x1, y1, 9, buffer.Base(), buffer.w);
  return buffer.Lit(9);
}

TEST(Line, DrawsFromTheEndWithSmallerSumAndExcludesTheOtherEnd) {
  const Pixels horizontal = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
  EXPECT_EQ(Line16(0, 0, 4, 0), horizontal);
  EXPECT_EQ(Line16(4, 0, 0, 0), horizontal);
  // dx + dy = 0: drawn from the first end.
  EXPECT_EQ(Line16(3, 0, 0, 3), (Pixels{{3, 0}, {2, 1}, {1, 2}}));
  EXPECT_EQ(Line16(0, 3, 3, 0), (Pixels{{0, 3}, {1, 2}, {2, 1}}));
  EXPECT_TRUE(Line16(5, 5, 5, 5).empty());
  for (auto line : {Line16, Line8}) {
    EXPECT_EQ(line(1, 1, 1, 5), (Pixels{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(line(6, 5, 2, 1), (Pixels{{2, 1}, {3, 2}, {4, 3}, {5, 4}}));  // 45 degrees
  }
}

TEST(Line, BresenhamStepsInEveryOctant) {
  // x-major rising (dy < 0 after the swap) and falling, y-major leaning left and right.
  EXPECT_EQ(Line16(0, 4, 8, 0), (Pixels{{0, 4}, {1, 4}, {2, 3}, {3, 3}, {4, 2}, {5, 2}, {6, 1}, {7, 1}}));
  EXPECT_EQ(Line16(0, 0, 8, 3), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 3}}));
  EXPECT_EQ(Line8(6, 0, 2, 8), (Pixels{{6, 0}, {6, 1}, {5, 2}, {5, 3}, {4, 4}, {4, 5}, {3, 6}, {3, 7}}));
  EXPECT_EQ(Line8(0, 0, 3, 8), (Pixels{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {3, 7}}));
}

TEST(Line, OddBytePitchRoundsDownToWholePixels) {
  Buffer<uint16_t> buffer(12, 12);
  ISGLine16(2, 0, 2, 3, 0x55, buffer.Base(), buffer.w * 2 + 1);
  EXPECT_EQ(buffer.Lit(0x55), (Pixels{{2, 0}, {2, 1}, {2, 2}}));
}

// The outline of (0, 0), (4, 0), (0, 4): (0, 4) ends both of its edges and stays unlit.
const Pixels kOutline = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {0, 2}, {0, 3}, {4, 0}, {3, 1}, {2, 2}, {1, 3}};

TEST(TriOutline, DrawsThreeEdgesEachFromItsSmallerSumEnd) {
  const SGOutlineVertex a{0, 0}, b{4, 0}, c{0, 4};
  Buffer<uint16_t> buffer(12, 12);
  ISGTriOutline16(&a, &b, &c, buffer.Base(), buffer.w * 2, 0x1F);
  EXPECT_EQ(buffer.Lit(0x1F), kOutline);
  Buffer<uint8_t> small(12, 12);
  ISGTriOutline8(&a, &b, &c, small.Base(), small.w, 127);
  EXPECT_EQ(small.Lit(127), kOutline);
}

TEST(TriOutline, FixedVariantsDropTheFractionAndRepeatTheColourByte) {
  const SGOutlineVertex a{0 * 1024 + 1023, 0 * 1024 + 512}, b{4 * 1024 + 1, 0 * 1024},
      c{0 * 1024 + 700, 4 * 1024 + 1023};
  const uint8_t entry[4] = {0x3C, 0x11, 0x22, 0x33};
  Buffer<uint16_t> buffer(12, 12);
  ISGTriOutline16Fixed(&a, &b, &c, buffer.Base(), buffer.w * 2, entry);
  Buffer<uint8_t> small(12, 12);
  ISGTriOutline8Fixed(&a, &b, &c, small.Base(), small.w, entry);
  EXPECT_EQ(buffer.Lit(0x3C3C), kOutline);
  EXPECT_EQ(small.Lit(0x3C), kOutline);
  EXPECT_EQ(a.x, 1023);  // the caller's records are not changed
}

}  // namespace
