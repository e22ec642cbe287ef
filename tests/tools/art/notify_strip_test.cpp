// The notification panel writes its lines over two generated pictures: its
// ground, and the lit twin the selected line's band is cut from. Every text
// colour the panel uses must stay readable on both, in every guild's look.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Game/panels/NotifyColours.h"
#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

constexpr int kBand = 16;
// Where a line's text and its shadow fall within its band, from the panel's
// drawing positions: columns from 12 to short of the scroll buttons, rows 1..15.
constexpr int kTextLeft = 12;
constexpr int kTextTop = 1, kTextBottom = 15;

double Linear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

double Luminance(int r, int g, int b) {
  return 0.2126 * Linear(r / 255.0) + 0.7152 * Linear(g / 255.0) + 0.0722 * Linear(b / 255.0);
}

double Luminance(plat::COLORREF c) { return Luminance(plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)); }

double PixelLuminance(std::uint32_t argb) { return Luminance((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// The brightest and darkest ground under the text of every line.
struct Ground {
  double brightest = 0, darkest = 1;
};
Ground UnderText(const art::Pixels& image) {
  Ground g;
  for (int top = 0; top + kBand <= image.height; top += kBand)
    for (int y = top + kTextTop; y < top + kTextBottom; ++y)
      for (int x = kTextLeft; x < image.width - 1; ++x) {
        const double l = PixelLuminance(image.argb[y * image.width + x]);
        g.brightest = std::max(g.brightest, l);
        g.darkest = std::min(g.darkest, l);
      }
  return g;
}

art::Pixels Draw(int guild, const char* name) {
  const std::string module = "ART/GUILD" + std::to_string(guild + 1) + "/guild.dll";
  const art::Container* c = ProjectInventory().FindContainer(module);
  if (!c) ADD_FAILURE() << module;
  const art::Asset* asset = c ? c->Find(name) : nullptr;
  if (!asset) {
    ADD_FAILURE() << module << " lacks " << name;
    return {};
  }
  return art::DrawImage(*asset, guild);
}

std::vector<plat::COLORREF> TextColours() {
  std::vector<plat::COLORREF> out{notify_colours::kRead};
  for (const auto& c : notify_colours::kCategories) out.push_back(c.unread);
  return out;
}

}  // namespace

TEST(NotifyStrip, EveryLineColourReadsOnTheGroundAndOnTheSelection) {
  for (int guild = 0; guild < 5; ++guild) {
    for (const char* name : {"notbackg.ima", "notfaded.ima"}) {
      const art::Pixels image = Draw(guild, name);
      ASSERT_EQ(image.width, 579) << name;
      ASSERT_EQ(image.height, 96) << name;
      const Ground g = UnderText(image);
      for (plat::COLORREF text : TextColours())
        EXPECT_GE(Contrast(Luminance(text), g.brightest), 4.5)
            << name << " guild " << guild << " text " << std::hex << text;
    }
  }
}

// The selected band is told from the others by its rules, which must stand
// out from the ordinary ground as a control's edge would (3:1).
TEST(NotifyStrip, TheSelectedBandStandsOutFromTheGround) {
  for (int guild = 0; guild < 5; ++guild) {
    const art::Pixels ground = Draw(guild, "notbackg.ima");
    const art::Pixels lit = Draw(guild, "notfaded.ima");
    ASSERT_EQ(lit.argb.size(), ground.argb.size());
    const double groundLevel = UnderText(ground).brightest;
    for (int top = 0; top < lit.height; top += kBand) {
      double rule = 1;
      for (int x = kTextLeft; x < lit.width - 1; ++x)
        for (int y : {top, top + kBand - 1}) rule = std::min(rule, PixelLuminance(lit.argb[y * lit.width + x]));
      EXPECT_GE(Contrast(rule, groundLevel), 3.0) << "guild " << guild << " band at " << top;
    }
  }
}

// Both pictures go on the screen with black as their colour key: a ground
// that dark enough to lose all of its 16-bit colour would show through.
TEST(NotifyStrip, NoPixelVanishesIntoTheColourKey) {
  for (int guild = 0; guild < 5; ++guild)
    for (const char* name : {"notbackg.ima", "notfaded.ima"}) {
      const art::Pixels image = Draw(guild, name);
      const auto keyed = std::count_if(image.argb.begin(), image.argb.end(), [](std::uint32_t p) {
        return ((p >> 19) & 0x1F) == 0 && ((p >> 10) & 0x3F) == 0 && ((p >> 3) & 0x1F) == 0;
      });
      EXPECT_EQ(keyed, 0) << name << " guild " << guild;
    }
}
