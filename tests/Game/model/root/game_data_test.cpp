#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>

#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GUnitTem.h"
#include "tests/Game/model/root/root_fixture.h"

namespace {

using root_test::RootGame;

std::array<std::uint8_t, kStandingsPacketSize> StandingsMessage(std::uint8_t asteroids, std::uint16_t limit = 0) {
  std::array<std::uint8_t, kStandingsPacketSize> m{};
  m[0] = 505 & 0xFF;
  m[1] = 505 >> 8;
  for (int c = 0; c < kMaxChapters; ++c) {
    m[8 + 8 * c] = asteroids;
    m[8 + 8 * c + 6] = static_cast<std::uint8_t>(limit);
    m[8 + 8 * c + 7] = static_cast<std::uint8_t>(limit >> 8);
  }
  return m;
}

CGUnit* AddUnit(CGameData& g, std::uint8_t chapter, std::uint32_t id, std::uint16_t asteroid) {
  auto* design =
      new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000 | (id & 0xFF)));
  g.templates.AddTemplate(design, chapter);
  const Location at{asteroid, 0, 0, 0};
  return g.pieces.CreateUnit(design, &at, chapter, id);
}

TEST_F(RootGame, NewGameHasItsDefaultsAndConnectsTheModelUntilItEnds) {
  {
    auto g = NewGame(9, 12);
    EXPECT_EQ(g->chaptersPerGuild, 8);  // clamped
    ChapterStanding s;
    ASSERT_TRUE(g->GetChapterStanding(7, 39, &s));
    EXPECT_EQ(s.asteroids + s.presence + s.votes, 3);
    EXPECT_EQ(std::make_tuple(s.ships, s.scienceBonusLimit), std::make_tuple(2, 0));
    EXPECT_FALSE(g->GetChapterStanding(50, 0, &s));
    EXPECT_DOUBLE_EQ(g->GetGameDate(), 3541.0);
    g->turn = 10;
    EXPECT_NEAR(g->GetGameDate(), 3542.0, 1e-6);
    EXPECT_TRUE(g->RulesLoaded());
    // No art is installed: the modules are missing, and that is said, not crashed on.
    EXPECT_FALSE(g->ResourcesComplete());
    EXPECT_EQ(g->GetGuildModule(5), nullptr);
    EXPECT_EQ(World().solar, &g->solarDB);
    EXPECT_EQ(World().pieces, &g->pieces);
    EXPECT_EQ(RulesFacts().Hulls(), g->hullDB.get());
    EXPECT_EQ(RulesFacts().LocalChapterId(), 9);
    EXPECT_EQ(RulesFacts().CurrentTurn(), 10u);
    EXPECT_EQ(g->GetLocalChapter(), g->guildList->GetChapter(9));
  }
  EXPECT_EQ(g_gameData, nullptr);
  EXPECT_EQ(World().solar, nullptr);
  EXPECT_EQ(World().pieces, nullptr);
  EXPECT_EQ(RulesFacts().Hulls(), nullptr);
  EXPECT_EQ(RulesFacts().CurrentTurn(), 0u);
}

TEST_F(RootGame, StandingsFillTheTurnsRowAndInAnEmailGameThePreviousOne) {
  auto g = NewGame();
  EXPECT_TRUE(g->StoreTurnStandings(StandingsMessage(5)));
  ChapterStanding s;
  g->GetChapterStanding(0, 3, &s);
  EXPECT_EQ(s.asteroids, 5);
  g->GetChapterStanding(49, 3, &s);
  EXPECT_EQ(s.asteroids, 1);

  g->turn = 3;
  EXPECT_TRUE(g->StoreTurnStandings(StandingsMessage(6)));
  g->GetChapterStanding(2, 3, &s);
  EXPECT_EQ(s.asteroids, 1);
  g->emailGame = true;
  EXPECT_TRUE(g->StoreTurnStandings(StandingsMessage(7)));
  g->GetChapterStanding(2, 3, &s);
  EXPECT_EQ(s.asteroids, 7);
  g->GetChapterStanding(3, 3, &s);
  EXPECT_EQ(s.asteroids, 7);

  const auto message = StandingsMessage(9);
  EXPECT_FALSE(g->StoreTurnStandings(std::span(message).first(kStandingsPacketSize - 1)));
  g->GetChapterStanding(3, 3, &s);
  EXPECT_EQ(s.asteroids, 7);
}

TEST_F(RootGame, AScienceBonusLimitAboveThePoolIsNotedOutsideEmailGames) {
  auto g = NewGame();
  g->turn = 1;
  g->StoreTurnStandings(StandingsMessage(1, 30));
  ASSERT_EQ(g->notifications->GetCount(), 1);
  const Notification* n = g->notifications->GetEntry(0);
  EXPECT_EQ(std::make_tuple(n->code, n->param2, n->param3), std::make_tuple(427, 30u, 0xFFFFFFFFu));
}

TEST_F(RootGame, UnitGroupsSelectNewestFirstAndForgetDestroyedUnits) {
  auto g = NewGame();
  g->solarDB.CreateAsteroidArray(4);
  AddUnit(*g, 9, (9u << 26) | 1, 1);
  AddUnit(*g, 9, (9u << 26) | 2, 2);
  AddUnit(*g, 9, (9u << 26) | 3, 3);
  for (std::uint32_t k = 1; k <= 3; ++k) EXPECT_EQ(g->AddToSelection(SEL_UNIT, (9u << 26) | k, 0xFFFF), 1);
  EXPECT_EQ(g->selection[1].location, 2);
  EXPECT_EQ(g->StoreUnitGroup(0x104), 1);  // the low byte counts
  EXPECT_EQ(g->StoreUnitGroup(12), 0);
  g->ClearSelection();
  std::uint16_t at = 0;
  EXPECT_TRUE(g->SelectUnitGroup(4, &at));
  ASSERT_EQ(g->GetSelectionCount(), 3u);
  EXPECT_EQ(g->selection[0].id & 0xFF, 3u);
  EXPECT_EQ(g->selection[2].id & 0xFF, 1u);
  EXPECT_EQ(g->selection[0].location, 3);

  for (std::uint32_t k = 1; k <= 3; ++k) g->pieces.DeleteUnit((9u << 26) | k);
  g->ClearSelection();
  EXPECT_FALSE(g->SelectUnitGroup(4, &at));
  EXPECT_EQ(g->GetSelectionCount(), 0u);
  EXPECT_TRUE(g->GetUnitGroup(4).empty());
  EXPECT_FALSE(g->SelectUnitGroup(11, &at));
}

// The root answers the units for the player's side: a selected unit that
// moves to another asteroid takes its entry along, an asteroid entry stays
// where it is, and the ship-display setting is the root's.
TEST_F(RootGame, ASelectedUnitThatMovesTakesItsEntryAlong) {
  auto g = NewGame();
  g->solarDB.CreateAsteroidArray(4);
  AddUnit(*g, 9, (9u << 26) | 1, 1);
  AddUnit(*g, 9, (9u << 26) | 2, 1);
  ASSERT_EQ(g->AddToSelection(SEL_UNIT, (9u << 26) | 1, 0xFFFF), 1);
  ASSERT_EQ(g->AddToSelection(SEL_ASTEROID, 2, 2), 1);
  CGUnit* selected = g->pieces.FindUnit((9u << 26) | 1, nullptr);
  CGUnit* other = g->pieces.FindUnit((9u << 26) | 2, nullptr);
  ASSERT_NE(selected, nullptr);
  ASSERT_NE(other, nullptr);
  const Location there{3, 10, 20, 30};
  selected->SetLocation(&there);
  EXPECT_EQ(g->selection[0].location, 3);
  EXPECT_EQ(g->pieces.CountUnits(3, 9), 1u);
  const Location elsewhere{0, 0, 0, 0};
  other->SetLocation(&elsewhere);
  EXPECT_EQ(g->selection[1].location, 2);

  ASSERT_EQ(World().SelectionCount(), 2);
  std::uint16_t location = 0;
  std::uint32_t id = 0;
  ASSERT_TRUE(World().SelectedAt(0, &location, &id));
  EXPECT_EQ(location, 3);
  EXPECT_EQ(id, (9u << 26) | 1);
  EXPECT_FALSE(World().SelectedAt(2, &location, &id));
  EXPECT_FALSE(World().SelectedAt(-1, &location, &id));
  g->shipDisplay = 0;
  EXPECT_EQ(World().ShipDisplaySetting(), 0);
  g->shipDisplay = 1;
  EXPECT_EQ(World().ShipDisplaySetting(), 1);
}

TEST_F(RootGame, AFullSelectionRefusesMore) {
  auto g = NewGame();
  g->selection.resize(kMaxSelection);
  EXPECT_EQ(g->AddToSelection(SEL_ASTEROID, 1, 1), 0);
  EXPECT_EQ(g->GetSelectionCount(), kMaxSelection);
  // Nor does a unit group overfill it.
  g->solarDB.CreateAsteroidArray(2);
  AddUnit(*g, 9, (9u << 26) | 1, 1);
  g->unitGroups[0] = std::vector<std::uint32_t>{(9u << 26) | 1};
  std::uint16_t at = 0;
  EXPECT_TRUE(g->SelectUnitGroup(0, &at));
  EXPECT_EQ(g->GetSelectionCount(), kMaxSelection);
}

TEST_F(RootGame, SaveAndLoadGiveBackTheSameGame) {
  std::vector<std::uint8_t> first;
  {
    auto g = NewGame(12, 6);
    g->solarDB.CreateStarArray(1);
    g->solarDB.CreateStars();
    g->solarDB.CreateAsteroidArray(3);
    for (std::uint16_t i = 0; i < 3; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->sizeClass = static_cast<std::uint8_t>(i);
      a->CreateZones();
      g->solarDB.SetAsteroid(std::move(a));
    }
    AddUnit(*g, 12, (12u << 26) | 1, 1);
    AddUnit(*g, 12, (12u << 26) | 2, 3);
    g->turn = 17;
    g->victoryFlags = 0x12;
    g->scores[39] = 4000;
    g->reviewLog[149][5] = 77;
    const std::uint8_t mix[4] = {10, 20, 30, 40};
    g->SetResourceMix(19, mix);
    g->StoreTurnStandings(StandingsMessage(3));
    g->AddToSelection(SEL_UNIT, (12u << 26) | 1, 0xFFFF);
    g->AddToSelection(SEL_UNIT, (12u << 26) | 2, 0xFFFF);
    g->StoreUnitGroup(2);
    g->AddToSelection(SEL_ASTEROID, 2, 2);
    g->guildList->GetChapter(12)->SetName("Keepers");
    g->poolDB.AddMineral(2, 1, 500);
    first = Saved(*g);
  }
  auto loaded = NewGame(0, 8);
  ASSERT_EQ(LoadInto(*loaded), 1);
  EXPECT_EQ(std::make_tuple(loaded->localChapterId, loaded->chaptersPerGuild), std::make_tuple(12, 6));
  const auto again = Saved(*loaded, "again.sav");
  EXPECT_EQ(again, first);
  // A group keeps its order across the load.
  ASSERT_EQ(loaded->GetUnitGroup(2).size(), 2u);
  EXPECT_EQ(loaded->GetUnitGroup(2)[0] & 0xFF, 2u);
}

// Where the selection array starts: version, turn, validity; 2 + 80 + 1; 16;
// 50 x 40 x 7; 160; validity.
constexpr std::size_t kSelectionAt = 6 + 83 + 16 + kStandingRows * kMaxChapters * 7 + 160 + 1;

TEST_F(RootGame, AGameWithoutGroupsSavesTwelveEmptySlots) {
  auto g = NewGame();
  EXPECT_EQ(g->StoreUnitGroup(3), 1);  // from an empty selection
  const auto bytes = Saved(*g);
  // An empty selection is its count alone.
  const std::size_t groups = kSelectionAt + 2;
  EXPECT_EQ(rules_test::Word(bytes, kSelectionAt), 0);
  ASSERT_GT(bytes.size(), groups + 14);
  EXPECT_EQ(rules_test::Word(bytes, groups), 12);
  for (int s = 0; s < 12; ++s) EXPECT_EQ(bytes[groups + 2 + s], 0) << s;
}

TEST_F(RootGame, EverySelectedEntryClosesWithItsOwnValidityByte) {
  auto g = NewGame();
  g->solarDB.CreateAsteroidArray(4);
  g->AddToSelection(SEL_ASTEROID, 2, 2);
  g->AddToSelection(SEL_UNIT, 0x24000007, 3);
  g->AddToSelection(SEL_ASTEROID, 1, 1);
  auto bytes = Saved(*g);
  ASSERT_GT(bytes.size(), kSelectionAt + 2 + 3 * 9 + 2);
  EXPECT_EQ(rules_test::Word(bytes, kSelectionAt), 3);
  const std::size_t second = kSelectionAt + 2 + 9;
  EXPECT_EQ(std::make_tuple(rules_test::Word(bytes, second), rules_test::Word(bytes, second + 2),
                            rules_test::Long(bytes, second + 4)),
            std::make_tuple(3, SEL_UNIT, 0x24000007u));
  for (int e = 0; e < 3; ++e) EXPECT_EQ(bytes[kSelectionAt + 2 + 9 * e + 8], 0xFE) << e;
  // The unit groups' slot count follows the last entry directly.
  EXPECT_EQ(rules_test::Word(bytes, kSelectionAt + 2 + 27), 12);

  auto other = NewGame();
  box.Write("game.sav", bytes);
  ASSERT_EQ(LoadInto(*other), 1);
  ASSERT_EQ(other->GetSelectionCount(), 3u);
  EXPECT_EQ(std::make_tuple(other->selection[1].location, other->selection[1].kind, other->selection[1].id),
            std::make_tuple(3, SEL_UNIT, 0x24000007u));
  EXPECT_EQ(other->selection[2].id, 1u);

  // A damaged entry's byte is no reason to lose the game: it still loads.
  bytes[kSelectionAt + 2 + 8] = 0;
  box.Write("damaged.sav", bytes);
  auto third = NewGame();
  EXPECT_EQ(LoadInto(*third, "damaged.sav"), 1);
  EXPECT_EQ(third->GetSelectionCount(), 3u);
}

TEST_F(RootGame, LoadStopsAtTheFirstBadValidityByteAndAShortFile) {
  auto g = NewGame();
  g->turn = 5;
  auto bytes = Saved(*g);
  auto bad = bytes;
  bad[5] = 0;
  box.Write("bad.sav", bad);
  auto other = NewGame();
  EXPECT_EQ(LoadInto(*other, "bad.sav"), 0);
  EXPECT_EQ(other->turn, 5u);  // what was read stays
  EXPECT_EQ(other->shipDisplay, 1);

  bytes.resize(bytes.size() / 2);
  box.Write("short.sav", bytes);
  EXPECT_EQ(LoadInto(*other, "short.sav"), 0);
}

TEST_F(RootGame, GameSetupTakesTheChaptersTraitsAndTheFogOfWar) {
  auto g = NewGame(9);
  std::array<std::uint8_t, 68> setup{};
  setup[12] = 2;  // difficulty
  setup[36] = 2;  // never show ships
  setup[40] = 1;  // only my guild's asteroids start scanned
  setup[44] = 1;  // control only where present
  for (int t = 0; t < 20; ++t) setup[48 + t] = static_cast<std::uint8_t>(t + 1);
  std::array<std::uint8_t, 40> config{};
  config[22] = 40;  // game length
  config[34] = 1;   // chaotic
  EXPECT_TRUE(g->ApplyGameSetup(setup, 9, config));
  const CGChapter* c = g->guildList->GetChapter(9);
  EXPECT_EQ(c->difficulty, 2);
  EXPECT_EQ(c->GetTrait(19), 20);
  EXPECT_EQ(g->shipDisplay, 2);
  EXPECT_EQ(std::make_tuple(g->allShipsScanned, g->allAsteroidsScanned, g->asteroidControlShown),
            std::make_tuple(1u, 0u, 0));
  EXPECT_EQ(std::make_tuple(g->asteroidsHiddenUntilSeen, g->gameLength, g->chaoticOrbits), std::make_tuple(0u, 40, 1u));
  EXPECT_EQ(g->guildControlPercent, 0);  // the block's values, all of them
  EXPECT_FALSE(g->ApplyGameSetup(std::span(setup).first(67), 9, {}));
}

// "All ships start scanned" shows every chapter's design made from then on;
// off, only the local chapter's. A loaded game goes on as it was set.
TEST_F(RootGame, AllShipsScannedShowsOtherChaptersDesignsAcrossSaveAndLoad) {
  const auto designOf = [](std::uint8_t chapter) {
    return std::make_unique<CGUnitTemplate>(chapter, static_cast<std::int32_t>(std::uint32_t{chapter} << 26 | 5));
  };
  std::array<std::uint8_t, 68> setup{};
  for (const bool on : {true, false}) {
    {
      auto g = NewGame(9);
      setup[42] = on ? 0 : 1;
      ASSERT_TRUE(g->ApplyGameSetup(setup, 9, {}));
      EXPECT_EQ(designOf(20)->visible, on ? 1u : 0u) << on;
      EXPECT_EQ(designOf(9)->visible, 1u) << on;
      Saved(*g);
    }
    EXPECT_EQ(designOf(20)->visible, 0u) << "no game, no setting";
    auto loaded = NewGame(0);
    ASSERT_EQ(LoadInto(*loaded), 1);
    EXPECT_EQ(loaded->allShipsScanned, on ? 1u : 0u);
    EXPECT_EQ(designOf(20)->visible, on ? 1u : 0u) << on;
  }
}

// An e-mail game's first turn brings the designs before the settings: those
// held already take the setting as it comes, the own ones stay shown.
TEST_F(RootGame, DesignsHeldBeforeTheSettingTakeIt) {
  auto g = NewGame(9);
  std::array<std::uint8_t, 68> setup{};
  setup[42] = 1;
  ASSERT_TRUE(g->ApplyGameSetup(setup, 9, {}));
  auto* foreign = new CGUnitTemplate(20, static_cast<std::int32_t>(20u << 26 | 1));
  auto* own = new CGUnitTemplate(9, static_cast<std::int32_t>(9u << 26 | 1));
  g->templates.AddTemplate(foreign, 20);
  g->templates.SetFixedTemplate(*own, 9, 0);
  delete own;
  CGUnitTemplate* ownFixed = g->templates.GetTemplate(9, 0, 1);
  ASSERT_NE(ownFixed, nullptr);
  setup[42] = 0;
  ASSERT_TRUE(g->ApplyGameSetup(setup, 9, {}));
  EXPECT_EQ(std::make_tuple(foreign->visible, ownFixed->visible), std::make_tuple(1u, 1u));
  setup[42] = 1;
  ASSERT_TRUE(g->ApplyGameSetup(setup, 9, {}));
  EXPECT_EQ(std::make_tuple(foreign->visible, ownFixed->visible), std::make_tuple(0u, 1u));
}

TEST_F(RootGame, AnOldRootGoingAwayLeavesTheNewOnesLinks) {
  auto old = NewGame();
  auto fresh = NewGame();
  old.reset();
  EXPECT_EQ(World().solar, &fresh->solarDB);
  EXPECT_EQ(World().pieces, &fresh->pieces);
  EXPECT_EQ(g_gameData, fresh.get());
}

}  // namespace
