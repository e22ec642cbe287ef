// The buy and sell dialogs lay the offered mineral's picture over the top
// left of their panel: nothing of the panel's title may sit under it.

#include <gtest/gtest.h>

#include "tools/art/looks.h"

namespace {

// Pixels of `image` inside the box that differ from `bare`'s.
int Differing(const art::Pixels& image, const art::Pixels& bare, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += image.argb[y * image.width + x] != bare.argb[y * bare.width + x];
  return n;
}

}  // namespace

TEST(TradePanels, TheTitleStaysClearOfTheMineralPictureAndStillShows) {
  for (const char* name : {"buymins.ima", "sellmins.ima"}) {
    art::Asset titled;
    titled.name = name;
    titled.kind = "panel";
    titled.width = 590;
    titled.height = 372;
    titled.label = "Buy Resources";
    art::Asset bare = titled;
    bare.label.clear();
    for (int guild = 0; guild < 5; ++guild) {
      const art::Pixels withTitle = art::DrawImage(titled, guild);
      const art::Pixels without = art::DrawImage(bare, guild);
      ASSERT_EQ(withTitle.argb.size(), without.argb.size());
      EXPECT_EQ(Differing(withTitle, without, 78, 12, 248, 75), 0) << name << " guild " << guild;
      EXPECT_GT(Differing(withTitle, without, 248, 0, 590, 40), 50) << name << " guild " << guild;
    }
  }
}

// The set-price dialog draws its "Buy For" label at (140, 16), 84 x 15, in bid
// mode: the panel's own title must leave that place to it.
TEST(TradePanels, TheSetPriceTitleLeavesTheBuyForPlaceClear) {
  art::Asset titled;
  titled.name = "setprice.ima";
  titled.kind = "panel";
  titled.width = 306;
  titled.height = 351;
  titled.label = "Set Price";
  art::Asset bare = titled;
  bare.label.clear();
  for (int guild = 0; guild < 5; ++guild) {
    const art::Pixels withTitle = art::DrawImage(titled, guild);
    const art::Pixels without = art::DrawImage(bare, guild);
    ASSERT_EQ(withTitle.argb.size(), without.argb.size());
    EXPECT_EQ(Differing(withTitle, without, 140, 16, 224, 31), 0) << "guild " << guild;
    EXPECT_GT(Differing(withTitle, without, 0, 0, 140, 40), 50) << "guild " << guild;
  }
}
