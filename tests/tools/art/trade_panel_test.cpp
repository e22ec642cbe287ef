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

namespace {

double Lightest(const art::Pixels& image, int x0, int y0, int x1, int y1) {
  double most = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t p = image.argb[y * image.width + x];
      most = std::max(most,
                      art::Rgb{((p >> 16) & 0xFF) / 255.0, ((p >> 8) & 0xFF) / 255.0, (p & 0xFF) / 255.0}.Luminance());
    }
  return most;
}

// The amount field (129, 65) and its arrows, 38 x 21, over a picture at (78, 12)
// cover its columns 51 to 89 from row 53 down: there lies bare plate, as light as
// the plate's left end on the same rows and no lighter.
void ExpectPlateUnderTheAmount(const art::Pixels& image, int left, int top, const std::string& what) {
  const double plate = Lightest(image, left + 4, top + 53, left + 12, top + 63);
  EXPECT_LE(Lightest(image, left + 49, top + 53, left + 91, top + 63), plate + 0.005) << what;
}

}  // namespace

TEST(TradePanels, TheMineralPicturesLeaveTheAmountFieldBarePlate) {
  for (int guild = 0; guild < 5; ++guild) {
    for (const char* name : {"buymins.ima", "sellmins.ima"})
      ExpectPlateUnderTheAmount(DrawPanel(name, 590, 372, "", guild).without, 78, 12, name + std::to_string(guild));
    for (const char* name : {"smsili.ima", "smexot.ima", "smreac.ima"}) {
      art::Asset picture;
      picture.name = name;
      picture.kind = "picture";
      picture.width = 170;
      picture.height = 63;
      picture.label = "resource";
      ExpectPlateUnderTheAmount(art::DrawImage(picture, guild), 0, 0, name + std::to_string(guild));
    }
  }
}
