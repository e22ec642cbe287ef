// Where TextOut, ExtTextOut and DrawText put their glyphs, in which colours.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

constexpr COLORREF kInk = RGB(0, 255, 0);

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override { font_ = CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman"); }
  void TearDown() override { DeleteObject(font_); }

  // A fresh black target with the font and green ink on a transparent background.
  void Prepare(Target& t) {
    SelectObject(t.dc(), font_);
    SetBkMode(t.dc(), TRANSPARENT);
    SetTextColor(t.dc(), kInk);
  }
  TEXTMETRIC Metrics(Target& t) {
    TEXTMETRIC tm;
    GetTextMetrics(t.dc(), &tm);
    return tm;
  }
  int Width(Target& t, const char* s) {
    SIZE size;
    GetTextExtentPoint32(t.dc(), s, static_cast<int>(std::strlen(s)), &size);
    return size.cx;
  }
  static bool SamePixels(const Target& a, const Target& b) {
    for (int y = 0; y < a.pixels().height; ++y)
      for (int x = 0; x < a.pixels().width; ++x)
        if (a.At(x, y) != b.At(x, y)) return false;
    return true;
  }

  HFONT font_ = nullptr;
};

TEST_F(TextTest, AlignmentMovesTheWholeTextByItsCellAndWidth) {
  Target top(200, 60, PixelFormat::kRgb565);
  Prepare(top);
  const TEXTMETRIC tm = Metrics(top);
  const char* s = "Quenbar Hg";
  const int w = Width(top, s);
  ASSERT_TRUE(TextOut(top.dc(), 20, 10, s, 10));
  const RECT ink = top.BoundsOf(top.Colour(kInk));
  EXPECT_TRUE(Within(ink, RECT{20, 10, 20 + w + 1, 10 + tm.tmHeight}));
  // The cap of 'Q' and the tail of 'g' reach near the cell's edges.
  EXPECT_LE(ink.top, 10 + tm.tmInternalLeading + 1);
  EXPECT_GT(ink.bottom, 10 + tm.tmAscent);

  const struct {
    UINT align;
    int x, y;
  } same[] = {{TA_BASELINE, 20, 10 + tm.tmAscent},
              {TA_BOTTOM, 20, 10 + tm.tmHeight},
              {TA_RIGHT, 20 + w, 10},
              {TA_CENTER | TA_BOTTOM, 20 + w / 2, 10 + tm.tmHeight}};
  for (const auto& c : same) {
    Target other(200, 60, PixelFormat::kRgb565);
    Prepare(other);
    SetTextAlign(other.dc(), c.align);
    TextOut(other.dc(), c.x, c.y, s, 10);
    EXPECT_TRUE(SamePixels(top, other)) << "align " << c.align;
  }
}

TEST_F(TextTest, UpdateCpDrawsOnFromTheCurrentPosition) {
  Target once(200, 30, PixelFormat::kRgb565), twice(200, 30, PixelFormat::kRgb565);
  Prepare(once);
  Prepare(twice);
  TextOut(once.dc(), 5, 5, "Name: Vega", 10);
  SetTextAlign(twice.dc(), TA_UPDATECP);
  MoveToEx(twice.dc(), 5, 5, nullptr);
  TextOut(twice.dc(), 99, 99, "Name:", 5);
  TextOut(twice.dc(), 99, 99, " Vega", 5);
  EXPECT_TRUE(SamePixels(once, twice));
  POINT cp;
  MoveToEx(twice.dc(), 0, 0, &cp);
  EXPECT_EQ(cp.x, 5 + Width(once, "Name: Vega"));
  EXPECT_EQ(cp.y, 5);
}

// Glyphs are monochrome: on either 16-bit layout the surface holds only the
// background and the exact text colour, as colour keys need.
TEST_F(TextTest, TextColoursAreExactOnBothSixteenBitLayouts) {
  for (PixelFormat f : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
    Target t(120, 40, f);
    t.Fill(t.Colour(RGB(255, 0, 255)));
    Prepare(t);
    TextOut(t.dc(), 2, 2, "Thingys", 7);
    EXPECT_EQ(t.Values(), (std::set<DWORD>{t.Colour(RGB(255, 0, 255)), t.Colour(kInk)}));

    // Opaque: the text's cell takes the background colour, nothing else does.
    Target o(120, 40, f);
    Prepare(o);
    SetBkMode(o.dc(), OPAQUE);
    SetBkColor(o.dc(), RGB(0, 0, 255));
    TextOut(o.dc(), 2, 2, "Thingys", 7);
    const RECT cell = o.BoundsOf(o.Colour(RGB(0, 0, 255)));
    EXPECT_EQ(std::make_tuple(cell.left, cell.top, cell.bottom), std::make_tuple(2, 2, 2 + 16));
    EXPECT_LE(cell.right, 2 + Width(o, "Thingys"));
    EXPECT_EQ(o.Count(0) + o.Count(o.Colour(kInk)) + o.Count(o.Colour(RGB(0, 0, 255))), 120 * 40);
  }
}

TEST_F(TextTest, ExtTextOutOpaquesAndClipsToItsRectangle) {
  Target t(100, 30, PixelFormat::kRgb565);
  Prepare(t);
  SetBkColor(t.dc(), RGB(255, 0, 0));
  const RECT r{10, 5, 40, 25};
  ASSERT_TRUE(ExtTextOut(t.dc(), 10, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "Clipped words", 13, nullptr));
  // The rectangle is filled and nothing is drawn outside it.
  EXPECT_EQ(EdgesOf(BoundsWhere(100, 30, [&](int x, int y) { return t.At(x, y) != 0; })), EdgesOf(r));
  EXPECT_TRUE(Within(t.BoundsOf(t.Colour(kInk)), r));

  // Given advances place each character where the caller says.
  Target spaced(100, 30, PixelFormat::kRgb565);
  Prepare(spaced);
  const INT dx[2] = {30, 30};
  ExtTextOut(spaced.dc(), 0, 0, 0, nullptr, "ll", 2, dx);
  const RECT l2 = spaced.BoundsOf(spaced.Colour(kInk));
  EXPECT_GE(l2.right - l2.left, 30);
}

class DrawTextTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    Prepare(t_);
  }
  int Draw(const char* s, RECT r, UINT format) { return DrawText(t_.dc(), s, -1, &r, format); }
  Target t_{300, 200, PixelFormat::kRgb565};
};

// Lines end before the word that would cross the right edge; a rectangle just
// wide enough for two words keeps two, one pixel less keeps one.
TEST_F(DrawTextTest, WordBreakCountsLinesByWidth) {
  const int word = Width(t_, "mmmm"), space = Width(t_, " ");
  const char* six = "mmmm mmmm mmmm mmmm mmmm mmmm";
  RECT fits{0, 0, 2 * word + space, 0};
  EXPECT_EQ(DrawText(t_.dc(), six, -1, &fits, DT_WORDBREAK | DT_CALCRECT), 3 * 16);
  EXPECT_EQ(fits.right, 2 * word + space);
  RECT tight{0, 0, 2 * word + space - 1, 0};
  EXPECT_EQ(DrawText(t_.dc(), six, -1, &tight, DT_WORDBREAK | DT_CALCRECT), 6 * 16);
  EXPECT_EQ(std::make_tuple(tight.right, tight.bottom), std::make_tuple(word, 6 * 16));
  // Blanks at a break are dropped: a run of them still breaks once.
  RECT runs{0, 0, 2 * word + space, 0};
  EXPECT_EQ(DrawText(t_.dc(), "mmmm     mmmm mmmm", -1, &runs, DT_WORDBREAK | DT_CALCRECT), 2 * 16);
  // A word wider than the rectangle is cut between characters.
  const int m = Width(t_, "m");
  RECT narrow{0, 0, 3 * m + 1, 0};
  EXPECT_EQ(DrawText(t_.dc(), "mmmmmmmmmm", -1, &narrow, DT_WORDBREAK | DT_CALCRECT), 4 * 16);
  // Without word breaks a long line stays one line.
  RECT one{0, 0, 10, 0};
  EXPECT_EQ(DrawText(t_.dc(), six, -1, &one, DT_CALCRECT), 16);
}

TEST_F(DrawTextTest, LineEndsAndSingleLine) {
  EXPECT_EQ(Draw("a\r\nb\nc\rd", RECT{0, 0, 300, 200}, 0), 4 * 16);
  EXPECT_EQ(Draw("a\n", RECT{0, 0, 300, 200}, 0), 16);
  EXPECT_EQ(Draw("\n\n", RECT{0, 0, 300, 200}, 0), 2 * 16);
  EXPECT_EQ(Draw("a\r\nb", RECT{0, 0, 300, 200}, DT_SINGLELINE), 16);
  EXPECT_EQ(Draw("", RECT{0, 0, 300, 200}, 0), 0);
  EXPECT_EQ(DrawText(t_.dc(), "abc", 0, nullptr, 0), 0);
  RECT r{0, 0, 300, 200};
  EXPECT_EQ(DrawText(t_.dc(), "two\nlines", 3, &r, 0), 16);  // the count stops before the line end
  const TEXTMETRIC tm = Metrics(t_);
  ASSERT_GT(tm.tmExternalLeading, 0);
  EXPECT_EQ(Draw("a\nb\nc", RECT{0, 0, 300, 200}, DT_EXTERNALLEADING), 3 * (16 + tm.tmExternalLeading));
}

TEST_F(DrawTextTest, VerticalCentringReturnsTheBottomOfTheText) {
  // A single line in a 40-pixel box sits 12 pixels down; the result is where it ends.
  EXPECT_EQ(Draw("Centre", RECT{10, 100, 200, 140}, DT_SINGLELINE | DT_VCENTER | DT_CENTER), 12 + 16);
  const int w = Width(t_, "Centre"), left = 10 + (190 - w) / 2;
  EXPECT_TRUE(Within(t_.BoundsOf(t_.Colour(kInk)), RECT{left, 112, left + w + 1, 128}));
  EXPECT_EQ(Draw("Low", RECT{0, 0, 100, 40}, DT_SINGLELINE | DT_BOTTOM), 40);
  // Vertical placement is for single lines only.
  EXPECT_EQ(Draw("Top", RECT{0, 0, 100, 40}, DT_VCENTER), 16);
}

TEST_F(DrawTextTest, RightAlignmentEndsAtTheEdge) {
  Draw("Right", RECT{0, 0, 150, 20}, DT_RIGHT);
  const RECT ink = t_.BoundsOf(t_.Colour(kInk));
  EXPECT_LE(ink.right, 150);
  EXPECT_GE(ink.right, 150 - 3);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
  Draw("A long line of text", RECT{20, 20, 60, 30}, 0);
  EXPECT_TRUE(Within(t_.BoundsOf(t_.Colour(kInk)), RECT{20, 20, 60, 30}));
  Target free(300, 200, PixelFormat::kRgb565);
  Prepare(free);
  RECT r{20, 20, 60, 30};
  DrawText(free.dc(), "A long line of text", -1, &r, DT_NOCLIP);
  const RECT ink = free.BoundsOf(free.Colour(kInk));
  EXPECT_GT(ink.right, 60);
  EXPECT_GT(ink.bottom, 30);
}

TEST_F(DrawTextTest, CalcRectDrawsNothing) {
  RECT r{5, 5, 300, 5};
  EXPECT_EQ(DrawText(t_.dc(), "Quit the game?", -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK), 16);
  EXPECT_EQ(r.right, 5 + Width(t_, "Quit the game?"));
  EXPECT_EQ(r.bottom, 21);
  EXPECT_EQ(t_.Count(t_.Colour(kInk)), 0);
}

TEST_F(DrawTextTest, AmpersandsMarkTheNextCharacter) {
  const struct {
    const char *text, *measured;
    UINT extra;
  } cases[] = {{"&Save", "Save", 0}, {"R&&D", "R&D", 0}, {"R&&D", "R&&D", DT_NOPREFIX}};
  for (const auto& c : cases) {
    RECT r{0, 0, 300, 0};
    DrawText(t_.dc(), c.text, -1, &r, DT_CALCRECT | c.extra);
    EXPECT_EQ(r.right, Width(t_, c.measured)) << c.text << " " << c.extra;
  }

  // The marked character is underlined below the baseline.
  Draw("&Save", RECT{0, 0, 300, 40}, 0);
  const RECT ink = t_.BoundsOf(t_.Colour(kInk));
  EXPECT_GT(ink.bottom, Metrics(t_).tmAscent);
}

// The DC's text alignment does not move DrawText's lines.
TEST_F(DrawTextTest, IgnoresTheTextAlignment) {
  Target plain(300, 200, PixelFormat::kRgb565);
  Prepare(plain);
  RECT r{10, 40, 200, 80};
  DrawText(plain.dc(), "Panel text", -1, &r, DT_CENTER);
  SetTextAlign(t_.dc(), TA_BOTTOM | TA_RIGHT);
  Draw("Panel text", RECT{10, 40, 200, 80}, DT_CENTER);
  EXPECT_TRUE(SamePixels(plain, t_));
}

}  // namespace
}  // namespace gditest
