// The research page: which modules and hulls it lists and in what order, the
// bars and figures, the allocation gauges and science-bonus marks, the
// filters, paging and the data panel on hover; and the picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "platform/user/messages.h"
#include "tests/Game/views/frame/info_pages.h"

namespace {

using namespace plat;

constexpr int kDefense = 3;
constexpr std::uint8_t kLocalGuildBit = 1 << 1;  // chapter 9 is in guild 1

class ResearchPage : public views_test::InfoPages {
 protected:
  void SetUp() override {
    OpenPages("ResearchPageMain");
    CGameData& g = *g_gameData;
    g.moduleDB->count = 0;
    g.moduleDB->freeSciencePool = 0;
    g.turn = 1;
    g.standings[0][kLocal].scienceBonusLimit = 10;
  }
  void TearDown() override { ClosePages(); }

  // Appends a module and gives back its index.
  int AddModule(const char* name, std::uint8_t type, std::uint16_t points, std::uint8_t guilds = kLocalGuildBit) {
    ModuleRecord m{};
    std::snprintf(m.name, sizeof m.name, "%s", name);
    m.guildMask = guilds;
    m.type = type;
    m.typeData[8] = 0xFF;
    const ModuleRecord records[] = {m};
    EXPECT_EQ(g_gameData->moduleDB->LoadModules(WriteModulesImage(records)), 1);
    const int index = g_gameData->moduleDB->GetCount() - 1;
    g_gameData->moduleDB->GetRecord(index)->researchPoints = points;
    return index;
  }
  ModuleRecord& Module(int index) { return *g_gameData->moduleDB->GetRecord(index); }
  // Panel y of a list row's text.
  static int RowY(int row) { return 64 + 15 * row; }
};

TEST_F(ResearchPage, ListsTheGuildsResearchedModulesOfTheRoleFirstAndLooksAsDrawn) {
  const int early = AddModule("Deflector Mk1", kDefense, 4000);
  const int done = AddModule("Deflector Mk2", kDefense, 10000);
  AddModule("Unstarted Shield", kDefense, 0);
  AddModule("Foreign Shield", kDefense, 10000, 1 << 3);
  AddModule("Ion Drive", 5, 10000);
  const int almost = AddModule("Deflector Mk3", kDefense, 9999);
  const int bolt = AddModule("Rail Bolt", 10, 10000);
  Module(bolt).typeData[8] = 12;  // carries ammunition: a projectile weapon
  Module(done).researchAllocation = 75;
  Module(done).scienceBonus = 4;
  g_gameData->moduleDB->freeSciencePool = 4;
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  ASSERT_EQ(panel->research.entryCount, 3);
  EXPECT_EQ(panel->research.rows[0], done);
  EXPECT_EQ(panel->research.rows[1], early);
  EXPECT_EQ(panel->research.rows[2], almost) << "9999 points is still under research";
  EXPECT_EQ(panel->research.rows[3], kNoPanelItem);
  EXPECT_TRUE(LooksLike("research_modules.png"));

  // A weapon with ammunition is listed under the projectile role, not the beam one.
  panel->research.roleFilter = 11;
  Redraw();
  EXPECT_EQ(panel->research.entryCount, 1);
  EXPECT_EQ(panel->research.rows[0], bolt);
  panel->research.roleFilter = 10;
  Redraw();
  EXPECT_EQ(panel->research.entryCount, 0);
}

// The hull classes' grid: the longer class names stay in their columns.
TEST_F(ResearchPage, TheHullClassesFitTheirGridAsDrawn) {
  panel->research.mode = 1;
  panel->research.classFilter = 1;
  ShowPage(4);
  EXPECT_TRUE(LooksLike("research_hulls.png"));
}

TEST_F(ResearchPage, TheGaugeSetsTheAllocationByItsFiveSteps) {
  const int m = AddModule("Deflector", kDefense, 10000);
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  const int y = RowY(0) + 3;
  const struct {
    int x;
    std::uint16_t percent;
  } steps[] = {{520, 0}, {527, 25}, {534, 25}, {535, 50}, {543, 75}, {551, 100}, {558, 100}};
  for (const auto& step : steps) {
    EXPECT_EQ(Click(step.x, y), 1) << step.x;
    EXPECT_EQ(Module(m).researchAllocation, step.percent) << step.x;
  }
  Module(m).researchAllocation = 50;
  EXPECT_EQ(Click(519, y), 0);
  EXPECT_EQ(Click(559, y), 0);
  EXPECT_EQ(Module(m).researchAllocation, 50);
}

TEST_F(ResearchPage, BonusMarksHandOutPointsUpToTheLimitAndCtrlMovesThemAll) {
  const int a = AddModule("Deflector", kDefense, 10000);
  const int b = AddModule("Barrier", kDefense, 10000);
  Module(b).scienceBonus = 3;
  g_gameData->moduleDB->freeSciencePool = 3;
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  ASSERT_EQ(panel->research.rows[0], a);
  const int plusY = RowY(0) + 2;
  const int minusY = RowY(0) + 12;
  EXPECT_EQ(Click(477, plusY), 1);
  EXPECT_EQ(Module(a).scienceBonus, 1);
  EXPECT_EQ(g_gameData->moduleDB->freeSciencePool, 4);
  // Six points are free: Ctrl gives all of them.
  EXPECT_EQ(Click(477, plusY, MK_CONTROL), 1);
  EXPECT_EQ(Module(a).scienceBonus, 7);
  EXPECT_EQ(g_gameData->moduleDB->freeSciencePool, 10);
  EXPECT_EQ(Click(477, plusY), 0) << "the limit is reached";
  EXPECT_EQ(Click(477, minusY, MK_CONTROL), 1);
  EXPECT_EQ(Module(a).scienceBonus, 0);
  EXPECT_EQ(g_gameData->moduleDB->freeSciencePool, 3);
  EXPECT_EQ(Click(477, minusY), 0) << "nothing left to take back";

  // Recover takes every point back, from every module.
  EXPECT_EQ(Click(100, 287), 1);
  EXPECT_EQ(Module(b).scienceBonus, 0);
  EXPECT_EQ(g_gameData->moduleDB->freeSciencePool, 0);
  EXPECT_EQ(Click(100, 287), 0) << "nothing to recover";

  // Before the first standings there is no limit to hand out from.
  g_gameData->turn = 0;
  g_gameData->standings[kStandingRows - 1][kLocal].scienceBonusLimit = 45;
  EXPECT_EQ(Click(477, plusY), 0);
  EXPECT_EQ(Module(a).scienceBonus, 0);
}

TEST_F(ResearchPage, FiltersModesAndPagingFollowTheirGrids) {
  for (int i = 0; i < 15; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Shield %02d", i);
    AddModule(name, kDefense, 10000);
  }
  ShowPage(4);
  EXPECT_EQ(panel->research.entryCount, 0) << "construction modules first";
  // Filter grid: row 0, column 1 is role 1; row 2, column 3 role 11.
  EXPECT_EQ(Click(250, 320), 1);
  EXPECT_EQ(panel->research.roleFilter, 1);
  EXPECT_EQ(Click(500, 360), 1);
  EXPECT_EQ(panel->research.roleFilter, 11);
  EXPECT_EQ(Click(470, 330), 1);
  EXPECT_EQ(panel->research.roleFilter, 7);
  EXPECT_EQ(Click(100, 330), 0) << "left of the grid";

  EXPECT_EQ(Click(470, 320), 1);
  EXPECT_EQ(panel->research.roleFilter, kDefense);
  Redraw();
  EXPECT_EQ(panel->research.entryCount, 15);
  EXPECT_EQ(Click(470, 290), 1);
  EXPECT_EQ(panel->research.page, 1);
  Redraw();
  EXPECT_EQ(panel->research.rows[0], 14);
  EXPECT_EQ(panel->research.rows[1], kNoPanelItem);
  EXPECT_EQ(Click(470, 290), 1) << "MORE answers even when it goes no further";
  EXPECT_EQ(panel->research.page, 1);
  EXPECT_EQ(Click(540, 290), 1);
  EXPECT_EQ(panel->research.page, 0);

  // With exactly 14 entries there is no second page.
  g_gameData->moduleDB->GetRecord(14)->researchPoints = 0;
  Redraw();
  EXPECT_EQ(panel->research.entryCount, 14);
  EXPECT_EQ(Click(470, 290), 1);
  EXPECT_EQ(panel->research.page, 0);

  // Hulls mode: the twelfth cell holds no class.
  EXPECT_EQ(Click(40, 345), 1);
  EXPECT_EQ(panel->research.mode, 1);
  EXPECT_EQ(Click(500, 360), 0);
  EXPECT_EQ(panel->research.classFilter, 0);
  EXPECT_EQ(Click(400, 360), 1);
  EXPECT_EQ(panel->research.classFilter, 10);
  EXPECT_EQ(panel->research.roleFilter, kDefense) << "each mode keeps its own filter";
  EXPECT_EQ(Click(40, 322), 1);
  EXPECT_EQ(panel->research.mode, 0);
}

TEST_F(ResearchPage, HoverShowsTheRowsItemAndLightsTheMarkUnderTheMouse) {
  const int m = AddModule("Deflector", kDefense, 10000);
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  Hover(300, RowY(0) + 3);
  Hover(310, RowY(0) + 4);
  EXPECT_EQ(frame.shown, std::vector<std::string>{"module " + std::to_string(m)}) << "the same row shows once";
  Hover(530, RowY(0) + 3);
  EXPECT_EQ(panel->research.hoveredGauge, m);
  Hover(477, RowY(0) + 1);
  EXPECT_EQ(panel->research.hoveredPlus, m);
  EXPECT_EQ(panel->research.hoveredGauge, kNoPanelItem);
  Hover(477, RowY(0) + 10);
  EXPECT_EQ(panel->research.hoveredMinus, m);
  EXPECT_EQ(panel->research.hoveredPlus, kNoPanelItem);
  Hover(300, RowY(1) + 3);
  EXPECT_EQ(frame.shown.back(), "clear") << "an empty row clears the data panel";
  Hover(300, RowY(0));
  Hover(300, 300);
  EXPECT_EQ(frame.shown.back(), "clear");
  EXPECT_EQ(panel->research.shownItem, kNoPanelItem);
  const std::size_t before = frame.shown.size();
  Hover(300, 310);
  EXPECT_EQ(frame.shown.size(), before) << "outside the rows with nothing shown, nothing happens";
}

// A mark or gauge lit by the mouse shows on the panel as drawn, not on the
// view's picture kept under it; so does leaving the rows.
TEST_F(ResearchPage, HoverShowsThePanelNotThePictureUnderIt) {
  const int m = AddModule("Deflector", kDefense, 10000);
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  UseGameFrameOverPlainPicture();
  ASSERT_EQ(BarePixels(), 0);
  Hover(530, RowY(0) + 3);
  EXPECT_EQ(panel->research.hoveredGauge, m);
  EXPECT_EQ(BarePixels(), 0);
  Hover(477, RowY(0) + 1);
  EXPECT_EQ(panel->research.hoveredPlus, m);
  EXPECT_EQ(BarePixels(), 0);
  Hover(300, 300);
  EXPECT_EQ(panel->research.shownItem, kNoPanelItem);
  EXPECT_EQ(BarePixels(), 0);
  UseRecordingFrame();
}

// Recover shows its caption in red for the click on the page as drawn, with
// no moment of the caption alone over the view's picture; the next drawing
// shows it grey again, with nothing left to recover.
TEST_F(ResearchPage, RecoverShowsItsRedCaptionOnThePanel) {
  const int m = AddModule("Deflector", kDefense, 10000);
  Module(m).scienceBonus = 2;
  g_gameData->moduleDB->freeSciencePool = 2;
  panel->research.roleFilter = kDefense;
  ShowPage(4);
  UseGameFrameOverPlainPicture();
  const RECT caption{29 + 5, 98 + 282, 29 + 235, 98 + 293};
  auto redPixels = [&] {
    int n = 0;
    for (std::uint32_t p : quentest::ScreenArea(caption).rgb) n += p == 0xFF0000;
    return n;
  };
  ASSERT_EQ(redPixels(), 0);
  EXPECT_EQ(Click(100, 287), 1);
  EXPECT_GT(redPixels(), 20);
  EXPECT_EQ(BarePixels(), 0);
  Redraw();
  EXPECT_EQ(redPixels(), 0);
  UseRecordingFrame();
}

}  // namespace
