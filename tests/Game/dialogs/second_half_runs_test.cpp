// The one-line prompts and the high-score table: the asteroid search's
// completion over a small solar system, and the dialogs run modally by
// scripted input, their looks compared with golden captures and their files
// checked.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/dialogs/CDConstructAtvDlg.h"
#include "Game/dialogs/CDEnterNameDlg.h"
#include "Game/dialogs/CDFindAsteroidDlg.h"
#include "Game/dialogs/CDGameSummaryDlg.h"
#include "Game/dialogs/CDHelpDlg.h"
#include "Game/dialogs/CDHighScoreDlg.h"
#include "Game/dialogs/CDInGameOptionsDlg.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GSolarSys.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesLinks.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/Game/dialogs/dialog_screen.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"

namespace {

using namespace plat;

// Asteroids named in index order; `undetected` ones not yet seen.
void NameAsteroids(CGSolarDB& solar, std::initializer_list<const char*> names,
                   std::initializer_list<int> undetected = {}) {
  solar.CreateAsteroidArray(static_cast<std::uint16_t>(names.size()));
  std::uint16_t id = 0;
  for (const char* name : names) {
    auto asteroid = std::make_unique<CGAsteroid>(id);
    asteroid->SetName(name);
    asteroid->detected = 1;
    for (int u : undetected)
      if (u == id) asteroid->detected = 0;
    solar.SetAsteroid(std::move(asteroid));
    ++id;
  }
}

TEST(MatchAsteroidName, CompletesOnlyASingleCaseBlindMatch) {
  CGSolarDB solar;
  NameAsteroids(solar, {"Vesta", "Vega Minor", "Pallas"});
  EXPECT_EQ(MatchAsteroidName(solar, "ve", false), kNoAsteroid);
  EXPECT_EQ(MatchAsteroidName(solar, "VES", false), 0);
  EXPECT_EQ(MatchAsteroidName(solar, "veg", false), 1);
  EXPECT_EQ(MatchAsteroidName(solar, "p", false), 2);
  EXPECT_EQ(MatchAsteroidName(solar, "", false), kNoAsteroid);
  EXPECT_EQ(MatchAsteroidName(solar, "Vesta and more", false), kNoAsteroid);
  EXPECT_EQ(MatchAsteroidName(solar, "x", false), kNoAsteroid);
}

TEST(MatchAsteroidName, UndetectedAsteroidsHiddenUnderTheScanFlag) {
  CGSolarDB solar;
  NameAsteroids(solar, {"Vesta", "Vega Minor", "Pallas"}, {0, 2});
  EXPECT_EQ(MatchAsteroidName(solar, "pal", true), kNoAsteroid);
  EXPECT_EQ(MatchAsteroidName(solar, "pal", false), 2);
  // The hidden one no longer stands in the way of the other.
  EXPECT_EQ(MatchAsteroidName(solar, "ve", true), 1);
  EXPECT_EQ(MatchAsteroidName(solar, "", true), 1);
}

using dialogs_test::g_capture;

// The text in the focused field, read by a timer while the dialog is open.
std::string g_fieldText;
void ReadFocusedField(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  char text[64] = {};
  GetWindowText(GetFocus(), text, sizeof text);
  g_fieldText = text;
}

class SecondHalfRuns : public ::testing::Test, protected dialogs_test::DialogScreen {
 protected:
  void SetUp() override { OpenScreen("NamePromptMain"); }
  void TearDown() override {
    g_gameData = nullptr;
    game.reset();
    CloseScreen();
  }

  // What Find Asteroid's field shows after `typed` and `backspaces` over
  // "Vesta", "Vornix" and "Pallas"; the asteroid found must be Vornix.
  std::string FindAsteroidField(const char* typed, int backspaces) {
    game = std::make_unique<CGameData>(2, 8);
    dialogs_test::HoldGame(*game);
    NameAsteroids(game->solarDB, {"Vesta", "Vornix", "Pallas"});
    std::uint16_t asteroid = kNoAsteroid;
    g_fieldText.clear();
    Type(typed, 100);
    for (int i = 0; i < backspaces; ++i) backend->PressKey(VK_BACK, 100);
    SetTimer(nullptr, 0, 1000, ReadFocusedField);
    Click(261 + 100 + 40, 195 + 163 + 24, 800);
    CDFindAsteroidDlg dialog(ddraw.get(), main, program, 1, &asteroid);
    EXPECT_EQ(asteroid, 1);
    return g_fieldText;
  }

  std::unique_ptr<CGameData> game;
  rules_test::Sandbox box;
};

// The initial text comes selected: typing replaces it; OK hands it back.
TEST_F(SecondHalfRuns, EnterNameReplacesTheSelectedText) {
  char name[kNameBufferSize] = "Old name";
  std::uint32_t success = 7;
  CaptureAfter(300, {261, 195, 261 + 279, 195 + 211});
  Type("Scout", 400);
  Click(261 + 100 + 40, 195 + 162 + 24, 300);
  CDEnterNameDlg dialog(ddraw.get(), main, program, "Name this unit", 1, name, &success);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_TRUE(Looks("enter_name.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_STREQ(name, "Scout");
}

// The prompt painted again while open (a help window closed over it): what
// was typed stays, the caller's text does not come back.
void RepaintFocusedDialog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const HWND dialog = GetParent(GetFocus());
  InvalidateRect(dialog, nullptr, FALSE);
  UpdateWindow(dialog);
}

TEST_F(SecondHalfRuns, EnterNameKeepsWhatWasTypedThroughARepaint) {
  char name[kNameBufferSize] = "Old name";
  std::uint32_t success = 0;
  Type("Scout", 100);
  SetTimer(nullptr, 0, 900, RepaintFocusedDialog);
  Click(261 + 100 + 40, 195 + 162 + 24, 800);
  CDEnterNameDlg dialog(ddraw.get(), main, program, "Name this unit", 1, name, &success);
  EXPECT_EQ(success, 1u);
  EXPECT_STREQ(name, "Scout");
}

// Escape still copies what was typed, and clears the flag; the field takes
// 49 characters at most.
TEST_F(SecondHalfRuns, EnterNameCancelledKeepsTheTextAndClearsTheFlag) {
  char name[kNameBufferSize] = {};
  std::uint32_t success = 1;
  Type(std::string(60, 'a'), 20);
  backend->PressKey(VK_ESCAPE, 200);
  CDEnterNameDlg dialog(ddraw.get(), main, program, std::string(150, 'p'), 0, name, &success);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_EQ(success, 0u);
  EXPECT_EQ(std::string(name), std::string(kNameTextLimit, 'a'));
}

// A shorter limit (a design's name, as far as the other players are told
// it): a longer starting text comes cut to it, and typing stops at it.
TEST_F(SecondHalfRuns, EnterNameKeepsToAShorterLimit) {
  char name[kNameBufferSize] = {};
  std::memset(name, 'b', kNameTextLimit);
  std::uint32_t success = 0;
  backend->PressKey(VK_RETURN, 300);
  CDEnterNameDlg kept(ddraw.get(), main, program, "Name this design", 1, name, &success, 29);
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(std::string(name), std::string(29, 'b'));

  Type(std::string(35, 'c'), 300);
  backend->PressKey(VK_RETURN, 200);
  CDEnterNameDlg typed(ddraw.get(), main, program, "Name this design", 1, name, &success, 29);
  EXPECT_EQ(std::string(name), std::string(29, 'c'));
}

// Two letters shared by two names stay as typed; the third completes.
TEST_F(SecondHalfRuns, FindAsteroidCompletesAfterTheThirdLetter) {
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  NameAsteroids(game->solarDB, {"Vesta", "Vega Minor", "Pallas"});
  game->asteroidsHiddenUntilSeen = 0;
  std::uint16_t asteroid = 1;
  CaptureAfter(1200, {261, 195, 261 + 279, 195 + 211});
  Type("ve", 300);
  Type("g", 400);
  Click(261 + 100 + 40, 195 + 163 + 24, 600);
  CDFindAsteroidDlg dialog(ddraw.get(), main, program, 1, &asteroid);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_TRUE(Looks("find_asteroid.png"));
  EXPECT_EQ(asteroid, 1);
}

// A letter after a completed name matches nothing: the asteroid found is
// dropped again.
TEST_F(SecondHalfRuns, FindAsteroidDropsTheMatchWhenTypingGoesOn) {
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  NameAsteroids(game->solarDB, {"Vesta", "Vega Minor", "Pallas"});
  std::uint16_t asteroid = 0;
  Type("p", 100);
  Type("x", 100);
  Click(261 + 100 + 40, 195 + 163 + 24, 300);
  CDFindAsteroidDlg dialog(ddraw.get(), main, program, 1, &asteroid);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_EQ(asteroid, kNoAsteroid);
}

// Letters typed after a completion go on spelling the name: the completed
// rest is replaced, not appended to.
TEST_F(SecondHalfRuns, FindAsteroidTypingOnReplacesTheCompletedRest) {
  EXPECT_EQ(FindAsteroidField("Vorn", 0), "Vornix");
}

// Backspace takes letters away without the name coming back each time.
TEST_F(SecondHalfRuns, FindAsteroidBackspaceIsNotCompletedAgain) { EXPECT_EQ(FindAsteroidField("Vor", 2), "Vo"); }

// Escape after a completed name gives the search up: no asteroid is found.
TEST_F(SecondHalfRuns, FindAsteroidEscapeFindsNothing) {
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  NameAsteroids(game->solarDB, {"Vesta", "Vornix", "Pallas"});
  std::uint16_t asteroid = 0;
  Type("Vor", 100);
  backend->PressKey(VK_ESCAPE, 300);
  CDFindAsteroidDlg dialog(ddraw.get(), main, program, 1, &asteroid);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_EQ(asteroid, kNoAsteroid);
}

// A finished game of a major winner scoring 70,000 against a table of two:
// it goes to the top, lit, and OK writes the whole score into the file.
TEST_F(SecondHalfRuns, FinishedGameReachesTheTableAndTheFile) {
  HighScoreTable table{};
  table[0].SetName("Old Guard");
  table[0].score = 5000;
  table[0].guild = 0;
  table[0].result = 1;
  table[0].chapters = 40;
  table[0].turns = 120;
  table[0].conditions = kConditionBiggest;
  table[1] = table[0];
  table[1].SetName("Latecomers");
  table[1].score = 4000;
  table[1].guild = 4;
  table[1].result = 0;
  const std::vector<std::uint8_t> before = EncodeHighScores(table);
  box.Write("hiscore.dat", before);
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  game->GetLocalChapter()->SetName("Northern Reach");
  game->solarDB.CreateAsteroidArray(12);
  for (int a = 0; a < 5; ++a) game->GetLocalChapter()->IncOwnedAsteroidCount();
  game->scores[2] = 70000;
  game->turn = 41;
  game->victoryFlags = kConditionCaptureFlag | kConditionImperator;
  std::vector<std::uint8_t> gameOver(8 + 40 + 2, 0);
  gameOver[8 + 2] = 2;
  CaptureAfter(300, {0, 0, 800, 600});
  Click(333 + 69, 510 + 25, 600);
  CDHighScoreDlg dialog(ddraw.get(), main, program, true, gameOver, guild);
  EXPECT_TRUE(dialog.m_shown);
  EXPECT_EQ(dialog.m_newRow, 0);
  EXPECT_TRUE(Looks("high_scores.png"));
  const std::string file = box.Read("hiscore.dat");
  const HighScoreTable written = DecodeHighScores(std::vector<std::uint8_t>(file.begin(), file.end()));
  EXPECT_STREQ(written[0].name, "Northern Reach");
  EXPECT_EQ(written[0].score, 70000);
  EXPECT_EQ(written[0].result, 2);
  EXPECT_EQ(written[0].turns, 42);
  EXPECT_EQ(written[0].chapters, 40);
  EXPECT_EQ(written[0].guild, 0);
  EXPECT_EQ(written[0].owned, 5);
  EXPECT_EQ(written[0].asteroids, 12);
  EXPECT_STREQ(written[1].name, "Old Guard");
  EXPECT_STREQ(written[2].name, "Latecomers");
  // Capture the flag and imperator: the texts follow each other, no chapter count.
  const HighScoreRowTexts texts = HighScoreTexts(written[0]);
  EXPECT_EQ(texts.conditions, DialogText("HSLSTMAN") + DialogText("HSCAPFLG") + DialogText("HS_IMPER"));
  EXPECT_TRUE(texts.chapters.empty());
}

// A name as long as the file's field, and every victory condition at once,
// end short of the columns beside them; what fits is drawn whole.
TEST_F(SecondHalfRuns, OverlongNameAndConditionsEndBeforeTheNextColumn) {
  const HDC dc = GetDC(main);
  const HFONT font = CreateFont(14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(dc, font);
  const auto width = [&](const std::string& t) {
    SIZE size{};
    GetTextExtentPoint32(dc, t.c_str(), static_cast<int>(t.size()), &size);
    return size.cx;
  };
  EXPECT_EQ(FitHighScoreText(dc, "Rangers", 104), "Rangers");
  const std::string cut = FitHighScoreText(dc, std::string(39, 'A'), 104);
  EXPECT_LE(width(cut), 104);
  EXPECT_GT(width(cut + "A"), 104 - width("..."));
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_EQ(FitHighScoreText(dc, "Anything", 2), "");
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(main, dc);

  HighScoreTable table{};
  table[0].SetName(std::string(39, 'A').c_str());
  table[0].score = 9000;
  table[0].turns = 65535;
  table[0].conditions = kConditionCaptureFlag | kConditionBiggest | kConditionImperator | kConditionInterregnum;
  table[1] = table[0];
  table[1].SetName("Rangers");
  table[1].score = 277;
  table[1].conditions = kConditionBiggest;
  box.Write("hiscore.dat", EncodeHighScores(table));
  CaptureAfter(300, {0, 0, 800, 600});
  Click(333 + 69, 510 + 25, 600);
  CDHighScoreDlg dialog(ddraw.get(), main, program, false, {}, guild);
  EXPECT_TRUE(Looks("high_scores_long.png"));
}

// A score below a full table: nothing shows, the file is written unchanged.
TEST_F(SecondHalfRuns, FinishedGameBelowAFullTableShowsNothing) {
  HighScoreTable table{};
  for (int r = 0; r < kHighScoreRows; ++r) {
    table[r].SetName("Holder");
    table[r].score = 900 - r;
  }
  box.Write("hiscore.dat", EncodeHighScores(table));
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  game->scores[2] = 10;
  CDHighScoreDlg dialog(ddraw.get(), main, program, true, {}, guild);
  EXPECT_FALSE(dialog.m_shown);
  const std::string file = box.Read("hiscore.dat");
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.end()), EncodeHighScores(table));
}

// The game's end: the summary (its second page looked at, back to the
// first, OK), then the high-score table, whose OK writes the file.
TEST_F(SecondHalfRuns, GameOverShowsTheSummaryThenTheHighScores) {
  game = std::make_unique<CGameData>(9, 3);
  dialogs_test::HoldGame(*game);
  const char* names[] = {"Red Hand", "Ember", "Cinder", "Verdant", "Moss", "Fern"};
  for (int g = 0; g < 2; ++g)
    for (int s = 0; s < 3; ++s) game->guildList->GetGuild(g)->GetChapter(s)->SetName(names[g * 3 + s]);
  const std::int32_t scores[] = {400, 250, 250, 900, 120, 0};
  for (int g = 0; g < 2; ++g)
    for (int s = 0; s < 3; ++s) game->scores[g * 8 + s] = static_cast<std::uint32_t>(scores[g * 3 + s]);
  std::vector<std::uint8_t> gameOver(1012, 0);
  gameOver[8 + 8] = 2;  // Verdant, a major winner
  gameOver[8 + 9] = 1;  // Moss, the local chapter, a minor winner
  for (int c = 0; c < 40; ++c) {
    gameOver[50 + c] = static_cast<std::uint8_t>(c % 8 + 1);
    gameOver[90 + c] = static_cast<std::uint8_t>(c / 8 + 2);
    gameOver[132 + 4 * c] = static_cast<std::uint8_t>(10 * c);
    gameOver[932 + 2 * c] = static_cast<std::uint8_t>(c);
  }
  CaptureAfter(1200, {0, 0, 800, 600});
  Click(184 + 69, 510 + 25, 400);  // the second page
  Click(184 + 69, 510 + 25, 400);  // back to the first
  Click(477 + 69, 510 + 25, 800);  // OK
  Click(333 + 69, 510 + 25, 600);  // the high scores' OK
  RunGameOverDialogs(gameOver);
  EXPECT_TRUE(Looks("game_summary.png"));
  const std::string file = box.Read("hiscore.dat");
  const HighScoreTable written = DecodeHighScores(std::vector<std::uint8_t>(file.begin(), file.end()));
  EXPECT_STREQ(written[0].name, "Moss");
  EXPECT_EQ(written[0].score, 120);
  EXPECT_EQ(written[0].result, 1);
  EXPECT_EQ(written[0].chapters, 15);
  EXPECT_TRUE(written[1].Empty());
}

// ATVs of 12 build points each, costing 5, 10, 15 and 20; a pool at asteroid 1
// of 500, 400, 300 and 200. Gives back the game variables to restore.
CGameVariables AtvRulesAndPool(std::unique_ptr<CGameData>& game) {
  const CGameVariables saved = g_gameVariables;
  for (int t = 0; t < 4; ++t) {
    g_gameVariables.atvBuildPoints[t] = 12;
    for (int m = 0; m < 4; ++m) g_gameVariables.atvCosts[t][m] = static_cast<std::int16_t>(5 * (m + 1));
  }
  game = std::make_unique<CGameData>(2, 8);
  dialogs_test::HoldGame(*game);
  const std::uint32_t pool[4] = {500, 400, 300, 200};
  game->poolDB.SetMinerals(1, pool);
  return saved;
}

// At a build rate of 10 with a pool: two combat ATVs of 12 points take 3
// turns and cost three times their price; OK hands the counts back.
TEST_F(SecondHalfRuns, ConstructAtvsAtABuildRate) {
  const CGameVariables saved = AtvRulesAndPool(game);
  AtvCounts counts{0, 0, 0, 0};
  const int up = 182 + 41 + 7, upY = 96 + 19 + 4;
  Click(up, upY, 400);
  Click(up, upY, 300);
  CaptureAfter(1200, {182, 96, 182 + 279, 96 + 372});
  Click(182 + 27 + 34, 96 + 332 + 20, 900);
  CDConstructAtvDlg dialog(ddraw.get(), main, program, nullptr, 10, &counts, guild, 1);
  g_gameVariables = saved;
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("construct_atv.png"));
  EXPECT_EQ(counts, (AtvCounts{2, 0, 0, 0}));
}

// Counts handed in show their turns at once, as the arrows would have left
// them (the first count field then has the focus).
TEST_F(SecondHalfRuns, ConstructAtvsShowsTheTurnsOfTheCountsHandedIn) {
  const CGameVariables saved = AtvRulesAndPool(game);
  AtvCounts counts{2, 0, 0, 0};
  CaptureAfter(600, {182, 96, 182 + 279, 96 + 372});
  Click(182 + 184 + 34, 96 + 332 + 20, 900);  // Cancel
  CDConstructAtvDlg dialog(ddraw.get(), main, program, nullptr, 10, &counts, guild, 1);
  g_gameVariables = saved;
  EXPECT_EQ(dialog.m_result, 2);
  EXPECT_TRUE(Looks("construct_atv_handed_in.png"));
  EXPECT_EQ(counts, (AtvCounts{2, 0, 0, 0}));
}

// Without a pool the arrows only go down from the counts handed in; Cancel
// puts those back.
TEST_F(SecondHalfRuns, ConstructAtvsWithoutAPoolAndCancelled) {
  AtvCounts counts{1, 0, 0, 0};
  const int upX = 182 + 41 + 7, upY = 96 + 19 + 4, downY = 96 + 19 + 15;
  Click(upX, upY, 400);
  Click(182 + 27 + 34, 96 + 332 + 20, 900);
  CDConstructAtvDlg held(ddraw.get(), main, program, nullptr, kNoBuildRate, &counts, guild, kNoPool);
  EXPECT_EQ(counts, (AtvCounts{1, 0, 0, 0}));
  Click(upX, downY, 400);
  Click(182 + 184 + 34, 96 + 332 + 20, 900);
  CDConstructAtvDlg cancelled(ddraw.get(), main, program, nullptr, kNoBuildRate, &counts, guild, kNoPool);
  EXPECT_EQ(cancelled.m_result, 2);
  EXPECT_EQ(counts, (AtvCounts{1, 0, 0, 0}));
  Click(upX, downY, 400);
  Click(182 + 27 + 34, 96 + 332 + 20, 900);
  CDConstructAtvDlg lowered(ddraw.get(), main, program, nullptr, kNoBuildRate, &counts, guild, kNoPool);
  EXPECT_EQ(counts, (AtvCounts{0, 0, 0, 0}));
}

std::string HelpText() {
  std::string text = "Asteroids hold minerals that mining ATVs bring up.\nPools keep them.\n";
  for (int i = 0; i < 14; ++i) text += "Line " + std::to_string(i) + " tells of storage facilities and their upkeep. ";
  return text;
}

// A text of some hundred characters asked about at (300, 300) opens 256 x 256
// above the place; holding the down arrow goes on a line at a time.
TEST_F(SecondHalfRuns, HelpWindowScrollsWhileTheArrowIsHeld) {
  const std::string text = HelpText();
  ASSERT_GE(text.size(), 100u);
  ASSERT_LT(text.size(), 1000u);
  CaptureAfter(300, {300, 30, 300 + 256, 30 + 256});
  backend->MoveMouse(300 + 248, 30 + 256 - 24, 500);
  backend->MouseDown(input::Button::Left, 20);
  backend->MouseUp(input::Button::Left, 450);
  Click(300 + 128, 30 + 256 - 18, 300);
  CDHelpDlg dialog(ddraw.get(), main, program, text.c_str(), 1, 300, 300, nullptr);
  EXPECT_TRUE(Looks("help.png"));
  EXPECT_EQ(dialog.m_rect.left, 300);
  EXPECT_EQ(dialog.m_rect.top, 30);
  EXPECT_EQ(dialog.m_visibleLines, 9);
  EXPECT_GE(dialog.m_scroll, 4);
  EXPECT_LE(dialog.m_scroll, 6);
}

// The wheel stops with the last line in view, and at the first line.
TEST_F(SecondHalfRuns, HelpWindowScrollsWithinTheText) {
  const std::string text = HelpText();
  const int lines = static_cast<int>(WrapHelpText(text, (256 - 64) / 6).size());
  backend->MoveMouse(300 + 100, 30 + 100, 300);
  for (int i = 0; i < 40; ++i) backend->Wheel(-WHEEL_DELTA, 20);
  Click(300 + 128, 30 + 256 - 18, 300);
  CDHelpDlg down(ddraw.get(), main, program, text.c_str(), 1, 300, 300, nullptr);
  EXPECT_EQ(down.m_scroll, lines - down.m_visibleLines);
  backend->MoveMouse(300 + 100, 30 + 100, 300);
  for (int i = 0; i < 3; ++i) backend->Wheel(-WHEEL_DELTA, 20);
  for (int i = 0; i < 6; ++i) backend->Wheel(WHEEL_DELTA, 20);
  Click(300 + 128, 30 + 256 - 18, 300);
  CDHelpDlg up(ddraw.get(), main, program, text.c_str(), 1, 300, 300, nullptr);
  EXPECT_EQ(up.m_scroll, 0);
}

// High scores from the menu: the table shows in viewing mode and leaves the
// file alone; the menu closes with the choice.
TEST_F(SecondHalfRuns, OptionsMenuShowsTheHighScores) {
  HighScoreTable table{};
  table[0].SetName("Old Guard");
  table[0].score = 5000;
  box.Write("hiscore.dat", EncodeHighScores(table));
  const std::string before = box.Read("hiscore.dat");
  CaptureAfter(300, {26, 96, 26 + 590, 96 + 372});
  Click(26 + 384 + 80, 96 + 109 + 28, 600);
  Click(333 + 69, 510 + 25, 1200);
  IOptionsScreen screen;
  CDInGameOptionsDlg dialog(ddraw.get(), main, program, screen);
  EXPECT_EQ(dialog.m_result, kOptionHighScores);
  EXPECT_TRUE(Looks("options_menu.png"));
  EXPECT_EQ(box.Read("hiscore.dat"), before);
}

// Save recentres the camera first and asks the main window to save.
TEST_F(SecondHalfRuns, OptionsMenuSaveAsksTheMainWindow) {
  struct Screen : IOptionsScreen {
    int recentred = 0, restarts = 0;
    void RecenterCamera() override { ++recentred; }
    void AskRestart() override { ++restarts; }
  } screen;
  const int& recentred = screen.recentred;
  Click(26 + 45 + 80, 96 + 109 + 28, 400);
  CDInGameOptionsDlg dialog(ddraw.get(), main, program, screen);
  EXPECT_EQ(dialog.m_result, kOptionSave);
  EXPECT_EQ(recentred, 1);
  EXPECT_EQ(screen.restarts, 0);
  MSG msg{};
  EXPECT_TRUE(PeekMessage(&msg, main, WM_APP_SAVE, WM_APP_SAVE, PM_REMOVE));
}

}  // namespace
