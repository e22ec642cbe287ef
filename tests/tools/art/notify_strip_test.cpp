// The notification panel writes its lines over two generated pictures: its
// ground, and the lit twin the selected line's band is cut from. Every text
// colour the panel uses must read on both, in every guild's look.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Game/panels/NotifyColours.h"
#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

// A line's text and shadow cover, within its 16-row band, rows 1..14 from
// column 12 to short of the scroll buttons over the last column.
constexpr int kBand = 16;
constexpr int kTextLeft = 12;

double Luminance(std::uint32_t rgb) {
  const auto linear = [](std::uint32_t v) {
    const double c = (v & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(rgb >> 16) + 0.7152 * linear(rgb >> 8) + 0.0722 * linear(rgb);
}
double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }
std::uint32_t Rgb(plat::COLORREF c) { return plat::GetRValue(c) << 16 | plat::GetGValue(c) << 8 | plat::GetBValue(c); }

double BrightestUnderText(const art::Pixels& image) {
  double most = 0;
  for (int top = 0; top < image.height; top += kBand)
    for (int y = top + 1; y < top + kBand - 1; ++y)
      for (int x = kTextLeft; x < image.width - 1; ++x)
        most = std::max(most, Luminance(image.argb[y * image.width + x]));
  return most;
}

art::Pixels Draw(int guild, const char* name) {
  const art::Container* c = ProjectInventory().FindContainer("ART/GUILD" + std::to_string(guild + 1) + "/guild.dll");
  const art::Asset* asset = c ? c->Find(name) : nullptr;
  EXPECT_NE(asset, nullptr) << name;
  return asset ? art::DrawImage(*asset, guild) : art::Pixels{};
}

}  // namespace

TEST(NotifyStrip, EveryLineColourReadsOnTheGroundAndOnTheSelectionAndNothingIsKeyedOut) {
  for (int guild = 0; guild < 5; ++guild)
    for (const char* name : {"notbackg.ima", "notfaded.ima"}) {
      const art::Pixels image = Draw(guild, name);
      ASSERT_TRUE(image.width == 579 && image.height == 96) << name;
      const double ground = BrightestUnderText(image);
      // Black is the pictures' colour key: a ground so dark it loses all of its
      // 16-bit colour would let the screen behind show through.
      EXPECT_EQ(
          std::count_if(image.argb.begin(), image.argb.end(), [](std::uint32_t p) { return (p & 0xF8FCF8) == 0; }), 0)
          << name << " guild " << guild;
      EXPECT_GE(Contrast(Luminance(Rgb(notify_colours::kRead)), ground), 4.5) << name << " guild " << guild;
      for (const auto& category : notify_colours::kCategories)
        EXPECT_GE(Contrast(Luminance(Rgb(category.unread)), ground), 4.5) << name << " guild " << guild;
    }
}

// The selection shows by rules on its band's edge rows, which must stand out
// from the ordinary ground as a control's edge would (3:1).
TEST(NotifyStrip, TheSelectedBandStandsOutFromTheGround) {
  for (int guild = 0; guild < 5; ++guild) {
    const double ground = BrightestUnderText(Draw(guild, "notbackg.ima"));
    const art::Pixels lit = Draw(guild, "notfaded.ima");
    for (int top = 0; top < lit.height; top += kBand)
      for (int y : {top, top + kBand - 1})
        for (int x = kTextLeft; x < lit.width - 1; ++x)
          ASSERT_GE(Contrast(Luminance(lit.argb[y * lit.width + x]), ground), 3.0) << "guild " << guild << " row " << y;
  }
}
