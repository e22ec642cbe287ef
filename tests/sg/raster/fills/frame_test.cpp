// Coverage, ordering and rejection rules shared by every 16-bpp fill, shown on
// the flat fill and checked pixel by pixel.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

#include "canvas.h"
#include "sg/raster/ddinfo.h"
#include "sg/raster/fill16.h"

namespace {

constexpr uint16_t kInk = 0x1234;

// The renderer includes both its device information and the fills: they must
// agree on one pixel format type, and the screen vertex keeps its 28 bytes.
static_assert(
    std::is_same_v<decltype(SGRasterFrame::fbPixelFormat), std::remove_pointer_t<decltype(SGDDInfo::ddiPixelFormat)>>);
static_assert(sizeof(SGQVert) == 28);

void Flat(Canvas& canvas, const SGQVert& a, const SGQVert& b, const SGQVert& c) {
  ISGFill16Flat(&a, &b, &c, canvas.Frame(), nullptr, nullptr, &kInk);
}

// Expects exactly the pixels with first <= x <= last(y) on rows [top, bottom).
template <class First, class Last>
void ExpectRows(const Canvas& canvas, int top, int bottom, First first, Last last) {
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      const bool in = y >= top && y < bottom && x >= first(y) && x <= last(y);
      ASSERT_EQ(canvas.At(x, y) == kInk, in) << "pixel " << x << ", " << y;
    }
}

TEST(TriangleFrame, RightTriangleCoversItsSlantedEdgeAndNotItsBottomRow) {
  Canvas canvas(16, 16);
  Flat(canvas, Vert(0, 0), Vert(320, 0), Vert(0, 320));
  ExpectRows(
      canvas, 0, 10, [](int) { return 0; }, [](int y) { return 10 - y; });
  // Rows 0 to 9 of 11 - y pixels each.
  EXPECT_EQ(canvas.Count(kInk), 65);
  EXPECT_TRUE(canvas.GuardIntact());
}

TEST(TriangleFrame, HalfPixelShiftMovesRowsAndColumns) {
  Canvas canvas(16, 16);
  Flat(canvas, Vert(16, 16), Vert(336, 16), Vert(16, 336));
  ExpectRows(
      canvas, 1, 11, [](int) { return 1; }, [](int y) { return 11 - y; });
}

// First and last rows holding ink; {-1, -1} when nothing is drawn.
std::pair<int, int> InkedRows(const Canvas& canvas) {
  std::pair<int, int> rows{-1, -1};
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (canvas.At(x, y) == kInk) {
        rows.first = rows.first < 0 ? y : rows.first;
        rows.second = y;
      }
  return rows;
}

TEST(TriangleFrame, RowsRunFromTheTopBoundaryToBeforeTheBottomOne) {
  struct Case {
    const char* what;
    SGQVert a, b, c;
    int top, bottom;
  };
  const Case cases[] = {
      {"counter-clockwise", Vert(0, 320), Vert(320, 0), Vert(0, 0), -1, -1},
      {"zero area", Vert(0, 0), Vert(160, 160), Vert(320, 320), -1, -1},
      // Clockwise and wide, but y runs from 1/32 to a whole row: both round up to row 1.
      {"within one row band", Vert(0, 1), Vert(900, 20), Vert(0, 32), -1, -1},
      {"top and flat bottom on row boundaries", Vert(4 * 32, 64), Vert(12 * 32, 192), Vert(0, 192), 2, 5},
      {"top and flat bottom at half rows", Vert(320, 16), Vert(640, 272), Vert(0, 272), 1, 8},
  };
  for (const Case& k : cases) {
    Canvas canvas(32, 24);
    Flat(canvas, k.a, k.b, k.c);
    EXPECT_EQ(InkedRows(canvas), std::make_pair(k.top, k.bottom)) << k.what;
  }
}

TEST(TriangleFrame, EdgesAtWholeColumnsDrawThoseColumns) {
  // Vertical left edge at x = 2 and vertical right edge at x = 9.
  Canvas left(16, 16), right(16, 16);
  Flat(left, Vert(64, 0), Vert(288, 256), Vert(64, 256));
  Flat(right, Vert(64, 0), Vert(288, 0), Vert(288, 256));
  for (int y = 1; y < 8; ++y) {
    EXPECT_EQ(left.At(2, y), kInk) << y;
    EXPECT_EQ(left.At(1, y), 0) << y;
    EXPECT_EQ(right.At(9, y), kInk) << y;
    EXPECT_EQ(right.At(10, y), 0) << y;
  }
}

TEST(TriangleFrame, EveryPassedOrderOfAClockwiseTriangleDrawsTheSamePixels) {
  // The three rotations keep the winding; they exercise the ordering table's
  // even rows, and ties in y exercise its boundaries.
  const SGQVert shapes[][3] = {
      {Vert(40, 10), Vert(300, 150), Vert(90, 290)},
      {Vert(40, 64), Vert(300, 64), Vert(90, 290)},
      {Vert(40, 10), Vert(300, 200), Vert(90, 200)},
  };
  for (const auto& s : shapes) {
    Canvas reference(12, 12);
    Flat(reference, s[0], s[1], s[2]);
    ASSERT_GT(reference.Count(kInk), 0);
    for (int rotation = 1; rotation < 3; ++rotation) {
      Canvas rotated(12, 12);
      Flat(rotated, s[rotation], s[(rotation + 1) % 3], s[(rotation + 2) % 3]);
      EXPECT_EQ(rotated.Memory(), reference.Memory()) << rotation;
      Canvas reversed(12, 12);
      Flat(reversed, s[rotation], s[(rotation + 2) % 3], s[(rotation + 1) % 3]);
      EXPECT_EQ(reversed.Count(0), 144) << rotation;
    }
  }
}

TEST(TriangleFrame, FlatFillIgnoresTheFloatingPointFields) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  Canvas plain(16, 16), odd(16, 16);
  Flat(plain, Vert(10, 5), Vert(400, 90), Vert(33, 470));
  Flat(odd, Vert(10, 5, nan, inf, -inf), Vert(400, 90, 1e30f, nan, nan), Vert(33, 470, -1e30f, 0, nan));
  EXPECT_EQ(plain.Memory(), odd.Memory());
}

TEST(TriangleFrame, FlatSpansOfOneAndTwoPixelsAtEitherAlignment) {
  // Columns 1, 2, 3 and 4 as left ends give both alignments of the first
  // pixel; a strip half a pixel wider than one or two columns, split on its
  // diagonal, gives spans of one and two pixels.
  for (int left = 1; left <= 4; ++left)
    for (int width = 0; width <= 1; ++width) {
      Canvas canvas(8, 8);
      const int32_t l = left * 32, r = (left + width) * 32 + 16;
      Flat(canvas, Vert(l, 0), Vert(r, 0), Vert(r, 224));
      Flat(canvas, Vert(l, 0), Vert(r, 224), Vert(l, 224));
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x)
          EXPECT_EQ(canvas.At(x, y) == kInk, x >= left && x <= left + width)
              << left << " " << width << " at " << x << ", " << y;
      EXPECT_TRUE(canvas.GuardIntact());
    }
}

TEST(TriangleFrame, FlatFillWritesAllSixteenBitsOfTheColour) {
  const uint16_t colour = 0xFFFF;  // includes the bit no 5-5-5 channel covers
  Canvas canvas(8, 8, 8, PitchKind::kPositive, kFormat555);
  const SGQVert a = Vert(0, 0), b = Vert(160, 0), c = Vert(0, 160);
  ISGFill16Flat(&a, &b, &c, canvas.Frame(), nullptr, nullptr, &colour);
  EXPECT_EQ(canvas.At(0, 0), 0xFFFF);
}

TEST(TriangleFrame, NegativeAndOddPitchesAddressTheSameRows) {
  Canvas positive(20, 20), negative(20, 20, 8, PitchKind::kNegative), odd(20, 20, 8, PitchKind::kOdd);
  for (Canvas* canvas : {&positive, &negative, &odd}) Flat(*canvas, Vert(17, 3), Vert(600, 200), Vert(100, 630));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(negative.At(x, y), positive.At(x, y));
      EXPECT_EQ(odd.At(x, y), positive.At(x, y));
    }
  EXPECT_TRUE(negative.GuardIntact());
  EXPECT_TRUE(odd.GuardIntact());
}

}  // namespace
