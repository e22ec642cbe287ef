// Pens, brushes and shapes on both 16-bit layouts.

#include <gtest/gtest.h>

#include "platform/gdi/shapes.h"
#include "tests/platform/gdi/gdi_fixture.h"
#include "tests/support/golden.h"

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

// Lines (without their last pixel), a closed polyline, a diagonal, wide pens,
// an ellipse and pies with and without a pen, drawn on one sheet and compared
// whole with the golden picture; both layouts widen to the same colours.
TEST_P(ShapesTest, LinesEllipsesAndPiesMatchTheGoldenSheet) {
  Target sheet(120, 60, GetParam());
  HDC dc = sheet.dc();
  HPEN red = CreatePen(PS_SOLID, 1, kRed);
  HBRUSH fill = CreateSolidBrush(kRed);
  SelectObject(dc, red);
  POINT previous;
  MoveToEx(dc, 2, 5, nullptr);
  ASSERT_TRUE(MoveToEx(dc, 2, 5, &previous));
  EXPECT_EQ(previous.x, 2);
  ASSERT_TRUE(LineTo(dc, 10, 5));
  LineTo(dc, 10, 9);  // from where the last line ended
  const POINT square[5] = {{14, 2}, {24, 2}, {24, 12}, {14, 12}, {14, 2}};
  ASSERT_TRUE(Polyline(dc, square, 5));
  EXPECT_FALSE(Polyline(dc, square, 1));
  MoveToEx(dc, 28, 2, nullptr);
  LineTo(dc, 34, 8);
  for (int width : {2, 3}) {
    HPEN wide = CreatePen(PS_SOLID, width, kRed);
    SelectObject(dc, wide);
    MoveToEx(dc, 40, 4 + 6 * width, nullptr);
    LineTo(dc, 60, 4 + 6 * width);
    SelectObject(dc, red);
    DeleteObject(wide);
  }
  SelectObject(dc, GetStockObject(NULL_PEN));
  LineTo(dc, 100, 50);  // draws nothing
  SelectObject(dc, GetStockObject(WHITE_PEN));
  SelectObject(dc, fill);
  ASSERT_TRUE(Ellipse(dc, 64, 2, 80, 18));
  ASSERT_TRUE(Pie(dc, 84, 2, 100, 18, 100, 10, 92, 2));  // from the right ray to the top one
  SelectObject(dc, GetStockObject(NULL_PEN));
  ASSERT_TRUE(Pie(dc, 2, 24, 19, 41, 10, 24, 2, 32));  // the top-left quarter
  Pie(dc, 24, 24, 41, 41, 32, 24, 32, 24);             // equal rays: the whole ellipse
  EXPECT_TRUE(quentest::MatchesGolden(ImageOf(sheet), GoldenPath("shapes.png")));
  EXPECT_EQ(CreatePen(2, 1, kRed), nullptr);  // dashed pens are not drawn here
  DeleteObject(fill);
  DeleteObject(red);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ShapesTest, ::testing::Values(PixelFormat::kRgb565, PixelFormat::kRgb555));

}  // namespace
}  // namespace gditest
