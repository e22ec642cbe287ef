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

// A panel's picture for a guild with its title and without, same size.
struct TitledAndBare {
  art::Pixels withTitle, without;
};
TitledAndBare DrawPanel(const char* name, int width, int height, const char* title, int guild) {
  art::Asset titled;
  titled.name = name;
  titled.kind = "panel";
  titled.width = width;
  titled.height = height;
  titled.label = title;
  art::Asset bare = titled;
  bare.label.clear();
  return {art::DrawImage(titled, guild), art::DrawImage(bare, guild)};
}

}  // namespace

TEST(TradePanels, TheTitleStaysClearOfTheMineralPictureAndStillShows) {
  for (const char* name : {"buymins.ima", "sellmins.ima"}) {
    for (int guild = 0; guild < 5; ++guild) {
      const auto [withTitle, without] = DrawPanel(name, 590, 372, "Buy Resources", guild);
      ASSERT_EQ(withTitle.argb.size(), without.argb.size());
      EXPECT_EQ(Differing(withTitle, without, 78, 12, 248, 75), 0) << name << " guild " << guild;
      EXPECT_GT(Differing(withTitle, without, 248, 0, 590, 40), 50) << name << " guild " << guild;
    }
  }
}

// The set-price dialog draws its "Buy For" label at (140, 16), 84 x 15, in bid
// mode: the panel's own title must leave that place to it.
TEST(TradePanels, TheSetPriceTitleLeavesTheBuyForPlaceClear) {
  for (int guild = 0; guild < 5; ++guild) {
    const auto [withTitle, without] = DrawPanel("setprice.ima", 306, 351, "Set Price", guild);
    ASSERT_EQ(withTitle.argb.size(), without.argb.size());
    EXPECT_EQ(Differing(withTitle, without, 140, 16, 224, 31), 0) << "guild " << guild;
    EXPECT_GT(Differing(withTitle, without, 0, 0, 140, 40), 50) << "guild " << guild;
  }
}
