// The drag, double-click and held-modifier steps of scripted runs.
#include <gtest/gtest.h>

#include <string>

#include "Game/app/GameScript.h"
#include "platform/user/keys.h"

namespace {

TEST(GameScriptDrag, TakesTwoPointsAndAKeyToHold) {
  std::string error;
  const auto steps = ParseGameScript("drag 10 20 799 599\ndrag 1 2 3 4 ctrl\ndrag 1 2 3 4 shift\n", error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 3u);
  const ScriptStep& plain = (*steps)[0];
  EXPECT_EQ(plain.kind, ScriptStep::Kind::Drag);
  EXPECT_EQ(plain.x, 10);
  EXPECT_EQ(plain.y, 20);
  EXPECT_EQ(plain.toX, 799);
  EXPECT_EQ(plain.toY, 599);
  EXPECT_EQ(plain.held, 0u);
  EXPECT_EQ((*steps)[1].held, plat::VK_CONTROL);
  EXPECT_EQ((*steps)[2].held, plat::VK_SHIFT);
  // Off the screen, a point short, or another key: the line is refused.
  for (const char* bad : {"drag 1 2 800 4\n", "drag 1 2 3\n", "drag 1 2 3 4 alt\n", "drag 1 2 3 4 ctrl x\n"}) {
    EXPECT_FALSE(ParseGameScript(bad, error)) << bad;
    EXPECT_NE(error.find("drag takes"), std::string::npos) << error;
  }
}

TEST(GameScriptDrag, ADoubleClickTakesOnePoint) {
  std::string error;
  const auto steps = ParseGameScript("dblclick 225 40\n", error);
  ASSERT_TRUE(steps) << error;
  EXPECT_EQ((*steps)[0].kind, ScriptStep::Kind::DoubleClick);
  EXPECT_EQ((*steps)[0].x, 225);
  EXPECT_FALSE(ParseGameScript("dblclick 225\n", error));
  EXPECT_FALSE(ParseGameScript("dblclick 225 600\n", error));
}

TEST(GameScriptDrag, AModifierIsHeldUntilReleased) {
  std::string error;
  const auto steps = ParseGameScript("hold alt\nclick 700 300 right\nrelease alt\nhold ctrl\nrelease shift\n", error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 5u);
  EXPECT_EQ((*steps)[0].kind, ScriptStep::Kind::Hold);
  EXPECT_EQ((*steps)[0].vk, plat::VK_MENU);
  EXPECT_EQ((*steps)[2].kind, ScriptStep::Kind::Release);
  EXPECT_EQ((*steps)[2].vk, plat::VK_MENU);
  EXPECT_EQ((*steps)[3].vk, plat::VK_CONTROL);
  EXPECT_EQ((*steps)[4].vk, plat::VK_SHIFT);
  // Only the three modifiers, one a line, by their lower-case names.
  for (const char* bad : {"hold\n", "hold A\n", "release ALT\n", "hold alt ctrl\n", "hold SPACE\n"}) {
    EXPECT_FALSE(ParseGameScript(bad, error)) << bad;
    EXPECT_NE(error.find("takes ctrl, shift or alt"), std::string::npos) << error;
  }
}

}  // namespace
