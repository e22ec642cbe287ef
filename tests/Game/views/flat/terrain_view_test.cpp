// The terrain view over a headless screen with the game's pictures as built:
// an asteroid of chapter 9 (guild 1) shared with an ally, a renegade of the
// guild and a chapter of guild 2, drawn under its filters (goldens), the
// filter buttons and keys, the survey line, the popup items each zone offers
// and the packets its commands send, leaving the view, and its saved block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/model/GZone.h"
#include "Game/net/NetSession.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/GotoTips.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/core/random.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "tests/Game/views/flat/terrain_screen.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"
#include "tests/support/help_keys.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace plat;
using namespace terrain_test;

TEST_F(TerrainView, ShowsTheSurfaceUnderEachFilter) {
  Show();
  ASSERT_TRUE(view->IsBuilt());
  EXPECT_EQ(view->GetCurrentAsteroidId(), kShown);
  // Mining potential first: the tint grows with each zone's mining value.
  EXPECT_EQ(view->GetFilter(), 3);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 0, 800, 600}), Golden("terrain_mining.png")));
  view->SelectFilter(0);
  EXPECT_EQ(view->GetFilter(), 0);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("terrain_mine.png")));
  // The chosen filter again clears the tint.
  view->SelectFilter(0);
  EXPECT_EQ(view->GetFilter(), CVTerrain::kNoFilter);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("terrain_plain.png")));
}

TEST_F(TerrainView, SmallestAsteroidSitsInTheMiddle) {
  Show(0);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("terrain_size0.png")));
}

TEST_F(TerrainView, FiltersTintByOwnerAndValue) {
  Show();
  const CGAsteroid& a = *Shown();
  auto percent = [&](std::uint8_t f, std::uint16_t z) {
    if (view->GetFilter() != f) view->SelectFilter(f);
    return view->FilterPercent(*a.GetZone(z));
  };
  EXPECT_EQ(percent(0, 1), 70);
  EXPECT_EQ(percent(0, 2), 0);
  EXPECT_EQ(percent(1, 2), 70);  // an ally of the guild
  EXPECT_EQ(percent(1, 4), 0);   // the renegade
  EXPECT_EQ(percent(1, 1), 70);  // our own chapter is loyal too
  EXPECT_EQ(percent(2, 4), 70);
  EXPECT_EQ(percent(2, 7), 0);  // another guild is neither
  EXPECT_EQ(percent(3, 5), 30);
  EXPECT_EQ(percent(4, 5), 6 * 9);
  // An unknown owner is never tinted.
  a.GetZone(5)->SetOwner(kZoneUnknown);
  EXPECT_EQ(percent(4, 5), 0);
  // F walks the filters: 5 wraps to 0.
  view->SelectFilter(5);
  view->OnKeyDown('F', 0);
  EXPECT_EQ(view->GetFilter(), 0);
  // The buttons choose the same way: filter 0's button again clears it.
  view->OnCommand(CVTerrain::kFirstFilterId);
  EXPECT_EQ(view->GetFilter(), CVTerrain::kNoFilter);
  view->OnKeyDown('F', 0);
  EXPECT_EQ(view->GetFilter(), 0);
}

TEST_F(TerrainView, SurveyLineByLastVisit) {
  Show();
  EXPECT_EQ(view->SurveyStatus(), "Rock2 - Up to date");  // chapter 9 is there now
  EXPECT_EQ(SharedScreen().statusText, "Rock2 - Up to date");
  CGAsteroid& empty = *g_gameData->solarDB.GetAsteroid(3);
  // While built the view only shows again; leaving makes it build anew.
  view->Render(static_cast<std::int32_t>(kAsteroidSubject | 3));
  EXPECT_EQ(view->GetCurrentAsteroidId(), kShown);
  view->GoToView(VIEW_TERRAIN, static_cast<LPARAM>(kAsteroidSubject | 3));
  view->Render(static_cast<std::int32_t>(kAsteroidSubject | 3));
  EXPECT_EQ(view->SurveyStatus(), "Rock3 - Unknown");
  empty.GetZone(0)->SetOwner(kForeign);
  empty.GetZone(0)->SetAtvCounts(1, 0, 0, 0);
  empty.lastVisitTurn = 5;
  EXPECT_EQ(view->SurveyStatus(), "Rock3 - Last updated: 1 turn ago");
  empty.lastVisitTurn = 2;
  EXPECT_EQ(view->SurveyStatus(), "Rock3 - Last updated: 4 turns ago");
}

TEST_F(TerrainView, TheStatusLineGoesAfterItsTime) {
  Show();
  const RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 16};
  const plat::Image withLine = quentest::ScreenArea(line);
  // A frame every 35 ms: one step each 75 ms, so the line stands for some
  // seconds, then the surface shows again without it.
  for (int frame = 0; frame < 40; ++frame) view->PlayFrameAnimation(35);
  EXPECT_GT(SharedScreen().statusShown, 0);
  EXPECT_EQ(quentest::ScreenArea(line).rgb, withLine.rgb);
  for (int frame = 0; frame < 60; ++frame) view->PlayFrameAnimation(35);
  EXPECT_EQ(SharedScreen().statusShown, 0);
  EXPECT_TRUE(SharedScreen().statusText.empty());
  EXPECT_NE(quentest::ScreenArea(line).rgb, withLine.rgb);
}

// The full redraw after a save builds the surface again: the save's line
// stays for its time rather than giving way to the survey's, which the next
// show of an asteroid tells again.
TEST_F(TerrainView, ARebuildKeepsTheSavedLineAndANewShowTellsTheSurvey) {
  Show();
  const RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 16};
  const plat::Image survey = quentest::ScreenArea(line);
  view->SetStatusText("Game saved", 26);
  view->Invalidate();
  EXPECT_EQ(SharedScreen().statusText, "Game saved");
  EXPECT_NE(quentest::ScreenArea(line).rgb, survey.rgb);
  view->GoToView(VIEW_TERRAIN, static_cast<LPARAM>(kAsteroidSubject | kShown));
  // Frames run before the next show: the survey covered stays behind.
  for (int frame = 0; frame < 26; ++frame) view->PlayFrameAnimation(75);
  EXPECT_EQ(SharedScreen().statusShown, 0);
  Show();
  EXPECT_EQ(SharedScreen().statusText, "Rock2 - Up to date");
}

// "Game saved" covers the survey for its time only; the survey then shows
// again for the time it had left, and goes after it.
TEST_F(TerrainView, TheSurveyComesBackAfterTheSavedLine) {
  Show();
  const RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 16};
  // The line's letters, apart from the surface under them.
  auto letters = [&line] {
    std::vector<bool> green;
    for (std::uint32_t p : quentest::ScreenArea(line).rgb) green.push_back(p == 0x00FF00);
    return green;
  };
  const std::vector<bool> survey = letters();
  for (int frame = 0; frame < 5; ++frame) view->PlayFrameAnimation(75);
  view->SetStatusText("Game saved", 26);
  view->Invalidate();
  ASSERT_NE(letters(), survey);
  for (int frame = 0; frame < 26; ++frame) view->PlayFrameAnimation(75);
  EXPECT_EQ(SharedScreen().statusText, "Rock2 - Up to date");
  EXPECT_EQ(SharedScreen().statusShown, 21);
  EXPECT_EQ(letters(), survey);
  for (int frame = 0; frame < 21; ++frame) view->PlayFrameAnimation(75);
  EXPECT_TRUE(SharedScreen().statusText.empty());
  EXPECT_EQ(letters(), std::vector<bool>(survey.size(), false));
}

TEST_F(TerrainView, PopupOffersWhatEachCellAllows) {
  Show();
  using M = CVTerrain::MenuCommand;
  // Everywhere: space, transport, and the votes of the asteroid we control.
  EXPECT_EQ(Items(7, 1), (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT, M::MENU_VOTES}));
  // Our seed banks in zone 1 raise mining and stacking; mining ATVs build
  // a storage and a mining facility; power ATVs may entrench.
  EXPECT_EQ(Items(1, 3),
            (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT, M::MENU_VOTES, M::MENU_RAISE_MINING,
                                        M::MENU_RAISE_STACKING, M::MENU_ATV_FACILITY}));
  EXPECT_EQ(Items(1, 1), (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT, M::MENU_VOTES,
                                                     M::MENU_STORAGE_FACILITY, M::MENU_MINING_FACILITY}));
  // Zone 1 has its power facility already.
  EXPECT_EQ(Items(1, 2),
            (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT, M::MENU_VOTES, M::MENU_ENTRENCH}));
  // Zone 9: an ATV facility of ours constructs; the storage stands.
  EXPECT_EQ(Items(9, 3),
            (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT, M::MENU_VOTES, M::MENU_RAISE_MINING,
                                        M::MENU_RAISE_STACKING, M::MENU_CONSTRUCT_ATVS}));
  EXPECT_EQ(Items(9, 1).size(), 3u);
  // The centre's seed banks raise nothing and build no ATV facility.
  EXPECT_EQ(Items(0, 3).size(), 3u);
  // A pending raise offers no other.
  Shown()->GetZone(1)->zoneWord = 1;
  EXPECT_EQ(Items(1, 3).size(), 4u);
  // Without control of the asteroid no votes.
  Shown()->controller = kForeign;
  EXPECT_EQ(Items(7, 1), (std::vector<std::uint32_t>{M::MENU_GO_SPACE, M::MENU_TRANSPORT}));
}

TEST_F(TerrainView, ZoneCommandsSendTheirPackets) {
  Show();
  const auto [sx, sy] = CellPoint(1, 3);
  view->RunZoneCommand(CVTerrain::MENU_RAISE_STACKING, sx, sy);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(Sent(0), (std::vector<std::uint8_t>{0x5E, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 9, 0, kShown, 0, 1, 0}));
  EXPECT_EQ(Shown()->GetZone(1)->zoneWord, 1u);
  const auto [px, py] = CellPoint(1, 2);
  view->RunZoneCommand(CVTerrain::MENU_ENTRENCH, px, py);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Sent(1),
            (std::vector<std::uint8_t>{0x60, 0x02, 0, 0, 0, 0, 0, 0, kShown, 0, 1, 0, 9, 0, 1, 0, 2, 0, 0, 0}));
  EXPECT_NE(Shown()->GetZone(1)->IsAtvKindEntrenched(2), 0u);
  const auto [mx, my] = CellPoint(1, 1);
  view->RunZoneCommand(CVTerrain::MENU_MINING_FACILITY, mx, my);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(Sent(2),
            (std::vector<std::uint8_t>{0x63, 0x02, 0, 0, 0, 0, 0, 0, kShown, 0, 9, 0, 1, 0, 1, 0, 2, 0, 0, 0}));
  // Built here at once, paid with six mining ATVs.
  EXPECT_EQ(Shown()->GetZone(1)->facilities & FACILITY_MINING, static_cast<std::uint32_t>(FACILITY_MINING));
  EXPECT_EQ(Shown()->GetZone(1)->atvCounts[1], 1);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("terrain_built.png")));
}

TEST_F(TerrainView, LeavingPostsTheSwitch) {
  Show();
  Switches();
  // A double click off the zones goes to the asteroid's space; on a zone nothing.
  const auto [zx, zy] = CellPoint(2, 0);
  view->OnLButtonDblClk(zx, zy);
  EXPECT_TRUE(Switches().empty());
  view->OnLButtonDblClk(40, 110);
  EXPECT_EQ(Switches(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_ASTEROID_SPACE, 0xFFFF0002u}}));
  EXPECT_FALSE(view->IsBuilt());
  Show();
  // J does the same; Tab walks to the next asteroid where chapter 9 is.
  view->OnKeyDown('J', 0);
  // The switch record: the terrain view was left for the asteroid's space.
  EXPECT_EQ(SharedScreen().previousViewType, static_cast<std::uint32_t>(VIEW_TERRAIN));
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE));
  Shown();
  g_gameData->solarDB.GetAsteroid(4)->GetZone(3)->SetOwner(kLocal);
  g_gameData->solarDB.GetAsteroid(4)->GetZone(3)->SetAtvCounts(1, 0, 0, 0);
  Show();
  view->OnKeyDown(VK_TAB, 0);
  EXPECT_EQ(Switches(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_ASTEROID_SPACE, 0xFFFF0002u},
                                                                              {VIEW_TERRAIN, 0xFFFF0004u}}));
  // The go-to-space button and the main window's command 310 alike.
  Show();
  EXPECT_EQ(view->OnCommand(310), 1);
  EXPECT_EQ(view->OnCommand(999), 0);
  EXPECT_EQ(Switches().size(), 1u);
}

// The surface's help topic names only keys the view answers (1: taken).
TEST_F(TerrainView, EveryKeyItsHelpTopicNamesIsTaken) {
  const std::string text =
      quentest::HelpTopicText(std::filesystem::path(QUEN_SOURCE_DIR) / "data/help/topics.txt", 306);
  const auto keys = quentest::KeysNamedIn(text);
  ASSERT_FALSE(keys.empty());
  Show();
  EXPECT_EQ(view->OnKeyDown('Q', 0), 0);
  for (const quentest::NamedKey& key : keys) {
    Show();
    bool taken = false;
    for (UINT code : key.codes) taken = view->OnKeyDown(code, 0) == 1 || taken;
    EXPECT_TRUE(taken) << "topic 306 names \"" << key.name << "\"";
    Switches();
  }
}

// The goto bar's tips name what each slot holds and what a double click does.
TEST_F(TerrainView, GotoTipsTellWhatASlotHolds) {
  const std::string asteroid = GotoTipText(GotoEntry{GOTO_TERRAIN_ASTEROID, kShown});
  EXPECT_EQ(asteroid.rfind(g_gameData->solarDB.GetAsteroid(kShown)->GetName(), 0), 0u) << asteroid;
  EXPECT_NE(asteroid.find("right half for its surface"), std::string::npos) << asteroid;
  EXPECT_NE(GotoTipText(GotoEntry{GOTO_EMPTY, 0}).find("double-click"), std::string::npos);
  for (std::uint16_t kind : {GOTO_SOLAR, GOTO_DESIGN}) EXPECT_FALSE(GotoTipText(GotoEntry{kind, 0}).empty()) << kind;
}

TEST_F(TerrainView, SetGotoMarksTheSlotUnderTheBarMenu) {
  Show();
  // A zone's popup opened far to the right first, then the goto bar's own
  // menu over slot 3: the asteroid goes into slot 3.
  int zone = 1;
  while (CellPoint(zone, 0).first / 80 < 5) ++zone;
  const auto [zx, zy] = CellPoint(zone, 0);
  backend->PressKey(VK_ESCAPE, 10);
  view->ShowContextMenu(zx, zy);
  const std::size_t barSlot = 3 + kGotoColumns * SharedScreen().gotoGroup;
  const std::size_t zoneSlot = static_cast<std::size_t>(zx / 80) + kGotoColumns * SharedScreen().gotoGroup;
  const GotoEntry before = SharedScreen().gotoSlots[zoneSlot];
  SharedScreen().gotoSlots[barSlot] = GotoEntry{GOTO_ASTEROID, 1};
  backend->PressKey(VK_ESCAPE, 10);
  view->ShowContextMenu(250, 40);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(view->OnMenuCommand(CVTerrain::MENU_SET_GOTO), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[barSlot].kind, GOTO_TERRAIN_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[barSlot].id, kShown);
  EXPECT_EQ(SharedScreen().gotoSlots[zoneSlot].kind, before.kind);
  EXPECT_EQ(SharedScreen().gotoSlots[zoneSlot].id, before.id);
}

TEST_F(TerrainView, AnEmptyGotoSlotTakesTheAsteroidFromItsMenu) {
  Show();
  const std::size_t slot = 6 + kGotoColumns * SharedScreen().gotoGroup;
  SharedScreen().gotoSlots[slot] = GotoEntry{};
  backend->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(view->ShowContextMenu(GotoColumnLeft(6) + 30, 40), 1);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(view->OnMenuCommand(CVTerrain::MENU_SET_GOTO), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[slot].kind, GOTO_TERRAIN_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[slot].id, kShown);
}

TEST_F(TerrainView, TheGotoSlotAtTheMenusEdgeIsTheOneUnderIt) {
  Show();
  const std::size_t first = static_cast<std::size_t>(kGotoColumns * SharedScreen().gotoGroup);
  SharedScreen().gotoSlots[first + 3] = GotoEntry{};
  SharedScreen().gotoSlots[first + 4] = GotoEntry{};
  backend->PressKey(VK_ESCAPE, 10);
  ASSERT_EQ(view->ShowContextMenu(GotoColumnLeft(4) - 1, 40), 1);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(view->OnMenuCommand(CVTerrain::MENU_SET_GOTO), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 3].kind, GOTO_TERRAIN_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 4].kind, GotoEntry{}.kind);
}

TEST_F(TerrainView, AutomanageOnlyWhenAlone) {
  Show();
  EXPECT_EQ(Shown()->automanage, 0);
  view->ToggleAutomanage();
  EXPECT_EQ(Shown()->automanage, 0);
  EXPECT_EQ(SharedScreen().statusText, "Can't activate automanage.  You are not alone on this asteroid.");
  for (std::uint16_t z : {2, 4, 7}) Own(z, kZoneNobody, 0, 0, 0, 0);
  view->ToggleAutomanage();
  EXPECT_EQ(Shown()->automanage, 1);
  EXPECT_EQ(SharedScreen().statusText, "Automanage activated");
  EXPECT_EQ(view->AutomanageButton()->normalShown, 0u);
  view->ToggleAutomanage();
  EXPECT_EQ(SharedScreen().statusText, "Automanage deactivated");
  view->Render(static_cast<std::int32_t>(kAsteroidSubject | 3));
  view->GoToView(VIEW_TERRAIN, static_cast<LPARAM>(kAsteroidSubject | 3));
  view->Render(static_cast<std::int32_t>(kAsteroidSubject | 3));
  view->ToggleAutomanage();
  EXPECT_EQ(SharedScreen().statusText, "Can't activate automanage.  You have no ATVs here.");
}

TEST_F(TerrainView, SavedBlockEndsInItsMark) {
  Show();
  quentest::ScratchDrive drive;
  const std::string path = drive.Dos("view.blk");
  plat::FILE* f = plat::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(view->SaveState(f), 1);
  plat::fclose(f);
  EXPECT_EQ(std::filesystem::file_size(drive.Host("view.blk")), 7u);
  CVTerrain other(window, program);
  f = plat::fopen(path.c_str(), "rb");
  EXPECT_EQ(other.LoadState(f), 1);
  plat::fclose(f);
  EXPECT_EQ(other.GetCurrentAsteroidId(), kShown);
  EXPECT_FALSE(other.IsBuilt());
  // A wrong end byte, or a short block, is refused and leaves the view unbuilt.
  for (std::size_t size : {std::size_t{7}, std::size_t{3}}) {
    std::vector<std::uint8_t> bytes(size, 0);
    f = plat::fopen(path.c_str(), "wb");
    plat::fwrite(bytes.data(), 1, bytes.size(), f);
    plat::fclose(f);
    f = plat::fopen(path.c_str(), "rb");
    EXPECT_EQ(view->LoadState(f), 0) << size;
    plat::fclose(f);
    EXPECT_FALSE(view->IsBuilt());
  }
}

// ATVs by drag and drop: a drag takes them from the zone at once, a drop
// gives them back and then orders them; arriving ones dragged back home undo
// their move.
class TerrainAtvs : public TerrainView {
 protected:
  void SetUp() override {
    TerrainView::SetUp();
    Show();
    packets.clear();
  }
  static LPARAM At(int x, int y) { return static_cast<LPARAM>((y << 16) | (x & 0xFFFF)); }
  // Left (owned) or right (arriving) half of zone z's cell of kind k.
  std::pair<int, int> Half(int zone, int kind, bool right) {
    auto [x, y] = CellPoint(zone, kind);
    return {right ? x + 15 : x - 10, y};
  }
  void Drag(std::pair<int, int> from, std::pair<int, int> to, WPARAM keysDown, WPARAM keysUp) {
    view->OnLButtonDown(from.first, from.second, keysDown);
    view->OnMouseMove(0, At(to.first, to.second));
    view->OnLButtonUp(to.first, to.second, keysUp);
  }
  // A free zone next to `zone`.
  int FreeNeighbour(int zone) {
    for (int t = 1; t < Shown()->GetZoneCount(); ++t)
      if (t != zone && Shown()->AreZonesAdjacent(zone, t) && Shown()->GetZone(t)->owner == kZoneNobody) return t;
    return -1;
  }
  // Packets 600 and 601 (20 bytes): u16 asteroid, zone, source zone, chapter, kind, count.
  std::vector<std::uint8_t> CountPacket(std::uint16_t type, int zone, int source, int kind, int n) {
    std::vector<std::uint8_t> p(20, 0);
    const int fields[] = {type, kShown, zone, source, kLocal, kind, n};
    p[0] = static_cast<std::uint8_t>(type);
    p[1] = static_cast<std::uint8_t>(type >> 8);
    for (int i = 1; i < 7; ++i) {
      p[6 + 2 * i] = static_cast<std::uint8_t>(fields[i]);
      p[7 + 2 * i] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
    return p;
  }
};

TEST_F(TerrainAtvs, CtrlDragMovesFiveAndUndoBringsOneBack) {
  const int target = FreeNeighbour(1);
  ASSERT_GT(target, 0);
  CGZone& from = *Shown()->GetZone(1);
  CGZone& to = *Shown()->GetZone(static_cast<std::uint16_t>(target));
  // Mid-drag: the ATV under the cursor, the zone below it tinted green (no filter tint).
  view->SelectFilter(3);
  view->OnLButtonDown(Half(1, 1, false).first, Half(1, 1, false).second, MK_CONTROL);
  EXPECT_EQ(view->DraggedCount(), 5);
  EXPECT_EQ(from.atvCounts[1], 2);  // taken at once, nothing sent
  EXPECT_TRUE(packets.empty());
  const auto over = CellPoint(target, 2);
  view->OnMouseMove(0, At(over.first, over.second));
  EXPECT_EQ(view->HighlightedZone(), target);
  EXPECT_TRUE(view->DropAllowed(target));
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("terrain_drag.png")));
  view->OnLButtonUp(over.first, over.second, MK_CONTROL);
  EXPECT_EQ(view->DraggedKind(), 0xFF);
  EXPECT_EQ(view->HighlightedZone(), 0xFF);
  EXPECT_EQ(from.atvCounts[1], 2);
  EXPECT_EQ(to.GetArrivingAtvCount(0, 1), 5);
  EXPECT_EQ(to.atvMoves.count, 5u);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(Sent(0), CountPacket(600, target, 1, 1, 5));
  // One of them dragged back home: the move is undone, 600 and 601 say so.
  Drag(Half(target, 1, true), CellPoint(1, 0), 0, 0);
  EXPECT_EQ(to.GetArrivingAtvCount(0, 1), 4);
  EXPECT_EQ(to.atvMoves.count, 4u);
  EXPECT_EQ(from.atvCounts[1], 3);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(Sent(1), CountPacket(600, target, 1, 1, 255));
  // 601 (24 bytes): u16 asteroid, zone, owner, then the owner's four counts.
  EXPECT_EQ(Sent(2), (std::vector<std::uint8_t>{0x59,   0x02, 0, 0, 0, 0, 0, 0, kShown, 0, 1, 0,
                                                kLocal, 0,    1, 0, 3, 0, 4, 0, 3,      0, 0, 0}));
  // Dropped anywhere else an arriving ATV stays where it was going.
  const int elsewhere = FreeNeighbour(target) == 1 ? -1 : FreeNeighbour(target);
  Drag(Half(target, 1, true), elsewhere > 0 ? CellPoint(elsewhere, 0) : std::make_pair(40, 110), 0, 0);
  EXPECT_EQ(to.GetArrivingAtvCount(0, 1), 4);
  EXPECT_EQ(packets.size(), 3u);
}

TEST_F(TerrainAtvs, ADragTakesAtMostWhatTheZoneHolds) {
  const int target = FreeNeighbour(1);
  CGZone& from = *Shown()->GetZone(1);
  // Three seed banks, Ctrl asks for five: all three go.
  Drag(Half(1, 3, false), CellPoint(target, 0), MK_CONTROL, MK_CONTROL);
  EXPECT_EQ(from.atvCounts[3], 0);
  EXPECT_EQ(Shown()->GetZone(static_cast<std::uint16_t>(target))->GetArrivingAtvCount(0, 3), 3);
  // Nothing to drag from an empty cell, another chapter's, or a right half without arrivals.
  view->OnLButtonDown(Half(1, 3, false).first, Half(1, 3, false).second, 0);
  EXPECT_EQ(view->DraggedKind(), 0xFF);
  view->OnLButtonDown(Half(2, 0, false).first, Half(2, 0, false).second, 0);
  EXPECT_EQ(view->DraggedKind(), 0xFF);
  view->OnLButtonDown(Half(1, 2, true).first, Half(1, 2, true).second, 0);
  EXPECT_EQ(view->DraggedKind(), 0xFF);
}

TEST_F(TerrainAtvs, RefusedDropsGiveTheAtvsBack) {
  CGZone& from = *Shown()->GetZone(1);
  // Off the zones, on the source itself, and combat ATVs into the centre.
  Drag(Half(1, 0, false), {40, 110}, 0, 0);
  Drag(Half(1, 0, false), CellPoint(1, 2), 0, 0);
  ASSERT_TRUE(Shown()->AreZonesAdjacent(1, 0));
  view->OnLButtonDown(Half(1, 0, false).first, Half(1, 0, false).second, 0);
  EXPECT_FALSE(view->DropAllowed(0));
  view->OnLButtonUp(CellPoint(0, 3).first, CellPoint(0, 3).second, 0);
  EXPECT_EQ(from.atvCounts[0], 1);
  EXPECT_EQ(from.owner, kLocal);
  EXPECT_TRUE(packets.empty());
  // A zone two rings out is out of reach without the tech flag 'M'.
  int far = -1;
  for (int t = 3; t < Shown()->GetZoneCount() && far < 0; ++t)
    if (!Shown()->AreZonesAdjacent(1, t) && terrain::RingOfZone(t) == 2) far = t;
  ASSERT_GT(far, 0);
  EXPECT_EQ(view->MoveAtvs(1, far, 1, 1), 7);
  EXPECT_TRUE(packets.empty());
  // Seed banks may go into the centre.
  EXPECT_EQ(view->MoveAtvs(1, 0, 3, 1), 2);
  EXPECT_EQ(packets.size(), 1u);
}

TEST_F(TerrainAtvs, LeavingInADragGivesTheAtvsBack) {
  CGZone& from = *Shown()->GetZone(1);
  CGZone& to = *Shown()->GetZone(7);
  // J pressed with the button held on an owned ATV, then on an arriving one.
  view->OnLButtonDown(Half(1, 1, false).first, Half(1, 1, false).second, MK_CONTROL);
  ASSERT_EQ(view->DraggedCount(), 5);
  view->OnKeyDown('J', 0);
  EXPECT_EQ(view->DraggedKind(), 0xFF);
  EXPECT_EQ(from.atvCounts[1], 7);
  Show();
  view->OnLButtonDown(Half(7, 0, true).first, Half(7, 0, true).second, 0);
  ASSERT_EQ(view->DraggedKind(), 0);
  view->OnKeyDown(VK_TAB, 0);
  EXPECT_EQ(to.GetArrivingAtvCount(0, 0), 9);
  EXPECT_TRUE(packets.empty());
  // Back on the surface, a move of the mouse carries nothing.
  Show();
  view->OnMouseMove(0, At(CellPoint(2, 0).first, CellPoint(2, 0).second));
  EXPECT_EQ(view->HighlightedZone(), 0xFF);
}

TEST_F(TerrainAtvs, ShiftDropAttacksWithTheRFlag) {
  CGZone& from = *Shown()->GetZone(1);
  // Zone 2 (the ally's) is next to zone 1; without 'R' nothing happens.
  Drag(Half(1, 0, false), CellPoint(2, 0), 0, MK_SHIFT);
  EXPECT_TRUE(packets.empty());
  EXPECT_EQ(from.atvCounts[0], 1);
  g_gameData->GetLocalChapter()->atvTech[0].values[5] = 'R';
  // The centre, next to zone 1, takes no combat ATVs: an attack there is
  // refused here as a move there is, and the server hears nothing.
  ASSERT_TRUE(Shown()->AreZonesAdjacent(1, 0));
  Drag(Half(1, 0, false), CellPoint(0, 3), 0, MK_SHIFT);
  EXPECT_TRUE(packets.empty());
  EXPECT_EQ(from.atvCounts[0], 1);
  EXPECT_EQ(from.GetArrivingAtvCount(0, 0), 0);
  EXPECT_EQ(Shown()->GetZone(0)->attacking.count, 0u);
  Drag(Half(1, 0, false), CellPoint(2, 0), 0, MK_SHIFT | MK_CONTROL);
  EXPECT_EQ(from.atvCounts[0], 0);
  // The attacker waits in its own zone's arriving list; zone 2 hears of it.
  EXPECT_EQ(from.GetArrivingAtvCount(0, 0), 1);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Sent(0), CountPacket(600, 1, 1, 0, 1));
  EXPECT_EQ(Sent(1), CountPacket(607, 2, 1, 0, 1));
}

// A unit over the asteroid lands its ATVs or picks them up, zone by zone,
// finishing on the placement bar.
class TerrainPlacement : public TerrainView {
 protected:
  static constexpr std::uint32_t kUnit = 0x24000101;
  void SetUp() override {
    TerrainView::SetUp();
    auto* design = new CGUnitTemplate(kLocal, static_cast<std::int32_t>((std::uint32_t{kLocal} << 26) | 0x1000 | 1));
    design->unitClass = 9;
    design->atvCapacity = 20;
    g_gameData->templates.AddTemplate(design, kLocal);
    const Location at{kShown, 0, 0, 0};
    unit = g_gameData->pieces.CreateUnit(design, &at, kLocal, kUnit);
    ASSERT_NE(unit, nullptr);
    unit->atvCargo = {3, 2, 0, 4};
    unit->percents.fill(100);  // undamaged
    SharedScreen().previousViewType = VIEW_ASTEROID_SPACE;
  }
  void Enter(std::uint32_t landing) {
    unit->landingRequest = landing;
    view->Render(static_cast<std::int32_t>(kUnit));
    Switches();
    packets.clear();
  }
  void Click(int zone, int kind, WPARAM keys = 0) {
    const auto [x, y] = CellPoint(zone, kind);
    view->OnLButtonDown(x - 10, y, keys);
  }
  void Bar(int slot) { view->OnLButtonDown(GotoColumnLeft(slot) + 20, 30, 0); }
  CGUnit* unit = nullptr;
};

TEST_F(TerrainPlacement, TheKindTogglesFitTheirSlotsWhole) {
  // A slot shows 73 x 65 pixels: a larger picture loses the ends of its caption.
  const char* const names[] = {"gotocbup.ima", "gotocbdn.ima", "gotomnup.ima", "gotomndn.ima",
                               "gotopwup.ima", "gotopwdn.ima", "gotoscup.ima", "gotoscdn.ima"};
  for (int guild = 0; guild < 5; ++guild) {
    ASSERT_NE(g_gameData->guildModules[guild], nullptr);
    for (const char* name : names) {
      const std::string path = std::string(g_instData.GetGuildPath(guild)) + name;
      CSprite picture(SharedScreen().viewDDraw, 0xFFFFFFFF, g_gameData->guildModules[guild], path.c_str(), 0, 0, 0);
      EXPECT_GT(picture.width, 0u) << path;
      EXPECT_LE(picture.width, 73u) << path;
      EXPECT_LE(picture.height, 65u) << path;
    }
  }
}

TEST_F(TerrainPlacement, LandingFillsTheBlockUntilDone) {
  Enter(1);
  ASSERT_TRUE(view->InPlacement());
  ASSERT_TRUE(view->IsLanding());
  EXPECT_EQ(view->IsBusy(), 1);
  // No toggle on: nothing lands.
  Click(9, 0, MK_CONTROL);
  EXPECT_EQ(view->LandingCount(0, 9), 0);
  Bar(1);  // all kinds; power is not carried and stays off
  EXPECT_EQ(view->KindToggle(0), 1u);
  EXPECT_EQ(view->KindToggle(2), 0u);
  // Others are on the asteroid: the inner rings refuse.
  Click(5, 0, MK_CONTROL);
  EXPECT_EQ(view->LandingCount(0, 5), 0);
  Click(9, 0, MK_CONTROL);
  EXPECT_EQ(view->LandingCount(0, 9), 3);
  EXPECT_EQ(view->LandingCount(1, 9), 2);
  EXPECT_EQ(view->LandingCount(3, 9), 0);  // seed banks land in the centre only
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{0, 0, 0, 4}));
  EXPECT_TRUE(packets.empty());
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 0, 800, 470}), Golden("terrain_landing.png")));
  // Reset gives everything back; a second landing is then done.
  Bar(8);
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{3, 2, 0, 4}));
  EXPECT_EQ(view->LandingCount(0, 9), 0);
  // The toggles stay, but combat went off when its last ATV was placed.
  EXPECT_EQ(view->KindToggle(0), 0u);
  EXPECT_EQ(view->KindToggle(3), 1u);
  Bar(2);
  Click(10, 0);
  EXPECT_EQ(view->LandingCount(0, 10), 1);
  Bar(7);
  ASSERT_EQ(unit->GetOrderCount(), 1);
  EXPECT_EQ(unit->GetOrder(0)->type, static_cast<std::uint32_t>(ORDER_LAND_ATVS));
  EXPECT_EQ(unit->GetOrder(0)->landing->bytes[0], kShown);
  EXPECT_EQ(unit->GetOrder(0)->landing->Count(0, 10), 1);
  EXPECT_EQ(unit->landingRequest, 0u);
  EXPECT_FALSE(view->InPlacement());
  EXPECT_EQ(Switches(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_ASTEROID_SPACE, 0xFFFF0002u}}));
}

TEST_F(TerrainPlacement, PickingUpSendsEachAndStopsAtFifteen) {
  unit->atvCargo = {0, 0, 0, 0};
  Shown()->GetZone(9)->SetAtvCounts(20, 2, 0, 2);
  Enter(0);
  ASSERT_FALSE(view->IsLanding());
  Click(9, 0, MK_CONTROL);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Sent(0),
            (std::vector<std::uint8_t>{0x61, 0x02, 0, 0, 0, 0, 0, 0, kShown, 0, 9, 0, kLocal, 0, 0, 0, 5, 0, 0, 0}));
  EXPECT_EQ(packets[1][0] | packets[1][1] << 8, 601);
  Click(9, 0, MK_CONTROL);
  Click(9, 0, MK_CONTROL);
  Click(9, 0, MK_CONTROL);
  // Four bits per zone and kind: 15, not carried into the mining nibble.
  EXPECT_EQ(view->PickedCount(9, 0), 15);
  EXPECT_EQ(view->PickedCount(9, 1), 0);
  EXPECT_EQ(Shown()->GetZone(9)->atvCounts[0], 5);
  Click(9, 1, MK_CONTROL);
  EXPECT_EQ(view->PickedCount(9, 1), 2);
  // The hold takes 20: three seed banks would not fit past it.
  Shown()->GetZone(9)->SetAtvCounts(5, 0, 0, 5);
  Click(9, 3, MK_CONTROL);
  EXPECT_EQ(view->PickedCount(9, 3), 3);
  EXPECT_EQ(view->PickedTotal(0) + view->PickedTotal(1) + view->PickedTotal(3), 20);
  // Another chapter's zone gives nothing.
  Click(7, 0);
  EXPECT_EQ(view->PickedCount(7, 0), 0);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 0, 800, 80}), Golden("terrain_pickup_bar.png")));
  Bar(7);
  ASSERT_EQ(unit->GetOrderCount(), 1);
  EXPECT_EQ(unit->GetOrder(0)->type, static_cast<std::uint32_t>(ORDER_RECOVER_ATVS));
  EXPECT_EQ(unit->GetOrder(0)->recovery->Count(9, 0), 15);
  EXPECT_EQ(unit->GetOrder(0)->head[5], kShown);
}

TEST_F(TerrainPlacement, ARebuiltScreenKeepsWhatWasPickedUp) {
  unit->atvCargo = {0, 0, 0, 0};
  Shown()->GetZone(9)->SetAtvCounts(6, 0, 0, 0);
  Enter(0);
  Click(9, 0, MK_CONTROL);
  ASSERT_EQ(view->PickedCount(9, 0), 5);
  // The screen is built again (a restored window, a new turn's data): the
  // five stay picked, and a reset still gives them back to their zone.
  view->Invalidate();
  EXPECT_EQ(view->PickedCount(9, 0), 5);
  EXPECT_EQ(view->PickedTotal(0), 5);
  Bar(8);
  EXPECT_EQ(Shown()->GetZone(9)->atvCounts[0], 6);
  EXPECT_EQ(view->PickedCount(9, 0), 0);
}

TEST_F(TerrainPlacement, LeavingALandingUnfinishedGivesTheCargoBack) {
  Enter(1);
  Bar(1);
  Click(9, 0, MK_CONTROL);
  ASSERT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{0, 0, 0, 4}));
  // J leaves for the asteroid's space: no order, nothing sent, all aboard again.
  view->OnKeyDown('J', 0);
  EXPECT_FALSE(view->InPlacement());
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{3, 2, 0, 4}));
  EXPECT_EQ(view->LandingCount(0, 9), 0);
  EXPECT_EQ(unit->GetOrderCount(), 0);
  EXPECT_TRUE(packets.empty());
  // Done hands the block to the order: the switch it makes gives nothing back.
  Enter(1);
  Bar(1);
  Click(9, 0);
  Bar(7);
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{2, 1, 0, 4}));
  ASSERT_EQ(unit->GetOrderCount(), 1);
  EXPECT_EQ(unit->GetOrder(0)->landing->Count(0, 9), 1);
}

TEST_F(TerrainPlacement, ACargoSentAgainMidLandingIsNotCountedTwice) {
  using Cargo = std::array<std::uint8_t, 4>;
  Enter(1);
  Bar(1);
  Click(9, 0, MK_CONTROL);
  Click(10, 0, MK_CONTROL);
  ASSERT_EQ(view->LandingCount(0, 9), 3);
  ASSERT_EQ(unit->atvCargo, (Cargo{0, 0, 0, 4}));
  // The turn's update sends the cargo as the server holds it, which never
  // heard of the landing; a frame later the bar shows it taken again.
  unit->SetAtvCargo(3, 2, 0, 4);
  view->PlayFrameAnimation(40);
  EXPECT_EQ(unit->atvCargo, (Cargo{0, 0, 0, 4}));
  EXPECT_EQ(view->LandingCount(0, 9), 3);
  // Leaving gives back what was placed once: the server's count.
  view->OnKeyDown('J', 0);
  EXPECT_EQ(unit->atvCargo, (Cargo{3, 2, 0, 4}));
  // Straight from the update to the exit, no frame between, the same.
  Enter(1);
  Bar(1);
  Click(9, 0, MK_CONTROL);
  unit->SetAtvCargo(3, 2, 0, 4);
  view->OnKeyDown('J', 0);
  EXPECT_EQ(unit->atvCargo, (Cargo{3, 2, 0, 4}));
  // Fewer aboard than placed (one combat ATV lost): the block keeps what the
  // hold still has, and done orders no more than that.
  Enter(1);
  Bar(1);
  Click(9, 0);
  Click(10, 0, MK_CONTROL);
  ASSERT_EQ(view->LandingCount(0, 10), 2);
  unit->SetAtvCargo(2, 2, 0, 4);
  view->Invalidate();
  EXPECT_EQ(view->LandingCount(0, 9), 1);
  EXPECT_EQ(view->LandingCount(0, 10), 1);
  EXPECT_EQ(unit->atvCargo, (Cargo{0, 0, 0, 4}));
  Bar(7);
  ASSERT_EQ(unit->GetOrderCount(), 1);
  EXPECT_EQ(unit->GetOrder(0)->landing->Count(0, 9) + unit->GetOrder(0)->landing->Count(0, 10), 2);
  EXPECT_EQ(unit->GetOrder(0)->landing->Count(1, 9) + unit->GetOrder(0)->landing->Count(1, 10), 2);
}

TEST_F(TerrainPlacement, LeavingAPickUpUnfinishedGivesTheAtvsBack) {
  unit->atvCargo = {0, 0, 0, 0};
  CGZone* zone = Shown()->GetZone(9);
  zone->SetAtvCounts(5, 2, 0, 0);
  Enter(0);
  Click(9, 0, MK_CONTROL);
  Click(9, 1, MK_CONTROL);
  ASSERT_EQ(zone->owner, kZoneNobody);  // picked empty
  packets.clear();
  // The go-to-space button is off in this mode; Tab to the next asteroid
  // where chapter 9 stands leaves it.
  view->OnCommand(310);
  ASSERT_TRUE(view->InPlacement());
  g_gameData->solarDB.GetAsteroid(4)->GetZone(3)->SetOwner(kLocal);
  g_gameData->solarDB.GetAsteroid(4)->GetZone(3)->SetAtvCounts(1, 0, 0, 0);
  view->OnKeyDown(VK_TAB, 0);
  EXPECT_FALSE(view->InPlacement());
  EXPECT_EQ(zone->owner, kLocal);
  EXPECT_EQ(zone->atvCounts[0], 5);
  EXPECT_EQ(zone->atvCounts[1], 2);
  EXPECT_EQ(view->PickedTotal(0) + view->PickedTotal(1), 0);
  EXPECT_EQ(unit->GetOrderCount(), 0);
  // Each kind's return is told to the others as its pick was: the zone's
  // counts (601) and the count taken back (609).
  ASSERT_EQ(packets.size(), 4u);
  EXPECT_EQ(packets[0][0] | packets[0][1] << 8, 601);
  EXPECT_EQ(Sent(1), (std::vector<std::uint8_t>{0x61, 0x02, 0,      0, 0, 0, 0,    0,    kShown, 0,
                                                9,    0,    kLocal, 0, 0, 0, 0xFB, 0xFF, 0,      0}));
  EXPECT_EQ(Sent(3)[14], 1);
  EXPECT_EQ(Sent(3)[16], 0xFE);
  // Done keeps them picked: the order holds them, the zone stays short.
  Enter(0);
  Click(9, 0);
  Bar(7);
  EXPECT_EQ(zone->atvCounts[0], 4);
  ASSERT_EQ(unit->GetOrderCount(), 1);
  EXPECT_EQ(unit->GetOrder(0)->recovery->Count(9, 0), 1);
}

}  // namespace

// ---- read-outs in the data panel and artifacts ----

class TerrainHover : public TerrainAtvs {
 protected:
  // Whether the data panel shows `text` in a row or caption now.
  static bool PanelShows(const std::string& text) {
    return std::any_of(SharedScreen().dataPanel->shown.begin(), SharedScreen().dataPanel->shown.end(),
                       [&](const DataPanelText& t) { return t.text == text; });
  }
  void MoveTo(std::pair<int, int> p) { view->OnMouseMove(0, At(p.first, p.second)); }
};

TEST_F(TerrainHover, ZonesGotoSlotsAndTheSelectionInTurn) {
  // A zone under the cursor: its read-out, once, whichever of its cells.
  MoveTo(CellPoint(9, 1));
  EXPECT_EQ(SharedScreen().dataPanel->zoneIndex, 9u);
  EXPECT_TRUE(PanelShows("Rock2"));
  SharedScreen().dataPanel->shown.clear();
  MoveTo(CellPoint(9, 3));
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
  // A goto slot's unit; the same slot again draws nothing.
  const Location at{kShown, 0, 0, 0};
  CGUnit* unit = g_gameData->pieces.CreateUnit(nullptr, &at, kLocal, (9u << 26) | 5u);
  ASSERT_NE(unit, nullptr);
  SharedScreen().gotoSlots[3] = GotoEntry{GOTO_UNIT, (9u << 26) | 5u};
  SharedScreen().gotoSlots[4] = GotoEntry{GOTO_UNIT, 12345};
  MoveTo({GotoColumnLeft(3) + 20, 40});
  EXPECT_EQ(SharedScreen().dataPanel->unitId, unit->id);
  SharedScreen().dataPanel->unitId = kNoShownUnit;
  MoveTo({GotoColumnLeft(3) + 30, 50});
  EXPECT_EQ(SharedScreen().dataPanel->unitId, kNoShownUnit);
  SharedScreen().dataPanel->unitId = unit->id;
  // A unit that is gone shows nothing; the panel keeps what it had.
  MoveTo({GotoColumnLeft(4) + 20, 40});
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
  EXPECT_EQ(SharedScreen().dataPanel->unitId, unit->id);
  // Off the zones, with nothing selected, the panel empties.
  MoveTo({40, 110});
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
  EXPECT_EQ(SharedScreen().dataPanel->zoneKey, kNoZoneKey);
  // Over the notification lines the base's hover runs and the panel stays.
  MoveTo(CellPoint(1, 0));
  MoveTo({300, 540});
  EXPECT_EQ(SharedScreen().dataPanel->zoneIndex, 1u);
  EXPECT_TRUE(PanelShows("Rock2"));
}

TEST_F(TerrainHover, TheWheelAndPageKeysStepTheZonePage) {
  const auto [x, y] = CellPoint(1, 0);
  MoveTo({x, y});
  ASSERT_EQ(SharedScreen().dataPanel->zoneMode, 0);
  // Towards the player (negative delta) forward, away back; the zone is shown again.
  const auto wheel = [](int delta) { return static_cast<WPARAM>(static_cast<std::uint16_t>(delta) << 16); };
  EXPECT_EQ(view->OnMouseWheel(wheel(-120), At(x, y)), 1);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 1);
  EXPECT_EQ(SharedScreen().dataPanel->zoneKey, 1u);
  EXPECT_EQ(view->OnMouseWheel(wheel(120), At(x, y)), 1);
  EXPECT_EQ(view->OnMouseWheel(wheel(120), At(x, y)), 1);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 2);
  // Off the zones the wheel is not the view's.
  EXPECT_EQ(view->OnMouseWheel(wheel(-120), At(40, 110)), 0);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 2);
  // The page keys at the cursor: Page Up forward, Page Down back.
  SetCursorPos(x, y);
  EXPECT_EQ(view->OnKeyDown(VK_PRIOR, 0), 1);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 0);
  EXPECT_EQ(view->OnKeyDown(VK_NEXT, 0), 1);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 2);
  SetCursorPos(40, 110);
  EXPECT_EQ(view->OnKeyDown(VK_NEXT, 0), 0);
  EXPECT_EQ(SharedScreen().dataPanel->zoneMode, 2);
  SharedScreen().dataPanel->zoneMode = 0;
}

TEST_F(TerrainHover, ADragReadsOutTheZonesItPassesAndTheDrop) {
  const int target = FreeNeighbour(1);
  ASSERT_GT(target, 0);
  MoveTo(CellPoint(1, 1));
  view->OnLButtonDown(Half(1, 1, false).first, Half(1, 1, false).second, 0);
  MoveTo(CellPoint(target, 0));
  EXPECT_EQ(SharedScreen().dataPanel->zoneIndex, static_cast<std::uint32_t>(target));
  // Over no zone the panel goes back to the (empty) selection.
  MoveTo({40, 110});
  EXPECT_TRUE(SharedScreen().dataPanel->shown.empty());
  const auto [x, y] = CellPoint(target, 0);
  view->OnMouseMove(0, At(x, y));
  SharedScreen().dataPanel->shown.clear();
  view->OnLButtonUp(x, y, 0);
  // The drop zone is read out again with its new arrival, though it was shown.
  EXPECT_EQ(SharedScreen().dataPanel->zoneIndex, static_cast<std::uint32_t>(target));
  EXPECT_TRUE(PanelShows("Rock2"));
  EXPECT_EQ(Shown()->GetZone(static_cast<std::uint16_t>(target))->GetArrivingAtvCount(0, 1), 1);
}

TEST_F(TerrainHover, AnArtifactShowsAndBarsRaisingAndEntrenching) {
  // Zone 1: chapter 9's seed banks may raise both values, its power ATVs entrench.
  const auto has = [](const std::vector<std::uint32_t>& items, std::uint32_t id) {
    return std::find(items.begin(), items.end(), id) != items.end();
  };
  ASSERT_TRUE(has(Items(1, 3), CVTerrain::MENU_RAISE_MINING));
  ASSERT_TRUE(has(Items(1, 2), CVTerrain::MENU_ENTRENCH));
  const auto [x, y] = CellPoint(1, 3);
  const RECT cell{x - 20, y - 16, x + 32, y + 17};
  const std::vector<std::uint32_t> before = quentest::ScreenArea(cell).rgb;
  Shown()->GetZone(1)->status = 0;
  EXPECT_TRUE(CVTerrain::HasArtifact(*Shown()->GetZone(1)));
  EXPECT_FALSE(has(Items(1, 3), CVTerrain::MENU_RAISE_MINING));
  EXPECT_FALSE(has(Items(1, 3), CVTerrain::MENU_RAISE_STACKING));
  // Building stays open to a zone with an artifact.
  EXPECT_TRUE(has(Items(1, 3), CVTerrain::MENU_ATV_FACILITY));
  EXPECT_FALSE(has(Items(1, 2), CVTerrain::MENU_ENTRENCH));
  // The artifact's picture lies under the seed-bank cell's ATVs.
  view->RedrawAllZones(1);
  EXPECT_NE(quentest::ScreenArea(cell).rgb, before);
}
