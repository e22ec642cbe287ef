// Every view's control panel lays the 31-pixel info button over the buttons
// beside it: their captions must lie wholly beside it, in every state.

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

// The outermost columns and rows where drawing the caption changed the plate.
struct Ink {
  int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
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
      ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y), std::max(ink.bottom, y)};
    }
  return ink;
}

}  // namespace

TEST(ControlPanel, TheInfoButtonCoversNoLetterOfEndTurnOrOptions) {
  constexpr int kInfoX = 698, kInfoY = 549, kInfoSize = 31, kGap = 2;
  // Each button beside the info button, in both its states, where the views place it.
  const Placed placed[] = {
      {"endtrnup.ima", 713, 566}, {"endtrndn.ima", 713, 566}, {"optionsu.ima", 713, 542}, {"optionsd.ima", 713, 542},
      {"advbtnup.ima", 713, 542}, {"advbtndn.ima", 713, 542}, {"extbtnup.ima", 713, 566}, {"extbtndn.ima", 713, 566},
      {"revbtnup.ima", 713, 566}, {"revbtndn.ima", 713, 566}, {"vargopup.ima", 637, 542}, {"vargopdn.ima", 637, 542},
      {"plybtnup.ima", 637, 542}, {"plybtndn.ima", 637, 542}, {"psbtnup.ima", 637, 542},  {"psbtndn.ima", 637, 542},
      {"switvwup.ima", 637, 566}, {"switvwdn.ima", 637, 566}, {"retrvwup.ima", 637, 566}, {"retrvwdn.ima", 637, 566},
      {"rstbtnup.ima", 637, 566}, {"rstbtndn.ima", 637, 566}, {"dessavup.ima", 713, 542}, {"dessavdn.ima", 713, 542},
      {"clrtemup.ima", 637, 542}, {"clrtemdn.ima", 637, 542}};
  int checked = 0;
  for (const art::Container& module : ProjectInventory().containers) {
    for (const Placed& p : placed) {
      const art::Asset* a = module.Find(p.name);
      if (!a) continue;
      const Ink ink = CaptionInk(*a, module.guild);
      ASSERT_GE(ink.bottom, 0) << module.path << " " << p.name << " shows no caption";
      const bool besideRows = p.y + ink.top >= kInfoY + kInfoSize || p.y + ink.bottom < kInfoY;
      const bool besideColumns = p.x + ink.left >= kInfoX + kInfoSize + kGap || p.x + ink.right + kGap < kInfoX;
      EXPECT_TRUE(besideRows || besideColumns) << module.path << " " << p.name << " \"" << a->label << "\" spans x "
                                               << p.x + ink.left << ".." << p.x + ink.right;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 5 * static_cast<int>(std::size(placed)));
}
