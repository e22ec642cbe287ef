// The guilds' unit pictures as the data build draws them: each guild's ships
// show their plates and their trim, the same class and view looks different
// for each guild, and a contact sheet of a few ships per guild, coloured by the
// guild's own palette, is written for review
// (build/<preset>/contact/guild_ships.png).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/display/backend.h"
#include "tools/content3d/studio.h"

namespace {

// The guild's "units.pal" as the catalog writes it: the last index, then
// red, green, blue and a spare byte per colour.
std::vector<std::uint32_t> GuildColours(const std::vector<content3d::Asset>& assets, int guild) {
  const std::string name = "GUILD" + std::to_string(guild + 1) + "\\units.pal";
  const auto at = std::find_if(assets.begin(), assets.end(), [&](const auto& a) { return a.path == name; });
  std::vector<std::uint32_t> rgb(256, 0);
  if (at == assets.end() || at->data.size() != 1 + 4 * 256u) {
    ADD_FAILURE() << name;
    return rgb;
  }
  for (std::size_t i = 0; i < 256; ++i) {
    const auto* c = &at->data[1 + 4 * i];
    rgb[i] = (std::uint32_t{c[0]} << 16) | (std::uint32_t{c[1]} << 8) | c[2];
  }
  return rgb;
}

TEST(GuildShips, EachGuildDrawsItsOwnShipsWithTrim) {
  content3d::Studio studio;
  std::vector<content3d::Asset> assets;
  content3d::AddUnitPictures(&assets, content3d::PlaceholderPicture);
  // General purpose, station, armed station, scout, destroyer, cruiser,
  // battleship and the wreck; from ahead and above, and from above.
  const std::uint32_t classes[] = {0, 1, 2, 3, 8, 9, 10, 11};
  const int codes[] = {6, 10};
  const int side = static_cast<int>(content3d::kUnitPictureSide), cell = 2 * side;
  plat::Image sheet;
  sheet.width = cell * static_cast<int>(std::size(classes) * std::size(codes));
  sheet.height = cell * 5;
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0x101020);
  std::vector<std::vector<content3d::Image>> byGuild(5);
  for (int g = 0; g < 5; ++g) {
    const auto colours = GuildColours(assets, g);
    EXPECT_NE(colours[100], colours[220]) << "plates and trim share a colour, guild " << g;
    int column = 0;
    for (const auto c : classes) {
      const auto hull = content3d::MakeHullMesh(static_cast<std::uint32_t>(g), c);
      for (const int code : codes) {
        const auto picture = studio.Picture(hull, content3d::ViewCodeDirection(code), content3d::kUnitPictureSide);
        std::size_t plates = 0, trim = 0;
        for (const auto t : picture) {
          plates += t != 0 && t < content3d::kTrimTexel;
          trim += t >= content3d::kTrimTexel;
        }
        EXPECT_GT(plates, 150u) << "guild " << g << " class " << c << " code " << code;
        if (c != 11) {
          EXPECT_GT(trim, 4u) << "guild " << g << " class " << c << " code " << code;
        }
        byGuild[static_cast<std::size_t>(g)].push_back(picture);
        for (int y = 0; y < cell; ++y)
          for (int x = 0; x < cell; ++x) {
            const std::uint8_t t = picture[static_cast<std::size_t>(y / 2 * side + x / 2)];
            if (t != 0)
              sheet.rgb[static_cast<std::size_t>(g * cell + y) * sheet.width + column * cell + x] = colours[t];
          }
        ++column;
      }
    }
  }
  // The same class from the same view: no two guilds alike, in outline.
  for (std::size_t k = 0; k < byGuild[0].size(); ++k)
    for (int g = 0; g < 5; ++g)
      for (int h = g + 1; h < 5; ++h) {
        const auto& a = byGuild[static_cast<std::size_t>(g)][k];
        const auto& b = byGuild[static_cast<std::size_t>(h)][k];
        std::size_t differ = 0, either = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
          differ += (a[i] != 0) != (b[i] != 0);
          either += a[i] != 0 || b[i] != 0;
        }
        EXPECT_GT(differ * 10, either) << "picture " << k << " guilds " << g << " and " << h;
      }
  const std::filesystem::path out = std::filesystem::path(QUEN_BUILD_DIR) / "contact" / "guild_ships.png";
  std::filesystem::create_directories(out.parent_path());
  EXPECT_TRUE(plat::WritePng(out, sheet));
}

// From the start camera the views look across the plane the ships fly in and
// show the level row of pictures (codes 2, 7, 12, ...): a ship there must read
// as a ship, not as a stick a tenth as tall as it is long.
TEST(GuildShips, ShipsSeenFromTheLevelRowStandAQuarterAsTallAsTheyAreLong) {
  content3d::Studio studio;
  const int side = static_cast<int>(content3d::kUnitPictureSide);
  for (std::uint32_t g = 0; g < 5; ++g)
    for (const std::uint32_t c : {0u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u}) {
      const auto picture =
          studio.Picture(content3d::MakeHullMesh(g, c), content3d::ViewCodeDirection(12), content3d::kUnitPictureSide);
      int top = side, bottom = -1, left = side, right = -1;
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
          if (picture[static_cast<std::size_t>(y * side + x)] != 0)
            top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
      ASSERT_GE(right, left) << "guild " << g << " class " << c;
      EXPECT_GE(4 * (bottom - top + 1), right - left + 1) << "guild " << g << " class " << c;
    }
}

}  // namespace
