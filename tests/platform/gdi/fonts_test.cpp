// Faces, sizes and widths of the fonts the game makes.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/gdi/fontface.h"
#include "platform/gdi/text.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

HFONT Font(const char* face, int height, int weight) {
  return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, face);
}

std::string FileOf(HFONT font) { return gdi_impl::FindFont(font)->realized->Path(); }

TEST(Fonts, ClassicFacesMapToTheirMetricTwins) {
  HFONT times = Font("Times New Roman", 16, 400);
  HFONT medium = Font("times new roman", 15, 500);
  HFONT semibold = Font("Times New Roman", 16, 600);
  HFONT bold = Font("Times New Roman Bold", 13, 600);
  HFONT angular = Font("Angular3", 5, 400);
  ASSERT_TRUE(times && medium && semibold && bold && angular);
  EXPECT_NE(FileOf(times).find("LiberationSerif-Regular"), std::string::npos) << FileOf(times);
  EXPECT_EQ(FileOf(medium), FileOf(times));
  EXPECT_NE(FileOf(semibold).find("LiberationSerif-Bold"), std::string::npos) << FileOf(semibold);
  EXPECT_EQ(FileOf(bold), FileOf(semibold));
  EXPECT_NE(FileOf(angular).find("DejaVuSansCondensed-Bold"), std::string::npos) << FileOf(angular);
  EXPECT_EQ(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, nullptr), nullptr);
  EXPECT_EQ(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, ""), nullptr);
  for (HFONT f : {times, medium, semibold, bold, angular}) EXPECT_TRUE(DeleteObject(f));
}

// Positive heights are cells, negative ones em sizes; the small face never
// goes below its legible size.
TEST(Fonts, HeightsFollowTheClassicRule) {
  Target t(8, 8, PixelFormat::kRgb565);
  TEXTMETRIC tm;
  for (int h : {12, 13, 14, 15, 16}) {
    HFONT f = Font("Times New Roman", h, 400);
    SelectObject(t.dc(), f);
    ASSERT_TRUE(GetTextMetrics(t.dc(), &tm));
    EXPECT_EQ(tm.tmHeight, h);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
    EXPECT_GT(tm.tmInternalLeading, 0);
    DeleteObject(f);
  }
  HFONT em = Font("Times New Roman", -16, 400);
  SelectObject(t.dc(), em);
  ASSERT_TRUE(GetTextMetrics(t.dc(), &tm));
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);
  EXPECT_GT(tm.tmHeight, 16);

  HFONT angular = Font("Angular3", 5, 400);
  SelectObject(t.dc(), angular);
  ASSERT_TRUE(GetTextMetrics(t.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 9);
  DeleteObject(em);
  DeleteObject(angular);
}

// Layouts were measured in Times New Roman; every glyph of the stand-in keeps
// Times' advance (design units of 2048 per em), give or take the pixel by which
// hinting may round it the other way, and extents add the advances up.
TEST(Fonts, WidthsMatchTimesAdvances) {
  const std::string chars = " AMWaeimorsn0";
  const int design[] = {512, 1479, 1821, 1933, 909, 909, 569, 1593, 1024, 682, 797, 1024, 1024};
  Target t(8, 8, PixelFormat::kRgb565);
  for (int h : {12, 14, 15, 16}) {
    HFONT f = Font("Times New Roman", h, 400);
    SelectObject(t.dc(), f);
    TEXTMETRIC tm;
    GetTextMetrics(t.dc(), &tm);
    const double em = tm.tmHeight - tm.tmInternalLeading;
    int sum = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
      SIZE s;
      ASSERT_TRUE(GetTextExtentPoint32(t.dc(), &chars[i], 1, &s));
      EXPECT_LT(std::abs(s.cx - design[i] * em / 2048.0), 1.5) << "'" << chars[i] << "' at " << h;
      EXPECT_EQ(s.cy, h);
      sum += s.cx;
    }
    SIZE all;
    GetTextExtentPoint32(t.dc(), chars.data(), static_cast<int>(chars.size()), &all);
    EXPECT_EQ(all.cx, sum);
    DeleteObject(f);
  }
  SIZE none;
  EXPECT_TRUE(GetTextExtentPoint32(t.dc(), "x", 0, &none));
  EXPECT_EQ(none.cx, 0);
  EXPECT_FALSE(GetTextExtentPoint32(t.dc(), "x", -1, &none));
}

}  // namespace
}  // namespace gditest
