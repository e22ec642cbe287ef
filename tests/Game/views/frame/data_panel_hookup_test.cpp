// The view base's side of the data panel: the panel's row actions reach the
// current view's slots, its flushes the screen's, and the base refresh
// empties it; the minimal view shows the first selected unit there.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVStandIn.h"
#include "platform/resource/module.h"
#include "tests/Game/views/frame/view_screen.h"

namespace {

using namespace plat;

class HookedView : public CVGeneric {
 public:
  HookedView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  void OnDataPanelCommand(int row, std::uint32_t argument) override {
    log.push_back("command " + std::to_string(row) + " " + std::to_string(argument));
  }
  void OnSelectGuild(int guild) override { log.push_back("guild " + std::to_string(guild)); }
  void OnSelectChapter(std::uint32_t row) override { log.push_back("chapter " + std::to_string(row)); }
  std::vector<std::string> log;
};

class DataPanelHookup : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    // The status line's texts come from the program's own module.
    plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen("DataPanelHookupMain");
    SharedScreen().commandMode = kNoCommandMode;
  }
  void TearDown() override {
    g_currentView = nullptr;
    view.reset();
    standIn.reset();
    CloseViewScreen();
    plat::SetProgramModulePath("/nonexistent/quenbar.dll");
  }
  std::unique_ptr<HookedView> view;
  std::unique_ptr<CVStandIn> standIn;
};

TEST_F(DataPanelHookup, RowActionsReachTheCurrentViewsSlots) {
  view = std::make_unique<HookedView>(window, program);
  ASSERT_NE(SharedScreen().dataPanel, nullptr);
  SharedScreen().dataPanel->rowAction[1] = ROW_VIEW_COMMAND;
  SharedScreen().dataPanel->rowAction[2] = ROW_SELECT_GUILD;
  SharedScreen().dataPanel->rowAction[3] = ROW_SELECT_CHAPTER;
  SharedScreen().dataPanel->OnClick(700, 206 + 13, 9);  // no current view yet: nothing
  EXPECT_TRUE(view->log.empty());
  g_currentView = view.get();
  SharedScreen().dataPanel->OnClick(700, 206 + 13, 9);
  SharedScreen().dataPanel->OnClick(700, 206 + 26, 0);
  SharedScreen().dataPanel->OnClick(700, 206 + 39, 0);
  EXPECT_EQ(view->log, (std::vector<std::string>{"command 1 9", "guild 2", "chapter 3"}));
  // The base refresh empties the rows and their actions.
  view->RefreshDataPanel(0);
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[1], ROW_NOTHING);
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
}

TEST_F(DataPanelHookup, TheMinimalViewShowsTheFirstSelectedUnitAndEmptiesThePanelWithoutOne) {
  standIn = std::make_unique<CVStandIn>(VIEW_SOLAR, window, program);
  g_currentView = standIn.get();
  auto* design = new CGUnitTemplate(kLocal, static_cast<std::int32_t>((std::uint32_t{kLocal} << 26) | 0x100));
  g_gameData->templates.AddTemplate(design, kLocal);
  const Location at{0, 0, 0, 0};
  CGUnit* unit = g_gameData->pieces.CreateUnit(design, &at, kLocal, (std::uint32_t{kLocal} << 26) | 1);
  g_gameData->AddToSelection(GOTO_UNIT, unit->id, 0);
  standIn->RefreshDataPanel(0);
  EXPECT_EQ(SharedScreen().dataPanel->unitId, unit->id);
  g_gameData->ClearSelection();
  SharedScreen().dataPanel->rowAction[4] = ROW_NEXT_PAGE;
  standIn->RefreshDataPanel(0);
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[4], ROW_NOTHING);
  // A click in the panel goes to it, not to the view's other areas.
  SharedScreen().dataPanel->rowAction[0] = ROW_VIEW_COMMAND;
  EXPECT_EQ(standIn->OnLButtonDown(700, 210, 0), 1);
}

TEST_F(DataPanelHookup, TheOrderMenuShowsAUnitsPagesAndItsTemplatesInThePanel) {
  view = std::make_unique<HookedView>(window, program);
  auto* design = new CGUnitTemplate(kLocal, -1);
  g_gameData->templates.AddTemplate(design, kLocal);
  g_gameData->templates.SetFixedTemplate(*design, kLocal, 3);
  const std::uint32_t id = (std::uint32_t{kLocal} << 26) | 7;
  const Location at{0, 0, 0, 0};
  CGUnit* unit = g_gameData->pieces.CreateUnit(design, &at, kLocal, id);
  SharedScreen().menuObjectKind = 2;
  SharedScreen().menuObjectId = id;
  view->OnMenuCommand(515);  // damage page
  EXPECT_EQ(SharedScreen().dataPanel->unitId, unit->id);
  EXPECT_EQ(SharedScreen().dataPanel->unitPage, 1);
  SharedScreen().pendingOrderOption = 0xFF;
  view->OnMenuCommand(605);  // construct: the list of the unit's designs
  EXPECT_EQ(SharedScreen().commandMode, 16u);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0);
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[3], ROW_VIEW_COMMAND);
  EXPECT_EQ(SharedScreen().dataPanel->rowAction[2], ROW_NOTHING);
}

TEST_F(DataPanelHookup, APickedTemplateIsRefusedWithItsReasonAndTheModeEnds) {
  view = std::make_unique<HookedView>(window, program);
  struct Case {
    const char* name;
    bool unitExists;
    bool slotFilled;
    const char* status;
  };
  const Case cases[] = {
      {"constructor gone", false, true, "Construction failed - constructor destroyed"},
      {"empty slot", true, false, "Construction failed - invalid template"},
      {"no construction capability", true, true, "Construction failed - no construction capability"},
  };
  std::uint32_t serial = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* design = new CGUnitTemplate(kLocal, -1);
    g_gameData->templates.AddTemplate(design, kLocal);
    const std::uint32_t id = (std::uint32_t{kLocal} << 26) | serial++;
    if (c.unitExists) {
      const Location at{0, 0, 0, 0};
      g_gameData->pieces.CreateUnit(design, &at, kLocal, id);
      g_gameData->AddToSelection(GOTO_UNIT, id, 0);
    }
    if (c.slotFilled)
      g_gameData->templates.SetFixedTemplate(*design, kLocal, 4);
    else
      g_gameData->templates.ClearFixedSlot(kLocal, 4);
    SharedScreen().commandMode = 16;
    SharedScreen().commandUnitId = id;
    SharedScreen().statusText.clear();
    view->CVGeneric::OnDataPanelCommand(4, 0);
    EXPECT_EQ(SharedScreen().statusText, c.status);
    EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
    EXPECT_EQ(SharedScreen().commandUnitId, 0xFFFFFFFFu);
    EXPECT_EQ(SharedScreen().templateSlot, 255u);
  }
  // Without a command unit the pick is only remembered.
  SharedScreen().statusText.clear();
  view->CVGeneric::OnDataPanelCommand(6, 0);
  EXPECT_EQ(SharedScreen().templateSlot, 6u);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
  EXPECT_TRUE(SharedScreen().statusText.empty());
}

}  // namespace
