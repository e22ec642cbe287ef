// The control panel lays the 31-pixel info button over the left of End Turn
// and Options: their captions must lie wholly beside it, in every state.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/tools/art/paths.h"
#include "tools/art/looks.h"

namespace {

struct Placed {
  const char* name;
  int x, y;
};

// The leftmost and topmost / bottommost columns and rows where drawing the
// caption changed the plate.
struct Ink {
  int left = 1 << 20, top = 1 << 20, bottom = -1;
};

Ink CaptionInk(const art::Asset& a, int guild) {
  art::Asset bare = a;
  bare.label.clear();
  const art::Pixels image = art::DrawImage(a, guild), plate = art::DrawImage(bare, guild);
  Ink ink;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
      int change = 0;
      for (int shift = 0; shift < 24; shift += 8)
        change = std::max(change, std::abs(int(image.argb[i] >> shift & 0xFF) - int(plate.argb[i] >> shift & 0xFF)));
      if (change < 24) continue;
      ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.bottom, y)};
    }
  return ink;
}

}  // namespace

TEST(ControlPanel, TheInfoButtonCoversNoLetterOfEndTurnOrOptions) {
  constexpr int kInfoX = 698, kInfoY = 549, kInfoSize = 31, kGap = 2;
  const Placed placed[] = {
      {"endtrnup.ima", 713, 566}, {"endtrndn.ima", 713, 566}, {"optionsu.ima", 713, 542}, {"optionsd.ima", 713, 542}};
  int checked = 0;
  for (const art::Container& module : ProjectInventory().containers) {
    for (const Placed& p : placed) {
      const art::Asset* a = module.Find(p.name);
      if (!a) continue;
      const Ink ink = CaptionInk(*a, module.guild);
      ASSERT_GE(ink.bottom, 0) << module.path << " " << p.name << " shows no caption";
      const bool besideRows = p.y + ink.top >= kInfoY + kInfoSize || p.y + ink.bottom < kInfoY;
      EXPECT_TRUE(besideRows || p.x + ink.left >= kInfoX + kInfoSize + kGap)
          << module.path << " " << p.name << " \"" << a->label << "\" starts at x " << p.x + ink.left;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 20);
}
