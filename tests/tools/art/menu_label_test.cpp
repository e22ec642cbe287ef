// Popup menu items are 100 x 20 pictures stacked in one column: a long label
// must read as tall as the short ones beside it and still fit its item.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

// Rows and columns holding the label's lettering (the palette's accent colour).
struct Ink {
  int top = 1000, bottom = -1, left = 1000, right = -1;
  int Height() const { return bottom - top + 1; }
};

Ink LabelInk(const art::Pixels& image, const art::Rgb& accent) {
  Ink ink;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.argb[y * image.width + x];
      const double r = ((p >> 16) & 0xFF) / 255.0, g = ((p >> 8) & 0xFF) / 255.0, b = (p & 0xFF) / 255.0;
      if (std::abs(r - accent.r) + std::abs(g - accent.g) + std::abs(b - accent.b) > 0.12) continue;
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
    }
  return ink;
}

Ink ItemInk(int guild, const char* name) {
  const art::Container* c = ProjectInventory().FindContainer("ART/GUILD" + std::to_string(guild + 1) + "/guild.dll");
  const art::Asset* asset = c ? c->Find(name) : nullptr;
  if (!asset) {
    ADD_FAILURE() << name;
    return {};
  }
  return LabelInk(art::DrawImage(*asset, guild), art::PaletteFor(guild).accent);
}

}  // namespace

// "Distribute Resources" shares the asteroid menu with "Select for Vote" and
// "Go to Surface"; shrunk to fit, it came out at two thirds of their height.
TEST(MenuLabels, ALongLabelIsAsTallAsItsNeighboursAndFits) {
  for (int guild = 0; guild < 5; ++guild) {
    const Ink longOne = ItemInk(guild, "pmdstres.ima");
    for (const char* neighbour : {"pmselvot.ima", "pmgoterr.ima"}) {
      const Ink shortOne = ItemInk(guild, neighbour);
      ASSERT_GT(shortOne.Height(), 0) << neighbour;
      EXPECT_GE(longOne.Height() * 10, shortOne.Height() * 8) << "guild " << guild << " beside " << neighbour;
    }
    EXPECT_GE(longOne.left, 2) << "guild " << guild;
    EXPECT_LE(longOne.right, 97) << "guild " << guild;
  }
}
