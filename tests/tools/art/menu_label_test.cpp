// Popup menu items are 100 x 20 pictures stacked in one column: a long label
// must read as tall as the short ones beside it and still fit its item.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

// The rows and columns the label's lettering (the guild's accent) spans.
struct Ink {
  int top = 1000, bottom = -1, left = 1000, right = -1;
};

Ink ItemInk(int guild, const char* name) {
  const art::Container* c = ProjectInventory().FindContainer("ART/GUILD" + std::to_string(guild + 1) + "/guild.dll");
  const art::Asset* asset = c ? c->Find(name) : nullptr;
  EXPECT_NE(asset, nullptr) << name;
  if (!asset) return {};
  const art::Pixels image = art::DrawImage(*asset, guild);
  const art::Rgb accent = art::PaletteFor(guild).accent;
  Ink ink;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.argb[y * image.width + x];
      if (std::abs(((p >> 16) & 0xFF) / 255.0 - accent.r) + std::abs(((p >> 8) & 0xFF) / 255.0 - accent.g) +
              std::abs((p & 0xFF) / 255.0 - accent.b) >
          0.12)
        continue;
      ink = {std::min(ink.top, y), std::max(ink.bottom, y), std::min(ink.left, x), std::max(ink.right, x)};
    }
  return ink;
}

}  // namespace

// "Distribute Resources" shares the asteroid menu with "Select for Vote" and
// "Go to Surface"; shrunk to fit, it came out at two thirds of their height.
TEST(MenuLabels, ALongLabelIsAsTallAsItsNeighboursAndFits) {
  for (int guild = 0; guild < 5; ++guild) {
    const Ink longOne = ItemInk(guild, "pmdstres.ima");
    for (const char* neighbour : {"pmselvot.ima", "pmgoterr.ima"}) {
      const Ink shortOne = ItemInk(guild, neighbour);
      EXPECT_GE((longOne.bottom - longOne.top) * 10, (shortOne.bottom - shortOne.top) * 8) << guild << neighbour;
    }
    EXPECT_TRUE(longOne.left >= 2 && longOne.right <= 97) << "guild " << guild;
  }
}
