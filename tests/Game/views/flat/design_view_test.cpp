// The design chamber on the headless screen with the game's own data and
// pictures: what the player sees of an empty and a fitted design, in graphic
// and text mode and over the mass limit, and how fitting and saving behave.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/DesignTemplateFile.h"
#include "Game/views/frame/CHelpLibrary.h"
#include "Game/views/frame/CPopupMenu.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/core/registry.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/resource/module.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"
#include "tools/rc/moduleimage.h"

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
  // Delivers what waits, as the main loop would before anything modal opens:
  // buttons still to be painted would otherwise paint under a message box.
  static void Pump() {
    plat::MSG msg;
    while (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) plat::DispatchMessage(&msg);
  }
  // The screen's area as the player sees it once everything waiting is drawn.
  static plat::Image Shown(const plat::RECT& area) {
    Pump();
    AddDirtyRect({0, 0, 800, 600});
    FlushScreen();
    return quentest::ScreenArea(area);
  }
  ::testing::AssertionResult LooksLike(const char* name) {
    return quentest::MatchesGolden(Shown({0, 0, 800, 600}), std::filesystem::path(QUEN_TEST_DATA_DIR) / name);
  }
  std::unique_ptr<CDesignView> view;
};

TEST_F(DesignViewTest, AnEmptyDesignShowsNoShipAndTheModuleList) {
  view->Render(-1);

  EXPECT_GT(view->ListCount(), 5);
  EXPECT_TRUE(LooksLike("design_empty.png"));
}

// The main loop's full redraw (after a save, or back from another program)
// lays the frame over the design list: it comes back as it was.
TEST_F(DesignViewTest, AFullRedrawBringsBackTheDesignList) {
  view->Render(-1);
  const plat::RECT panel{640, 95, 800, 470};
  const plat::Image before = Shown(panel);
  view->RedrawBackground();
  view->RedrawDataPanel();
  view->Render(-1);
  EXPECT_EQ(Shown(panel).rgb, before.rgb);
}

// A save made in the chamber (Ctrl+S) tells so in the status line over the
// read-out for its time; then the chamber shows again without it. The line
// of the view left does not follow into the chamber.
TEST_F(DesignViewTest, TheSavedLineShowsForItsTimeThenTheChamberWithoutIt) {
  view->SetStatusText("Strategic command transferal complete", 26);
  view->Render(-1);
  EXPECT_EQ(SharedScreen().statusShown, 0);
  ASSERT_NE(ChooseHull(), nullptr);
  view->Invalidate();
  const plat::RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 18};
  const plat::Image without = Shown(line);
  view->SetStatusText("Game saved", 26);
  view->Invalidate();  // the main loop's full redraw after the save
  const plat::Image with = Shown(line);
  EXPECT_NE(with.rgb, without.rgb);
  // A frame every 35 ms: one step each 75 ms.
  for (int frame = 0; frame < 40; ++frame) view->PlayFrameAnimation(35);
  EXPECT_GT(SharedScreen().statusShown, 0);
  EXPECT_EQ(Shown(line).rgb, with.rgb);
  for (int frame = 0; frame < 60; ++frame) view->PlayFrameAnimation(35);
  EXPECT_EQ(SharedScreen().statusShown, 0);
  EXPECT_EQ(Shown(line).rgb, without.rgb);
}

TEST_F(DesignViewTest, DoubleClickFitsResearchedModulesOnlyAndDragFitsAny) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  view->Redraw(0);
  // The first researched entry goes into the first slot that takes it.
  int researched = -1, unresearched = -1;
  for (int i = 0; i < view->ListCount(); ++i) {
    const ModuleListEntry& e = view->ListEntry(i);
    if (e.percent == 100 && researched < 0 &&
        view->Design()->FindFreeSlotForModuleType(g_gameData->moduleDB->GetRecord(e.module)->type) >= 0)
      researched = i;
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

// The panel's picture box shows the design's class picture as soon as the
// chamber or the chooser sets it, so a hull's costs never stand beside an
// earlier picture; leaving the chamber empties it.
TEST_F(DesignViewTest, ThePictureBoxShowsTheDesignsPictureOnEntryAndAfterTheChooser) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  const auto showsOwnPicture = [] {
    return SharedScreen().dataPanel->fixedPicture != nullptr &&
           SharedScreen().dataPanel->fixedPicture->imageName == SharedScreen().dataPanel->pictureName;
  };
  const auto classPicture = [](const CGUnitTemplate& design) {
    return std::string("units\\") + design.GetClassAbbreviation() + "_ds.ima";
  };
  view->GoToView(VIEW_SOLAR, -1);
  ASSERT_NE(SharedScreen().dataPanel->emptyPicture, nullptr);
  EXPECT_EQ(SharedScreen().dataPanel->pictureName, SharedScreen().dataPanel->emptyPicture->imageName)
      << "left: no design's picture";
  view->Render(-1);
  ASSERT_TRUE(showsOwnPicture()) << "on entry, not " << SharedScreen().dataPanel->pictureName;
  EXPECT_NE(std::string(SharedScreen().dataPanel->pictureName).find(classPicture(*view->Design())), std::string::npos);

  // A hull of another class picked in the chooser: its picture, kept beside
  // the hull's costs.
  CGHull* other = nullptr;
  for (int i = 0; i < g_gameData->hullDB->GetHullCount(g_gameData->GetLocalGuildIndex()) && !other; ++i) {
    CGHull* h = g_gameData->hullDB->GetHull(g_gameData->GetLocalGuildIndex(), i);
    if (h->available && h->unitClass != hull->unitClass) other = h;
  }
  ASSERT_NE(other, nullptr);
  view->OnCommand(127);
  const ChooserCell classCell = ClassCellOrigin(other->unitClass);
  view->OnLButtonDown(classCell.x + 10, classCell.y + 10, 0);
  ASSERT_EQ(view->ChooserPage(), 2);
  const ChooserCell first = HullCellOrigin(0);
  view->OnMouseMove(0, plat::MAKELPARAM(first.x + 10, first.y + 10));
  EXPECT_EQ(SharedScreen().dataPanel->pictureName, SharedScreen().dataPanel->emptyPicture->imageName)
      << "the chooser's hull costs beside no design's picture";
  view->OnLButtonDown(first.x + 10, first.y + 10, 0);
  ASSERT_EQ(view->ChooserPage(), 0);
  ASSERT_EQ(view->Design()->hull->unitClass, other->unitClass);
  ASSERT_TRUE(showsOwnPicture()) << SharedScreen().dataPanel->pictureName;
  EXPECT_NE(std::string(SharedScreen().dataPanel->pictureName).find(classPicture(*view->Design())), std::string::npos);
  view->OnMouseMove(0, plat::MAKELPARAM(375, 460));
  ASSERT_FALSE(SharedScreen().dataPanel->shown.empty());
  const CGHull& chosen = *view->Design()->hull;
  EXPECT_EQ(SharedScreen().dataPanel->shown[0].text, std::string(chosen.name, strnlen(chosen.name, sizeof chosen.name)))
      << "the hull's costs";
  EXPECT_TRUE(showsOwnPicture());
  view->GoToView(VIEW_SOLAR, -1);
}

// Fits the first researched list entries the hull takes, `count` at most.
void FitResearched(CDesignView& view, int count) {
  for (int i = 0; i < view.ListCount() && count > 0; ++i)
    if (view.ListEntry(i).percent == 100 && view.PlaceModule(view.ListEntry(i), -1)) --count;
}

TEST_F(DesignViewTest, AUnitsDesignIsShownReadOnlyAndTheWorkingCopyComesBack) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  FitResearched(*view, 2);
  ASSERT_NE(view->Design()->moduleCount, 0);
  const_cast<CGUnitTemplate*>(view->Design())->SetName("Working");
  // The unit's own design: the same hull with one module fewer.
  constexpr std::uint32_t kUnit = 0x24000321;
  auto* design =
      new CGUnitTemplate(static_cast<std::uint8_t>(kLocal), static_cast<std::int32_t>((kLocal << 26) | 0x77));
  design->CopyDesign(*view->Design(), -1);
  for (int s = kTemplateSlots - 1; s >= 0; --s)
    if (design->GetModuleId(s) != kNoModuleId) {
      design->RemoveModule(s);
      break;
    }
  design->SetName("Picket");
  g_gameData->templates.AddTemplate(design, kLocal);
  const Location at{0, 0, 0, 0};
  ASSERT_NE(g_gameData->pieces.CreateUnit(design, &at, static_cast<std::uint8_t>(kLocal), kUnit), nullptr);
  view->GoToView(VIEW_SOLAR, -1);

  view->Render(static_cast<std::int32_t>(kUnit));
  EXPECT_STREQ(view->Design()->GetName(), "Picket");
  EXPECT_TRUE(view->Design()->IsSameDesign(*design));
  EXPECT_TRUE(LooksLike("design_read_only.png"));
  // Nothing can be picked, placed, filtered, loaded, chosen or switched.
  const int fitted = view->Design()->moduleCount;
  EXPECT_EQ(view->PlaceModule(view->ListEntry(0), -1), 0);
  view->OnLButtonDown(CellX(0), 540, 0);
  EXPECT_EQ(view->OnLButtonUp(400, 200, 0), 0);  // no drag began
  view->OnLButtonDblClk(CellX(0), 540);
  EXPECT_EQ(view->Design()->moduleCount, fitted);
  view->SetModuleFilter(3);
  EXPECT_EQ(view->Filter(), kAllModulesFilter);
  view->OnCommand(127);
  EXPECT_EQ(view->ChooserPage(), 0);
  EXPECT_EQ(view->LoadTemplateFile("C:\\whatever.tpl"), 0);
  view->OnKeyDown(plat::VK_DOWN, 0);
  EXPECT_EQ(view->DesignSlot(), 0);
  EXPECT_STREQ(design->GetName(), "Picket");

  // Leaving gives the working copy back, editable again.
  view->GoToView(VIEW_SOLAR, -1);
  EXPECT_STREQ(view->Design()->GetName(), "Working");
  EXPECT_EQ(view->Design()->hull, hull);
  view->Render(-1);
  view->SetModuleFilter(3);
  EXPECT_EQ(view->Filter(), 3);
}

// The message boxes' buttons on the screen.
constexpr int kBoxButtonY = 229 + 108 + 17;
constexpr int kYesX = 263 + 47 + 35;
constexpr int kNoX = 263 + 157 + 35;
constexpr int kOkX = 263 + 103 + 35;

TEST_F(DesignViewTest, TemplateFilesReplaceTheWorkingCopyOnlyWhenTheyMay) {
  quentest::TempDir dir("design-files");
  plat::SetDrive('T', dir.path());
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  FitResearched(*view, 2);
  const_cast<CGUnitTemplate*>(view->Design())->SetName("Filed");
  ASSERT_EQ(view->SaveTemplateFile("T:\\filed.tpl"), 1);
  CGUnitTemplate filed(view->Design()->chapter, static_cast<std::int32_t>(view->Design()->templateId));
  filed.CopyDesign(*view->Design(), -1);

  // Back from a changed design to the file's.
  view->OnCommand(127);
  view->OnLButtonDown(10, 10, 0);  // cancel the chooser
  for (int s = 0; s < kTemplateSlots; ++s) view->UnfitSlot(s, 0);
  ASSERT_EQ(view->Design()->moduleCount, 0);
  Pump();
  ASSERT_EQ(view->LoadTemplateFile("T:\\filed.tpl"), 1);
  EXPECT_TRUE(view->Design()->IsSameDesign(filed));
  EXPECT_STREQ(view->Design()->GetName(), "Filed");
  EXPECT_EQ(view->Saved(), 0u);
  EXPECT_EQ(view->LoadTemplateFile("T:\\missing.tpl"), 0);  // silently

  // A fitted module no longer researched: No keeps the working copy, Yes
  // takes the design without it.
  std::uint16_t dropped = kNoModuleId;
  int droppedSlot = -1;
  for (int s = 0; s < kTemplateSlots && dropped == kNoModuleId; ++s)
    if ((dropped = filed.GetModuleId(s)) != kNoModuleId) droppedSlot = s;
  ASSERT_NE(dropped, kNoModuleId);
  const std::uint16_t points = g_gameData->moduleDB->GetRecord(dropped)->researchPoints;
  for (int s = 0; s < kTemplateSlots; ++s) view->UnfitSlot(s, 0);
  g_gameData->moduleDB->GetRecord(dropped)->researchPoints = 5000;
  backend->Click(kNoX, kBoxButtonY, plat::input::Button::Left, 10);
  EXPECT_EQ(view->LoadTemplateFile("T:\\filed.tpl"), 0);
  EXPECT_EQ(view->Design()->moduleCount, 0);
  backend->Click(kYesX, kBoxButtonY, plat::input::Button::Left, 10);
  EXPECT_EQ(view->LoadTemplateFile("T:\\filed.tpl"), 1);
  EXPECT_EQ(view->Design()->GetModuleId(droppedSlot), kNoModuleId);
  EXPECT_EQ(view->Design()->moduleCount, filed.moduleCount - 1);
  g_gameData->moduleDB->GetRecord(dropped)->researchPoints = points;

  // A file without a hull is refused with its box; the working copy stays.
  CGUnitTemplate empty(view->Design()->chapter, 0);
  ASSERT_EQ(WriteTemplateFile("T:\\empty.tpl", empty), 1);
  const int kept = view->Design()->moduleCount;
  backend->Click(kOkX, kBoxButtonY, plat::input::Button::Left, 10);
  EXPECT_EQ(view->LoadTemplateFile("T:\\empty.tpl"), 0);
  EXPECT_EQ(view->Design()->hull, hull);
  EXPECT_EQ(view->Design()->moduleCount, kept);
  EXPECT_TRUE(backend->ScriptDone());
  plat::SetDrive('C', std::filesystem::path(QUEN_BUILD_DIR) / "gamedata/c");
}

// The command ids of the open popup menu.
std::vector<std::uint32_t> MenuItems() {
  std::vector<std::uint32_t> ids;
  for (int i = 0; SharedScreen().popupMenu && i < SharedScreen().popupMenu->GetItemCount(); ++i)
    ids.push_back(SharedScreen().popupMenu->GetItemId(i));
  return ids;
}

std::vector<std::uint8_t> HelpResource(const std::string& text) {
  std::vector<std::uint8_t> r(4 + text.size());
  r[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), r.begin() + 4);
  return r;
}

TEST_F(DesignViewTest, ContextMenusByPlaceAndHelpOnAModuleWithAlt) {
  view->Render(-1);
  Pump();
  using Ids = std::vector<std::uint32_t>;
  // Anywhere in the chamber: the template files.
  backend->PressKey(plat::VK_ESCAPE, 10);
  view->OnRButtonDown(300, 300, 0);
  EXPECT_EQ(MenuItems(), (Ids{522, 523}));
  // Over the module list: the read-out's pages; beside the cells, nothing.
  backend->PressKey(plat::VK_ESCAPE, 10);
  view->OnRButtonDown(CellX(1), 540, 0);
  EXPECT_EQ(MenuItems(), (Ids{517, 518, 519}));
  EXPECT_EQ(view->OnMenuCommand(519), 1);
  EXPECT_EQ(view->ModuleDataMode(), 2);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  view->OnRButtonDown(30, 540, 0);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  // The goto bar's own menu, whose "set goto" marks the chamber in the slot.
  backend->PressKey(plat::VK_ESCAPE, 10);
  view->OnRButtonDown(250, 40, 0);
  ASSERT_FALSE(MenuItems().empty());
  EXPECT_EQ(MenuItems()[0], 501u);
  EXPECT_EQ(view->OnMenuCommand(501), 1);
  const GotoEntry& slot =
      SharedScreen().gotoSlots[static_cast<std::size_t>(250 / 80 + kGotoColumns * SharedScreen().gotoGroup)];
  EXPECT_EQ(slot.kind, GOTO_DESIGN);
  EXPECT_EQ(slot.id, 0xFFFFFFFFu);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);

  // Alt and the right button on a module: its help topic, until Escape.
  ModuleRecord* record = g_gameData->moduleDB->GetRecord(view->ListEntry(view->ListFirst()).module);
  const std::uint16_t topic = record->helpTopic;
  record->helpTopic = 4321;
  CHelpLibrary help;
  if (help.module) plat::FreeLibrary(help.module);
  help.module = plat::LoadLibraryFromMemory(rc::WriteModuleImage(
      {{plat::ResName("HELP"), plat::ResName(4321), rc::kDefaultLanguage, HelpResource("A module")}}));
  ASSERT_NE(help.module, nullptr);
  g_gameData->helpLibrary = &help;
  backend->KeyDown(plat::VK_MENU);
  backend->RunUntilIdle();
  // With Alt beside the cells nothing opens.
  EXPECT_EQ(view->OnRButtonDown(30, 540, 0), 0);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  // The help window stays until Escape (Alt let go first).
  backend->KeyUp(plat::VK_MENU, 100);
  backend->PressKey(plat::VK_ESCAPE, 200);
  const plat::DWORD start = plat::timeGetTime();
  EXPECT_EQ(view->OnRButtonDown(CellX(view->ListFirst()), 540, 0), 1);
  EXPECT_GE(plat::timeGetTime() - start, 250u);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  EXPECT_TRUE(backend->ScriptDone());
  g_gameData->helpLibrary = nullptr;
  record->helpTopic = topic;
}

TEST_F(DesignViewTest, SetGotoAtASlotsRightEdgeFillsThatSlot) {
  view->Render(-1);
  Pump();
  const std::size_t first = static_cast<std::size_t>(kGotoColumns * SharedScreen().gotoGroup);
  SharedScreen().gotoSlots[first + 3] = GotoEntry{};
  SharedScreen().gotoSlots[first + 4] = GotoEntry{};
  backend->PressKey(plat::VK_ESCAPE, 10);
  view->OnRButtonDown(GotoColumnLeft(4) - 1, 40, 0);
  ASSERT_FALSE(MenuItems().empty());
  EXPECT_EQ(view->OnMenuCommand(501), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 3].kind, GOTO_DESIGN);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 4].kind, GotoEntry{}.kind);
}

TEST_F(DesignViewTest, AHeldScrollButtonStepsEachFrameUntilReleased) {
  view->Render(-1);
  ASSERT_GT(view->ListCount(), 8);
  backend->MoveMouse(600, 540);
  backend->MouseDown(plat::input::Button::Left);
  backend->RunUntilIdle();
  EXPECT_EQ(view->HeldScroll(), 1);
  EXPECT_EQ(view->ListFirst(), 1);
  for (int frame = 0; frame < 3; ++frame) {
    plat::Sleep(100);
    view->Render(-1);
  }
  EXPECT_EQ(view->ListFirst(), 4);
  backend->MouseUp(plat::input::Button::Left);
  backend->RunUntilIdle();
  plat::Sleep(100);
  view->Render(-1);
  EXPECT_EQ(view->HeldScroll(), 0);
  EXPECT_EQ(view->ListFirst(), 4);

  // Held to the left past the front: one beep there, and the hold ends.
  const std::size_t beeps = backend->Beeps().size();
  backend->MoveMouse(30, 540);
  backend->MouseDown(plat::input::Button::Left);
  backend->RunUntilIdle();
  for (int frame = 0; frame < 8; ++frame) {
    plat::Sleep(100);
    view->Render(-1);
  }
  EXPECT_EQ(view->ListFirst(), 0);
  EXPECT_EQ(view->HeldScroll(), 0);
  EXPECT_EQ(backend->Beeps().size(), beeps + 1);
  backend->MouseUp(plat::input::Button::Left);
  backend->RunUntilIdle();
}

TEST_F(DesignViewTest, ANewDesignStartsFromSlotZero) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  FitResearched(*view, 1);
  ASSERT_EQ(view->StoreDesign("First"), nullptr);
  view->OnKeyDown(plat::VK_DOWN, 0);
  ASSERT_EQ(view->DesignSlot(), 1);
  EXPECT_EQ(view->Design()->hull, nullptr);
  view->NewDesign();
  EXPECT_EQ(view->DesignSlot(), 0);
  EXPECT_STREQ(view->Design()->GetName(), "First");
  EXPECT_NE(view->Design()->moduleCount, 0);
}

TEST_F(DesignViewTest, HoveringAGotoSlotShowsItsUnitAndLeavingGivesTheSlotsBack) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  constexpr std::uint32_t kUnit = 0x24000322;
  auto* design =
      new CGUnitTemplate(static_cast<std::uint8_t>(kLocal), static_cast<std::int32_t>((kLocal << 26) | 0x78));
  design->CopyDesign(*view->Design(), -1);
  design->SetName("Scout");
  g_gameData->templates.AddTemplate(design, kLocal);
  const Location at{0, 0, 0, 0};
  ASSERT_NE(g_gameData->pieces.CreateUnit(design, &at, static_cast<std::uint8_t>(kLocal), kUnit), nullptr);
  view->SetGotoSlot(4, GOTO_UNIT, kUnit, 0);
  // The panel's rows, below its picture.
  const plat::RECT panel{637, 200, 790, 466};
  const auto shown = [&] { return Shown(panel).rgb; };
  const auto slots = shown();
  view->OnMouseMove(0, plat::MAKELPARAM(4 * 79 + 40, 40));
  const auto unit = shown();
  EXPECT_NE(unit, slots);
  // Over the list and back: the unit is shown again, not the module.
  view->OnMouseMove(0, plat::MAKELPARAM(CellX(0), 540));
  const auto module = shown();
  EXPECT_NE(module, unit);
  view->OnMouseMove(0, plat::MAKELPARAM(4 * 79 + 40, 40));
  EXPECT_EQ(shown(), unit);
  // An empty slot shows nothing new; away from everything the slot list returns.
  view->OnMouseMove(0, plat::MAKELPARAM(7 * 79 + 40, 40));
  EXPECT_EQ(shown(), unit);
  view->OnMouseMove(0, plat::MAKELPARAM(100, 300));
  EXPECT_EQ(shown(), slots);
}

// What the player sees of the control panel after the view draws its panel
// again (a dialog closed, the info panel shut), and of the filter buttons
// after a filter is chosen by key: the faces of the current state.
TEST_F(DesignViewTest, TheControlPanelShowsEveryFaceAndTheCurrentFilter) {
  view->Render(-1);
  const auto area = [&](const plat::RECT& r) { return Shown(r).rgb; };
  const plat::RECT panel{637, 494, 790, 592};
  const plat::RECT construction{637, 494, 662, 518};
  const plat::RECT computer{662, 494, 688, 518};
  const plat::RECT all{762, 518, 788, 542};
  const auto before = area(panel);
  const auto constructionUp = area(construction);
  const auto computerUp = area(computer);
  const auto allPressed = area(all);
  view->UpdateControlPanel();
  EXPECT_EQ(area(panel), before);

  view->OnKeyDown('F', 0);
  ASSERT_EQ(view->Filter(), 0);
  const auto constructionPressed = area(construction);
  EXPECT_NE(constructionPressed, constructionUp);
  EXPECT_NE(area(all), allPressed);
  view->OnKeyDown('F', 0);
  EXPECT_EQ(area(construction), constructionUp);
  EXPECT_NE(area(computer), computerUp);
}

// A module taken out of a saved design and let go outside the hull: the
// title says at once that the design is no longer saved, as a fresh redraw
// of the design area would.
TEST_F(DesignViewTest, TakingAModuleOutShowsTheDesignUnsaved) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  int slot = -1;
  for (int i = 0; i < view->ListCount() && slot < 0; ++i) {
    if (view->ListEntry(i).percent != 100 || !view->PlaceModule(view->ListEntry(i), -1)) continue;
    for (int s = 0; s < hull->GetSlotCount(); ++s)
      if (view->Design()->GetModuleId(s) != kNoModuleId) slot = s;
  }
  ASSERT_GE(slot, 0);
  ASSERT_EQ(view->StoreDesign("Kept"), nullptr);
  const plat::RECT title{34, 103, 365, 128};
  const auto shown = [&] { return Shown(title).rgb; };
  const auto saved = shown();
  const HullSlot& s = hull->slots[slot];
  view->OnLButtonDown(370 + s.x + 15, 98 + s.y + 15, 0);
  view->OnMouseMove(0, plat::MAKELPARAM(200, 300));
  view->OnLButtonUp(200, 300, 0);
  EXPECT_EQ(view->Design()->GetModuleId(slot), kNoModuleId);
  EXPECT_EQ(view->Saved(), 0u);
  const auto afterDrop = shown();
  EXPECT_NE(afterDrop, saved);
  view->Redraw(1);
  EXPECT_EQ(shown(), afterDrop);
}

// Ctrl on another row of the design list copies the stored design of the
// current slot there under the name the player gives, and moves to it.
TEST_F(DesignViewTest, ACtrlClickOnADesignRowCopiesTheCurrentDesignThere) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  for (int i = 0; i < view->ListCount(); ++i)
    if (view->ListEntry(i).percent == 100 && view->PlaceModule(view->ListEntry(i), -1)) break;
  ASSERT_EQ(view->StoreDesign("First"), nullptr);
  const int chapter = g_gameData->localChapterId;
  constexpr int kRow = 12;
  ASSERT_EQ(g_gameData->templates.GetTemplate(chapter, kRow, 1), nullptr);
  Pump();
  // The name prompt comes with its field selected: the typing replaces it.
  for (plat::UINT key : {'T', 'W', 'I', 'N'}) backend->PressKey(key, 200);
  backend->PressKey(plat::VK_RETURN, 300);
  view->OnLButtonDown(740, 206 + 13 * kRow + 6, plat::MK_CONTROL);
  const CGUnitTemplate* copy = g_gameData->templates.GetTemplate(chapter, kRow, 1);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->GetName(), "twin");
  const CGUnitTemplate* first = g_gameData->templates.GetTemplate(chapter, 0, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(copy->IsSameDesign(*first));
  EXPECT_NE(copy->templateId, first->templateId);
  EXPECT_EQ(view->DesignSlot(), kRow);
  EXPECT_EQ(view->Saved(), 1u);
}

// A copy made with Ctrl while the working design has unsaved changes asks
// before leaving them, as every other way to another row does: No keeps the
// changes on the current row, and the copy is made all the same.
TEST_F(DesignViewTest, ACtrlCopyAsksBeforeDroppingUnsavedChanges) {
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  int placed = 0;
  for (int i = 0; i < view->ListCount() && placed < 2; ++i) {
    if (view->ListEntry(i).percent != 100 || !view->PlaceModule(view->ListEntry(i), -1)) continue;
    if (++placed == 1) {
      ASSERT_EQ(view->StoreDesign("First"), nullptr);
    }
  }
  ASSERT_EQ(placed, 2);
  ASSERT_EQ(view->Saved(), 0u);
  const int modules = view->Design()->moduleCount;
  const int chapter = g_gameData->localChapterId;
  constexpr int kRow = 12;
  Pump();
  for (plat::UINT key : {'T', 'W', 'I', 'N'}) backend->PressKey(key, 200);
  backend->PressKey(plat::VK_RETURN, 300);
  backend->Click(kNoX, kBoxButtonY, plat::input::Button::Left, 300);
  view->OnLButtonDown(740, 206 + 13 * kRow + 6, plat::MK_CONTROL);
  EXPECT_TRUE(backend->ScriptDone());
  const CGUnitTemplate* copy = g_gameData->templates.GetTemplate(chapter, kRow, 1);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->GetName(), "twin");
  EXPECT_EQ(copy->moduleCount, modules - 1);
  EXPECT_EQ(view->DesignSlot(), 0);
  EXPECT_EQ(view->Saved(), 0u);
  EXPECT_EQ(view->Design()->moduleCount, modules);
}

// The switch button reads "return" in the chamber and "design" elsewhere,
// whichever way the chamber was entered (here not by that button) or left.
TEST_F(DesignViewTest, TheSwitchButtonLeadsBackInsideAndInElsewhere) {
  CImageButton* button = CVGeneric::ControlButton(101);
  ASSERT_NE(button, nullptr);
  // The picture's name after the guild's art path.
  const auto face = [&] {
    std::string name = button->normalImage;
    name = name.substr(name.find_last_of('\\') + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  };
  view->Render(-1);
  EXPECT_EQ(face(), "retrvwup.ima");
  view->GoToView(VIEW_SOLAR, -1);
  EXPECT_EQ(face(), "switvwup.ima");
  Pump();
}

// Up and Down pick a design row only while the rows are in sight: not while
// the panel reads out the module under the cursor, nor while the hull
// chooser is open.
TEST_F(DesignViewTest, UpAndDownPickARowOnlyWhileTheRowsAreShown) {
  view->Render(-1);
  ASSERT_EQ(view->DesignSlot(), 0);
  view->OnMouseMove(0, plat::MAKELPARAM(CellX(0), 540));
  view->OnKeyDown(plat::VK_DOWN, 0);
  EXPECT_EQ(view->DesignSlot(), 0);
  view->OnMouseMove(0, plat::MAKELPARAM(100, 300));
  view->OnKeyDown(plat::VK_DOWN, 0);
  EXPECT_EQ(view->DesignSlot(), 1);
  view->OpenHullChooser();
  view->OnKeyDown(plat::VK_UP, 0);
  EXPECT_EQ(view->DesignSlot(), 1);
  EXPECT_EQ(view->ChooserPage(), 1);
  view->OnLButtonDown(5, 5, 0);
  EXPECT_EQ(view->ChooserPage(), 0);
  view->OnKeyDown(plat::VK_UP, 0);
  EXPECT_EQ(view->DesignSlot(), 0);
}

// An info page's read-out (here the research page's hull costs) leaves the
// data panel when the info panel shuts: the design rows are back, and the
// Down key picks the row below as the player sees it.
TEST_F(DesignViewTest, ShuttingTheInfoPanelGivesTheDesignRowsBack) {
  view->Render(-1);
  CGHull* hull = ChooseHull();
  ASSERT_NE(hull, nullptr);
  const plat::RECT panel{637, 200, 790, 466};
  const auto shown = [&] { return Shown(panel).rgb; };
  const auto rows = shown();
  view->SetInfoPanelVisible(1);
  SharedScreen().dataPanel->ShowHullCosts(hull);
  EXPECT_NE(shown(), rows);
  view->SetInfoPanelVisible(0);
  EXPECT_EQ(shown(), rows);
  view->OnKeyDown(plat::VK_DOWN, 0);
  EXPECT_EQ(view->DesignSlot(), 1);
}

// A unit's design seen read-only is drawn in the art of the unit's guild,
// with the plate of its chapter in the module list: another guild's unit
// shows another hull picture and plate than one of the player's own.
TEST_F(DesignViewTest, AViewedDesignIsDrawnInTheArtOfItsUnitsGuild) {
  const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
  g_gameData->guildModules[3] = plat::LoadLibrary((art + "GUILD4/guild.dll").c_str());
  ASSERT_NE(g_gameData->guildModules[3], nullptr);
  view->Render(-1);
  ASSERT_NE(ChooseHull(), nullptr);
  const Location at{0, 0, 0, 0};
  const auto unitOf = [&](std::uint32_t chapter, std::uint32_t serial) {
    auto* design =
        new CGUnitTemplate(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>((chapter << 26) | serial));
    design->CopyDesign(*view->Design(), -1);
    g_gameData->templates.AddTemplate(design, static_cast<std::uint8_t>(chapter));
    const std::uint32_t id = (chapter << 26) | (serial + 0x300);
    EXPECT_NE(g_gameData->pieces.CreateUnit(design, &at, static_cast<std::uint8_t>(chapter), id), nullptr);
    return id;
  };
  const std::uint32_t own = unitOf(kLocal, 0x71);
  const std::uint32_t foreign = unitOf(26, 0x72);
  const plat::RECT cell{65, 496, 65 + 98, 496 + 94};
  const plat::RECT hullArea{370, 98, 612, 465};
  const auto seen = [&](std::uint32_t unit, const plat::RECT& area) {
    view->GoToView(VIEW_SOLAR, -1);
    view->Render(static_cast<std::int32_t>(unit));
    return Shown(area).rgb;
  };
  const auto ownPlate = seen(own, cell);
  const auto ownHull = seen(own, hullArea);
  EXPECT_NE(seen(foreign, cell), ownPlate);
  EXPECT_NE(seen(foreign, hullArea), ownHull);
  EXPECT_EQ(seen(own, cell), ownPlate);
  EXPECT_EQ(seen(own, hullArea), ownHull);
  view->GoToView(VIEW_SOLAR, -1);
  plat::FreeLibrary(g_gameData->guildModules[3]);
  g_gameData->guildModules[3] = nullptr;
}

}  // namespace
