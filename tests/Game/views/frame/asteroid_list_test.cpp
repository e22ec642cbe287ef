// The asteroid list: filters and the scan-visibility rule, two-row own
// asteroids and where a page ends, paging both ways, the click to asteroid
// space, the data panel on hover; and the picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GStar.h"
#include "Game/model/GZone.h"
#include "tests/Game/views/frame/info_pages.h"

namespace {

using namespace plat;

constexpr std::uint16_t kNobody = 0xFFFF;

class AsteroidList : public views_test::InfoPages {
 protected:
  void SetUp() override { OpenPages("AsteroidListMain"); }
  void TearDown() override { ClosePages(); }

  // Asteroids named as given, surveyed, seen, owned as given.
  void MakeAsteroids(const std::vector<std::pair<std::string, std::uint16_t>>& list) {
    CGameData& g = *g_gameData;
    g.solarDB.CreateAsteroidArray(static_cast<std::uint16_t>(list.size()));
    for (std::uint16_t i = 0; i < list.size(); ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(list[i].first.c_str());
      a->sizeClass = 1;
      a->CreateZones();
      a->GetZone(0)->SetOwner(254);
      a->detected = 1;
      a->owner = list[i].second;
      g.solarDB.SetAsteroid(std::move(a));
    }
  }
  CGAsteroid* Ast(std::uint16_t i) { return g_gameData->solarDB.GetAsteroid(i); }
  static int RowY(int row) { return 30 + 20 * row; }
  const AsteroidListState& S() const { return panel->asteroidList; }
};

TEST_F(AsteroidList, RowsShowOwnersOrbitsSizesAndCompositionsAndLookAsDrawn) {
  MakeAsteroids({{"Home Rock", kLocal},
                 {"Ally Rock", 11},
                 {"Foreign Rock", 17},
                 {"Free Rock", kNobody},
                 {"Unseen Rock", kNobody},
                 {"Quite Remarkably Long Rock Name", kNobody}});
  CGameData& g = *g_gameData;
  g.GetLocalChapter()->SetName("Ninth");
  g.guildList->GetChapter(11)->SetName("Eleventh");
  g.guildList->GetChapter(17)->SetName("Seventeen");
  const std::uint8_t mixA[4] = {40, 30, 20, 10};
  const std::uint8_t mixB[4] = {0, 100, 0, 0};
  g.SetResourceMix(0, mixA);
  g.SetResourceMix(1, mixB);
  for (std::uint16_t i = 0; i < 6; ++i) Ast(i)->SetCompositionType(i % 2);
  Ast(4)->GetZone(0)->SetOwner(253);
  g.solarDB.CreateStarArray(1);
  g.solarDB.CreateStars();
  g.solarDB.GetStar(0)->SetName("Cygni");
  Ast(2)->orbitKind = ORBIT_OSCILLATING;  // the one elliptical orbit; the others name their star
  Ast(2)->center1.asteroid = 0;
  CGZone* home = Ast(0)->GetZone(0);
  home->SetOwner(kLocal);
  home->SetAtvCounts(2, 3, 1, 0);
  ShowPage(3);
  // Name order: Ally, Foreign, Free, Home (two rows), Quite..., Unseen.
  EXPECT_EQ(S().rows[0], 1);
  EXPECT_EQ(S().rows[3], 0);
  EXPECT_EQ(S().rows[4], 0);
  EXPECT_EQ(S().rows[5], 5);
  EXPECT_EQ(S().rows[6], 4);
  EXPECT_EQ(S().rows[7], kNoPanelItem);
  EXPECT_EQ(S().atEnd, 1);
  EXPECT_TRUE(LooksLike("asteroid_list.png"));
}

TEST_F(AsteroidList, AnOwnAsteroidThatWouldTakeTheLastRowStartsTheNextPage) {
  std::vector<std::pair<std::string, std::uint16_t>> list;
  for (int i = 0; i < 13; ++i) list.push_back({"Rock " + std::string(1, static_cast<char>('a' + i)), kNobody});
  list.push_back({"Rock z", kLocal});
  list.push_back({"Stone", kNobody});
  MakeAsteroids(list);
  ShowPage(3);
  EXPECT_EQ(S().rows[12], 12);
  EXPECT_EQ(S().rows[13], kNoPanelItem) << "the 14th row stays empty";
  EXPECT_EQ(S().atEnd, 0);
  EXPECT_EQ(Click(480, 328), 1);  // MORE
  Redraw();
  EXPECT_EQ(S().rows[0], 13);
  EXPECT_EQ(S().rows[1], 13);
  EXPECT_EQ(S().rows[2], 14);
  EXPECT_EQ(S().atEnd, 1);
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(S().rows[0], 13) << "MORE at the end stays";
  EXPECT_EQ(Click(540, 328), 1);  // PREVIOUS
  EXPECT_EQ(S().anchor, kNoPanelItem);
  EXPECT_EQ(Click(540, 328), 1);
  EXPECT_EQ(S().anchor, kNoPanelItem) << "PREVIOUS from the first page stays at the start";
}

// Own asteroids take two rows: PREVIOUS must land on the page MORE came
// from, not 14 asteroids back.
TEST_F(AsteroidList, PreviousReturnsToThePageBeforeWhenOwnAsteroidsTakeTwoRows) {
  std::vector<std::pair<std::string, std::uint16_t>> list;
  for (int i = 0; i < 13; ++i) list.push_back({"Rock " + std::string(1, static_cast<char>('a' + i)), kNobody});
  for (int i = 0; i < 7; ++i) list.push_back({"Stone " + std::string(1, static_cast<char>('a' + i)), kLocal});
  list.push_back({"Tor", kNobody});
  MakeAsteroids(list);
  ShowPage(3);
  const auto pageStart = [&] { return S().rows[0]; };
  EXPECT_EQ(pageStart(), 0);
  EXPECT_EQ(Click(480, 328), 1);  // MORE: the own asteroids, 14 rows
  Redraw();
  EXPECT_EQ(pageStart(), 13);
  EXPECT_EQ(S().rows[13], 19);
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(pageStart(), 20);
  EXPECT_EQ(Click(540, 328), 1);  // PREVIOUS
  Redraw();
  EXPECT_EQ(pageStart(), 13) << "one page back, not fourteen asteroids back";
  EXPECT_EQ(Click(540, 328), 1);
  Redraw();
  EXPECT_EQ(pageStart(), 0);
  EXPECT_EQ(S().anchor, kNoPanelItem);

  // Under MINE the pages hold seven asteroids each.
  EXPECT_EQ(Click(330, 350), 1);
  for (std::uint16_t i = 0; i < 3; ++i) Ast(i)->owner = kLocal;
  Redraw();
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(pageStart(), 17);
  EXPECT_EQ(Click(540, 328), 1);
  Redraw();
  EXPECT_EQ(pageStart(), 0);
  EXPECT_EQ(S().anchor, kNoPanelItem);
}

TEST_F(AsteroidList, FiltersAndTheScanRuleChooseTheRows) {
  std::vector<std::pair<std::string, std::uint16_t>> list;
  for (int i = 0; i < 7; ++i) list.push_back({"Mine " + std::string(1, static_cast<char>('a' + i)), kLocal});
  list.push_back({"Other", 17});
  list.push_back({"Partner", 12});
  list.push_back({"Virgin", kNobody});
  MakeAsteroids(list);
  Ast(9)->GetZone(0)->SetOwner(253);
  ShowPage(3);
  EXPECT_EQ(Click(330, 350), 1);  // MINE
  EXPECT_EQ(S().filter, 1);
  Redraw();
  EXPECT_EQ(S().rows[13], 6) << "seven own asteroids fill the page";
  EXPECT_EQ(S().atEnd, 0) << "asteroids follow in name order, though none is listed";
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(S().rows[0], kNoPanelItem);
  EXPECT_EQ(S().atEnd, 1);

  EXPECT_EQ(Click(420, 350), 1);  // GUILD
  EXPECT_EQ(S().anchor, kNoPanelItem) << "a filter starts again at the first asteroid";
  Redraw();
  EXPECT_EQ(S().rows[13], 6);
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(S().rows[0], 8);
  EXPECT_EQ(S().rows[1], kNoPanelItem);

  EXPECT_EQ(Click(520, 350), 1);  // SURVEYED
  Redraw();
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(S().rows[0], 7);
  EXPECT_EQ(S().rows[1], 8);
  EXPECT_EQ(S().rows[2], kNoPanelItem) << "the unsurveyed asteroid is left out";

  EXPECT_EQ(Click(220, 350), 1);  // ALL
  Ast(7)->detected = 0;
  Redraw();
  EXPECT_EQ(Click(480, 328), 1);
  Redraw();
  EXPECT_EQ(S().rows[0], 8) << "an asteroid not yet seen is left out";
  g_gameData->asteroidsHiddenUntilSeen = 0;
  Redraw();
  EXPECT_EQ(S().rows[0], 7) << "unless asteroids show before they are seen";
  EXPECT_EQ(Click(100, 350), 0);
}

TEST_F(AsteroidList, ClicksGoToAsteroidSpaceAndHoverShowsTheRowsAsteroid) {
  MakeAsteroids({{"Home", kLocal}, {"Moon", kNobody}});
  ShowPage(3);
  // Both lines of the own asteroid, over their whole band, name it.
  for (int y : {RowY(0) - 3, RowY(1) + 16}) {
    EXPECT_EQ(Click(100, y), 0);
    ASSERT_FALSE(view->wentTo.empty());
    EXPECT_EQ(view->wentTo.back().first, VIEW_ASTEROID_SPACE);
    EXPECT_EQ(view->wentTo.back().second, 0xFFFF0000u) << y;
  }
  EXPECT_EQ(Click(100, RowY(2)), 0);
  EXPECT_EQ(view->wentTo.back().second, 0xFFFF0001u);
  view->wentTo.clear();
  EXPECT_EQ(Click(100, RowY(3)), 0);
  EXPECT_TRUE(view->wentTo.empty()) << "an empty row goes nowhere";

  Hover(100, RowY(0));
  Hover(100, RowY(1));
  Hover(100, RowY(2) - 3);
  Hover(100, RowY(3));
  Hover(100, 330);
  Hover(100, 340);
  EXPECT_EQ(frame.shown, (std::vector<std::string>{"asteroid 0", "asteroid 1", "clear"}));
  Hover(100, RowY(2));
  Hover(100, 330);
  EXPECT_EQ(frame.shown.back(), "clear");
  EXPECT_EQ(S().hovered, kNoPanelItem);
}

// The row under the mouse lights up on the panel as drawn, not on the view's
// picture kept under it; so does leaving the rows.
TEST_F(AsteroidList, HoverShowsThePanelNotThePictureUnderIt) {
  MakeAsteroids({{"Home", kLocal}, {"Moon", kNobody}});
  ShowPage(3);
  UseGameFrameOverPlainPicture();
  ASSERT_EQ(BarePixels(), 0);
  Hover(100, RowY(2));
  EXPECT_EQ(S().hovered, 1);
  EXPECT_EQ(BarePixels(), 0);
  Hover(100, 330);
  EXPECT_EQ(S().hovered, kNoPanelItem);
  EXPECT_EQ(BarePixels(), 0);
  UseRecordingFrame();
}

TEST_F(AsteroidList, ManyEqualNamesEndTheWalk) {
  std::vector<std::pair<std::string, std::uint16_t>> list(150, {"Twin", kNobody});
  MakeAsteroids(list);
  ShowPage(3);
  EXPECT_EQ(S().atEnd, 1);
  EXPECT_EQ(Click(540, 328), 1);
  EXPECT_EQ(S().anchor, kNoPanelItem);
}

}  // namespace
