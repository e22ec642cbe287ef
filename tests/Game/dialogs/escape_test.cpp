// Escape in the in-game dialogs, which the dialog manager hands over as
// command 2: a dialog whose Cancel (or the options menu's Continue) carries
// another id takes it as that button, and one whose only way out is an OK
// stays open. A watchdog ends a dialog still open, so that one deaf to Escape
// fails its test instead of hanging it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppMessages.h"
#include "Game/app/CDlgBase.h"
#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDConstructAtvDlg.h"
#include "Game/dialogs/CDHighScoreDlg.h"
#include "Game/dialogs/CDInGameOptionsDlg.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "platform/dialog/dialog.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "tests/Game/dialogs/dialog_screen.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

using namespace plat;

// What the watchdog saw: the dialogs open, and the high-score file then.
std::vector<std::string> g_openAtWatch;
std::string g_fileAtWatch;
const rules_test::Sandbox* g_box = nullptr;
bool g_endWatched = true;

void Watch(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_openAtWatch = ReadyDialogTemplates();
  if (g_box) g_fileAtWatch = g_box->Read("hiscore.dat");
  if (!g_openAtWatch.empty() && g_endWatched) EndDialog(GetActiveWindow(), -1);
}

class EscapeRuns : public ::testing::Test, protected dialogs_test::DialogScreen {
 protected:
  void SetUp() override {
    OpenScreen("EscapeMain");
    game = std::make_unique<CGameData>(2, 8);
    dialogs_test::HoldGame(*game);
    g_openAtWatch.clear();
    g_fileAtWatch.clear();
    g_box = &box;
    g_endWatched = true;
  }
  void TearDown() override {
    g_box = nullptr;
    g_gameData = nullptr;
    game.reset();
    CloseScreen();
  }

  // Escape once the dialog about to open is up, and the watchdog a while after.
  void EscapeThenWatch(DWORD escapeAt = 600, DWORD watchAt = 2500) {
    backend->PressKey(VK_ESCAPE, escapeAt);
    SetTimer(nullptr, 0, watchAt, Watch);
  }

  rules_test::Sandbox box;
  std::unique_ptr<CGameData> game;
};

// A switch moved, then Escape: the settings close as Cancel does, and
// nothing reaches the screen or the file.
TEST_F(EscapeRuns, SettingsCancelled) {
  struct Screen : ISettingsScreen {
    int applied = 0, written = 0;
    void ApplyToView(const InGameSettings&) override { ++applied; }
    void WriteUserInfo() override { ++written; }
  } screen;
  Click(25 + 159 + 53, 96 + 189 + 13, 400);  // distance fog off
  EscapeThenWatch();
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, InGameSettings{}, true, screen);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(dialog.m_result, kSettingsCancelled);
  EXPECT_EQ(dialog.m_kept.distanceFog, 0u);
  EXPECT_EQ(screen.applied, 0);
  EXPECT_EQ(screen.written, 0);
}

// A count lowered, then Escape: the counts handed in come back.
TEST_F(EscapeRuns, ConstructAtvsCancelled) {
  AtvCounts counts{1, 0, 2, 0};
  Click(182 + 41 + 7, 96 + 19 + 15, 400);  // the combat count down
  EscapeThenWatch();
  CDConstructAtvDlg dialog(ddraw.get(), main, program, nullptr, kNoBuildRate, &counts, guild, kNoPool);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(dialog.m_result, 2);
  EXPECT_EQ(counts, (AtvCounts{1, 0, 2, 0}));
}

// Escape leaves the options menu as Continue does: no save, load or restart
// is asked for (its result 2 would be Load).
TEST_F(EscapeRuns, OptionsMenuContinues) {
  struct Screen : IOptionsScreen {
    int recentred = 0, restarts = 0;
    void RecenterCamera() override { ++recentred; }
    void AskRestart() override { ++restarts; }
  } screen;
  EscapeThenWatch();
  CDInGameOptionsDlg dialog(ddraw.get(), main, program, screen);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(dialog.m_result, kOptionContinue);
  EXPECT_EQ(screen.recentred, 0);
  EXPECT_EQ(screen.restarts, 0);
  MSG msg{};
  EXPECT_FALSE(PeekMessage(&msg, main, WM_APP_SAVE, WM_APP_SAVE, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&msg, main, WM_APP_LOAD_REQUEST, WM_APP_LOAD_REQUEST, PM_REMOVE));
}

// The three trade dialogs close on Escape with Cancel's result, unconfirmed.
TEST_F(EscapeRuns, TradeDialogsCancelled) {
  MineralOffer offer;
  offer.seller = 5;
  offer.asteroid = 2;
  offer.mineral = 1;
  offer.terms[0] = 25;
  offer.terms[3] = 4;
  std::uint16_t amount = 0;
  std::uint8_t paying = 0;
  std::uint32_t success = 7;
  Click(27 + 157 + 5, 96 + 65 + 5, 400);  // 10 more
  EscapeThenWatch();
  CDBuyDlg buy(ddraw.get(), main, program, offer, 3, {0, 0, 100, 0}, &amount, &paying, &success);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(buy.m_result, 2);
  EXPECT_EQ(success, 0u);

  MineralOfferPacket record;
  record.seller = 2;
  record.asteroid = 4;
  success = 7;
  EscapeThenWatch();
  CDSellDlg sell(ddraw.get(), main, program, &record, &success, 500, nullptr);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(sell.m_result, 2);
  EXPECT_EQ(success, 0u);

  std::uint32_t values[4] = {10, 0, 5, 0};
  const std::uint32_t upper[4] = {90, 50, 50, 50};
  success = 7;
  EscapeThenWatch();
  CDSetPriceDlg price(ddraw.get(), main, program, values, &success, upper);
  EXPECT_TRUE(g_openAtWatch.empty());
  EXPECT_EQ(price.m_result, 2);
  EXPECT_EQ(success, 0u);
  EXPECT_EQ(values[0], 10u);
}

// The high scores have only OK, which in finished mode writes the table:
// Escape leaves them open with the file untouched, and OK still writes it.
TEST_F(EscapeRuns, FinishedHighScoresWaitForOk) {
  box.Write("hiscore.dat", std::string());
  game->GetLocalChapter()->SetName("Northern Reach");
  game->scores[2] = 300;
  std::vector<std::uint8_t> gameOver(8 + 40 + 2, 0);
  g_endWatched = false;
  EscapeThenWatch(600, 1500);
  Click(333 + 69, 510 + 25, 1500);  // OK
  CDHighScoreDlg dialog(ddraw.get(), main, program, true, gameOver, guild);
  EXPECT_EQ(g_openAtWatch, std::vector<std::string>{"IDD_HIGH_SCORE"});
  EXPECT_TRUE(g_fileAtWatch.empty());
  const std::string file = box.Read("hiscore.dat");
  EXPECT_STREQ(DecodeHighScores(std::vector<std::uint8_t>(file.begin(), file.end()))[0].name, "Northern Reach");
}

}  // namespace
