// The view base over a headless display: the shared screen built once and
// freed, the flush and its dirty rectangle, the refusals of the text and line
// drawing, END TURN, the key table, the goto bar's geometry and the cursors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetSession.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/GotoTips.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/dialog/commctrl.h"
#include "platform/dialog/tooltip.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"
#include "tests/support/recording_sink.h"

namespace {

using namespace plat;

// A view that says which way the base sent it.
class TestView : public CVGeneric {
 public:
  TestView(ViewType type, HWND window, HINSTANCE instance) : CVGeneric(window, instance), type(type) {}
  ViewType GetViewType() const override { return type; }
  void GoToView(WPARAM a, LPARAM b) override { log.push_back("go " + std::to_string(a) + " " + std::to_string(b)); }
  int SelectObject(int kind, std::uint32_t id) override {
    log.push_back("select " + std::to_string(kind) + " " + std::to_string(id));
    return 1;
  }
  int PickTarget(int kind, std::uint32_t id) override {
    log.push_back("pick " + std::to_string(kind) + " " + std::to_string(id));
    return 1;
  }
  int ExecuteOrderMode(int kind, std::uint32_t id) override {
    log.push_back("execute " + std::to_string(kind) + " " + std::to_string(id));
    return 1;
  }
  int IsBusy() override { return busy; }
  ViewType type;
  int busy = 0;
  std::vector<std::string> log;
};

class ViewBase : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    OpenViewScreen("ViewBaseMain");
    if (CGChapter* local = g_gameData->GetLocalChapter()) local->homeAsteroid = 7;
    g_gameData->turn = 4;
    // The screen's process-wide state as at program start.
    SharedScreen().gotoGroup = 0;
    SharedScreen().commandMode = kNoCommandMode;
    SharedScreen().endTurnSentTurn = 0xFFFFFFFF;
    SharedScreen().cursorKind = 0xFFFE;
    SharedScreen().viewType = SharedScreen().previousViewType = VIEW_SOLAR;
  }
  void TearDown() override {
    view.reset();
    CloseViewScreen();
  }
  TestView& Make(ViewType type = VIEW_SOLAR) {
    view = std::make_unique<TestView>(type, window, program);
    SuspendScreenFlush(0);
    return *view;
  }
  // Lets the window layer take the input given so far.
  static void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  }
  // Posted messages of a kind waiting in the queue, taken out.
  int Posted(UINT message) {
    int n = 0;
    MSG msg;
    while (PeekMessage(&msg, window, message, message, PM_REMOVE)) ++n;
    return n;
  }
  std::unique_ptr<TestView> view;
};

TEST_F(ViewBase, TheFirstViewBuildsTheScreenTheFirstDestroyedFreesItAndANewGameBuildsItAgain) {
  auto first = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  ASSERT_NE(SharedScreen().viewDDraw, nullptr);
  CSprite* screen = SharedScreen().screenSprite;
  ASSERT_NE(screen, nullptr);
  for (CImageButton* b : SharedScreen().controlButtons) ASSERT_NE(b, nullptr);
  int shown = 0;
  for (CImageButton* b : SharedScreen().controlButtons) shown += IsWindowVisible(b->window) ? 1 : 0;
  EXPECT_EQ(shown, 5);
  EXPECT_NE(SharedScreen().angularFont, nullptr);
  EXPECT_NE(SharedScreen().boldFont, nullptr);
  EXPECT_NE(SharedScreen().notifyPanel, nullptr);

  // A second view finds the state and changes nothing.
  SharedScreen().gotoGroup = 3;
  auto second = std::make_unique<TestView>(VIEW_DESIGN, window, program);
  EXPECT_EQ(SharedScreen().screenSprite, screen);
  HWND endTurn = CVGeneric::ControlButton(111)->window;
  EXPECT_EQ(SharedScreen().gotoGroup, 3);
  first.reset();
  EXPECT_EQ(SharedScreen().viewDDraw, nullptr);
  EXPECT_EQ(SharedScreen().screenSprite, nullptr);
  EXPECT_EQ(SharedScreen().notifyPanel, nullptr);
  EXPECT_EQ(SharedScreen().controlButtons[0], nullptr);
  EXPECT_FALSE(IsWindow(endTurn));
  second.reset();  // finds nothing left to free

  SharedScreen().gotoGroup = 0;
  auto again = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  EXPECT_NE(SharedScreen().screenSprite, nullptr);
  EXPECT_NE(SharedScreen().controlButtons[26], nullptr);
}

// A restart, a load or the front end replaces the game under the shared
// state: the next game screen names none of the units, asteroids, guilds or
// design slots of the one before, which its game may not have, or have as
// something else.
TEST_F(ViewBase, ANewGameScreenNamesNothingOfTheGameBefore) {
  auto first = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  ScreenState& s = SharedScreen();
  s.gotoGroup = 4;
  s.gotoSlots[45] = GotoEntry{GOTO_UNIT, 5001};
  s.commandMode = 3;
  s.commandUnitId = 5001;
  s.menuObjectKind = 1;
  s.menuObjectId = 5002;
  s.pendingOrderOption = 2;
  s.modifyTargetId = 5003;
  s.templateSlot = 6;
  s.chosenGuild = 4;
  s.viewType = VIEW_ASTEROID_SPACE;
  s.previousViewType = VIEW_TERRAIN;
  s.previousViewAsteroid = 29;
  s.futureView = 1;
  s.futureViewState = 2;
  s.endTurnSentTurn = 4;
  first.reset();

  auto again = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  EXPECT_EQ(s.gotoGroup, 0);
  EXPECT_EQ(s.gotoSlots[45].kind, GOTO_EMPTY);
  EXPECT_EQ(s.gotoSlots[2].kind, GOTO_ASTEROID);  // this game's home, as every new screen starts
  EXPECT_EQ(s.gotoSlots[2].id, 7u);
  EXPECT_EQ(s.commandMode, kNoCommandMode);
  EXPECT_EQ(s.commandUnitId, 0xFFFFFFFFu);
  EXPECT_EQ(s.menuObjectKind, 0xFF);
  EXPECT_EQ(s.menuObjectId, 0xFFFFFFFFu);
  EXPECT_EQ(s.pendingOrderOption, 0xFF);
  EXPECT_EQ(s.modifyTargetId, 0xFFFFFFFFu);
  EXPECT_EQ(s.templateSlot, 255u);
  EXPECT_EQ(s.chosenGuild, 0);
  EXPECT_EQ(s.viewType, static_cast<std::uint32_t>(VIEW_SOLAR));
  EXPECT_EQ(s.previousViewType, static_cast<std::uint32_t>(VIEW_SOLAR));
  EXPECT_EQ(s.previousViewAsteroid, 0xFFFF);
  EXPECT_EQ(s.futureView, 0u);
  EXPECT_EQ(s.futureViewState, 0);
  // END TURN was not given in this game, though its turn is the same number.
  EXPECT_EQ(s.endTurnSentTurn, 0xFFFFFFFFu);
}

TEST_F(ViewBase, ANewGameStartsOnTheFirstLampFramePicture) {
  auto first = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  EXPECT_EQ(first->ShowLampFrame8(), 0);  // already showing it
  EXPECT_EQ(first->ShowLampFrame4(), 1);
  first.reset();  // the game ends on the other picture
  auto again = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  EXPECT_EQ(again->ShowLampFrame8(), 0);
  EXPECT_EQ(again->ShowLampFrame4(), 1);
}

TEST_F(ViewBase, TheFirstFrameShowsDesignSolarAndHomeInGroupZeroAndTheWelcomeNotices) {
  Make();
  EXPECT_EQ(SharedScreen().gotoGroup, 0);
  EXPECT_EQ(SharedScreen().gotoSlots[0].kind, GOTO_DESIGN);
  EXPECT_EQ(SharedScreen().gotoSlots[1].kind, GOTO_SOLAR);
  EXPECT_EQ(SharedScreen().gotoSlots[2].kind, GOTO_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[2].id, 7u);
  for (int i = 3; i < 100; ++i) EXPECT_EQ(SharedScreen().gotoSlots[static_cast<std::size_t>(i)].kind, GOTO_EMPTY) << i;
  std::vector<int> codes;
  for (std::uint16_t i = 0; const Notification* n = g_gameData->notifications->GetEntry(i); ++i)
    if (n->chapter == kLocal) codes.push_back(n->code);
  EXPECT_EQ(codes, (std::vector<int>{402, 419, 420, 421, 422, 423}));
}

TEST_F(ViewBase, TheDirtyRectangleGrowsUntilAFlushAndSuspendingKeepsItGrowing) {
  Make();
  FlushScreen();
  EXPECT_EQ(SharedScreen().dirtyRect.right - SharedScreen().dirtyRect.left, 0);
  AddDirtyRect({10, 10, 20, 20});
  AddDirtyRect({100, 5, 110, 15});
  EXPECT_EQ(SharedScreen().dirtyRect.left, 10);
  EXPECT_EQ(SharedScreen().dirtyRect.top, 5);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 110);
  EXPECT_EQ(SharedScreen().dirtyRect.bottom, 20);
  SuspendScreenFlush(1);
  FlushScreen();
  EXPECT_EQ(SharedScreen().dirtyRect.right, 110);  // nothing reached the display
  AddDirtyRect({300, 300, 310, 310});
  EXPECT_EQ(SharedScreen().dirtyRect.bottom, 310);
  SuspendScreenFlush(0);
  EXPECT_EQ(SharedScreen().dirtyRect.left, 0);
  EXPECT_EQ(SharedScreen().dirtyRect.bottom, 600);
  FlushScreen();
  EXPECT_EQ(SharedScreen().dirtyRect.right, 0);
}

TEST_F(ViewBase, TwoFlushesUnderTheInfoPanelShowTheSamePixels) {
  Make();
  SharedScreen().infoPanelVisible = 1;
  AddDirtyRect(kViewportRect);
  FlushScreen();
  const auto once = backend->Capture();
  AddDirtyRect(kViewportRect);
  FlushScreen();
  const auto twice = backend->Capture();
  EXPECT_EQ(once.rgb, twice.rgb);
  SharedScreen().infoPanelVisible = 0;
}

// The status line is drawn at the viewport's top while the view shows; under
// the info panel it is left out, where it would read among the panel's
// headings through its tint.
TEST_F(ViewBase, TheStatusLineIsLeftOutUnderTheInfoPanel) {
  Make();
  const RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 30};
  auto greenPixelsAfter = [&](int panel) {
    SharedScreen().screenSprite->FillSurface(RGB(0, 0, 0), &kViewportRect);
    SharedScreen().infoPanelVisible = panel;
    view->DrawStatusText();
    // Shown without the panel, so that what the view drew can be told.
    SharedScreen().infoPanelVisible = 0;
    AddDirtyRect(kViewportRect);
    FlushScreen();
    int n = 0;
    for (std::uint32_t p : quentest::ScreenArea(line).rgb) n += p == 0x00FF00;
    return n;
  };
  view->SetStatusText("Vornix - Up to date", 26);
  EXPECT_GT(greenPixelsAfter(0), 20);
  EXPECT_EQ(greenPixelsAfter(1), 0);
  EXPECT_GT(greenPixelsAfter(0), 20) << "the line is kept for when the panel closes";
}

// Only the save's notice gives back the line it covered, and only in the view
// it covered it in (a save may finish as the view changes); a new game forgets it.
TEST_F(ViewBase, OnlyTheSavedNoticeGivesBackWhatItCoveredAndOnlyInItsView) {
  SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
  g_gameData->textIndex = std::make_unique<CIDString>();
  TestView& surface = Make(VIEW_TERRAIN);
  auto solar = std::make_unique<TestView>(VIEW_SOLAR, window, program);
  auto cover = [&surface](const char* over) {
    surface.SetStatusText("Vornix - Up to date", 26);
    surface.SetStatusText(over, 26);
  };
  auto shownAfter26Steps = [](TestView& counting) {
    for (int step = 0; step < 26; ++step) counting.CountDownStatusLine();
    return SharedScreen().statusShown != 0;
  };
  cover("Filter: All Asteroids Where I Am Present");
  EXPECT_FALSE(shownAfter26Steps(surface));
  cover("Game saved");
  EXPECT_FALSE(shownAfter26Steps(*solar));
  cover("Game saved");
  solar.reset();
  view.reset();
  EXPECT_FALSE(shownAfter26Steps(Make(VIEW_TERRAIN)));

  // The save's dialogs and the save itself hold the views' steps, not the
  // line's own time: the line comes back only for what that left it.
  struct Held {
    int time, heldSteps, back;
  };
  for (const Held h : {Held{26, 20, 6}, Held{26, 26, 0}, Held{0xFFFF, 800, 0xFFFF}}) {
    SCOPED_TRACE(h.heldSteps);
    view->SetStatusText("Vornix - Up to date", h.time);
    AdvanceVirtualClock(static_cast<DWORD>(h.heldSteps) * 75);
    view->SetStatusText("Game saved", 26);
    for (int step = 0; step < 26; ++step) view->CountDownStatusLine();
    EXPECT_EQ(SharedScreen().statusShown, h.back);
  }
  SetProgramModulePath("");
}

TEST_F(ViewBase, TextAndLinesAreRefusedAtTheViewportsEdges) {
  Make();
  // The bold font needs 16 more rows than "Angular3" above the bottom.
  EXPECT_EQ(DrawScreenText("X", 10, 355, 50, 0xFFFFFF, DT_LEFT, 1, 0), 0);
  EXPECT_GT(DrawScreenText("X", 10, 355, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_GT(DrawScreenText("X", 10, 350, 50, 0xFFFFFF, DT_LEFT, 1, 0), 0);
  EXPECT_EQ(DrawScreenText("X", 10, 361, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_EQ(DrawScreenText("X", 585, 10, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_EQ(DrawScreenText("X", -50, 10, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_GT(DrawScreenText("X", -49, 10, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_EQ(DrawScreenText("X", 10, 0, 50, 0xFFFFFF, DT_LEFT, 0, 0), 0);
  EXPECT_GT(DrawViewportText("X", 570, 1, 100, 0xFFFFFF, DT_LEFT, 0, 1), 0);
  EXPECT_EQ(SharedScreen().textStripWidth, 100);
  EXPECT_EQ(DrawViewportText("X", 585, 1, 100, 0xFFFFFF, DT_LEFT, 0, 1), 0);

  EXPECT_EQ(DrawViewportLine(5, 5, 0, 5, 0xFFFFFF, 1), 0);
  EXPECT_EQ(DrawViewportLine(5, 0, 10, 5, 0xFFFFFF, 1), 0);
  EXPECT_EQ(DrawViewportLine(5, 5, 10, 367, 0xFFFFFF, 1), 0);
  EXPECT_EQ(DrawViewportLine(585, 5, 600, 5, 0xFFFFFF, 1), 0);
  FlushScreen();
  EXPECT_EQ(DrawViewportLine(-20, 5, 700, 366, 0xFFFFFF, 1), 1);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 0);  // lines leave the dirty rectangle alone
  EXPECT_EQ(ShadeViewportRect(0, 1, 584, 366, 0, 50), 1);
  EXPECT_EQ(ShadeViewportRect(0, 1, 584, 367, 0, 50), 0);
}

TEST_F(ViewBase, EndTurnIsSentOnceATurnAndTheButtonShowsWhetherItWas) {
  TestView& v = Make();
  CImageButton* endTurn = CVGeneric::ControlButton(111);
  ASSERT_NE(endTurn, nullptr);
  Posted(WM_APP_EMAIL_END_TURN);
  v.busy = 1;
  EXPECT_EQ(v.OnControlCommand(111), 1);
  EXPECT_EQ(Posted(WM_APP_EMAIL_END_TURN), 0);  // refused while busy
  v.busy = 0;
  EXPECT_EQ(v.OnControlCommand(111), 1);
  EXPECT_EQ(v.OnControlCommand(111), 1);
  EXPECT_EQ(Posted(WM_APP_EMAIL_END_TURN), 1);
  EXPECT_EQ(SharedScreen().endTurnSentTurn, 4u);
  EXPECT_EQ(endTurn->normalShown, 0u);  // pressed
  // Redrawing in the same turn keeps it pressed; the next turn releases it.
  v.RedrawEndTurnButton();
  EXPECT_EQ(endTurn->normalShown, 0u);
  g_gameData->turn = 5;
  v.RedrawEndTurnButton();
  v.RedrawEndTurnButton();
  EXPECT_EQ(endTurn->normalShown, 1u);
  EXPECT_EQ(v.OnControlCommand(111), 1);
  EXPECT_EQ(Posted(WM_APP_EMAIL_END_TURN), 1);
  // Once the game is over no turn can follow: the press is answered with a
  // box (its OK pressed) and neither ends the turn nor holds the button down.
  g_session = new CNetSession();
  g_session->NoteGameEnded();
  g_gameData->turn = 6;
  v.RedrawEndTurnButton();
  backend->PressKey(VK_RETURN, 40);
  EXPECT_EQ(v.OnControlCommand(111), 1);
  EXPECT_EQ(Posted(WM_APP_EMAIL_END_TURN), 0);
  EXPECT_EQ(SharedScreen().endTurnSentTurn, 5u);
  EXPECT_EQ(endTurn->normalShown, 1u);
  delete g_session;
  g_session = nullptr;
  // Ctrl+End is END TURN too; ids without a row are not control commands.
  EXPECT_EQ(v.OnControlCommand(100), 0);
  EXPECT_EQ(v.OnControlCommand(272), 0);
  EXPECT_EQ(v.OnControlCommand(150), 0);
}

TEST_F(ViewBase, TheKeyTable) {
  TestView& v = Make(VIEW_ASTEROID_SPACE);
  EXPECT_EQ(v.OnKeyDown('3', 0), 1);
  EXPECT_EQ(SharedScreen().gotoGroup, 2);
  EXPECT_EQ(v.OnKeyDown('0', 0), 1);
  EXPECT_EQ(SharedScreen().gotoGroup, 9);
  EXPECT_EQ(v.OnKeyDown(VK_TAB, 0), 0);
  SharedScreen().previousViewType = VIEW_TERRAIN;
  SharedScreen().previousViewAsteroid = 12;
  EXPECT_EQ(v.OnKeyDown(VK_RETURN, 0), 0);
  SharedScreen().previousViewType = VIEW_SOLAR;
  EXPECT_EQ(v.OnKeyDown(VK_RETURN, 0), 0);
  EXPECT_EQ(v.OnKeyDown('S', 0), 1);  // back to the solar view
  EXPECT_EQ(v.log, (std::vector<std::string>{"go 1 " + std::to_string(static_cast<LPARAM>(0xFFFF000Cu)), "go 2 -1",
                                             "go 2 -1"}));
  CImageButton* info = CVGeneric::ControlButton(130);
  EXPECT_EQ(v.OnKeyDown('D', 0), 1);
  EXPECT_EQ(info->normalShown, 0u);
  // Ctrl+End ends the turn; End alone does nothing.
  Posted(WM_APP_EMAIL_END_TURN);
  EXPECT_EQ(v.OnKeyDown(VK_END, 0), 0);
  input::Key(VK_CONTROL, true);
  Pump();
  EXPECT_EQ(v.OnKeyDown(VK_END, 0), 1);
  EXPECT_EQ(v.OnKeyDown('L', 0), 1);
  EXPECT_EQ(v.OnKeyDown('S', 0), 1);
  EXPECT_EQ(Posted(WM_APP_EMAIL_END_TURN), 1);
  EXPECT_EQ(Posted(WM_APP_LOAD_REQUEST), 1);
  EXPECT_EQ(Posted(WM_APP_SAVE), 1);
  input::Key(VK_CONTROL, false);
  Pump();
  // A child with the focus keeps the keys.
  HWND child = quentest::PlainWindow("ViewBaseChild", 10, 10, 50, 20, WS_CHILD | WS_VISIBLE, window);
  SetFocus(child);
  EXPECT_EQ(v.OnKeyDown('5', 0), 1);
  EXPECT_EQ(v.OnKeyUp('5', 0), 1);
  EXPECT_EQ(SharedScreen().gotoGroup, 9);
  SetFocus(window);
  EXPECT_EQ(v.OnKeyUp('5', 0), 0);
  // The design view ignores the digits.
  v.type = VIEW_DESIGN;
  EXPECT_EQ(v.OnKeyDown('4', 0), 0);
  EXPECT_EQ(SharedScreen().gotoGroup, 9);
}

TEST_F(ViewBase, GotoTabsSlotsAndHalves) {
  TestView& v = Make(VIEW_SOLAR);
  EXPECT_EQ(v.OnLButtonDown(795, 3, 0), 1);
  EXPECT_EQ(SharedScreen().gotoGroup, 9);
  EXPECT_EQ(v.OnLButtonDown(5, 3, 0), 1);
  EXPECT_EQ(SharedScreen().gotoGroup, 0);
  // Past the screen (a position left of the window wraps): no group.
  EXPECT_EQ(v.OnLButtonDown(-3, 3, 0), 0);
  EXPECT_EQ(SharedScreen().gotoGroup, 0);
  // Slots lie at 7 + 79n and are hit where they lie.
  EXPECT_EQ(v.GetGotoSlotAtX(85), 0);
  EXPECT_EQ(v.GetGotoSlotAtX(86), 1);
  EXPECT_EQ(v.GetGotoSlotAtX(2), 0);
  EXPECT_EQ(v.GetGotoSlotAtX(799), 9);
  SharedScreen().gotoGroup = 2;
  EXPECT_EQ(v.GetGotoSlotAtX(86), 21);
  SharedScreen().gotoGroup = 0;
  // An asteroid slot: the right half is the terrain view.
  v.ActivateGotoSlot(2, 7 + 2 * 79 + 39, 30);
  v.ActivateGotoSlot(2, 7 + 2 * 79 + 38, 30);
  v.ActivateGotoSlot(0, 10, 30);  // the design chamber
  v.ActivateGotoSlot(1, 90, 30);  // the solar view is current: nothing
  EXPECT_EQ(v.log, (std::vector<std::string>{"go 1 " + std::to_string(static_cast<LPARAM>(0xFFFF0007u)),
                                             "go 3 " + std::to_string(static_cast<LPARAM>(0xFFFF0007u)), "go 0 -1"}));
  // An empty slot double-clicked in the solar view with nothing selected keeps the solar view.
  v.ActivateGotoSlot(5, 7 + 5 * 79 + 3, 30);
  EXPECT_EQ(SharedScreen().gotoSlots[5].kind, GOTO_SOLAR);
  // Clicks on slots: the asteroid is selected; with a mode pending it is the mode's target.
  v.log.clear();
  v.OnLButtonDown(7 + 2 * 79 + 3, 30, 0);
  SharedScreen().commandMode = 5;
  v.OnLButtonDown(7 + 2 * 79 + 3, 30, 0);
  SharedScreen().commandMode = 26;
  v.OnLButtonDown(7 + 2 * 79 + 3, 30, 0);
  SharedScreen().commandMode = kNoCommandMode;
  v.OnLButtonDown(7 + 7 * 79 + 3, 30, 0);  // empty: nothing
  EXPECT_EQ(v.log, (std::vector<std::string>{"select 0 7", "execute 0 7", "pick 0 7"}));
  // The design view leaves the slots alone but still changes group by tab.
  v.type = VIEW_DESIGN;
  v.log.clear();
  v.OnLButtonDown(7 + 2 * 79 + 3, 30, 0);
  EXPECT_TRUE(v.log.empty());
  v.OnLButtonDown(250, 3, 0);
  EXPECT_EQ(SharedScreen().gotoGroup, 3);
}

TEST_F(ViewBase, VanishedUnitsEmptyTheirSlotsAndUnknownKindsStay) {
  TestView& v = Make();
  v.SetGotoSlot(3, GOTO_UNIT, (9u << 26) | 77, 0);
  v.SetGotoSlot(4, 55, 1, 0);
  v.SetGotoSlot(10, GOTO_SOLAR, 0, 0);  // no such column: nothing stored
  v.DrawGotoBar();
  EXPECT_EQ(SharedScreen().gotoSlots[3].kind, GOTO_EMPTY);
  EXPECT_EQ(SharedScreen().gotoSlots[4].kind, 55);
  EXPECT_EQ(SharedScreen().gotoSlots[10].kind, GOTO_EMPTY);
  // The info panel takes the clicks over the viewport while it is shown.
  EXPECT_EQ(v.OnLButtonDown(300, 200, 0), 0);
  SharedScreen().infoPanelVisible = 1;
  EXPECT_EQ(v.OnLButtonDown(300, 200, 0), 1);
  EXPECT_EQ(v.OnLButtonDown(615, 200, 0), 0);
  SharedScreen().infoPanelVisible = 0;
  // Positions past the screen fall in no area.
  EXPECT_EQ(v.OnMouseMove(0, MAKELPARAM(300, 700)), 0);
  EXPECT_EQ(v.OnLButtonDblClk(-5, 550), 0);
}

// The bar gives each column one tip, however often it is drawn.
TEST_F(ViewBase, EachGotoColumnKeepsOneTip) {
  TestView& v = Make();
  v.DrawGotoBar();
  const LRESULT tools = SendMessage(SharedScreen().tooltipWnd, TTM_GETTOOLCOUNT, 0, 0);
  v.SetGotoSlot(5, GOTO_SOLAR, 0, 1);
  v.SetGotoSlot(5, GOTO_EMPTY, 0, 1);
  v.DrawGotoBar();
  EXPECT_EQ(SendMessage(SharedScreen().tooltipWnd, TTM_GETTOOLCOUNT, 0, 0), tools);
  // A kind the bar does not draw has no tip.
  EXPECT_EQ(GotoTipText(GotoEntry{55, 1}), "");
}

// A restart empties every bookmark past group 0's first two, puts home, solar
// system and design in the current group and lets END TURN be given again.
TEST_F(ViewBase, ResettingTheGotoBarKeepsGroupZerosFirstTwoAndFillsTheCurrentGroup) {
  TestView& v = Make();
  SharedScreen().gotoSlots[0] = GotoEntry{GOTO_UNIT, 5};
  SharedScreen().gotoSlots[1] = GotoEntry{GOTO_ASTEROID, 3};
  SharedScreen().gotoSlots[4] = GotoEntry{GOTO_ASTEROID, 3};
  SharedScreen().gotoSlots[99] = GotoEntry{GOTO_SOLAR, 0};
  SharedScreen().gotoGroup = 3;
  SharedScreen().endTurnSentTurn = 4;
  v.ResetGotoSlots();
  EXPECT_EQ(SharedScreen().gotoSlots[0].kind, GOTO_UNIT);
  EXPECT_EQ(SharedScreen().gotoSlots[1].id, 3u);
  EXPECT_EQ(SharedScreen().gotoSlots[4].kind, GOTO_EMPTY);
  EXPECT_EQ(SharedScreen().gotoSlots[99].kind, GOTO_EMPTY);
  EXPECT_EQ(SharedScreen().gotoSlots[32].kind, GOTO_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[32].id, 7u);
  EXPECT_EQ(SharedScreen().gotoSlots[31].kind, GOTO_SOLAR);
  EXPECT_EQ(SharedScreen().gotoSlots[30].kind, GOTO_DESIGN);
  EXPECT_EQ(SharedScreen().endTurnSentTurn, 0xFFFFFFFFu);
  SharedScreen().gotoGroup = 0;
}

TEST_F(ViewBase, AHeldScrollButtonRepeatsUntilItsButtonUpAndNoLonger) {
  Make();
  HWND button = quentest::PlainWindow("ViewBaseScroll", 500, 500, 16, 24, WS_CHILD | WS_VISIBLE, window);
  PostMessage(button, WM_LBUTTONUP, 0, 0);
  DWORD start = timeGetTime();
  RepeatNotificationScroll(button, 0);
  EXPECT_LT(timeGetTime() - start, 200u);  // one line, then the release is seen
  Pump();
  // The release never comes: program time passes and the loop lets go.
  start = timeGetTime();
  RepeatNotificationScroll(button, 1);
  EXPECT_GE(timeGetTime() - start, 60000u);
  EXPECT_LT(timeGetTime() - start, 61000u);
}

TEST_F(ViewBase, ARestartIsAskedAndOnYesRequestedOfAllWithTheLocalChapter) {
  Make();
  quentest::RecordingSink sink;
  const std::vector<std::vector<std::uint8_t>>& sent = sink.emailed;
  g_session = new CNetSession();
  g_session->fileSendMode = 1;
  auto answer = [&](bool yes) { backend->Click(263 + (yes ? 47 : 157) + 35, 229 + 108 + 17, input::Button::Left, 10); };
  answer(false);
  AskRestartGame();
  EXPECT_TRUE(sent.empty());
  answer(true);
  AskRestartGame();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].size(), 12u);
  EXPECT_EQ(sent[0][0], 27);
  EXPECT_EQ(sent[0][1], 0);
  EXPECT_EQ(sent[0][8], kLocal);
  EXPECT_EQ(sent[0][9], 0);
  // Once the game is over its server is gone: the yes is told it is denied
  // (the box's OK pressed) and nothing goes out to wait for an answer.
  g_session->NoteGameEnded();
  answer(true);
  backend->PressKey(VK_RETURN, 40);
  AskRestartGame();
  EXPECT_EQ(sent.size(), 1u);
  delete g_session;
  g_session = nullptr;
}

TEST_F(ViewBase, ADestroyedUnitTakesNoOrder) {
  TestView& v = Make();
  CGUnit unit;
  SharedScreen().pendingOrderOption = 3;
  EXPECT_EQ(v.CanOrderUnit(&unit), 1);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
  unit.unoperational = 1;
  SharedScreen().pendingOrderOption = 3;
  EXPECT_EQ(v.CanOrderUnit(&unit), 0);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 3);
}

TEST_F(ViewBase, TheCursorFollowsTheOrderMode) {
  TestView& v = Make();
  EXPECT_EQ(SharedScreen().cursorKind, CURSOR_NORMAL);
  const std::vector<std::pair<std::uint32_t, std::uint16_t>> modes{
      {6, CURSOR_TARGET},  {7, CURSOR_REFUEL},  {8, CURSOR_REFUEL},     {11, CURSOR_SCAN},
      {12, CURSOR_SCAN},   {14, CURSOR_LAND},   {16, CURSOR_CONSTRUCT}, {18, CURSOR_CONSTRUCT},
      {19, CURSOR_REPAIR}, {23, CURSOR_REPAIR}, {24, CURSOR_NORMAL},    {kNoCommandMode, CURSOR_NORMAL}};
  for (const auto& [mode, kind] : modes) {
    SharedScreen().commandMode = mode;
    v.UpdateCursor();
    EXPECT_EQ(SharedScreen().cursorKind, kind) << mode;
  }
  g_gameData->AddToSelection(2, 5, 0);
  v.UpdateCursor();
  EXPECT_EQ(SharedScreen().cursorKind, CURSOR_SELECT);
  g_gameData->ClearSelection();
  const HCURSOR select = GetCursor();
  v.SetCursorSet(CURSOR_AGAIN);  // the same kind again, from the resource
  EXPECT_EQ(SharedScreen().cursorKind, CURSOR_SELECT);
  v.SetCursorSet(CURSOR_HELP);
  EXPECT_NE(GetCursor(), select);
  EXPECT_NE(GetCursor(), nullptr);
}

}  // namespace
