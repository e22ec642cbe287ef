// The design chamber on the headless screen with the game's own data and
// pictures: what the player sees of an empty and a fitted design, in graphic
// and text mode and over the mass limit, and how fitting and saving behave.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVDesign.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"
#include "platform/core/clock.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/dialog/ownerdraw.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"
#include "platform/core/files.h"

namespace {

// The main window's part in drawing buttons: the control panel's own, and
// the view's.
plat::LRESULT MainProc(plat::HWND hwnd, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (message == plat::WM_DRAWITEM && g_currentView) {
    auto* item = reinterpret_cast<plat::DRAWITEMSTRUCT*>(lParam);
    const unsigned id = item->CtlID;
    if (id == 101 || id == 111 || id == 130 || id == 131 || id == 132 || (id >= 260 && id <= 271))
      g_currentView->DrawControlButton(item);
    else
      g_currentView->OnDrawItem(item);
    return 1;
  }
  return plat::DefWindowProc(hwnd, message, wParam, lParam);
}

class DesignViewTest : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    const std::filesystem::path build = QUEN_BUILD_DIR;
    plat::SetDrive('C', build / "gamedata/c");
    plat::SetRegistryFile(build / "gamedata/config/registry.reg");
    g_instData.~CInstData();
    new (&g_instData) CInstData();
    plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen("DesignViewTest", MainProc);
    if (HasFatalFailure()) return;
    CGameData& g = *g_gameData;
    ASSERT_TRUE(g.RulesLoaded());
    const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
    g.imageModule = plat::LoadLibrary((art + "ima.dll").c_str());
    g.guildModules[1] = plat::LoadLibrary((art + "GUILD2/guild.dll").c_str());
    ASSERT_NE(g.guildModules[1], nullptr) << "the game's pictures are built with the game data";
    view = std::make_unique<CDesignView>(window, program);
    g_currentView = view.get();
    SuspendScreenFlush(0);
  }
  void TearDown() override {
    g_currentView = nullptr;
    view.reset();
    CloseViewScreen();
    plat::SetProgramModulePath("");
    plat::ResetRegistryFile();
    plat::ClearDrives();
    g_instData.~CInstData();
    new (&g_instData) CInstData();
  }
  // The local guild's first hull of a class that holds slots, set into the design.
  // One with a successor when there is such a hull.
  CGHull* ChooseHull() {
    const int guild = g_gameData->GetLocalGuildIndex();
    for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < g_gameData->hullDB->GetHullCount(guild); ++i) {
      CGHull* hull = g_gameData->hullDB->GetHull(guild, i);
      if (hull->available && hull->GetSlotCount() >= 4 && (pass == 1 || g_gameData->hullDB->GetSuccessor(*hull))) {
        const_cast<CGUnitTemplate*>(view->Design())->SetHull(hull);
        return hull;
      }
    }
    return nullptr;
  }
  // The list cell of entry i (scrolled to be visible).
  int CellX(int i) const { return 65 + 103 * (i - view->ListFirst()) + 40; }
  ::testing::AssertionResult LooksLike(const char* name) {
    plat::MSG msg;
    while (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) plat::DispatchMessage(&msg);
    AddDirtyRect({0, 0, 800, 600});
    FlushScreen();
    return quentest::MatchesGolden(quentest::ScreenArea({0, 0, 800, 600}),
                                   std::filesystem::path(QUEN_TEST_DATA_DIR) / name);
  }
  std::unique_ptr<CDesignView> view;
};

TEST_F(DesignViewTest, AnEmptyDesignShowsNoShipAndTheModuleList) {
  view->Render(-1);

  EXPECT_GT(view->ListCount(), 5);
  EXPECT_TRUE(LooksLike("design_empty.png"));
}

TEST_F(DesignViewTest, DoubleClickFitsResearchedModulesOnlyAndDragFitsAny) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  view->Redraw(0);
  // The first researched entry goes into the first slot that takes it.
  int researched = -1, unresearched = -1;
  for (int i = 0; i < view->ListCount(); ++i) {
    const ModuleListEntry& e = view->ListEntry(i);
    if (e.percent == 100 && researched < 0 && view->Design()->FindFreeSlotForModuleType(g_gameData->moduleDB->GetRecord(e.module)->type) >= 0) researched = i;
  }
  ASSERT_GE(researched, 0);
  while (researched >= view->ListFirst() + 5) view->ScrollModuleList(1), plat::Sleep(100);
  const int type = g_gameData->moduleDB->GetRecord(view->ListEntry(researched).module)->type;
  const int slot = view->Design()->FindFreeSlotForModuleType(type);
  view->OnLButtonDblClk(CellX(researched), 540);
  EXPECT_EQ(view->Design()->GetModuleId(slot), view->ListEntry(researched).module);
  EXPECT_EQ(view->Saved(), 0u);

  // A module at 95 % is not fitted by a double click, but a drag onto a slot fits it.
  std::uint16_t module = kNoModuleId;
  for (int i = 0; i < view->ListCount() && module == kNoModuleId; ++i) {
    const std::uint16_t m = view->ListEntry(i).module;
    if (view->Design()->FindFreeSlotForModuleType(g_gameData->moduleDB->GetRecord(m)->type) >= 0) module = m;
  }
  ASSERT_NE(module, kNoModuleId);
  g_gameData->moduleDB->GetRecord(module)->researchPoints = 9600;
  view->RebuildDisplay();
  for (int i = 0; i < view->ListCount(); ++i)
    if (view->ListEntry(i).module == module) unresearched = i;
  ASSERT_GE(unresearched, 0);
  while (unresearched >= view->ListFirst() + 5) view->ScrollModuleList(1), plat::Sleep(100);
  while (unresearched < view->ListFirst()) view->ScrollModuleList(-1), plat::Sleep(100);
  EXPECT_EQ(view->ListEntry(unresearched).percent, kUnresearchedPercentCap);
  const int mtype = g_gameData->moduleDB->GetRecord(module)->type;
  const int free = view->Design()->FindFreeSlotForModuleType(mtype);
  ASSERT_GE(free, 0);
  view->OnLButtonDblClk(CellX(unresearched), 540);
  EXPECT_EQ(view->Design()->GetModuleId(free), kNoModuleId);
  view->OnLButtonDown(CellX(unresearched), 540, 0);
  const HullSlot& s = view->Design()->hull->slots[free];
  view->OnMouseMove(0, plat::MAKELPARAM(300, 300));
  view->OnLButtonUp(370 + s.x + 5, 98 + s.y + 5, 0);
  EXPECT_EQ(view->Design()->GetModuleId(free), module);
  EXPECT_TRUE(LooksLike("design_fitted.png"));
  view->SetTextMode(1);
  view->Redraw(1);
  EXPECT_TRUE(LooksLike("design_text_mode.png"));

  // Dragging a fitted module out of the hull leaves its slot empty.
  view->SetTextMode(0);
  view->OnLButtonDown(370 + s.x + 5, 98 + s.y + 5, 0);
  view->OnLButtonUp(100, 300, 0);
  EXPECT_EQ(view->Design()->GetModuleId(free), kNoModuleId);
}

TEST_F(DesignViewTest, SavingFollowsTheRulesAndTheMassLimitItselfSaves) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  EXPECT_STREQ(view->StoreDesign("Plain"), "CANTSAVE");
  ModuleListEntry fitted{};
  for (int i = 0; i < view->ListCount() && !fitted.percent; ++i)
    if (view->ListEntry(i).percent == 100 && view->PlaceModule(view->ListEntry(i), -1)) fitted = view->ListEntry(i);
  ASSERT_EQ(fitted.percent, 100);
  const std::uint32_t mass = view->Design()->mass;
  const std::uint32_t limit = hull->massLimit;
  hull->massLimit = mass - 1;
  EXPECT_STREQ(view->StoreDesign("Heavy"), "BIG_MASS");
  view->Redraw(1);
  EXPECT_TRUE(LooksLike("design_over_mass.png"));
  hull->massLimit = mass;
  EXPECT_STREQ(view->StoreDesign(""), "MUSTENTN");
  EXPECT_EQ(view->Saved(), 0u);
  EXPECT_EQ(view->StoreDesign("Exact"), nullptr);
  EXPECT_EQ(view->Saved(), 1u);
  const CGUnitTemplate* stored = g_gameData->templates.GetTemplate(g_gameData->localChapterId, 0, 1);
  ASSERT_NE(stored, nullptr);
  EXPECT_STREQ(stored->GetName(), "Exact");
  EXPECT_TRUE(stored->IsSameDesign(*view->Design()));
  hull->massLimit = limit;
}

TEST_F(DesignViewTest, ScrollStopsWithFiveVisibleAndFiltersStartAtTheFront) {
  view->Render(-1);
  const int count = view->ListCount();
  ASSERT_GT(count, 5);
  for (int i = 0; i < count + 3; ++i) {
    view->OnKeyDown(plat::VK_RIGHT, 0);
    plat::Sleep(100);
  }
  EXPECT_EQ(view->ListFirst(), count - 5);
  view->OnKeyDown('F', 0);
  EXPECT_EQ(view->Filter(), 0);
  EXPECT_EQ(view->ListFirst(), 0);
  // The wheel and Page Up / Page Down turn the module read-out's pages.
  view->OnMouseWheel(plat::MAKEWPARAM(0, static_cast<plat::WORD>(-120)), 0);
  EXPECT_EQ(view->ModuleDataMode(), 1);
  view->OnMouseWheel(plat::MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(view->ModuleDataMode(), 0);
  view->OnKeyDown(plat::VK_PRIOR, 0);
  EXPECT_EQ(view->ModuleDataMode(), 2);
  view->OnKeyDown(plat::VK_NEXT, 0);
  EXPECT_EQ(view->ModuleDataMode(), 0);
}

TEST_F(DesignViewTest, TheModeSwitchAndTheViewBlockOfTheSavedGame) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  for (int i = 0; i < view->ListCount(); ++i)
    if (view->ListEntry(i).percent == 100 && view->PlaceModule(view->ListEntry(i), -1)) break;
  view->OnLButtonDown(320, 449, 0);  // TEXT
  EXPECT_EQ(view->TextMode(), 1);
  view->OnLButtonDown(240, 449, 0);  // GRAPHIC
  EXPECT_EQ(view->TextMode(), 0);
  view->OnLButtonDown(320, 449, 0);
  // Nothing to upgrade: no box, the design stays as it was.
  view->AutoUpgradeDesign();
  EXPECT_EQ(view->Saved(), 0u);

  quentest::TempDir dir("design-state");
  plat::SetDrive('T', dir.path());
  plat::FILE* out = plat::fopen("T:\\view.blk", "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(view->SaveState(out), 1);
  plat::fclose(out);
  const std::string bytes = quentest::ReadHostFile(dir.path() / "view.blk");
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 2);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes.back()), 0xFE);

  CDesignView other(window, program);
  const auto load = [&](const std::string& image) {
    quentest::WriteHostFile(dir.path() / "in.blk", image);
    plat::FILE* in = plat::fopen("T:\\in.blk", "rb");
    const int result = other.LoadState(in);
    plat::fclose(in);
    return result;
  };
  // Every cut and a damaged validity byte are refused and change nothing.
  for (std::size_t n = 0; n < bytes.size(); ++n) ASSERT_EQ(load(bytes.substr(0, n)), 0) << n;
  std::string damaged = bytes;
  damaged.back() = 0x11;
  EXPECT_EQ(load(damaged), 0);
  EXPECT_EQ(other.TextMode(), 0);
  EXPECT_EQ(other.Saved(), 1u);
  ASSERT_EQ(load(bytes), 1);
  EXPECT_EQ(other.TextMode(), 1);
  EXPECT_EQ(other.Saved(), 0u);
  EXPECT_TRUE(other.Design()->IsSameDesign(*view->Design()));
  plat::SetDrive('C', std::filesystem::path(QUEN_BUILD_DIR) / "gamedata/c");
}

TEST_F(DesignViewTest, TheHullChooserPicksAResearchedHullOrGivesTheDesignBack) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  for (int i = 0; i < view->ListCount(); ++i)
    if (view->ListEntry(i).percent == 100 && view->PlaceModule(view->ListEntry(i), -1)) break;
  const std::uint32_t unsaved = view->Saved();
  const_cast<CGUnitTemplate*>(view->Design())->SetName("Old Name");

  // A click between two class cells cancels: the design comes back whole.
  view->OnCommand(127);
  ASSERT_EQ(view->ChooserPage(), 1);
  EXPECT_EQ(view->Design()->hull, nullptr);
  view->OnMouseMove(0, plat::MAKELPARAM(39 + 20, 128 + 30));
  EXPECT_TRUE(LooksLike("design_hull_classes.png"));
  view->OnLButtonDown(39 + 90, 150, 0);
  EXPECT_EQ(view->ChooserPage(), 0);
  EXPECT_EQ(view->Design()->hull, hull);
  EXPECT_NE(view->Design()->moduleCount, 0);
  EXPECT_EQ(view->Saved(), unsaved);

  // The hull page of the hull's class: a partly researched successor shows
  // its percent and cannot be chosen; a researched hull empties the design.
  CGHull* next = g_gameData->hullDB->GetSuccessor(*hull);
  const std::uint16_t nextPoints = next ? next->researchPoints : 0;
  if (next) next->researchPoints = 4200;
  view->OnCommand(127);
  const ChooserCell classCell = ClassCellOrigin(hull->unitClass);
  view->OnLButtonDown(classCell.x + 10, classCell.y + 10, 0);
  ASSERT_EQ(view->ChooserPage(), 2);
  ASSERT_GE(view->ChooserHullCount(), 1);
  EXPECT_EQ(view->ChooserHull(0).percent, 100);
  if (next) {
    ASSERT_GE(view->ChooserHullCount(), 2);
    EXPECT_EQ(view->ChooserHull(1).percent, 42);
    EXPECT_TRUE(LooksLike("design_hull_page.png"));
    const ChooserCell partial = HullCellOrigin(1);
    view->OnLButtonDown(partial.x + 10, partial.y + 10, 0);
    EXPECT_EQ(view->ChooserPage(), 0);
    EXPECT_NE(view->Design()->moduleCount, 0);  // cancelled
    view->OnCommand(127);
    view->OnLButtonDown(classCell.x + 10, classCell.y + 10, 0);
    next->researchPoints = nextPoints;
  }
  const ChooserCell first = HullCellOrigin(0);
  view->OnLButtonDown(first.x + 10, first.y + 10, 0);
  EXPECT_EQ(view->ChooserPage(), 0);
  EXPECT_EQ(view->Design()->hull, view->ChooserHull(0).hull);
  EXPECT_EQ(view->Design()->moduleCount, 0);
  EXPECT_STREQ(view->Design()->GetName(), "Old Name");
  EXPECT_EQ(view->Saved(), 0u);
}

}  // namespace
