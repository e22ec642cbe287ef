// What a player reads off the generated art: every control's label stands at
// least 9 pixels tall within its picture, and the data panel's ground carries
// each colour the panel writes in as well as any ground can.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "Game/model/GGuild.h"
#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

double Luminance(std::uint32_t rgb) {
  const auto linear = [](std::uint32_t v) {
    const double c = (v & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(rgb >> 16) + 0.7152 * linear(rgb >> 8) + 0.0722 * linear(rgb);
}
double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }
// A COLORREF (red in the low byte) as 0xRRGGBB.
std::uint32_t FromColorRef(std::uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

struct Ink {
  int top = 1 << 20, bottom = -1, left = 1 << 20, right = -1;
  int Rows() const { return bottom < top ? 0 : bottom - top + 1; }
};

double Lightness(std::uint32_t argb) { return Luminance(argb & 0xFFFFFF); }

// The rows and columns where the label's lettering lies: the pixels that its
// light colour lifts at least half way above the control drawn without it.
Ink LabelInk(const art::Asset& a, int guild) {
  art::Asset bare = a;
  bare.label.clear();
  const art::Pixels image = art::DrawImage(a, guild), plate = art::DrawImage(bare, guild);
  const art::Rgb colour = art::PaletteFor(guild).accent;
  const double text = colour.Luminance();
  Ink ink;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
      const double under = Lightness(plate.argb[i]);
      if (Lightness(image.argb[i]) - under <= 0.5 * (text - under)) continue;
      ink = {std::min(ink.top, y), std::max(ink.bottom, y), std::min(ink.left, x), std::max(ink.right, x)};
    }
  return ink;
}

bool Lettered(const art::Asset& a) {
  static const std::set<std::string> kinds = {"button", "check", "choice"};
  static const std::set<std::string> drawnShapes = {"^", "v", "<", ">"};
  return kinds.count(a.kind) && a.state == art::ButtonState::Normal && !a.label.empty() &&
         !drawnShapes.count(a.label) && a.label.rfind("swatch ", 0) != 0;
}

}  // namespace

// The configuration screen's 10-pixel check bars, the battle plans' 11- to
// 17-pixel target buttons and the 12-pixel Delete and list buttons had
// lettering of 5 to 7 pixels.
TEST(ArtLegibility, EveryControlLabelIsAtLeastNinePixelsTallAndInsideItsPicture) {
  int checked = 0;
  for (const art::Container& module : ProjectInventory().containers) {
    for (const art::Asset& a : module.assets) {
      if (!Lettered(a)) continue;
      const Ink ink = LabelInk(a, module.guild);
      // A button too narrow for a word across carries it upwards.
      const bool upwards = a.height > 2.5 * a.width && a.label.size() > 1;
      const int tall = upwards ? ink.right - ink.left + 1 : ink.Rows();
      const bool inside =
          upwards ? ink.top >= 1 && ink.bottom <= a.height - 2 : ink.left >= 1 && ink.right <= a.width - 2;
      EXPECT_GE(tall, 9) << module.path << " " << a.name << " \"" << a.label << "\"";
      EXPECT_TRUE(inside) << module.path << " " << a.name << " \"" << a.label << "\" runs off its picture";
      ++checked;
    }
  }
  EXPECT_GE(checked, 200);
}

// The data panel writes most read-outs in the guild's pale colour and the
// template lists in its dark (and, for the chosen or affordable template,
// bright) colour on one backdrop. No ground gives the pale colour 4.5:1 and
// the dark ones more than black does, so: pale at 4.5:1 or more, and dark and
// bright within a tenth of what they reach on black.
TEST(ArtLegibility, TheDataPanelGroundCarriesEveryColourOfItsRows) {
  for (int guild = 0; guild < 5; ++guild) {
    const art::Container* module =
        ProjectInventory().FindContainer("ART/GUILD" + std::to_string(guild + 1) + "/guild.dll");
    ASSERT_NE(module, nullptr);
    const art::Asset* asset = module->Find("datafil.ima");
    ASSERT_NE(asset, nullptr);
    const art::Pixels image = art::DrawImage(*asset, guild);
    ASSERT_TRUE(image.width == 132 && image.height == 263);
    // Rows 0..18 from 6 pixels down, from column 3 to the right edge.
    double ground = 0;
    for (int y = 6; y < 6 + 19 * 13; ++y)
      for (int x = 3; x < image.width; ++x) ground = std::max(ground, Luminance(image.argb[y * image.width + x]));
    const double pale = Luminance(FromColorRef(GetPaleColor(guild)));
    EXPECT_GE(Contrast(pale, ground), 4.5) << "guild " << guild;
    for (std::uint32_t c : {GetDarkColor(guild), GetBrightColor(guild)}) {
      const double l = Luminance(FromColorRef(c));
      EXPECT_GE(Contrast(l, ground), 0.9 * Contrast(l, 0.0)) << "guild " << guild << " colour " << std::hex << c;
    }
  }
}

// The design chamber lays the hull picture over its backdrop keyed on black
// (16-bit black): a faint pixel alone amid keyed ones shows as a dark speck.
TEST(ArtLegibility, TheChamberHullPicturesLeaveNoSpecks) {
  const art::Container* module = ProjectInventory().FindContainer("ART/GUILD1/guild.dll");
  ASSERT_NE(module, nullptr);
  const auto keyed = [](std::uint32_t p) { return (p & 0xF8FCF8) == 0; };
  int pictures = 0;
  for (const art::Asset& a : module->assets) {
    if (a.label != "hull") continue;
    for (int guild = 0; guild < 5; ++guild) {
      const art::Pixels image = art::DrawImage(a, guild);
      int specks = 0;
      for (int y = 1; y + 1 < image.height; ++y)
        for (int x = 1; x + 1 < image.width; ++x) {
          if (keyed(image.argb[y * image.width + x])) continue;
          bool alone = true;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              if ((dx || dy) && !keyed(image.argb[(y + dy) * image.width + x + dx])) alone = false;
          specks += alone;
        }
      EXPECT_EQ(specks, 0) << a.name << " guild " << guild;
    }
    ++pictures;
  }
  EXPECT_EQ(pictures, 11);
}
