// Pens, brushes and shapes on both 16-bit layouts.

#include <gtest/gtest.h>

#include "platform/gdi/shapes.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class ShapesTest : public ::testing::TestWithParam<PixelFormat> {
 protected:
  Target t_{40, 40, GetParam()};
  DWORD red() const { return t_.Colour(kRed); }
  DWORD white() const { return t_.Colour(kWhite); }
};

TEST_P(ShapesTest, ColoursEncodeForTheLayout) {
  const bool is565 = GetParam() == PixelFormat::kRgb565;
  EXPECT_EQ(red(), is565 ? 0xF800u : 0x7C00u);
  EXPECT_EQ(t_.Colour(RGB(0, 0, 255)), 0x001Fu);
  EXPECT_EQ(t_.Colour(RGB(0, 128, 0)), is565 ? 0x0400u : 0x0200u);
  EXPECT_EQ(white(), is565 ? 0xFFFFu : 0x7FFFu);
}

TEST_P(ShapesTest, FillAndFrameRectangles) {
  HBRUSH brush = CreateSolidBrush(kRed);
  RECT r{5, 6, 15, 10};
  ASSERT_EQ(FillRect(t_.dc(), &r, brush), 1);
  EXPECT_EQ(EdgesOf(t_.BoundsOf(red())), EdgesOf(r));
  EXPECT_EQ(t_.Count(red()), 10 * 4);
  // Black and hollow stock brushes.
  EXPECT_EQ(FillRect(t_.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(t_.Count(red()), 0);
  FillRect(t_.dc(), &r, brush);
  EXPECT_EQ(FillRect(t_.dc(), &r, static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH))), 1);
  EXPECT_EQ(t_.Count(red()), 40);

  Target f(40, 40, GetParam());
  RECT frame{2, 2, 12, 8};
  ASSERT_EQ(FrameRect(f.dc(), &frame, brush), 1);
  EXPECT_EQ(f.Count(red()), 2 * 10 + 2 * 4);
  EXPECT_EQ(f.At(2, 2), red());
  EXPECT_EQ(f.At(11, 7), red());
  EXPECT_EQ(f.At(5, 5), 0u);
  EXPECT_EQ(FillRect(f.dc(), &frame, nullptr), 0);
  DeleteObject(brush);
}

TEST_P(ShapesTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(t_.dc(), pen);
  SelectObject(t_.dc(), brush);
  ASSERT_TRUE(Rectangle(t_.dc(), 10, 10, 20, 15));
  EXPECT_EQ(t_.BoundsOf(white()).right, 20);
  EXPECT_EQ(t_.Count(white()), 2 * 10 + 2 * 3);
  EXPECT_EQ(t_.Count(red()), 8 * 3);

  // A null pen leaves the fill one pixel short on the right and at the bottom.
  Target n(40, 40, GetParam());
  SelectObject(n.dc(), GetStockObject(NULL_PEN));
  SelectObject(n.dc(), brush);
  Rectangle(n.dc(), 10, 10, 20, 15);
  EXPECT_EQ(EdgesOf(n.BoundsOf(red())), (Edges{10, 10, 19, 14}));
  EXPECT_EQ(n.Count(red()), 9 * 4);

  // The hollow brush leaves the inside alone.
  Target h(40, 40, GetParam());
  SelectObject(h.dc(), pen);
  SelectObject(h.dc(), GetStockObject(HOLLOW_BRUSH));
  Rectangle(h.dc(), 20, 15, 10, 10);  // corners in either order
  EXPECT_EQ(h.Count(white()), 26);
  EXPECT_EQ(h.At(15, 12), 0u);
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST_P(ShapesTest, LinesLeaveOutTheirLastPixel) {
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(t_.dc(), pen);
  POINT previous;
  MoveToEx(t_.dc(), 2, 5, nullptr);
  ASSERT_TRUE(MoveToEx(t_.dc(), 2, 5, &previous));
  EXPECT_EQ(previous.x, 2);
  ASSERT_TRUE(LineTo(t_.dc(), 10, 5));
  EXPECT_EQ(t_.Count(red()), 8);
  EXPECT_EQ(t_.At(9, 5), red());
  EXPECT_EQ(t_.At(10, 5), 0u);
  // The current position moved: the next line starts at the corner.
  LineTo(t_.dc(), 10, 9);
  EXPECT_EQ(t_.Count(red()), 12);
  EXPECT_EQ(t_.At(10, 5), red());
  EXPECT_EQ(t_.At(10, 9), 0u);

  // A closed polyline draws each corner once.
  Target p(40, 40, GetParam());
  SelectObject(p.dc(), pen);
  const POINT square[5] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 5}};
  ASSERT_TRUE(Polyline(p.dc(), square, 5));
  EXPECT_EQ(p.Count(red()), 40);
  EXPECT_FALSE(Polyline(p.dc(), square, 1));

  // A diagonal steps one pixel each way.
  Target d(40, 40, GetParam());
  SelectObject(d.dc(), pen);
  MoveToEx(d.dc(), 0, 0, nullptr);
  LineTo(d.dc(), 6, 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.At(i, i), red());
  EXPECT_EQ(d.Count(red()), 6);
  DeleteObject(pen);
}

TEST_P(ShapesTest, WidePensCoverTheirWidthAndReachTheEnd) {
  for (int width : {2, 3}) {
    Target w(40, 40, GetParam());
    HPEN pen = CreatePen(PS_SOLID, width, kRed);
    SelectObject(w.dc(), pen);
    MoveToEx(w.dc(), 10, 20, nullptr);
    LineTo(w.dc(), 30, 20);
    const RECT b = w.BoundsOf(red());
    EXPECT_EQ(b.bottom - b.top, width);
    EXPECT_GE(b.right, 31);
    EXPECT_LE(b.left, 10);
    DeleteObject(pen);
  }
  Target none(40, 40, GetParam());
  SelectObject(none.dc(), GetStockObject(NULL_PEN));
  LineTo(none.dc(), 30, 30);
  EXPECT_EQ(none.Values(), std::set<DWORD>{0});
  EXPECT_EQ(CreatePen(2, 1, kRed), nullptr);  // dashed pens are not drawn here
}

TEST_P(ShapesTest, EllipsesStayInTheirBoxAndAreSymmetric) {
  SelectObject(t_.dc(), GetStockObject(WHITE_PEN));
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(t_.dc(), brush);
  ASSERT_TRUE(Ellipse(t_.dc(), 4, 4, 20, 20));
  EXPECT_EQ(EdgesOf(t_.BoundsOf(white())), (Edges{4, 4, 20, 20}));
  EXPECT_EQ(t_.At(4, 4), 0u);  // corners stay out
  EXPECT_EQ(t_.At(12, 12), red());
  for (int y = 4; y < 20; ++y)
    for (int x = 4; x < 20; ++x) {
      ASSERT_EQ(t_.At(x, y), t_.At(23 - x, y)) << x << "," << y;
      ASSERT_EQ(t_.At(x, y), t_.At(x, 23 - y)) << x << "," << y;
    }
  DeleteObject(brush);
}

// The info panels' pies start at the top and sweep counter-clockwise.
TEST_P(ShapesTest, PiesSweepCounterClockwise) {
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(t_.dc(), GetStockObject(NULL_PEN));
  SelectObject(t_.dc(), brush);
  // A quarter from the top ray to the left ray: the top-left quadrant.
  ASSERT_TRUE(Pie(t_.dc(), 0, 0, 17, 17, 8, 0, 0, 8));
  const RECT q = t_.BoundsOf(red());
  EXPECT_EQ(q.left + q.top, 0);
  EXPECT_LE(q.right, 9);
  EXPECT_LE(q.bottom, 9);
  const int quarter = t_.Count(red());

  // Equal rays give the whole ellipse.
  Target full(40, 40, GetParam()), same(40, 40, GetParam()), outlined(40, 40, GetParam());
  for (Target* t : {&full, &same}) {
    SelectObject(t->dc(), GetStockObject(NULL_PEN));
    SelectObject(t->dc(), brush);
  }
  Ellipse(full.dc(), 0, 0, 17, 17);
  const int whole = full.Count(red());
  EXPECT_NEAR(quarter, whole / 4, whole / 10);
  Pie(same.dc(), 0, 0, 17, 17, 8, 0, 8, 0);
  EXPECT_EQ(same.Count(red()), whole);

  // With a pen the wedge is outlined: both radii and the arc.
  SelectObject(outlined.dc(), GetStockObject(WHITE_PEN));
  SelectObject(outlined.dc(), brush);
  Pie(outlined.dc(), 0, 0, 16, 16, 16, 8, 8, 0);  // from the right ray to the top one
  EXPECT_EQ(outlined.At(8, 3), white());
  EXPECT_EQ(outlined.At(12, 7), white());
  EXPECT_EQ(outlined.At(10, 5), red());
  EXPECT_EQ(outlined.At(4, 10), 0u);
  DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ShapesTest, ::testing::Values(PixelFormat::kRgb565, PixelFormat::kRgb555));

}  // namespace
}  // namespace gditest
