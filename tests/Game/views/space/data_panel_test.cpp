// The 3D views' data panel with nothing hovered: the turn summary and the
// version line, the selection's asteroid, the guild and chapter lists it
// waits on, and the construct lists of a unit choosing a design.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "QuenVersion.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;
using namespace views_test;
using space_test::SpaceWorld;
using space_test::TestView;

class DataPanel3D : public SpaceWorld {
 protected:
  static void ResetModes() {
    SharedScreen().pendingOrderOption = 0xFF;
    SharedScreen().commandMode = kNoCommandMode;
    SharedScreen().commandUnitId = SharedScreen().modifyTargetId = 0xFFFFFFFF;
  }
  void SetUp() override {
    SpaceWorld::SetUp();
    ResetModes();
  }
  void TearDown() override {
    ResetModes();
    SpaceWorld::TearDown();
  }
  static bool Shows(const std::string& text) {
    return std::any_of(SharedScreen().dataPanel->shown.begin(), SharedScreen().dataPanel->shown.end(),
                       [&](const DataPanelText& t) { return t.text == text; });
  }
  // Every text with its place and colour.
  static std::vector<std::string> Snapshot() {
    std::vector<std::string> texts;
    for (const DataPanelText& t : SharedScreen().dataPanel->shown)
      texts.push_back(std::to_string(t.row) + "/" + std::to_string(t.column) + "/" + std::to_string(t.colour) + "/" +
                      t.text);
    return texts;
  }
  // The figure written beside the label `label`.
  static std::string FigureBeside(const std::string& label) {
    int row = -2;
    for (const DataPanelText& t : SharedScreen().dataPanel->shown)
      if (t.text == label) row = t.row;
    for (const DataPanelText& t : SharedScreen().dataPanel->shown)
      if (t.row == row && t.text != label) return t.text;
    return "";
  }
  CGUnit* Ship(std::uint16_t asteroid, std::uint8_t chapter = kLocal) {
    return Unit({kComputer, kDrive, kPower, kWeapon}, asteroid, chapter);
  }
};

TEST_F(DataPanel3D, WithNothingSelectedTheTurnSummaryAndVersionShow) {
  TestView& v = Make3D();
  g_gameData->turn = 12;
  g_gameData->GetLocalChapter()->credits = 4321;
  g_gameData->guildList->GetChapter(kLocal)->ownedAsteroids = 3;
  g_gameData->guildList->GetChapter(kLocal + 2)->ownedAsteroids = 4;
  g_gameData->guildList->GetChapter(kOther)->ownedAsteroids = 7;  // another guild's

  v.RefreshDataPanel(1);
  EXPECT_TRUE(Shows("Turn : 12"));
  EXPECT_EQ(FigureBeside("Organics"), "4321");
  EXPECT_TRUE(Shows("Asteroids Controlled"));
  EXPECT_EQ(FigureBeside("By You:"), "3");
  EXPECT_EQ(FigureBeside("By Guild:"), "7");
  EXPECT_EQ(FigureBeside("Version Number:"), kQuenVersion);
  EXPECT_EQ(v.currentKind, 0xFFFF);
  FlushScreen();
  EXPECT_TRUE(quentest::MatchesGolden(
      quentest::ScreenArea({653, 101, 785, 463}),
      std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/space/data/data_panel_summary.png"));

  // Nothing current and no force: the panel is left as it is, unless it
  // was left blank.
  SharedScreen().dataPanel->AddRow(12, "kept", 0xFFFFFF, 0);
  v.RefreshDataPanel(0);
  EXPECT_TRUE(Shows("kept"));
  SharedScreen().dataPanel->Clear(1);
  v.RefreshDataPanel(0);
  EXPECT_TRUE(Shows("Turn : 12"));

  // A hovered object is current: leaving it for empty space brings the
  // summary back.
  v.ShowAsteroidHover(1);
  EXPECT_FALSE(Shows("Turn : 12"));
  v.OnMouseMove(0, MAKELPARAM(40, 450));
  EXPECT_TRUE(Shows("Turn : 12"));
  EXPECT_EQ(v.currentKind, 0xFFFF);
}

TEST_F(DataPanel3D, TheGridUnderThePointerIsEmptySpaceToThePanel) {
  TestView& v = Make3D();
  v.OnKeyDown('G', 0);
  ASSERT_NE(v.displayList->Find(DISP_GRID, 0), nullptr);
  // Looking down onto the plane.
  const double eye[3] = {1100, 1110, 1060}, at[3] = {1100, v.GridHeight(), 1100};
  Place(eye, at);
  g_sgWorld->redraw = 1;
  v.DrawFrame();
  int gridX = -1, gridY = -1;
  for (int y = 460; y > 100 && gridX < 0; y -= 10)
    for (int x = 40; x < 600 && gridX < 0; x += 20)
      if (CVDispObj* o = v.PickAt(x, y); o && o->GetType() == DISP_GRID) gridX = x, gridY = y;
  ASSERT_GE(gridX, 0) << "no grid tile in the picture";
  v.ShowAsteroidHover(1);
  ASSERT_FALSE(Shows("Turn : 0"));
  v.OnMouseMove(0, MAKELPARAM(gridX, gridY));
  EXPECT_TRUE(Shows("Turn : 0"));
  EXPECT_EQ(v.currentKind, 0xFFFF);
}

TEST_F(DataPanel3D, DeselectingEverythingLetsTheListsGoOnlyWhenAsked) {
  TestView& v = Make3D();
  SharedScreen().pendingOrderOption = 4;
  v.UpdateSelectionDisplay(0);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 4);
  v.UpdateSelectionDisplay(1);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
}

TEST_F(DataPanel3D, MovingFromAUnitToEmptySpaceRemovesItsTargetMarker) {
  TestView& v = Make3D();
  CGUnit* hunter = Ship(0);
  CGUnit* prey = Ship(0, kOther);
  v.UpdateUnitObjects();
  ASSERT_GT(hunter->OrderOnUnit(ORDER_ATTACK_UNIT, prey, 1), 0);
  CVDispObj* preyObject = v.displayList->Find(DISP_UNIT, prey->id);
  ASSERT_NE(preyObject, nullptr);
  v.ShowUnitHover(hunter->id, 0xFFFF);
  EXPECT_TRUE(preyObject->HasHalo());
  v.OnMouseMove(0, MAKELPARAM(40, 450));
  EXPECT_FALSE(preyObject->HasHalo());
  EXPECT_TRUE(Shows("Turn : 0"));
}

TEST_F(DataPanel3D, WithASelectionTheAsteroidItLiesAtShowsOnce) {
  TestView& v = Make3D();
  CGUnit* a = Ship(2);
  Select(a);
  v.RefreshDataPanel(0);
  EXPECT_EQ(v.currentKind, DISP_ASTEROID);
  EXPECT_EQ(v.currentId, 2u);
  EXPECT_FALSE(SharedScreen().dataPanel->shown.empty());
  EXPECT_FALSE(Shows("Turn : 0"));
  // Already current: not drawn again unless forced.
  SharedScreen().dataPanel->Clear(1);
  v.RefreshDataPanel(0);
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
  v.RefreshDataPanel(1);
  EXPECT_FALSE(SharedScreen().dataPanel->shown.empty());

  // Ctrl+V: the panel again, with the version line.
  backend->KeyDown(VK_CONTROL, 10);
  backend->RunUntilIdle();
  v.OnKeyDown(VK_CONTROL, 0);
  SharedScreen().dataPanel->Clear(1);
  v.OnKeyDown('V', 0);
  EXPECT_EQ(FigureBeside("Version Number:"), kQuenVersion);
  EXPECT_EQ(v.currentKind, DISP_ASTEROID);
  // A read-out down to the bottom row is not written over.
  SharedScreen().dataPanel->AddRow(18, "bottom", 0xFFFFFF, 0);
  v.ShowVersion();
  EXPECT_FALSE(Shows("bottom"));
  EXPECT_EQ(FigureBeside("Version Number:"), kQuenVersion);
  backend->KeyUp(VK_CONTROL, 10);
  backend->RunUntilIdle();
  v.OnKeyUp(VK_CONTROL, 0);
}

TEST_F(DataPanel3D, TheGuildAndChapterListsStayWhileThePanelWaitsOnThem) {
  TestView& v = Make3D();
  Select(Ship(0));
  SharedScreen().pendingOrderOption = 4;
  v.RefreshDataPanel(0);
  EXPECT_EQ(SharedScreen().dataPanel->shown.size(), 5u);
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[0], ROW_SELECT_GUILD);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 4);

  // A click on a guild's row keeps that guild for the chapter list.
  g_gameData->guildList->GetChapter(kOther)->SetName("Seventeen");
  ViewDataPanelHost().SelectGuild(2);
  EXPECT_EQ(SharedScreen().chosenGuild, 2);
  SharedScreen().pendingOrderOption = 5;
  v.RefreshDataPanel(1);
  EXPECT_TRUE(Shows("Seventeen"));
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[0], ROW_SELECT_CHAPTER);
  // A row past the guilds changes nothing.
  ViewDataPanelHost().SelectGuild(5);
  ViewDataPanelHost().SelectGuild(-1);
  EXPECT_EQ(SharedScreen().chosenGuild, 2);
}

TEST_F(DataPanel3D, AUnitChoosingADesignKeepsItsConstructList) {
  TestView& v = Make3D();
  CGUnit* builder = Builder(0);
  CGUnit* hull = Ship(0);

  // Building: the builder's list.
  SharedScreen().dataPanel->ShowTemplateList(builder, 0, nullptr);
  const std::vector<std::string> buildList = Snapshot();
  SharedScreen().dataPanel->Clear(1);
  SharedScreen().pendingOrderOption = 0;
  SharedScreen().commandMode = ORDER_BUILD_SHIP;
  SharedScreen().commandUnitId = builder->id;
  v.RefreshDataPanel(0);
  EXPECT_EQ(Snapshot(), buildList);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0);

  // Modifying: the list for the builder and the unit to change, or the plain
  // design slots when either is gone.
  SharedScreen().dataPanel->ShowTemplateList(builder, 0, hull);
  const std::vector<std::string> modifyList = Snapshot();
  SharedScreen().dataPanel->ShowDesignTemplateList(0, 255);
  const std::vector<std::string> designSlots = Snapshot();
  ASSERT_NE(modifyList, designSlots);
  SharedScreen().commandMode = ORDER_MODIFY_SHIP;
  SharedScreen().modifyTargetId = hull->id;
  v.RefreshDataPanel(0);
  EXPECT_EQ(Snapshot(), modifyList);
  SharedScreen().modifyTargetId = 0x7FFFFFF0;
  v.RefreshDataPanel(0);
  EXPECT_EQ(Snapshot(), designSlots);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0);

  // Without a command unit the panel gives up its list for the summary.
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  v.RefreshDataPanel(0);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
  EXPECT_TRUE(Shows("Turn : 0"));
}

}  // namespace
