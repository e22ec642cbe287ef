// The info panel's ship list, status and combat-summary pages over a generated
// game: the units' conditions, order and paging, the charts' figures and
// scales, the battles' rows, review-log pages and replay, and the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/PanelFrame.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CViewNotices.h"
#include "media/CSprite.h"
#include "platform/core/dospath.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/queue.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;

class PagesView : public CVGeneric {
 public:
  PagesView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  void GoToView(WPARAM a, LPARAM b) override { goTos.push_back(std::to_string(a) + " " + std::to_string(b)); }
  std::vector<std::string> goTos;
};

// The drawing as the pages ask for it: texts with place and colour, lines.
class RecordingFrame : public IPanelFrame {
 public:
  struct Drawn {
    std::string text;
    int x, y;
    COLORREF colour;
    UINT format;
  };
  int DrawScreenText(const char* text, int x, int y, int, COLORREF colour, UINT format, int, int) override {
    texts.push_back({text, x, y, colour, format});
    return 13;
  }
  int MeasureScreenText(const char* text, int bold) override { return ::MeasureScreenText(text, bold); }
  int DrawViewportLine(int x1, int y1, int x2, int y2, COLORREF colour, int) override {
    lines.push_back({x1, y1, x2, y2, colour});
    return 1;
  }
  void ShowUnitData(CGUnit* unit, std::uint16_t location) override {
    shown.push_back("unit " + std::string(unit->GetName()) + " at " + std::to_string(location));
  }
  void ShowModuleData(int mode, int module, int guild) override {
    shown.push_back("module " + std::to_string(module) + " mode " + std::to_string(mode) + " guild " +
                    std::to_string(guild));
  }
  void ClearDataPanel(int picture) override { shown.push_back("clear " + std::to_string(picture)); }
  void ActOnGameEvent(const Notification& n) override { acted.push_back(n.param2); }
  const Drawn* Find(const std::string& text) const {
    // The last drawn wins: a page drawn over another.
    for (auto d = texts.rbegin(); d != texts.rend(); ++d)
      if (d->text == text) return &*d;
    return nullptr;
  }
  bool Has(const std::string& text) const { return Find(text) != nullptr; }
  void Clear() {
    texts.clear();
    lines.clear();
  }
  std::vector<Drawn> texts;
  struct Drawnline {
    int x1, y1, x2, y2;
    COLORREF colour;
  };
  std::vector<Drawnline> lines;
  std::vector<std::string> shown;
  std::vector<std::uint32_t> acted;
};

constexpr COLORREF kWhite = 0xFFFFFF, kGrey = 0x969696, kRed = 0x3232F0, kYellow = 0x32DCDC;

class InfoPages : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen("InfoPagesMain");
    CGameData& g = *g_gameData;
    g.textIndex = std::make_unique<CIDString>();
    const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
    g.imageModule = LoadLibrary((art + "ima.dll").c_str());
    g.guildModules[1] = LoadLibrary((art + "GUILD2/guild.dll").c_str());
    g.solarDB.CreateAsteroidArray(5);
    for (std::uint16_t i = 0; i < 5; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(("Rock " + std::to_string(i)).c_str());
      g.solarDB.SetAsteroid(std::move(a));
    }
    for (int c = 0; c < kMaxChapters; ++c)
      if (CGChapter* chapter = g.guildList->GetChapter(c)) chapter->SetName(("Chapter " + std::to_string(c)).c_str());
    view = std::make_unique<PagesView>(window, program);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    panel = SharedScreen().infoPanel;
    ASSERT_NE(panel, nullptr);
    // The review logs lie in the save directory: with no save path set, the
    // current directory, here the sandbox's drive C.
    ASSERT_STREQ(g_instData.GetSavePath(), "");
    ASSERT_TRUE(SetCurrentDosDirectory("C:\\"));
    dir = box.Host("");
    RegisterPanelFrame(&frame);
  }
  void TearDown() override {
    RegisterPanelFrame(nullptr);
    SharedScreen().infoPanelVisible = 0;
    g_currentView = nullptr;
    view.reset();
    CloseViewScreen();
    SetProgramModulePath("");
  }

  CGUnit* AddUnit(std::uint32_t serial, std::uint16_t asteroid, const char* name, const char* design,
                  std::uint8_t unitClass = 9, std::uint8_t chapter = kLocal) {
    auto* t = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000 | serial));
    t->unitClass = unitClass;
    t->name = design;
    t->powerStorage = 100;
    g_gameData->templates.AddTemplate(t, chapter);
    const Location at{asteroid, 0, 0, 0};
    CGUnit* unit = g_gameData->pieces.CreateUnit(t, &at, chapter, (std::uint32_t{chapter} << 26) | serial);
    unit->SetName(name);
    unit->percents[PCT_POWER_STORAGE] = 100;  // a sound power store, without modules
    unit->power = 100;
    return unit;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const ShipListEntry& e : panel->shipEntries) out.push_back(e.unitName);
    return out;
  }
  // Draws the panel over the viewport as the screen flush does, with the real frame.
  Image Capture() {
    RegisterPanelFrame(nullptr);
    InstallPanelFrame(true);
    SharedScreen().infoPanelVisible = 1;
    SharedScreen().screenSprite->FillSurface(0, &kViewportRect);
    AddDirtyRect(kViewportRect);
    FlushScreen();
    InstallPanelFrame(false);
    RegisterPanelFrame(&frame);
    return quentest::ScreenArea(kViewportRect);
  }
  std::filesystem::path Golden(const char* name) const { return std::filesystem::path(QUEN_TEST_DATA_DIR) / name; }
  int Click(int vx, int vy) { return panel->OnLButtonDown(vx + 29, vy + 98, 0); }
  void Draw() {
    frame.Clear();
    panel->Draw();
  }
  // A battle at `asteroid` with its counts and its log's lines (none: no log).
  void AddBattle(std::uint16_t asteroid, std::array<std::uint32_t, 6> counts, int logLines = -1) {
    g_gameData->notifications->Add(kLocal, 4, 401, "", "", 1, asteroid, 0);
    g_gameData->reviewLog[asteroid] = counts;
    if (logLines < 0) return;
    std::ofstream(dir / (std::to_string(asteroid) + ".rpl")) << "replay";
    std::ofstream log(dir / (std::to_string(asteroid) + ".tlg"));
    for (int i = 0; i < logLines; ++i) log << "Line " << i + 1 << "\n";
  }

  std::unique_ptr<PagesView> view;
  CInfoPanel* panel = nullptr;
  RecordingFrame frame;
  rules_test::Sandbox box;
  std::filesystem::path dir;
};

TEST(ShipConditionTest, ThresholdsOfPowerHullAndLifeSupport) {
  EXPECT_EQ(ShipCondition(100, 100, 0, 0), 0);
  EXPECT_EQ(ShipCondition(25, 100, 50, 50), 0);
  EXPECT_EQ(ShipCondition(24, 100, 0, 0), 1);
  EXPECT_EQ(ShipCondition(100, 100, 51, 0), 1);
  EXPECT_EQ(ShipCondition(100, 100, 0, 51), 1);
  EXPECT_EQ(ShipCondition(100, 100, 80, 0), 1);
  EXPECT_EQ(ShipCondition(100, 100, 81, 0), 2);
  EXPECT_EQ(ShipCondition(100, 100, 0, 81), 2);
  EXPECT_EQ(ShipCondition(0, 100, 0, 0), 2);
  EXPECT_EQ(ShipCondition(1, 1000, 0, 0), 2) << "under one percent truncates to 0";
  EXPECT_EQ(ShipCondition(50, 0, 0, 0), 2) << "no power storage counts as no power, not a division by zero";
}

TEST_F(InfoPages, ShipListSortsByEachKeyWithTheLaterOfEqualsFirst) {
  AddUnit(1, 2, "Bravo", "Miner", 7);
  AddUnit(2, 0, "Alpha", "Zeal", 9)->hullDamage = 60;
  AddUnit(3, 2, "Charlie", "Miner", 3)->lifeSupportDamage = 90;
  AddUnit(4, 5, "Delta", "Arrow", 9);
  AddUnit(5, 1, "Echo", "Bolt", 1, 17);  // another chapter's: not listed
  Draw();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "Charlie", "Bravo", "Delta"}));
  // Keys by the sort box: design, name, class, condition.
  EXPECT_EQ(Click(320, 350), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Delta", "Bravo", "Charlie", "Alpha"}));
  EXPECT_EQ(Click(320, 350), 0) << "the current key again changes nothing";
  EXPECT_EQ(Click(390, 350), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "Bravo", "Charlie", "Delta"}));
  EXPECT_EQ(Click(450, 350), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Charlie", "Bravo", "Delta", "Alpha"}));
  EXPECT_EQ(Click(500, 350), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Charlie", "Alpha", "Delta", "Bravo"}));
  Draw();
  // Critical red, damaged yellow, sound in the guild's pale colour; solar space "in transit".
  EXPECT_EQ(frame.Find("Charlie             ")->colour, kRed);
  EXPECT_EQ(frame.Find("Alpha               ")->colour, kYellow);
  EXPECT_EQ(frame.Find("Delta               ")->colour, GetPaleColor(1));
  EXPECT_EQ(frame.Find("in transit")->y, frame.Find("Delta               ")->y);
  EXPECT_TRUE(frame.Has("No Orders"));
}

TEST_F(InfoPages, ShipListPagesByFourteenAndRebuildsOnlyWhenTheTurnChanges) {
  for (std::uint32_t i = 0; i < 14; ++i) AddUnit(i + 1, 1, ("Unit " + std::to_string(i + 10)).c_str(), "Hull");
  Draw();
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kGrey);
  EXPECT_EQ(Click(480, 325), 1);
  EXPECT_EQ(panel->shipPosition, 0xFFFF) << "nothing further to show";
  AddUnit(15, 1, "Unit 24", "Hull");
  Draw();
  EXPECT_EQ(panel->shipEntries.size(), 14u) << "a unit bought within the turn waits for the next";
  g_gameData->AdvanceTurn();
  Draw();
  ASSERT_EQ(panel->shipEntries.size(), 15u);
  EXPECT_EQ(frame.Find("MORE")->colour, kWhite);
  EXPECT_EQ(Click(480, 325), 1);
  Draw();
  EXPECT_EQ(panel->shipRowUnits[0]->GetName(), Names()[14]) << "the 15th entry opens the page";
  EXPECT_EQ(panel->shipRowUnits[1], nullptr);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kWhite);
  EXPECT_EQ(Click(540, 325), 1);
  EXPECT_EQ(panel->shipPosition, 0xFFFF);
  // Hover and click share one row geometry: the row drawn at viewport y 50.
  Draw();
  panel->OnMouseMove(100, 98 + 50);
  EXPECT_EQ(panel->shipHovered, panel->shipRowUnits[1]);
  EXPECT_EQ(frame.shown.back(), "unit " + std::string(panel->shipRowUnits[1]->GetName()) + " at 1");
  panel->OnMouseMove(300, 98 + 59);
  EXPECT_EQ(frame.shown.size(), 1u) << "the same row's unit again";
  EXPECT_EQ(panel->OnLButtonDown(100, 98 + 50, 0), 0);
  ASSERT_EQ(view->goTos.size(), 1u);
  EXPECT_EQ(view->goTos[0], "3 " + std::to_string(panel->shipRowUnits[1]->id));
  panel->OnMouseMove(100, 98 + 340);
  EXPECT_EQ(panel->shipHovered, nullptr);
  EXPECT_EQ(frame.shown.back(), "clear 1");
}

TEST_F(InfoPages, AUnitLostBeforeTheTurnMovesOnIsNeitherShownNorVisited) {
  const std::uint32_t alpha = AddUnit(1, 2, "Alpha", "Miner", 7)->id;
  AddUnit(2, 2, "Bravo", "Miner", 7);
  Draw();
  ASSERT_EQ(Names(), (std::vector<std::string>{"Bravo", "Alpha"}));
  // The turn's results take Alpha away; the turn counter has not moved yet.
  ASSERT_EQ(g_gameData->pieces.DeleteUnit(alpha), 1);
  panel->OnMouseMove(100, 98 + 50);
  EXPECT_EQ(panel->shipHovered, nullptr);
  EXPECT_TRUE(frame.shown.empty()) << "its row shows nothing in the data panel";
  EXPECT_EQ(Click(100, 50), 0);
  EXPECT_TRUE(view->goTos.empty()) << "its row leads nowhere";
  Draw();
  EXPECT_EQ(panel->shipRowUnits[1], nullptr);
  EXPECT_EQ(frame.Find("Alpha               ")->colour, GetPaleColor(1)) << "its row waits for the next turn";
  // Bravo's row still leads to Bravo.
  panel->OnMouseMove(100, 98 + 30);
  EXPECT_EQ(frame.shown.back(), "unit Bravo at 2");
  g_gameData->AdvanceTurn();
  Draw();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Bravo"}));
}

TEST_F(InfoPages, ShipListShowsTheOrderEstimateAndTheDesignPage) {
  CGUnitTemplate* t = AddUnit(1, 2, "Alpha", "Miner", 7)->GetTemplate();
  t->creationTurn = 3;
  t->creationTurnHigh = 2;  // number built
  t->trailingLongs[0] = 40;
  AddUnit(2, 2, "Bravo", "Unbuilt", 7);
  EXPECT_EQ(Click(50, 345), 1);
  Draw();
  EXPECT_TRUE(frame.Has("Miner"));
  EXPECT_FALSE(frame.Has("Unbuilt")) << "designs never built are left out";
  EXPECT_TRUE(frame.Has("40"));
  EXPECT_EQ(frame.Find("TEMPLATE LIST")->colour, kWhite);
  EXPECT_EQ(frame.Find("SHIP LIST")->colour, kGrey);
  EXPECT_EQ(Click(50, 325), 1);
  EXPECT_EQ(panel->templateMode, 0);
}

TEST_F(InfoPages, DesignPageHeadersEachStartInsideTheirOwnColumn) {
  AddUnit(1, 2, "Alpha", "Miner", 7)->GetTemplate()->creationTurnHigh = 1;
  EXPECT_EQ(Click(50, 345), 1);
  Draw();
  // The columns are bounded by the page's edge and its full-height green lines.
  std::vector<int> edges{5};
  for (const auto& l : frame.lines)
    if (l.x1 == l.x2 && l.y1 == 5 && l.y2 == 314) edges.push_back(l.x1);
  edges.push_back(580);
  std::sort(edges.begin(), edges.end());
  ASSERT_EQ(edges.size(), 11u);
  std::vector<std::string> lower;
  std::vector<int> columns;
  for (const auto& t : frame.texts) {
    if (t.y != 20) continue;
    lower.push_back(t.text);
    EXPECT_EQ(t.format & DT_CENTER, 0u) << t.text << " is written from its x";
    const auto right = std::upper_bound(edges.begin(), edges.end(), t.x);
    columns.push_back(static_cast<int>(right - edges.begin()) - 1);
    EXPECT_GT(t.x, edges[static_cast<std::size_t>(columns.back())]) << t.text << " starts on a column line";
  }
  const std::vector<std::string> expected{"NAME",  "TYPE",  "CREATED", "BUILT", "DEAD",
                                          "KILLS", "SHOTS", "HITS",    "TAKEN", "TAKEN"};
  EXPECT_EQ(lower, expected);
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9})) << "one header over each column";
}

TEST_F(InfoPages, ShipListPicture) {
  AddUnit(1, 2, "Alpha", "Miner", 7);
  AddUnit(2, 5, "Bravo", "Lancer", 10)->hullDamage = 60;
  AddUnit(3, 0, "Charlie", "Scout", 4)->lifeSupportDamage = 90;
  panel->SetType(2);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_ship_list.png")));
}

// Standings of `turns` played turns, as their results left them: chapter 9
// holds `value` asteroids (and ships) each turn; the turn under way is the next.
void FillStandings(std::uint32_t turns, std::uint32_t value) {
  for (std::uint32_t t = 0; t < turns; ++t) {
    for (auto& cell : g_gameData->standings[t % kStandingRows]) cell = ChapterStanding{0, 0, 0, 0, 0, 0};
    auto& own = g_gameData->standings[t % kStandingRows][9];
    own.asteroids = static_cast<std::uint8_t>(std::min<std::uint32_t>(value, 255));
    own.ships = static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 65535));
  }
  g_gameData->turn = turns;
}

int TopOfLines(const RecordingFrame& frame, COLORREF colour) {
  int top = 1000;
  for (const auto& l : frame.lines)
    if (l.colour == colour) top = std::min({top, l.y1, l.y2});
  return top;
}

TEST_F(InfoPages, GuildChartScalesEveryLargestValue) {
  panel->SetType(5);
  EXPECT_EQ(Click(150, 350), 1);
  EXPECT_EQ(Click(480, 350), 1);
  EXPECT_EQ(panel->guildFigure, 1);
  EXPECT_EQ(Click(560, 350), 1);
  EXPECT_EQ(panel->guildFigure, 2);
  // The chart of ships: the guild's line tops out 1/1.2 of the way up at any scale.
  for (std::uint32_t m : {1u, 285u, 286u, 10000u}) {
    FillStandings(10, m);
    Draw();
    EXPECT_EQ(TopOfLines(frame, GetBrightColor(1)), 331 - 285) << m;
    EXPECT_TRUE(frame.Has(std::to_string(m))) << m;
  }
  FillStandings(10, 0);
  Draw();
  for (int g = 0; g < kGuildCount; ++g) EXPECT_EQ(TopOfLines(frame, GetBrightColor(g)), 1000) << "the axes alone";
}

TEST_F(InfoPages, GuildChartDrawsTheImperatorThresholdOnlyWithThatCondition) {
  FillStandings(3, 4);
  panel->SetType(5);
  panel->statusPage = 1;
  g_gameData->guildControlPercent = 50;
  g_gameData->victoryFlags = 8;
  Draw();
  ASSERT_TRUE(frame.Has("Imperator (3)"));  // 5 asteroids x 50 % rounded up
  EXPECT_EQ(frame.Find("Imperator (3)")->colour, 0x00FF00u);
  g_gameData->victoryFlags = 4;
  Draw();
  EXPECT_FALSE(frame.Has("Imperator (3)"));
}

TEST_F(InfoPages, PersonalChartLegendCellsToggleTheirSeries) {
  panel->SetType(5);
  EXPECT_EQ(Click(200, 350), 1);
  EXPECT_EQ(panel->statusPage, 2);
  EXPECT_EQ(Click(200, 350), 0) << "the current page's own button";
  // Rows silicate, mining, organics / reactives, metal, asteroids / power, exotics, ships.
  const int expected[3][3] = {{1, 5, 6}, {8, 0, 7}, {3, 2, 4}};
  const int xs[3] = {320, 450, 560};
  const int ys[3] = {320, 340, 355};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const auto before = panel->statusSeries;
      EXPECT_EQ(Click(xs[c], ys[r]), 1);
      for (int k = 0; k < kStatusSeries; ++k)
        EXPECT_EQ(panel->statusSeries[k] != before[k], k == expected[r][c]) << r << c << k;
    }
  }
  Draw();
  EXPECT_EQ(frame.Find("metal")->colour, kGrey);
  FillStandings(5, 40);
  panel->statusSeries.fill(0);
  panel->statusSeries[4] = 1;  // ships
  Draw();
  EXPECT_EQ(frame.Find("Ships")->colour, 0xBEBEFFu);
  EXPECT_EQ(frame.Find("Asteroids")->colour, kGrey);
  EXPECT_EQ(TopOfLines(frame, 0xBEBEFF), 307 - 255) << "the largest value at 1/1.2 of the height";
}

TEST_F(InfoPages, ChapterTableAddsEachGuildsTotals) {
  FillStandings(2, 7);
  g_gameData->standings[1][8].asteroids = 3;
  g_gameData->scores[9] = 120;
  panel->SetType(5);
  Draw();
  const auto* name = frame.Find("Chapter 9");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->x, 300);
  EXPECT_EQ(name->y, 30 + 63);
  const auto* total = frame.Find("120");
  ASSERT_NE(total, nullptr);
  int totals = 0;
  for (const auto& t : frame.texts) totals += t.text == "10" && t.x == 450 && t.y == 75 + 63;
  EXPECT_EQ(totals, 1) << "guild 1's asteroids: 7 + 3";
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_status_chapters.png")));
}

// Every figure of the chapter table, at the largest the game can hold, stays
// inside its column (up to the next column, the last up to the panel's right
// edge) with a margin; figures that fit are written whole, wider ones in
// thousands, millions or billions, and guild totals do not wrap.
TEST_F(InfoPages, ChapterTableFiguresFitTheirColumnsAtTheLargestValues) {
  FillStandings(2, 7);
  for (auto& cell : g_gameData->standings[1]) cell = ChapterStanding{255, 255, 255, 0, 65535, 0};
  for (auto& score : g_gameData->scores) score = 0xFFFFFFFFu;
  g_gameData->scores[8] = 1926;
  g_gameData->scores[10] = 12345;
  panel->SetType(5);
  Draw();
  constexpr int kMargin = 3;
  int rows = 0, totals = 0;
  for (const auto& t : frame.texts) {
    const int column = t.x >= 300 ? t.x - 300 : t.x - 10;
    const bool rowFigure = t.y >= 30 && (t.y - 30) % 63 < 44 && column >= 160 && (column - 160) % 25 == 0;
    const bool totalFigure = t.y >= 75 && (t.y - 75) % 63 == 0 && t.x >= 450 && (t.x - 450) % 25 == 0;
    if (!rowFigure && !totalFigure) continue;
    const int right = totalFigure && t.x == 550 ? 585 : std::min(t.x + 25, 585);
    EXPECT_LE(t.x + MeasureScreenText(t.text.c_str(), 0) + kMargin, right) << t.text << " at " << t.x << ", " << t.y;
    rows += rowFigure;
    totals += totalFigure;
  }
  EXPECT_EQ(rows, 8 * 5 * 5);
  EXPECT_EQ(totals, 5 * 5);
  EXPECT_TRUE(frame.Has("1926")) << "a four-digit score is written whole";
  EXPECT_TRUE(frame.Has("12K"));
  EXPECT_TRUE(frame.Has("4G"));
  EXPECT_TRUE(frame.Has("34359M")) << "eight of the largest scores, not what 32 bits wrap them to";
  EXPECT_TRUE(frame.Has("255"));
  EXPECT_TRUE(frame.Has("65K"));
}

// In play the turn under way has no figures yet: its row holds what the game
// began with (2 ships) and no statistics. The pages show the turn played last.
TEST_F(InfoPages, StatusShowsTheTurnPlayedLastNotTheEmptyOneUnderWay) {
  FillStandings(3, 3);
  g_gameData->standings[3][kLocal] = ChapterStanding{1, 1, 1, 0, 2, 0};
  CGChapter* local = g_gameData->GetLocalChapter();
  ASSERT_NE(local, nullptr);
  for (int t = 0; t < 3; ++t) local->statistics[t].values[8] = 8;  // power
  local->statistics[3] = ChapterTurnStats{};
  panel->SetType(5);
  Draw();
  const auto* name = frame.Find("Chapter 9");
  ASSERT_NE(name, nullptr);
  std::string ships;
  for (const auto& t : frame.texts)
    if (t.y == name->y && t.x == name->x + 160 + 25 * 3) ships = t.text;
  EXPECT_EQ(ships, "3");

  panel->statusPage = 2;
  panel->statusSeries.fill(0);
  panel->statusSeries[3] = 1;
  Draw();
  int segments = 0;
  for (const auto& l : frame.lines) {
    if (l.colour != 0xFFFF00) continue;
    ++segments;
    EXPECT_EQ(l.y1, 307 - 255) << "no drop to an empty turn";
    EXPECT_EQ(l.y2, 307 - 255);
  }
  EXPECT_EQ(segments, 2) << "turns 0, 1 and 2";
  ASSERT_TRUE(frame.Has("8"));
  EXPECT_EQ(frame.Find("8")->x, 8 + 11 * 2);

  // Before the first turn's results: nothing to chart, the start's figures.
  FillStandings(0, 0);
  g_gameData->standings[0][kLocal] = ChapterStanding{1, 1, 1, 0, 2, 0};
  Draw();
  for (const auto& l : frame.lines) EXPECT_EQ(l.colour, 0x00FF00u) << "the axes alone";
}

// The figures written where lines end close together, as a long game's
// small figures do beside its organics, are each readable: a row apart.
std::vector<int> LabelRows(const RecordingFrame& frame, int x) {
  std::vector<int> ys;
  for (const auto& t : frame.texts)
    if (t.x == x) ys.push_back(t.y);
  std::sort(ys.begin(), ys.end());
  return ys;
}

TEST_F(InfoPages, ChartFiguresOfLinesEndingTogetherDoNotOverlap) {
  FillStandings(3, 2);
  CGChapter* local = g_gameData->GetLocalChapter();
  ASSERT_NE(local, nullptr);
  for (int t = 0; t < 3; ++t) {
    local->statistics[t] = ChapterTurnStats{};
    local->statistics[t].values[9] = 90000;  // organics
    local->statistics[t].values[8] = 40;     // power
    local->statistics[t].values[4] = 25;     // metal
  }
  panel->SetType(5);
  panel->statusPage = 2;
  panel->statusSeries.fill(1);
  Draw();
  const std::vector<int> personal = LabelRows(frame, 8 + 11 * 2);
  ASSERT_EQ(personal.size(), static_cast<std::size_t>(kStatusSeries));
  EXPECT_EQ(personal.back(), 292) << "the lowest figure where a zero is written";
  for (std::size_t i = 1; i < personal.size(); ++i) EXPECT_GE(personal[i] - personal[i - 1], 11) << i;
  ASSERT_TRUE(frame.Has("90000"));
  EXPECT_EQ(frame.Find("90000")->y, 292 - 255) << "a figure with room stays at its line's end";
  // Four guilds without ships end on one line.
  panel->statusPage = 1;
  panel->guildFigure = 2;
  Draw();
  const std::vector<int> guilds = LabelRows(frame, 9 + 11 * 2);
  ASSERT_EQ(guilds.size(), static_cast<std::size_t>(kGuildCount));
  for (std::size_t i = 1; i < guilds.size(); ++i) EXPECT_GE(guilds[i] - guilds[i - 1], 11) << i;
}

TEST_F(InfoPages, StatusPictures) {
  FillStandings(30, 12);
  for (std::uint32_t t = 0; t < 30; ++t) g_gameData->standings[t][17].ships = static_cast<std::uint16_t>(t);
  panel->SetType(5);
  panel->statusPage = 1;
  panel->guildFigure = 2;
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_status_guilds.png")));
  panel->statusPage = 2;
  panel->statusSeries[0] = 0;
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_status_personal.png")));
}

TEST_F(InfoPages, CombatSummaryPagesThirteenBattles) {
  for (std::uint16_t i = 0; i < 13; ++i) {
    g_gameData->notifications->Add(kLocal, 1, 103, "", "", 0, 0, 0);  // not a battle
    AddBattle(i % 5, {1, 0, 2, i == 3 ? 1u : 0u, 0, 1});
  }
  panel->SetType(8);
  EXPECT_EQ(Click(480, 350), 1);
  EXPECT_EQ(panel->combatStart, 0) << "MORE before the page was ever drawn";
  Draw();
  EXPECT_EQ(panel->hotSpotCount, 12);
  EXPECT_EQ(frame.Find("MORE")->colour, kWhite);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kGrey);
  EXPECT_TRUE(frame.Has("13   ENCOUNTERS"));
  EXPECT_EQ(Click(480, 350), 1);
  Draw();
  EXPECT_EQ(panel->hotSpotCount, 1) << "the second page lists the 13th";
  EXPECT_EQ(panel->combatRowNotices[0], g_gameData->notifications->GetCount() - 1);
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(Click(540, 350), 1);
  EXPECT_EQ(panel->combatStart, 0);
  // The replay of the second row's battle, clicked right of viewport x 550.
  Draw();
  EXPECT_EQ(Click(560, 65 + 20 + 5), 1);
  ASSERT_EQ(frame.acted.size(), 1u);
  EXPECT_EQ(frame.acted[0], 1u);
}

TEST_F(InfoPages, CombatDetailsPageThroughAShortLog) {
  AddBattle(2, {2, 1, 3, 1, 0, 2}, 6);
  AddBattle(4, {1, 0, 1, 0, 0, 0});  // no log
  panel->SetType(8);
  Draw();
  EXPECT_EQ(frame.Find("Rock 2")->colour, 0x0000FFu) << "own ships were hit";
  EXPECT_EQ(frame.Find("Rock 4")->colour, GetPaleColor(1));
  EXPECT_EQ(Click(450, 70), 1);
  Draw();
  for (int i = 1; i <= 6; ++i) EXPECT_TRUE(frame.Has("Line " + std::to_string(i))) << i;
  EXPECT_EQ(frame.Find("MORE")->colour, kWhite) << "the end is not known until read";
  EXPECT_EQ(Click(440, 335), 1);
  Draw();
  EXPECT_FALSE(frame.Has("Line 1"));
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kWhite);
  EXPECT_EQ(Click(440, 335), 1);
  EXPECT_EQ(panel->combatLineOffset, 6) << "no page past the end";
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_combat_details_end.png")));
  EXPECT_EQ(Click(500, 335), 1);
  EXPECT_EQ(panel->combatLineOffset, 0);
  EXPECT_EQ(Click(290, 350), 1);
  EXPECT_EQ(panel->combatDetail, kCombatSummaryPage);
  // A battle without its log says so.
  EXPECT_EQ(Click(450, 90), 1);
  Draw();
  EXPECT_TRUE(frame.Has("UNABLE TO DISPLAY BATTLE REPORT"));
  EXPECT_EQ(panel->hotSpotCount, 2);
}

TEST_F(InfoPages, CombatRowsKeepBattlesPastByteRange) {
  // A battle numbered 300 (no such asteroid here) with a log of one binary line.
  g_gameData->notifications->Add(kLocal, 4, 401, "", "", 1, 300, 0);
  std::ofstream(dir / "300.rpl") << "replay";
  std::ofstream(dir / "300.tlg", std::ios::binary) << std::string("Battle\x01\xff\0hidden", 15) << "\n";
  panel->SetType(8);
  Draw();
  EXPECT_EQ(panel->combatRowBattles[0], 300);
  EXPECT_EQ(Click(450, 70), 1);
  Draw();
  EXPECT_TRUE(frame.Has("Battle\x01\xff")) << "shown up to its zero";
  EXPECT_FALSE(frame.Has("UNABLE TO DISPLAY BATTLE REPORT"));
}

TEST_F(InfoPages, CombatPictures) {
  AddBattle(2, {2, 1, 3, 1, 0, 2}, 3);
  AddBattle(3, {4, 0, 1, 0, 0, 1});
  {
    std::ofstream log(dir / "2.tlg", std::ios::trunc);
    log << "Battle at Rock 2, turn 1.\n"
        << std::string(600, 'x') << "\n"
        << "Alpha fires at Brute and hits.\n";
  }
  panel->SetType(8);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_combat_summary.png")));
  EXPECT_EQ(Click(450, 70), 1);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_combat_details.png")));
}

}  // namespace

namespace {

// Trait 12 counts in whole numbers, not percent.
std::string Text12() {
  char name[300] = {};
  g_gameData->textIndex->GetText("TRAIT012", name, sizeof name);
  return std::string(name) + ":  + 2";
}

TEST_F(InfoPages, GameSetupListsTraitsConditionsAndSettings) {
  std::uint8_t traits[20] = {};
  traits[0] = 10;
  traits[12] = 2;
  g_gameData->GetLocalChapter()->SetTraits(traits);
  g_gameData->victoryFlags = 0;
  g_gameData->shipDisplay = 7;  // outside the table
  panel->SetType(9);
  Draw();
  EXPECT_TRUE(frame.Has("Projectile Weapons:  + 10%"));
  EXPECT_TRUE(frame.Has(Text12()));
  int traitLines = 0;
  for (const auto& t : frame.texts) traitLines += t.x == 15 && t.y >= 25 && t.y < 72;
  EXPECT_EQ(traitLines, 2);
  EXPECT_EQ(frame.Find("Projectile Weapons:  + 10%")->y, 25);
  // Only the last man standing without optional conditions.
  int conditions = 0;
  for (const auto& t : frame.texts) conditions += t.x <= 30 && t.y >= 105 && t.y < 227;
  EXPECT_EQ(conditions, 1);
  EXPECT_TRUE(frame.Has("* Last Man Standing"));
  EXPECT_TRUE(frame.Has("Ships in solar space are never visible"));
  EXPECT_TRUE(frame.Has("Difficulty: Easy"));
  EXPECT_EQ(panel->hotSpotCount, 0);
  g_gameData->victoryFlags = 2 | 4 | 8 | 16;
  g_gameData->gameLength = 300;
  Draw();
  EXPECT_EQ(frame.Find("* Capture the flag")->y, 120);
  EXPECT_EQ(frame.Find("Game Length: 300 turns")->y, 150);
  EXPECT_EQ(frame.Find("* Interregnum")->y, 225 - 15);
  EXPECT_EQ(panel->OnLButtonDown(100, 200, 0), 0);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_game_setup.png")));
}

TEST_F(InfoPages, KeyboardReferencePicture) {
  panel->SetType(11);
  Draw();
  EXPECT_TRUE(frame.Has("KEYBOARD REFERENCE"));
  EXPECT_TRUE(frame.Has("SHIFT-TAB"));
  EXPECT_TRUE(frame.Has("SHIFT-U"));
  EXPECT_EQ(frame.Find("Toggle stars & nebulae")->y, 185);
  EXPECT_EQ(panel->OnLButtonDown(100, 200, 0), 0);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_keyboard.png")));
}

}  // namespace

namespace {

TEST_F(InfoPages, VotingClicksToggleTheLocalVotesExceptRenegadeInInterregnum) {
  panel->SetType(0);
  CGChapter* local = g_gameData->GetLocalChapter();
  CGuild* guild = g_gameData->GetLocalGuild();
  EXPECT_EQ(panel->OnLButtonDown(130, 176 + 36 * 2 + 10, 0), 1);
  EXPECT_EQ(local->renegadeVotes[2], 1u);
  EXPECT_EQ(panel->OnLButtonDown(130, 176 + 36 * 2 + 10, 0), 1);
  EXPECT_EQ(local->renegadeVotes[2], 0u);
  EXPECT_EQ(panel->OnLButtonDown(60, 176 + 36 * 3, 0), 1);
  EXPECT_EQ(local->imperatorVotes[3], 1u);
  EXPECT_EQ(panel->OnLButtonDown(60, 175, 0), 0) << "above the rows";
  EXPECT_EQ(panel->OnLButtonDown(60, 176 + 36 * 8, 0), 0) << "past the guild's members";
  EXPECT_EQ(panel->OnLButtonDown(100, 176, 0), 0) << "between the columns";
  guild->interregnum = 1;
  EXPECT_EQ(panel->OnLButtonDown(130, 176, 0), 0);
  EXPECT_EQ(local->renegadeVotes[0], 0u);
  EXPECT_EQ(panel->OnLButtonDown(60, 176, 0), 1) << "the imperator vote still counts";
  EXPECT_EQ(local->imperatorVotes[0], 1u);
  EXPECT_EQ(local->imperatorVotes[3], 0u);
}

TEST_F(InfoPages, VotingShowsStatusAndDeclarations) {
  CGuild* guild = g_gameData->GetLocalGuild();
  guild->totalVotes = 8;
  guild->renegadeVotes[4] = 6;
  guild->votesHeld[1] = 3;
  for (int slot = 0; slot < 8; ++slot)
    for (auto& vote : g_gameData->guildList->GetChapter(8 + slot)->imperatorVotes) vote = 0;
  g_gameData->guildList->GetChapter(8 + 4)->imperatorVotes[1] = 1;  // slot 4 backs the local chapter
  g_gameData->guildList->GetChapter(8 + 5)->renegadeVotes[1] = 1;
  g_gameData->GetLocalChapter()->renegadeVotes[4] = 1;
  panel->SetType(0);
  Draw();
  const int row4 = 83 + 36 * 4;
  int renegades = 0, imperators = 0;
  for (const auto& t : frame.texts) {
    renegades += t.text == "Renegade" && t.x == 370;
    imperators += t.text == "Imperator" && t.x == 295;
    if (t.text == "Renegade" && t.x == 370) {
      EXPECT_EQ(t.y, row4);
    }
  }
  EXPECT_EQ(renegades, 1);
  EXPECT_EQ(imperators, 1);
  // The imperator votes column counts the backers' votes, not what each holds:
  // slot 1 holds three but only slot 4's one vote backs it.
  int tallies = 0;
  for (const auto& t : frame.texts)
    if (t.x == 470 && t.y > 75) {
      ++tallies;
      EXPECT_EQ(t.text, t.y == 83 + 36 ? "1" : "0") << "row at " << t.y;
    }
  EXPECT_EQ(tallies, 8);
  EXPECT_TRUE(frame.Has("Total votes held by guild members = 8"));
  EXPECT_EQ(panel->hotSpotCount, 0);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_voting.png")));
}

TEST_F(InfoPages, VotingCountsTheVotesTheTallyGivesYouNotTheAsteroidsYouControl) {
  CGuild* guild = g_gameData->GetLocalGuild();
  CGAsteroid* home = g_gameData->solarDB.GetAsteroid(0);
  ASSERT_NE(home, nullptr);
  home->controller = g_gameData->localChapterId;
  const int slot = g_gameData->localChapterId & 7;
  // The home asteroid's vote sold: the asteroid is still controlled, the vote is the buyer's.
  guild->votesHeld[slot] = 0;
  panel->SetType(0);
  Draw();
  EXPECT_TRUE(frame.Has("Total votes held by you = 0"));
  // Two held once a vote was bought.
  guild->votesHeld[slot] = 2;
  Draw();
  EXPECT_TRUE(frame.Has("Total votes held by you = 2"));
}

}  // namespace

namespace {

// 25 modules of the local guild in research (one researched), one of another
// guild and one not yet begun, named so that name order differs from index order.
void LoadTechnology() {
  std::vector<ModuleRecord> records;
  for (int i = 0; i < 27; ++i) {
    ModuleRecord r{};
    std::snprintf(r.name, sizeof r.name, "Mod %02d", 26 - i);
    r.guildMask = i == 25 ? 4 : 2;
    r.techLevel = static_cast<std::uint8_t>(i % 4 + 1);
    r.successor = i == 26 ? 0 : kNoModule;  // "Mod 00" leads to "Mod 26"
    records.push_back(r);
  }
  ASSERT_EQ(g_gameData->moduleDB->LoadModules(WriteModulesImage(records)), 1);
  for (int i = 0; i < 27; ++i) g_gameData->moduleDB->GetRecord(i)->researchPoints = 5000;
  g_gameData->moduleDB->GetRecord(26)->researchPoints = 10000;
  g_gameData->moduleDB->GetRecord(24)->researchPoints = 0;  // "Mod 02": not begun
}

TEST_F(InfoPages, TechnologyPagesInNameOrderAndCountsEveryFittedSlot) {
  LoadTechnology();
  CGUnitTemplate* design = AddUnit(1, 1, "Alpha", "Carrier")->GetTemplate();
  design->slots[3] = {26, 2};
  design->slots[15] = {26, 3};
  design->slots[19] = {20, 1};                                             // not researched: not counted
  AddUnit(2, 5, "Drifter", "Carrier")->GetTemplate()->slots[0] = {26, 4};  // in solar space: not counted
  panel->SetType(7);
  Draw();
  ASSERT_TRUE(frame.Has("Mod 00"));
  EXPECT_EQ(frame.Find("Mod 00")->y, 30);
  EXPECT_FALSE(frame.Has("Mod 01")) << "another guild's module is left out";
  EXPECT_FALSE(frame.Has("Mod 02")) << "a module not begun is left out";
  ASSERT_TRUE(frame.Has("Mod 03"));
  EXPECT_EQ(frame.Find("Mod 03")->y, 45);
  ASSERT_TRUE(frame.Has("100%"));
  EXPECT_EQ(frame.Find("100%")->y, 30);
  ASSERT_TRUE(frame.Has("5"));
  EXPECT_EQ(frame.Find("5")->y, 30) << "slots 0..19 all count";
  ASSERT_TRUE(frame.Has("Mod 26"));
  EXPECT_EQ(frame.Find("Mod 26")->y, 30) << "its successor";
  EXPECT_EQ(frame.Find("MORE")->colour, kWhite);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kGrey);
  EXPECT_EQ(panel->techRows[19], 5);  // "Mod 21"
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 1);
  Draw();
  EXPECT_FALSE(frame.Has("Mod 21"));
  ASSERT_TRUE(frame.Has("Mod 22"));
  EXPECT_EQ(frame.Find("Mod 22")->y, 30);
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kWhite);
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 0);
  EXPECT_EQ(panel->OnLButtonDown(560, 450, 0), 1);
  EXPECT_EQ(panel->techFirst, 0xFFFF) << "back to the start";
  // Hover: the row's module in the data panel, once per module; past the rows, cleared.
  Draw();
  panel->OnMouseMove(100, 98 + 30 + 15 * 2);
  panel->OnMouseMove(200, 98 + 30 + 15 * 2 + 14);
  panel->OnMouseMove(100, 98 + 30 + 15 * 20);
  panel->OnMouseMove(100, 98 + 30 + 15 * 21);
  panel->OnMouseMove(100, 90);
  EXPECT_EQ(frame.shown, (std::vector<std::string>{"module 22 mode 0 guild 1", "clear 1"}));
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_technology.png")));
}

TEST_F(InfoPages, TechnologyOfAGuildWithoutResearchIsEmpty) {
  panel->SetType(7);
  Draw();
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(frame.Find("PREVIOUS")->colour, kGrey);
  EXPECT_EQ(panel->techRows[0], 0xFFFF);
  EXPECT_EQ(panel->OnLButtonDown(560, 450, 0), 1);
  EXPECT_EQ(panel->techFirst, 0xFFFF);
}

}  // namespace

namespace {

TEST(ChatPacketTest, TextIsCutTo499CharactersAndAlwaysEnds) {
  const std::string long500(500, 'a');
  for (const std::string& text : {std::string(499, 'a'), long500}) {
    const std::vector<std::uint8_t> p = MakeChatPacket(9, 17, text.c_str());
    ASSERT_EQ(p.size(), 516u);
    EXPECT_EQ(p[0] | p[1] << 8, 1506);
    EXPECT_EQ(p[8], 9);
    EXPECT_EQ(p[9], 17);
    EXPECT_EQ(p[16 + 498], 'a');
    EXPECT_EQ(p[16 + 499], 0) << text.size();
  }
  const std::vector<std::uint8_t> shortText = MakeChatPacket(9, 255, "hi");
  ASSERT_EQ(shortText.size(), 516u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&shortText[16])), "hi");
}

TEST_F(InfoPages, ChatBlocksColourBySenderAndRecipientAndPage) {
  CGChapter* local = g_gameData->GetLocalChapter();
  local->AddChatMessage(MakeChatPacket(17, 254, "to the guild"));
  local->AddChatMessage(MakeChatPacket(17, 20, "between others"));
  local->AddChatMessage(MakeChatPacket(9, 12, "from me"));
  local->AddChatMessage(MakeChatPacket(20, 255, "to all"));
  local->AddChatMessage(MakeChatPacket(12, 9, "to me"));
  local->AddChatMessage(MakeChatPacket(13, 255, "sixth"));
  panel->SetType(6);
  Draw();
  EXPECT_EQ(frame.Find("to the guild")->colour, kWhite);
  EXPECT_EQ(frame.Find("between others")->colour, 0x0000FFu);
  EXPECT_EQ(frame.Find("from me")->colour, GetBrightColor(1));
  EXPECT_EQ(frame.Find("to me")->colour, kWhite);
  EXPECT_EQ(frame.Find("to me")->y, 92 + 60 * 4 - 37);
  EXPECT_FALSE(frame.Has("sixth"));
  EXPECT_TRUE(frame.Has("FROM: Chapter 17              TO: Chapter 20"));
  EXPECT_EQ(frame.Find("MORE")->colour, kWhite);
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 1);
  Draw();
  EXPECT_TRUE(frame.Has("sixth"));
  EXPECT_EQ(frame.Find("MORE")->colour, kGrey);
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 0);
  // Deleting the last shown message keeps the page's first.
  EXPECT_EQ(panel->OnLButtonDown(520, 60 * 4 + 185, 0), 1);
  EXPECT_EQ(panel->chatFirst, 1);
  EXPECT_EQ(local->chatMessages.count, 5);
  EXPECT_EQ(panel->OnLButtonDown(520, 60 * 4 + 190, 0), 0) << "the delete box's edge";
  EXPECT_EQ(panel->OnLButtonDown(560, 450, 0), 1);
  EXPECT_EQ(panel->chatFirst, 0);
  // Drawn inside the screen flush, the page puts the light out without a flush of its own.
  CViewNotices notices;
  RegisterAppViewNotices(&notices);
  view->SetChatLight(1, 0);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_chat.png")));
  EXPECT_EQ(SharedScreen().chatLightOn, 0u);
  RegisterAppViewNotices(nullptr);
}

// The headers are made in a buffer kept from draw to draw: each is whole, and
// the intercepted mark only where the message was intercepted.
TEST_F(InfoPages, ChatHeadersAreWholeWithTheInterceptedMarkOnlyWhereItBelongs) {
  CGChapter* local = g_gameData->GetLocalChapter();
  std::vector<std::uint8_t> heard = MakeChatPacket(17, 255, "heard");
  heard[12] = 1;  // intercepted
  local->AddChatMessage(heard);
  local->AddChatMessage(MakeChatPacket(20, 254, "plain"));
  panel->SetType(6);
  for (int pass = 0; pass < 2; ++pass) {
    Draw();
    EXPECT_TRUE(frame.Has("FROM: Chapter 17              TO: ALL    ** INTERCEPTED **")) << pass;
    EXPECT_TRUE(frame.Has("FROM: Chapter 20              TO: GUILD")) << pass;
  }
}

// The players' own texts are shown as typed: an ampersand is a letter, not
// the mark of an underlined one.
TEST_F(InfoPages, ChatAndNotesShowAnAmpersandAsTyped) {
  CGChapter* local = g_gameData->GetLocalChapter();
  local->AddChatMessage(MakeChatPacket(17, 255, "Rock & Roll"));
  local->AddNote("Salt & iron");
  panel->SetType(6);
  Draw();
  ASSERT_TRUE(frame.Has("Rock & Roll"));
  EXPECT_NE(frame.Find("Rock & Roll")->format & plat::DT_NOPREFIX, 0u);
  EXPECT_NE(frame.Find("FROM: Chapter 17              TO: ALL")->format & plat::DT_NOPREFIX, 0u);
  panel->SetType(10);
  Draw();
  ASSERT_TRUE(frame.Has("Turn 0:    Salt & iron"));
  EXPECT_NE(frame.Find("Turn 0:    Salt & iron")->format & plat::DT_NOPREFIX, 0u);
}

TEST_F(InfoPages, NotesPageShowsTurnAndTextAndDeletes) {
  CGChapter* local = g_gameData->GetLocalChapter();
  for (int i = 0; i < 5; ++i) local->AddNote(("Note " + std::to_string(i)).c_str());
  local->AddNote(std::string(980, 'n').c_str());
  panel->SetType(10);
  Draw();
  EXPECT_TRUE(frame.Has("Turn 0:    Note 0"));
  EXPECT_FALSE(frame.Has("Turn 0:    Note 4"));
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 1);
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 1);
  EXPECT_EQ(panel->OnLButtonDown(500, 450, 0), 0);
  Draw();
  EXPECT_TRUE(frame.Has("Turn 0:    " + std::string(535, 'n')));
  EXPECT_EQ(panel->OnLButtonDown(550, 74 * 3 + 200, 0), 1);
  EXPECT_EQ(local->notes.count, 5);
  EXPECT_EQ(panel->OnLButtonDown(500, 74 * 3 + 200, 0), 0) << "left of the delete box";
  EXPECT_EQ(panel->OnLButtonDown(560, 450, 0), 1);
  EXPECT_EQ(panel->noteFirst, 1);
  EXPECT_TRUE(quentest::MatchesGolden(Capture(), Golden("info_notes.png")));
}

}  // namespace
