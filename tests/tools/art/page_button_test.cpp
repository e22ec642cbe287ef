// The game summary's page button swaps between two pictures: each must name
// the page it leads to, in every guild's look.

#include <gtest/gtest.h>

#include <string>

#include "tools/art/inventory.h"

TEST(PageButton, TheSummaryPagePicturesNameWhereTheyLead) {
  const art::Inventory inv = art::ReadInventory(std::filesystem::path(QUEN_SOURCE_DIR) / "data" / "assets");
  for (int guild = 1; guild <= 5; ++guild) {
    const std::string module = "ART/GUILD" + std::to_string(guild) + "/guild.dll";
    const art::Container* c = inv.FindContainer(module);
    ASSERT_NE(c, nullptr) << module;
    const art::Asset* next = c->Find("nxtpgup.ima");
    const art::Asset* previous = c->Find("prevpgup.ima");
    ASSERT_NE(next, nullptr) << module;
    ASSERT_NE(previous, nullptr) << module;
    EXPECT_EQ(next->label, "Next") << module;
    EXPECT_EQ(previous->label, "Previous") << module;
    // Both are the button's normal look, not a pressed state of one another.
    EXPECT_EQ(previous->state, art::ButtonState::Normal) << module;
  }
}
