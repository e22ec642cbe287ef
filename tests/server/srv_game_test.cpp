// The server's game without a network: what the front end is answered, the
// start sequence each client gets, the turn cycle and the refusals.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GRulesPackets.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_game_fixture.h"

namespace {

std::vector<std::uint8_t> Claim(std::uint16_t chapter, const char* name) {
  return Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, chapter).Text(12, 32, name);
}
std::vector<std::uint8_t> EndTurn(std::uint32_t turn) { return Pkt<16>(PKT_END_TURN).U32(8, turn); }
std::vector<std::uint8_t> Small(std::uint16_t type) { return Pkt<12>(type); }

std::vector<std::uint8_t> Config(std::uint16_t chaptersPerGuild, std::uint16_t asteroids) {
  SrvSetup setup;
  setup.config.SetU16(14, chaptersPerGuild);
  setup.config.SetU16(16, asteroids);
  setup.config.SetU16(18, 0);
  return Bytes(setup.config);
}

struct SrvGameTest : SrvGameCase<1234> {
  void SetUp() override {
    game.PlayerJoined(7);
    game.PlayerJoined(8);
  }
  // Player 7 sets the game up; each of `seats` claims its chapter (named A,
  // B, ...); player 7 starts it, when `start`. The host of a session (`hosted`)
  // announces its chapters per guild alone, and gives the rest of its
  // configuration when the start asks for it (AnswerConfig).
  static void Begin(SrvGame& g, std::uint16_t perGuild, std::uint16_t asteroids, Seats seats, bool start = true,
                    bool hosted = false) {
    ASSERT_TRUE(g.Receive(7, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, static_cast<std::uint16_t>(100 + perGuild))));
    if (!hosted) {
      ASSERT_TRUE(g.Receive(7, Config(perGuild, asteroids)));
    }
    char name[] = "A";
    for (const auto& [player, chapter] : seats) ASSERT_TRUE(g.Receive(player, Claim(chapter, name))) << name[0]++;
    if (start) {
      ASSERT_TRUE(g.Receive(7, Small(PKT_START)));
    }
  }
};

}  // namespace

TEST_F(SrvGameTest, ChapterReportsListEveryChapterAndMarkThoseOutsideTheGuildsTaken) {
  ASSERT_TRUE(game.Receive(7, Config(2, 20)));
  ASSERT_TRUE(game.Receive(7, Small(PKT_CHAPTER_REPORTS)));
  const auto got = out.To(7);
  ASSERT_EQ(got.size(), 41u);
  EXPECT_EQ(got[0].Type(), PKT_CHAPTER_REPORTS);
  EXPECT_EQ(ReadU16(got[0].packet, 8), 2);
  for (std::uint16_t c = 0; c < 40; ++c) {
    const auto& p = got[1 + c].packet;
    EXPECT_EQ(ReadU16(p, 0), PKT_CHAPTER_NAME);
    EXPECT_EQ(ReadU16(p, 8), c);
    EXPECT_EQ(ReadU32(p, 12), (c & 7) >= 2 ? 1u : 0u) << c;
    EXPECT_FALSE(ReadText(p, 16, 32).empty()) << "the screen waits for every name";
  }
  EXPECT_EQ(out.To(8).size(), 1u) << "the other player only sees the configuration";
}

TEST_F(SrvGameTest, ClaimsAreGrantedOnceAndAChapterGivenUpIsFreeAgain) {
  ASSERT_TRUE(game.Receive(7, Claim(9, "Iron Fist")));
  ASSERT_TRUE(game.Receive(8, Claim(9, "Usurpers")));
  auto answer = [&](std::uint32_t p) {
    for (auto it = out.sent.rbegin(); it != out.sent.rend(); ++it)
      if (it->to == p && it->Type() == PKT_CHAPTER_CLAIM) return it->packet;
    return SrvPacket{};
  };
  EXPECT_EQ(ReadU32(answer(7), 44), 1u);
  EXPECT_EQ(ReadU32(answer(8), 44), 0u);
  EXPECT_EQ(ReadText(answer(8), 12, 32), "Iron Fist") << "the refusal names the holder";
  EXPECT_EQ(game.Holder(9), 7u);

  // Moving to another chapter frees the first; giving that one up frees it too.
  ASSERT_TRUE(game.Receive(7, Claim(10, "Iron Fist")));
  EXPECT_EQ(game.Holder(9), 0u);
  EXPECT_FALSE(game.Receive(8, Claim(110 - 1 + 1, "")));  // 8 does not hold chapter 10
  ASSERT_TRUE(game.Receive(7, Claim(110, "")));
  EXPECT_EQ(game.Holder(10), 0u);
  ASSERT_TRUE(game.Receive(8, Claim(40, "")));
  EXPECT_EQ(ReadU32(answer(8), 44), 0u) << "chapter 40 does not exist";
}

// A player who joins a game in play takes a chapter the computer played,
// naming it; it gets the game once its front end is done (its settings come),
// and the turn waits for it from the grant on.
TEST_F(SrvGameTest, APlayerJoiningInPlayTakesAComputerChapterAndGetsTheGameAfterItsSettings) {
  Begin(game, 2, 20, {{7, 0}});
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  ASSERT_EQ(game.World().turn, 1u);
  game.PlayerJoined(9);
  out.sent.clear();
  const auto answer = [&](std::uint32_t p) { return out.Of(p, PKT_CHAPTER_CLAIM).back(); };

  ASSERT_TRUE(game.Receive(9, Claim(0, "Usurper")));
  EXPECT_EQ(ReadU32(answer(9), 44), 0u) << "a player's chapter";
  ASSERT_TRUE(game.Receive(9, Claim(2, "")));
  EXPECT_EQ(ReadU32(answer(9), 44), 0u) << "outside the guilds' size";
  ASSERT_TRUE(game.Receive(9, Claim(1, "Usurper")));
  EXPECT_EQ(ReadU32(answer(9), 44), 1u);
  EXPECT_EQ(game.Holder(1), 9u);
  EXPECT_EQ(answer(9).size(), 48u);
  EXPECT_EQ(ReadText(answer(9), 12, 32), "Usurper");
  ASSERT_FALSE(out.Of(7, PKT_CHAPTER_NAME).empty());
  EXPECT_EQ(ReadText(out.Of(7, PKT_CHAPTER_NAME).back(), 16, 32), "Usurper") << "the others learn its new name";
  EXPECT_EQ(ReadU32(out.Of(7, PKT_CHAPTER_NAME).back(), 12), 1u) << "and that it is taken";
  ASSERT_TRUE(game.Receive(8, Claim(1, "")));
  EXPECT_EQ(ReadU32(answer(8), 44), 0u) << "taken now";
  ASSERT_TRUE(game.Receive(9, Claim(8, "")));
  EXPECT_EQ(ReadU32(answer(9), 44), 0u) << "one chapter a player in play";
  const auto ids = out.Of(7, PKT_PLAYER_ID);
  ASSERT_EQ(ids.size(), 1u) << "the holders hear of the new one";
  EXPECT_EQ(ReadU16(ids[0], 8), 1u);
  EXPECT_EQ(ReadU32(ids[0], 12), 9u);
  EXPECT_TRUE(out.Of(9, PKT_START).empty()) << "its chapter screen would drop the game";

  ASSERT_TRUE(game.Receive(7, EndTurn(1)));
  EXPECT_EQ(game.World().turn, 1u) << "the turn waits for the new holder";
  const auto settings = Pkt<68>(PKT_GAME_SETTINGS).U16(8, 1).U16(10, 1);
  ASSERT_TRUE(game.Receive(9, settings));
  std::vector<std::uint16_t> types;
  for (const Sent& s : out.To(9)) {
    if (!s.sequenced) continue;
    types.push_back(s.Type());
  }
  ASSERT_GE(types.size(), 2u);
  EXPECT_EQ(types[types.size() - 2], PKT_START) << "the start signal ends the chapter's state, the lamps follow";
  EXPECT_NE(std::find(types.begin(), types.end(), PKT_GAME_SETTINGS_STORE), types.end());
  const auto start = out.Of(9, PKT_START).back();
  EXPECT_NE(ReadU16(start, 8), 0u);
  EXPECT_FALSE(game.Receive(9, settings)) << "sent once; settings after the start are refused as before";
  ASSERT_TRUE(game.Receive(9, EndTurn(1)));
  EXPECT_EQ(game.World().turn, 2u);
}

// A chapter the computer played for some turns is taken over: its new client
// holds nothing of it, so its units come whole, with their damage, queues,
// power and cargo, the queues once every unit is there to be their targets.
using SrvTakeOverTest = SrvGameCase<4321>;

TEST_F(SrvTakeOverTest, AChapterTakenInPlayGetsItsUnitsAsTheyStand) {
  StartTestGame(game, {{7, 0}}, 2);
  for (int turn = 0; turn < 4; ++turn) EndTestTurn(game, {{7, 0}});
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Heir")));
  ASSERT_EQ(game.Holder(1), 9u);
  // Its new player's first order, given before its front end is done.
  const std::uint16_t home = World().Chapter(1)->homeAsteroid;
  CGUnit* mover = World().pieces->GetUnitAt(home, 1, 0);
  ASSERT_NE(mover, nullptr);
  UnitOrder move = Ordered(ORDER_MOVE_TO_ASTEROID);
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount() && move.Word(0) == 0; ++a) {
    std::int32_t failure = 0;
    const std::uint32_t turns = a == home ? 0 : mover->GetTurnsToAsteroid(a, &failure);
    if (failure == 0 && turns >= 1 && turns < 50) move.SetWord(0, a);
  }
  ASSERT_NE(move.Word(0), 0u);
  ASSERT_TRUE(game.Receive(9, Bytes(BuildOrderPacket(mover->id, move, kInsertReplace))));
  out.sent.clear();
  ASSERT_TRUE(game.Receive(9, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 1).U16(10, 1)));

  std::vector<const CGUnit*> own;
  std::size_t queued = 0, loaded = 0;
  World().ForEachUnit([&](const CGUnit& u) {
    if (u.GetChapter() != 1) return;
    own.push_back(&u);
    queued += u.GetOrderCount();
    if (std::any_of(u.atvCargo.begin(), u.atvCargo.end(), [](std::uint8_t n) { return n != 0; })) ++loaded;
  });
  ASSERT_FALSE(own.empty());
  ASSERT_GT(queued, 0u);
  std::vector<std::uint16_t> types;
  for (const Sent& s : out.To(9)) types.push_back(s.Type());
  const auto first = [&](std::uint16_t type) { return std::find(types.begin(), types.end(), type) - types.begin(); };
  const auto last = [&](std::uint16_t type) {
    return types.rend() - std::find(types.rbegin(), types.rend(), type) - 1;
  };
  for (const auto& p : out.Of(9, PKT_UNIT)) EXPECT_NE(ReadU16(p, 8), 1u) << "none of its own as a new game's";
  const auto whole = out.Of(9, PKT_UNIT_RESULT);
  ASSERT_EQ(whole.size(), own.size());
  for (std::size_t i = 0; i < own.size(); ++i) {
    EXPECT_EQ(ReadU32(whole[i], 8), own[i]->id);
    EXPECT_EQ(whole[i][12], own[i]->IsOperational() ? 0 : 1);
    EXPECT_EQ(whole[i][148], own[i]->hullDamage);
    EXPECT_EQ(whole[i][150], own[i]->modules[0].damage);
  }
  EXPECT_EQ(out.Of(9, PKT_ORDER).size(), queued);
  EXPECT_EQ(out.Of(9, PKT_UNIT_POWER).size(), own.size());
  EXPECT_EQ(out.Of(9, PKT_ATV_CARGO).size(), loaded);
  for (std::uint16_t type : {PKT_ORDER, PKT_ORDER_TARGET_BOUND, PKT_UNIT_POWER}) {
    EXPECT_GT(first(type), last(PKT_UNIT_RESULT)) << type;
    EXPECT_GT(first(type), last(PKT_UNIT)) << type;
    EXPECT_LT(last(type), first(PKT_START)) << type;
  }
  EXPECT_EQ(ReadU32(out.Of(9, PKT_UNIT_POWER)[0], 16), static_cast<std::uint32_t>(own[0]->power));

  // The players who had the game from its start get a new game's units.
  for (const auto& p : out.Of(7, PKT_UNIT_RESULT)) EXPECT_EQ(GetChapterFromId(ReadU32(p, 8)), 0u);
}

TEST_F(SrvGameTest, AStandAloneHostRunsTheGameWithoutAChapterAndStartsIt) {
  game.SetHost(7);
  game.PlayerJoined(9);
  Begin(game, 1, 8, {{7, 0}, {8, 40}}, false, true);
  EXPECT_EQ(ReadU32(out.To(8).back().packet, 44), 0u) << "only the host runs without a chapter";
  ASSERT_TRUE(game.Receive(8, Claim(8, "Beta")));
  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, Claim(40, "")));
  const auto answer = out.To(7).back();
  EXPECT_EQ(answer.Type(), PKT_CHAPTER_CLAIM);
  EXPECT_EQ(ReadU16(answer.packet, 8), 40);
  EXPECT_EQ(ReadU32(answer.packet, 44), 1u) << "the client goes on claiming chapters unless granted";
  EXPECT_EQ(game.Holder(0), 0u) << "the host's chapter is given up";
  EXPECT_EQ(out.To(8).back().Type(), PKT_CHAPTER_NAME);

  out.sent.clear();
  EXPECT_FALSE(game.Receive(9, Small(PKT_START))) << "another player without a chapter";
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  ASSERT_TRUE(game.Receive(7, Config(1, 8)));
  EXPECT_TRUE(game.Started());
  ASSERT_EQ(out.To(7).size(), 2u) << "no chapter, no start sequence";
  EXPECT_EQ(out.To(7)[0].Type(), PKT_START) << "the waiting room's end";
  EXPECT_EQ(out.To(7)[1].Type(), PKT_CONFIG_EXCHANGE);
  EXPECT_EQ(out.To(8).back().Type(), PKT_START);
}

TEST_F(SrvGameTest, InAHostedGameOnlyTheHostConfiguresAndStarts) {
  game.SetHost(7);
  Begin(game, 2, 20, {{7, 0}, {8, 8}}, false, true);
  out.sent.clear();
  EXPECT_FALSE(game.Receive(8, Config(8, 150)));
  EXPECT_EQ(game.Setup().ChaptersPerGuild(), 2);
  SrvSetup joiner;
  joiner.settings.SetU16(10, 1);
  joiner.settings.SetU16(12, 2);
  EXPECT_FALSE(game.Receive(8, Bytes(joiner.settings))) << "a joiner's copy would overwrite the host's";
  EXPECT_NE(game.Setup().settings.U16(12), 2);
  EXPECT_TRUE(out.To(7).empty()) << "nothing refused is passed on";
  joiner.settings.SetU16(10, 0);
  EXPECT_TRUE(game.Receive(8, Bytes(joiner.settings))) << "anyone may ask for the settings";
  EXPECT_FALSE(game.Receive(8, Small(PKT_START)));
  EXPECT_FALSE(game.Started());
  EXPECT_TRUE(game.Receive(7, Small(PKT_START)));
  EXPECT_FALSE(game.Receive(8, Config(8, 150))) << "asked of the host alone";
  EXPECT_TRUE(game.Receive(7, Config(2, 20)));
  EXPECT_TRUE(game.Started());
}

TEST_F(SrvGameTest, EachPlayerSetsItsOwnChaptersTraitsAndOnlyTheHostTheRest) {
  game.SetHost(7);
  Begin(game, 2, 20, {{7, 0}, {8, 8}}, false, true);
  auto settings = [](std::uint16_t slot, std::uint16_t difficulty, std::initializer_list<std::pair<int, int>> traits) {
    SrvSetup s;
    s.settings.SetU16(8, slot);
    s.settings.SetU16(12, difficulty);
    for (int t = 0; t < 20; ++t) s.settings.SetU8(48 + t, 0);
    for (const auto& [t, v] : traits) s.settings.SetU8(48 + t, static_cast<std::uint8_t>(v));
    return Bytes(s.settings);
  };
  out.sent.clear();
  EXPECT_TRUE(game.Receive(8, settings(8, 2, {{3, 45}})));
  EXPECT_NE(game.Setup().settings.U16(12), 2) << "the rest of the settings is the host's";
  EXPECT_TRUE(out.sent.empty()) << "the others would take the traits as their own";
  EXPECT_FALSE(game.Receive(8, settings(0, 0, {}))) << "the host's chapter";
  EXPECT_FALSE(game.Receive(8, settings(8, 0, {{3, 45}, {4, 50}}))) << "two traits at the highest level";
  EXPECT_FALSE(game.Receive(8, settings(8, 0, {{12, 4}}))) << "no level of trait 12 gives 4";
  ASSERT_TRUE(game.Receive(7, settings(0, 2, {{0, 20}, {1, 20}, {8, 30}})));
  EXPECT_EQ(game.Setup().settings.U16(12), 2);
  const auto passed = out.To(8);
  ASSERT_EQ(passed.size(), 1u);
  EXPECT_EQ(passed[0].packet[48 + 3], 45) << "the receiver's own traits";

  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  ASSERT_TRUE(game.Receive(7, Config(2, 20)));
  EXPECT_EQ(game.World().Chapter(8)->GetTrait(3), 45);
  EXPECT_EQ(game.World().Chapter(0)->GetTrait(8), 30);
  const auto joiner = out.To(8);
  const auto told = std::find_if(joiner.begin(), joiner.end(), [](const Sent& s) { return s.Type() == 464; });
  ASSERT_NE(told, joiner.end());
  EXPECT_EQ(told->packet[8 + 3], 45);
}

TEST_F(SrvGameTest, StartSequenceFollowsTheClientsOrderAndEndsWithTheStartedFlag) {
  Begin(game, 1, 12, {{7, 0}, {8, 8}}, false);
  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  EXPECT_FALSE(game.Receive(8, Small(PKT_START))) << "a second start is refused";

  const auto got = out.To(7);
  std::vector<std::uint16_t> expected = {0, 100, 110, 110, 124};
  for (int i = 0; i < 12; ++i) expected.push_back(127);
  for (int i = 0; i < 5; ++i) expected.push_back(450);
  // No rules, so no designs, but their class ranges; the session's settings
  // and the two players' ids before the start signal.
  for (std::uint16_t t : {464, 508, 551, 550, 505, 507, 54, 4, 4, 0}) expected.push_back(t);
  std::vector<std::uint16_t> types;
  for (const auto& s : got) {
    types.push_back(s.Type());
    EXPECT_TRUE(s.sequenced);
  }
  EXPECT_EQ(types, expected);
  EXPECT_EQ(ReadU16(got.back().packet, 8), 1);
  EXPECT_EQ(out.To(8).size(), got.size());

  // Each chapter's start names a home of its own, which the world gives it.
  std::vector<std::uint16_t> homes;
  for (const auto& s : got)
    if (s.Type() == 450) {
      const std::uint16_t chapter = static_cast<std::uint16_t>(ReadU16(s.packet, 8) * 8 + ReadU16(s.packet, 10));
      const std::uint16_t home = ReadU16(s.packet, 64);
      EXPECT_EQ(game.World().solar.GetAsteroid(home)->owner, chapter);
      EXPECT_EQ(std::count(homes.begin(), homes.end(), home), 0);
      homes.push_back(home);
    }
  const auto standings = std::find_if(got.begin(), got.end(), [](const Sent& s) { return s.Type() == 505; });
  ASSERT_NE(standings, got.end());
  for (std::size_t c = 0; c < 40; ++c) {
    const std::uint8_t expected = c % 8 == 0 ? 1 : 0;
    EXPECT_EQ(standings->packet[8 + 8 * c], expected) << "asteroids of chapter " << c;
    EXPECT_EQ(standings->packet[9 + 8 * c], expected) << "presence of chapter " << c;
    EXPECT_EQ(standings->packet[10 + 8 * c], expected) << "votes of chapter " << c << ": its home";
  }
  EXPECT_EQ(ReadU16(got[0].packet, 8), 0) << "a waiting room's end, not the start";
  const auto& start = got[1].packet;
  EXPECT_EQ(ReadU16(start, 8), 2);
  EXPECT_EQ(ReadU16(start, 12), 12);
}

TEST_F(SrvGameTest, TurnEndsWhenEveryHumanIsDoneAndAdvancesTheOrbits) {
  Begin(game, 1, 10, {{7, 0}, {8, 8}});
  const Location before = game.World().solar.GetAsteroid(3)->position;
  out.sent.clear();
  EXPECT_FALSE(game.Receive(7, EndTurn(5))) << "another turn's end";
  // Votes count for the sender's own chapter only.
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_IMPERATOR_VOTE)));
  EXPECT_FALSE(game.Receive(7, Pkt<12>(PKT_IMPERATOR_VOTE).U16(8, 8)))
      << "a vote for chapter 8 from chapter 0's player";
  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  EXPECT_EQ(out.Count(PKT_TURN_PROCESSING), 0u) << "the turn waits for the second player";
  ASSERT_TRUE(game.Receive(8, EndTurn(0)));
  const auto got = out.To(8);
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[0].Type(), PKT_TURN_LAMPS) << "chapter 0's end of turn";
  EXPECT_EQ(got[1].Type(), PKT_TURN_LAMPS) << "its own";
  EXPECT_EQ(got[2].Type(), PKT_TURN_PROCESSING);
  EXPECT_EQ(got.back().Type(), PKT_TURN_RESULTS);
  EXPECT_EQ(game.World().turn, 1u);
  const Location after = game.World().solar.GetAsteroid(3)->position;
  EXPECT_TRUE(before.x != after.x || before.y != after.y || before.z != after.z);

  // A player who leaves no longer holds the turn up; its chapter stays in play.
  game.PlayerLeft(8);
  EXPECT_EQ(game.Holder(8), 0u);
  ASSERT_TRUE(game.Receive(7, EndTurn(1)));
  EXPECT_EQ(game.World().turn, 2u);
  ASSERT_NE(game.World().Chapter(8), nullptr);
  game.PlayerLeft(7);
  EXPECT_TRUE(game.Ended());
}

// A player who quits is reported gone by the library too: the others hear
// of its chapter once. The host's leave ends the session, and nobody is told.
TEST(SrvGameLeave, AQuitAndTheLibrarysLeaveAreOneLeaveAndTheHostsLeaveTellsNobody) {
  const quentest::TempDir dir("quen_srv_leave");
  const std::string path = FolderPath(dir) + "leave.log";
  RecordingOutbox out;
  SrvLog log;
  ASSERT_TRUE(log.Open(path));
  SrvGame game(out, log, nullptr, 1234, FolderPath(dir));
  game.SetHost(7);
  for (std::uint32_t p : {7u, 8u, 9u}) game.PlayerJoined(p);
  StartTestGame(game, {{7, 0}, {8, 1}, {9, 8}}, 2);
  ASSERT_TRUE(game.Started());
  out.sent.clear();

  ASSERT_TRUE(game.Receive(8, Small(PKT_QUIT)));
  game.PlayerLeft(8);
  EXPECT_EQ(game.Holder(1), 0u);
  for (std::uint32_t p : {7u, 9u}) {
    std::size_t ids = 0, names = 0;
    for (const auto& sent : out.To(p)) {
      ids += sent.Type() == PKT_PLAYER_ID;
      names += sent.Type() == PKT_CHAPTER_NAME;
    }
    EXPECT_EQ(ids, 1u) << p;
    EXPECT_EQ(names, 1u) << p;
  }
  EXPECT_FALSE(game.Ended()) << "two players remain";

  out.sent.clear();
  game.PlayerLeft(7);
  EXPECT_TRUE(out.sent.empty());
  std::ifstream in(path);
  int leaves = 0;
  for (std::string line; std::getline(in, line);) leaves += line.find(" left") != std::string::npos;
  EXPECT_EQ(leaves, 2);
}

TEST_F(SrvGameTest, MalformedAndStrangersPacketsAreRefusedWithoutEffect) {
  const std::uint8_t tiny[3] = {3, 0, 0};
  EXPECT_FALSE(game.Receive(7, tiny));
  auto shortClaim = Claim(0, "X");
  shortClaim.resize(20);
  EXPECT_FALSE(game.Receive(7, shortClaim));
  EXPECT_EQ(game.Holder(0), 0u);
  EXPECT_FALSE(game.Receive(99, Claim(0, "Stranger")));
  EXPECT_EQ(game.Holder(0), 0u);
  EXPECT_FALSE(game.Receive(7, Small(PKT_START))) << "no chapter held";
  EXPECT_FALSE(game.Receive(7, EndTurn(0))) << "no game runs";
  EXPECT_FALSE(game.Receive(7, Small(9999)));
  game.SetHost(7);
  EXPECT_FALSE(game.Receive(8, Small(PKT_END_GAME))) << "only the host ends the game";
  EXPECT_FALSE(game.Ended());
  EXPECT_FALSE(game.Started());
  EXPECT_TRUE(out.sent.empty());
}

TEST(SrvGameLog, AFloodOfBadPacketsIsLoggedOnlyUpToALimit) {
  const quentest::TempDir dir("quen_srv_flood");
  const std::string path = FolderPath(dir) + "flood.log";
  RecordingOutbox out;
  SrvLog log;
  ASSERT_TRUE(log.Open(path));
  SrvGame game(out, log, nullptr, 1);
  game.PlayerJoined(7);
  for (int i = 0; i < 5000; ++i) EXPECT_FALSE(game.Receive(7, Small(9999)));
  std::ifstream in(path);
  int lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  EXPECT_EQ(lines, 1 + 1000 + 1);  // the join, the refusals, the note that logging stops
}

TEST_F(SrvGameTest, TheTurnTimeLimitEndsATurnNobodyFinished) {
  SrvSetup setup;
  setup.config.SetU16(14, 1);
  setup.config.SetU16(16, 5);
  setup.config.SetU16(18, 30);  // minutes
  // Also a game started before the server first reads its clock (the start
  // came with the first packets) has its whole first turn.
  for (const std::uint64_t clockAtStart : {1000, 5'000'000}) {
    SCOPED_TRACE(clockAtStart);
    const bool clockFirst = clockAtStart == 1000;
    SrvGame timed{out, log, nullptr, 1234, Folder()};
    timed.PlayerJoined(7);
    ASSERT_TRUE(timed.Receive(7, Bytes(setup.config)));
    ASSERT_TRUE(timed.Receive(7, Claim(0, "Alpha")));
    if (clockFirst) timed.Tick(clockAtStart);
    ASSERT_TRUE(timed.Receive(7, Small(PKT_START)));
    if (!clockFirst) timed.Tick(clockAtStart);
    // The player's client answers every keep-alive request meanwhile.
    auto waitUntil = [&](std::uint64_t end) {
      for (std::uint64_t now = clockAtStart; now < end; now += 60'000) {
        timed.Tick(now);
        timed.Receive(7, Pkt<12>(PKT_KEEPALIVE));
      }
      timed.Tick(end);
    };
    waitUntil(clockAtStart + 30 * 60'000 - 1);
    EXPECT_EQ(timed.World().turn, 0u);
    waitUntil(clockAtStart + 30 * 60'000);
    EXPECT_EQ(timed.World().turn, 1u);
  }
}

TEST(SrvWorld, TheSameSeedGivesTheSameWorldAndAnotherSeedAnother) {
  SrvSetup setup;
  setup.config.SetU16(16, 60);
  setup.config.SetU16(34, 1);
  auto image = [&](std::uint32_t seed) {
    SrvWorld world;
    world.Generate(setup, seed, [](unsigned n) { return std::optional<std::string>("Rock" + std::to_string(n)); });
    std::vector<std::uint8_t> bytes;
    BlockWriter w(&bytes);
    EXPECT_TRUE(world.solar.Save(w));
    return bytes;
  };
  const auto a = image(42);
  EXPECT_EQ(a, image(42));
  EXPECT_NE(a, image(43));
}

namespace {

std::vector<std::uint8_t> SolarImage(const SrvGame& game) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  EXPECT_TRUE(game.World().solar.Save(w));
  return bytes;
}

std::vector<std::uint8_t> SaveRequest(const char* name, std::uint32_t id) {
  return Pkt<272>(PKT_SAVE_GAME).Text(8, 256, name).U32(264, id);
}
std::vector<std::uint8_t> LoadRequest(const char* name, std::uint32_t id) {
  return Pkt<276>(PKT_LOAD_GAME).Text(8, 256, name).U32(264, id);
}

}  // namespace

TEST_F(SrvGameTest, ASaveTakenMidGameLoadsBackAndABadFileChangesNothing) {
  const std::string folder = Folder();
  SrvGame saver(out, log, nullptr, 99, folder);
  saver.PlayerJoined(7);
  Begin(saver, 2, 30, {{7, 1}}, false);
  EXPECT_FALSE(saver.Receive(7, SaveRequest("early.svr", 5))) << "nothing to save before the start";
  ASSERT_TRUE(saver.Receive(7, Small(PKT_START)));
  for (std::uint32_t t = 0; t < 2; ++t) ASSERT_TRUE(saver.Receive(7, EndTurn(t)));
  ASSERT_TRUE(saver.Receive(7, SaveRequest("mid.svr", 0x20011)));
  EXPECT_EQ(out.sent.back().Type(), PKT_SAVE_DONE);
  EXPECT_EQ(ReadU32(out.sent.back().packet, 8), 1u);
  const auto atSave = SolarImage(saver);
  for (std::uint32_t t = 2; t < 4; ++t) ASSERT_TRUE(saver.Receive(7, EndTurn(t)));
  ASSERT_NE(SolarImage(saver), atSave);

  EXPECT_FALSE(saver.Receive(7, LoadRequest("mid.svr", 0x20012))) << "another identifier";
  EXPECT_FALSE(saver.Receive(7, LoadRequest("../mid.svr", 0x20011)));
  EXPECT_FALSE(saver.Receive(7, LoadRequest("none.svr", 0x20011)));
  // A file cut short is refused whole.
  {
    std::ifstream in(folder + "mid.svr", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream cut(folder + "cut.svr", std::ios::binary);
    cut.write(all.data(), static_cast<std::streamsize>(all.size() - 20));
  }
  EXPECT_FALSE(saver.Receive(7, LoadRequest("cut.svr", 0x20011)));
  EXPECT_EQ(saver.World().turn, 4u);

  ASSERT_TRUE(saver.Receive(7, LoadRequest("mid.svr", 0x20011)));
  EXPECT_EQ(saver.World().turn, 2u);
  EXPECT_EQ(SolarImage(saver), atSave);
  EXPECT_EQ(saver.World().Pool(saver.World().Chapter(1)->homeAsteroid).storage, 1);
  // The loaded game goes on turning.
  ASSERT_TRUE(saver.Receive(7, EndTurn(2)));
  EXPECT_EQ(saver.World().turn, 3u);

  // A save the disk cannot take whole fails and leaves the earlier file of its name loadable.
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = std::filesystem::file_size(folder + "mid.svr") / 2;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = saver.Save(folder + "mid.svr", 0x20011);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(saver.Load(folder + "mid.svr", 0x20011));
  EXPECT_EQ(saver.World().turn, 2u);
}

// A guest's save named after the host's save of another game is refused and
// the guest told; the host's file is left as it was and nobody else saves.
// The host may replace it, and a guest may save over this game's own saves.
TEST_F(SrvGameTest, AGuestCannotSaveOverASaveOfAnotherGame) {
  const std::string folder = Folder();
  auto bytesOf = [&](const char* name) {
    std::ifstream in(folder + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  {
    SrvGame earlier(out, log, nullptr, 0xAAAA, folder);
    earlier.SetHost(7);
    StartTestGame(earlier, {{7, 0}}, 1);
    ASSERT_TRUE(earlier.Receive(7, SaveRequest("hostgame.svr", 0xAAAA)));
  }
  const std::string kept = bytesOf("hostgame.svr");
  ASSERT_FALSE(kept.empty());

  SrvGame now(out, log, nullptr, 0x77, folder);
  now.SetHost(7);
  StartTestGame(now, {{7, 0}, {8, 8}}, 1);
  out.sent.clear();
  EXPECT_FALSE(now.Receive(8, SaveRequest("hostgame.svr", 0x77)));
  EXPECT_EQ(bytesOf("hostgame.svr"), kept);
  ASSERT_EQ(out.Of(8, PKT_SAVE_DONE).size(), 1u);
  EXPECT_EQ(ReadU32(out.Of(8, PKT_SAVE_DONE)[0], 8), 0u);
  EXPECT_TRUE(out.Of(7, PKT_SAVE_GAME).empty());

  ASSERT_TRUE(now.Receive(8, SaveRequest("guest.svr", 0x78)));
  ASSERT_TRUE(now.Receive(8, SaveRequest("guest.svr", 0x79))) << "this game's own save";
  ASSERT_TRUE(now.Receive(7, SaveRequest("hostgame.svr", 0x7A))) << "the host's own choice";
  EXPECT_NE(bytesOf("hostgame.svr"), kept);
}

TEST_F(SrvGameTest, ALoadIsAskedOfEveryOtherPlayerAndTheRequesterToldTheirAnswer) {
  Begin(game, 1, 8, {{7, 0}, {8, 8}});
  out.sent.clear();
  const auto ask = Pkt<276>(PKT_LOAD_REQUEST).Text(8, 256, "old.clt").U16(268, 77);
  ASSERT_TRUE(game.Receive(7, ask));
  EXPECT_TRUE(out.To(7).empty());
  EXPECT_FALSE(game.Receive(7, ask)) << "one question at a time";
  ASSERT_EQ(out.To(8).size(), 1u);
  EXPECT_EQ(out.To(8)[0].Type(), PKT_LOAD_REQUEST);
  // The second question is answered no at once; the first still waits.
  ASSERT_EQ(out.To(7).size(), 1u);
  EXPECT_EQ(ReadU32(out.To(7)[0].packet, 8), 0u);
  out.sent.clear();
  const auto no = Pkt<16>(PKT_LOAD_ANSWER);
  EXPECT_FALSE(game.Receive(7, no)) << "the requester does not answer itself";
  ASSERT_TRUE(game.Receive(8, no));
  ASSERT_EQ(out.To(7).size(), 1u);
  EXPECT_EQ(ReadU32(out.To(7)[0].packet, 8), 0u);
  EXPECT_EQ(ReadU16(out.To(7)[0].packet, 12), 77);
  EXPECT_FALSE(game.Receive(8, no)) << "nothing is asked any more";

  // A player who leaves instead of answering no longer holds the question up.
  ASSERT_TRUE(game.Receive(7, ask));
  game.PlayerLeft(8);
  const auto got = out.To(7);
  ASSERT_EQ(got.back().Type(), PKT_LOAD_ANSWER);
  EXPECT_EQ(ReadU32(got.back().packet, 8), 1u);
}

// A player whose chapter taken in play still waits for its state sits in its
// chapter screen, which drops questions: it is neither asked nor waited for,
// and one taking a chapter while a question waits is no longer waited for.
TEST_F(SrvGameTest, ALoadQuestionWaitsOnlyForPlayersWhoHaveTheGame) {
  Begin(game, 2, 20, {{7, 0}, {8, 8}});
  game.PlayerJoined(9);
  game.PlayerJoined(10);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Late")));
  out.sent.clear();
  const auto ask = Pkt<276>(PKT_LOAD_REQUEST).Text(8, 256, "old.clt").U16(268, 77);
  const auto yes = Pkt<16>(PKT_LOAD_ANSWER).U32(8, 1);
  ASSERT_TRUE(game.Receive(7, ask));
  EXPECT_TRUE(out.Of(9, PKT_LOAD_REQUEST).empty());
  EXPECT_EQ(out.Of(10, PKT_LOAD_REQUEST).size(), 1u) << "a player holding nothing yet is asked";
  ASSERT_TRUE(game.Receive(8, yes));
  EXPECT_TRUE(out.Of(7, PKT_LOAD_ANSWER).empty()) << "player 10 has not answered";
  ASSERT_TRUE(game.Receive(10, Claim(9, "Later")));
  const auto answers = out.Of(7, PKT_LOAD_ANSWER);
  ASSERT_EQ(answers.size(), 1u) << "its chapter screen will not answer";
  EXPECT_EQ(ReadU32(answers[0], 8), 1u);
  EXPECT_EQ(ReadU16(answers[0], 12), 77u);
  EXPECT_FALSE(game.Receive(9, yes)) << "nothing is asked of it";
}

// A save is passed on only to the players who have the game to save: one
// still in its chapter screen has none, and drops the request anyway.
TEST_F(SrvGameTest, ASaveIsPassedOnOnlyToPlayersWhoHaveTheGame) {
  Begin(game, 2, 20, {{7, 0}, {8, 8}});
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Late")));
  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, SaveRequest("passed.svr", 41)));
  EXPECT_EQ(out.Of(8, PKT_SAVE_GAME).size(), 1u);
  EXPECT_TRUE(out.Of(9, PKT_SAVE_GAME).empty()) << "its state is still due";
  EXPECT_TRUE(out.Of(7, PKT_SAVE_GAME).empty());
  EXPECT_EQ(out.Of(7, PKT_SAVE_DONE).size(), 1u);
  // Once its state is sent, it saves with the others.
  ASSERT_TRUE(game.Receive(9, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 1).U16(10, 1)));
  out.sent.clear();
  ASSERT_TRUE(game.Receive(8, SaveRequest("again.svr", 42)));
  EXPECT_EQ(out.Of(9, PKT_SAVE_GAME).size(), 1u);
  EXPECT_EQ(out.Of(7, PKT_SAVE_GAME).size(), 1u);
}

// A turn the time limit ends while a chapter's state is due tells that
// chapter nothing: its client, still in the front end, would meet an autosave
// of a game it does not have and turn results for a world it has not been
// sent. Once the state is sent, the next turn reaches it as it does the others.
TEST_F(SrvGameTest, ATurnEndedWhileAStateIsDueReachesOnlyPlayersWhoHaveTheGame) {
  Begin(game, 2, 20, {{7, 0}, {8, 8}}, false);
  SrvSetup limited;
  limited.config.SetU16(14, 2);
  limited.config.SetU16(16, 20);
  limited.config.SetU16(18, 1);  // minutes
  ASSERT_TRUE(game.Receive(7, Bytes(limited.config)));
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  game.Tick(1000);
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Late")));
  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  EXPECT_EQ(out.Of(8, PKT_TURN_LAMPS).size(), 1u);
  ASSERT_TRUE(game.Receive(8, EndTurn(0)));
  ASSERT_EQ(game.World().turn, 0u) << "the turn waits for chapter 1";
  game.Tick(61'000);
  ASSERT_EQ(game.World().turn, 1u);
  for (std::uint32_t p : {7u, 8u})
    for (std::uint16_t type : {PKT_TURN_PROCESSING, PKT_AUTOSAVE, PKT_TURN_RESULTS})
      EXPECT_EQ(out.Of(p, type).size(), 1u) << p << " " << type;
  // The keep-alive goes on: its front end's screens answer on their own.
  for (const Sent& s : out.To(9))
    EXPECT_EQ(s.Type(), PKT_KEEPALIVE_REQUEST) << "neither the lamps, the autosave nor the turn";

  ASSERT_TRUE(game.Receive(9, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 1).U16(10, 1)));
  EXPECT_EQ(out.Of(9, PKT_START).size(), 1u);
  EXPECT_EQ(ReadU16(out.Of(9, PKT_TURN_LAMPS).back(), 10), 0u) << "the new turn's lamps, none lit";
  out.sent.clear();
  for (std::uint32_t p : {7u, 8u, 9u}) ASSERT_TRUE(game.Receive(p, EndTurn(1))) << p;
  ASSERT_EQ(game.World().turn, 2u);
  for (std::uint16_t type : {PKT_TURN_PROCESSING, PKT_AUTOSAVE, PKT_TURN_RESULTS})
    EXPECT_EQ(out.Of(9, type).size(), 1u) << type;
  EXPECT_EQ(out.Of(9, PKT_TURN_LAMPS).size(), 3u);
}

// A player taking a chapter in play gets the game once, when its front end is
// done, with the lamps the turn has lit (its views show none until the next
// change otherwise); a restart or a load meanwhile is not sent to it.
TEST_F(SrvGameTest, AChapterTakenInPlayGetsItsStateOnceWithTheLampsLit) {
  Begin(game, 2, 20, {{7, 0}, {8, 8}});
  ASSERT_TRUE(game.Receive(7, SaveRequest("joined.svr", 31)));
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  const auto settings = [](std::uint16_t chapter) { return Pkt<68>(PKT_GAME_SETTINGS).U16(8, chapter).U16(10, 1); };
  const auto sequenced = [&](std::uint32_t player) {
    std::vector<std::uint16_t> types;
    for (const Sent& s : out.To(player))
      if (s.sequenced) types.push_back(s.Type());
    return types;
  };
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Late")));
  ASSERT_EQ(game.Holder(1), 9u);
  ASSERT_TRUE(game.Receive(9, settings(1)));
  const auto lamps = out.Of(9, PKT_TURN_LAMPS);
  ASSERT_EQ(lamps.size(), 1u) << "with the state";
  EXPECT_EQ(ReadU16(lamps[0], 10), 1u) << "chapter 0 is done";
  const auto types9 = sequenced(9);
  ASSERT_GE(types9.size(), 2u);
  EXPECT_EQ(types9[types9.size() - 2], PKT_START) << "after the start signal, which opens the views";
  EXPECT_EQ(types9.back(), PKT_TURN_LAMPS);

  // Player 10 takes chapter 9; before its front end is done the game is
  // restarted and then loaded.
  game.PlayerJoined(10);
  ASSERT_TRUE(game.Receive(10, Claim(9, "Later")));
  ASSERT_EQ(game.Holder(9), 10u);
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_RESTART_REQUEST).U16(8, 3)));
  const auto yes = Pkt<16>(PKT_RESTART_ANSWER).U32(8, 1);
  for (std::uint32_t p : {8u, 9u}) ASSERT_TRUE(game.Receive(p, yes)) << p;
  ASSERT_FALSE(out.Of(7, PKT_RESTART).empty()) << "restarted without waiting for the chapter screen";
  EXPECT_TRUE(out.Of(10, PKT_RESTART_REQUEST).empty());
  EXPECT_FALSE(game.Receive(10, yes)) << "it was not asked";
  ASSERT_TRUE(game.Receive(8, LoadRequest("joined.svr", 31)));
  ASSERT_EQ(out.Of(7, PKT_GAME_SETTINGS_STORE).size(), 3u) << "the start, the restart, the load";
  EXPECT_EQ(out.Of(9, PKT_LOAD_GAME).size(), 1u) << "the others load their copies";
  EXPECT_TRUE(out.Of(10, PKT_LOAD_GAME).empty()) << "it has no copy to load";
  EXPECT_TRUE(out.Of(10, PKT_RESTART).empty());
  EXPECT_TRUE(out.Of(10, PKT_GAME_SETTINGS_STORE).empty());
  ASSERT_TRUE(game.Receive(10, settings(9)));
  for (std::uint16_t type : {PKT_SOLAR_SYSTEM, PKT_GAME_SETTINGS_STORE, PKT_START, PKT_TURN_LAMPS})
    EXPECT_EQ(out.Of(10, type).size(), 1u) << type;
  EXPECT_EQ(out.Of(10, PKT_STATUS_REQUEST).size(), 1u) << "asked once, as it joined";
  EXPECT_EQ(ReadU16(out.Of(10, PKT_TURN_LAMPS)[0], 10), 0u) << "none lit in the loaded turn";
  ASSERT_TRUE(game.Receive(10, EndTurn(0)));
  EXPECT_EQ(ReadU16(out.Of(7, PKT_TURN_LAMPS).back(), 10), 1u);
}

// A chapter taken in play comes into its guild's market with the offers
// standing on the boards, as they now stand: its guild mates' boards were
// filled as the offers were posted, before it had a game.
TEST_F(SrvGameTest, AChapterTakenInPlayGetsItsGuildsStandingOffersWithItsState) {
  Begin(game, 2, 12, {{7, 8}, {8, 16}});
  const SrvWorld& world = game.World();
  const auto home8 = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto home16 = static_cast<std::uint8_t>(world.Chapter(16)->homeAsteroid);
  auto minerals = Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, home8).U8(10, 1).U16(12, 50).U16(16, 3);
  ASSERT_TRUE(game.Receive(7, minerals));
  ASSERT_TRUE(game.Receive(7, minerals.U16(12, 30))) << "the offer changed, not a second one";
  ASSERT_TRUE(
      game.Receive(8, Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 16).U8(9, home16).U8(10, 2).U16(12, 40).U16(14, 1)));
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(9, "Late")));
  // Posted while its front end is busy, an offer comes with its state alone.
  ASSERT_TRUE(game.Receive(7, Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(12, home8).U32(28, 7)));
  EXPECT_TRUE(out.Of(9, PKT_VOTE_OFFER_POSTED).empty()) << "not before its state";
  ASSERT_TRUE(game.Receive(9, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 9).U16(10, 1)));
  const auto offers = out.Of(9, PKT_MINERAL_OFFER_POSTED);
  ASSERT_EQ(offers.size(), 1u) << "its own guild's alone";
  EXPECT_EQ(offers[0][8], 8u);
  EXPECT_EQ(offers[0][9], home8);
  EXPECT_EQ(offers[0][10], 1u);
  EXPECT_EQ(ReadU16(offers[0], 12), 30u);
  EXPECT_EQ(ReadU16(offers[0], 16), 3u);
  const auto votes = out.Of(9, PKT_VOTE_OFFER_POSTED);
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(ReadU16(votes[0], 8), 1u);
  EXPECT_EQ(votes[0][10], 0u) << "chapter 8's slot";
  EXPECT_EQ(votes[0][12], home8);
  EXPECT_EQ(ReadU32(votes[0], 28), 7u);
  // After the start signal, which makes the guilds whose boards they fill.
  const auto got = out.To(9);
  const auto start = std::find_if(got.begin(), got.end(), [](const Sent& s) { return s.Type() == PKT_START; });
  const auto offer =
      std::find_if(got.begin(), got.end(), [](const Sent& s) { return s.Type() == PKT_VOTE_OFFER_POSTED; });
  EXPECT_LT(start, offer);
}

// Chat said while a joining player's front end is busy would be dropped by
// it: it is held and follows the state, in order, the newest kept when too
// much was said; guild chat of another guild is not held for it.
TEST_F(SrvGameTest, ChatSaidWhileAJoiningPlayersStateIsDueFollowsItsState) {
  Begin(game, 2, 12, {{7, 0}, {8, 8}});
  auto chat = [](std::uint8_t sender, std::uint8_t to, std::uint32_t n) {
    return Pkt<516>(PKT_CHAT).U8(8, sender).U8(9, to).Text(16, 500, "line " + std::to_string(n));
  };
  game.PlayerJoined(9);
  ASSERT_TRUE(game.Receive(9, Claim(1, "Late")));
  ASSERT_TRUE(game.Receive(8, chat(8, 254, 0))) << "guild 1's";
  for (std::uint32_t n = 1; n <= 40; ++n) ASSERT_TRUE(game.Receive(7, chat(0, n % 2 == 0 ? 255 : 1, n)));
  EXPECT_TRUE(out.Of(9, PKT_CHAT).empty()) << "not before its state";
  ASSERT_TRUE(game.Receive(9, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 1).U16(10, 1)));
  const auto held = out.Of(9, PKT_CHAT);
  ASSERT_EQ(held.size(), 32u) << "bounded";
  for (std::size_t i = 0; i < held.size(); ++i)
    EXPECT_EQ(ReadText(held[i], 16, 500), "line " + std::to_string(i + 9)) << "the newest, in order";
  const auto got = out.To(9);
  const auto start = std::find_if(got.begin(), got.end(), [](const Sent& s) { return s.Type() == PKT_START; });
  const auto first = std::find_if(got.begin(), got.end(), [](const Sent& s) { return s.Type() == PKT_CHAT; });
  EXPECT_LT(start, first) << "after the start signal";
  ASSERT_TRUE(game.Receive(7, chat(0, 1, 41)));
  EXPECT_EQ(out.Of(9, PKT_CHAT).size(), 33u) << "then straight on";

  // A player who leaves before its state takes nothing held to the next.
  game.PlayerJoined(10);
  ASSERT_TRUE(game.Receive(10, Claim(9, "Gone")));
  ASSERT_TRUE(game.Receive(8, chat(8, 254, 42)));
  game.PlayerLeft(10);
  game.PlayerJoined(11);
  ASSERT_TRUE(game.Receive(11, Claim(9, "Next")));
  ASSERT_TRUE(game.Receive(11, Pkt<68>(PKT_GAME_SETTINGS).U16(8, 9).U16(10, 1)));
  EXPECT_TRUE(out.Of(11, PKT_CHAT).empty());
}

TEST_F(SrvGameTest, EachTurnIsAutosavedAsItBeginsProcessingUnlessTurnedOff) {
  const quentest::TempDir dir("quen_autosave");
  const std::string folder = FolderPath(dir);
  SrvGame saver(out, log, nullptr, 3, folder);
  saver.PlayerJoined(7);
  Begin(saver, 1, 8, {{7, 0}});
  out.sent.clear();
  ASSERT_TRUE(saver.Receive(7, EndTurn(0)));
  std::vector<std::uint16_t> types;
  for (const auto& s : out.sent) types.push_back(s.Type());
  // The player's lamp, the turn's own results, what the steps told the
  // chapter (its pool among them), then the end of the results.
  ASSERT_GE(types.size(), 8u);
  EXPECT_EQ(std::vector<std::uint16_t>(types.begin(), types.begin() + 6),
            (std::vector<std::uint16_t>{PKT_TURN_LAMPS, PKT_TURN_PROCESSING, PKT_AUTOSAVE, 551, 505, 507}));
  EXPECT_NE(std::find(types.begin(), types.end(), PKT_POOL_STATE), types.end());
  EXPECT_EQ(types.back(), PKT_TURN_RESULTS);
  const std::uint32_t id = ReadU32(out.sent[2].packet, 8);
  EXPECT_EQ(id >> 16, 1u);
  EXPECT_TRUE(std::filesystem::exists(folder + "autosave.svr"));
  EXPECT_FALSE(std::filesystem::exists(folder + "asavebak.svr"));
  ASSERT_TRUE(saver.Receive(7, EndTurn(1)));
  EXPECT_TRUE(std::filesystem::exists(folder + "asavebak.svr"));
  // The file is the game as the turn began processing, at the turn the
  // clients' autosave of that moment names: loaded, their ends of turn count.
  SrvGame reader(out, log, nullptr, 0, folder);
  EXPECT_TRUE(reader.Load(folder + "asavebak.svr", id));
  EXPECT_EQ(reader.World().turn, id >> 16);

  ASSERT_TRUE(saver.Receive(7, Small(PKT_AUTOSAVE)));
  out.sent.clear();
  ASSERT_TRUE(saver.Receive(7, EndTurn(2)));
  for (const auto& s : out.sent) EXPECT_NE(s.Type(), PKT_AUTOSAVE);
}

TEST_F(SrvGameTest, ChatGoesOnlyToItsAddresseesAndNobodySpeaksForAnother) {
  game.PlayerJoined(9);
  Begin(game, 2, 12, {{7, 0}, {8, 1}, {9, 8}});
  auto chat = [](std::uint8_t sender, std::uint8_t to) {
    return Pkt<516>(PKT_CHAT).U8(8, sender).U8(9, to).U32(12, 1).Text(16, 500, "hello");
  };
  auto chats = [&](std::uint32_t player) {
    return std::count_if(out.sent.begin(), out.sent.end(),
                         [&](const Sent& s) { return s.to == player && s.Type() == PKT_CHAT; });
  };
  ASSERT_TRUE(game.Receive(7, chat(0, 254)));
  EXPECT_EQ(chats(8), 1);
  EXPECT_EQ(chats(9), 0) << "another guild";
  ASSERT_TRUE(game.Receive(7, chat(0, 8)));
  EXPECT_EQ(chats(9), 1);
  EXPECT_EQ(ReadU32(out.sent.back().packet, 12), 0u) << "the sender cannot mark it intercepted";
  ASSERT_TRUE(game.Receive(9, chat(8, 255)));
  EXPECT_EQ(chats(7), 1);
  EXPECT_EQ(chats(8), 2);
  EXPECT_FALSE(game.Receive(9, chat(0, 255))) << "chapter 0 is not player 9's";
  EXPECT_EQ(chats(8), 2);

  // Renaming in play: only the holder, and the others hear of it.
  const auto rename = Pkt<48>(PKT_CHAPTER_NAME).U16(8, 1).Text(16, 32, "Renamed");
  EXPECT_FALSE(game.Receive(7, rename));
  ASSERT_TRUE(game.Receive(8, rename));
  EXPECT_EQ(out.To(7).back().Type(), PKT_CHAPTER_NAME_SET);
  EXPECT_EQ(ReadU16(out.To(9).back().packet, 8), 0);
  EXPECT_EQ(ReadU16(out.To(9).back().packet, 10), 1);
  EXPECT_EQ(ReadText(out.To(9).back().packet, 12, 32), "Renamed");
}

TEST_F(SrvGameTest, TradeBoardOffersReachThePostersGuildAndOnlyTheirOwnerPostsThem) {
  game.PlayerJoined(9);
  Begin(game, 2, 12, {{7, 8}, {8, 9}, {9, 16}});
  out.sent.clear();
  const SrvWorld& world = game.World();
  const auto home8 = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto ship = Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(12, home8);
  ASSERT_TRUE(game.Receive(7, ship));
  const std::uint16_t sellerPool = world.Chapter(8)->homeAsteroid, buyerPool = world.Chapter(9)->homeAsteroid;
  const std::uint32_t sellerSilicates = world.poolDB.GetMineral(sellerPool, 1);
  const auto seller = static_cast<std::uint8_t>(sellerPool);
  const auto minerals = Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, seller).U8(10, 1).U16(12, 50).U16(14, 3);
  ASSERT_TRUE(game.Receive(7, minerals));
  EXPECT_EQ(world.poolDB.GetMineral(sellerPool, 1), sellerSilicates - 50) << "held back while offered";
  EXPECT_EQ(out.To(8).size(), 2u);
  EXPECT_TRUE(out.To(9).empty()) << "another guild's board";
  EXPECT_FALSE(game.Receive(9, ship)) << "guild 1's offer from guild 2";
  EXPECT_FALSE(game.Receive(8, minerals)) << "chapter 8's minerals offered by chapter 9";
  // The poster's own board shows its offers once the server has taken them,
  // and the vote offer's poster reads of it.
  ASSERT_EQ(out.To(7).size(), 3u);
  EXPECT_EQ(out.To(7)[0].Type(), PKT_VOTE_OFFER_POSTED);
  EXPECT_EQ(out.To(7)[1].Type(), PKT_NOTIFICATION);
  EXPECT_EQ(out.To(7)[2].Type(), PKT_MINERAL_OFFER_POSTED);
  EXPECT_EQ(ReadU16(out.To(7)[2].packet, 12), 50u);

  // Chapter 9 buys 20 of the 50 with metals at 3 per ten; chapter 16 is of another guild.
  auto buy = Pkt<16>(PKT_MINERAL_TRADE).U8(8, 8).U8(9, seller).U8(10, 1).U8(11, 16).U16(14, 20);
  EXPECT_FALSE(game.Receive(9, buy.U8(12, static_cast<std::uint8_t>(world.Chapter(16)->homeAsteroid))))
      << "another guild's board";
  buy.U8(11, 9).U8(12, static_cast<std::uint8_t>(buyerPool));
  EXPECT_FALSE(game.Receive(8, buy.U16(14, 60))) << "more than offered";
  buy.U16(14, 20);
  const std::uint32_t buyerMetals = world.poolDB.GetMineral(buyerPool, 0);
  const std::uint32_t sellerMetals = world.poolDB.GetMineral(sellerPool, 0);
  const std::uint32_t buyerSilicates = world.poolDB.GetMineral(buyerPool, 1);
  ASSERT_TRUE(game.Receive(8, buy));
  EXPECT_EQ(world.poolDB.GetMineral(buyerPool, 0), buyerMetals - 6);
  EXPECT_EQ(world.poolDB.GetMineral(sellerPool, 0), sellerMetals + 6);
  EXPECT_EQ(out.To(7).back().Type(), PKT_MINERAL_OFFER_POSTED);
  EXPECT_EQ(ReadU16(out.To(7).back().packet, 12), 30u) << "the offer as it now stands";
  // Nothing goes for nothing: fewer than ten units, or paid in a mineral priced at 0.
  buy.U16(14, 9);
  EXPECT_FALSE(game.Receive(8, buy)) << "nine units cost nothing";
  buy.U16(14, 10).U8(13, 2);
  EXPECT_FALSE(game.Receive(8, buy)) << "exotics are not priced";
  EXPECT_EQ(ReadU16(out.To(7).back().packet, 12), 30u) << "the offer is untouched";
  // Fifteen units buy one ten: the odd five stay on offer.
  buy.U8(13, 0).U16(14, 15);
  ASSERT_TRUE(game.Receive(8, buy));
  EXPECT_EQ(world.poolDB.GetMineral(buyerPool, 0), buyerMetals - 9);
  EXPECT_EQ(ReadU16(out.To(7).back().packet, 12), 20u);
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  ASSERT_TRUE(game.Receive(8, EndTurn(0)));
  ASSERT_TRUE(game.Receive(9, EndTurn(0)));
  EXPECT_GE(world.poolDB.GetMineral(buyerPool, 1), buyerSilicates + 30) << "delivered with the turn";
  // Withdrawn, the rest goes back to the seller's pool.
  const std::uint32_t before = world.poolDB.GetMineral(sellerPool, 1);
  const auto withdraw = Pkt<12>(PKT_MINERAL_OFFER_WITHDRAWN).U8(8, 8).U8(9, seller).U8(10, 1);
  ASSERT_TRUE(game.Receive(7, withdraw));
  EXPECT_EQ(world.poolDB.GetMineral(sellerPool, 1), before + 20);
  EXPECT_FALSE(game.Receive(7, withdraw)) << "no such offer any more";
}

TEST_F(SrvGameTest, ARestartAllAgreedToSendsEveryoneANewWorldBetweenTheRestartPackets) {
  Begin(game, 1, 8, {{7, 0}, {8, 8}});
  ASSERT_TRUE(game.Receive(7, EndTurn(0)));
  ASSERT_TRUE(game.Receive(8, EndTurn(0)));
  ASSERT_EQ(game.World().turn, 1u);
  const auto ask = Pkt<12>(PKT_RESTART_REQUEST).U16(8, 5);
  const auto yes = Pkt<16>(PKT_RESTART_ANSWER).U32(8, 1), no = Pkt<16>(PKT_RESTART_ANSWER);

  ASSERT_TRUE(game.Receive(7, ask));
  EXPECT_FALSE(game.Receive(8, Pkt<16>(PKT_LOAD_ANSWER))) << "not the question asked";
  ASSERT_TRUE(game.Receive(8, no));
  EXPECT_EQ(ReadU32(out.To(7).back().packet, 8), 0u);
  EXPECT_EQ(game.World().turn, 1u) << "refused: the game goes on";

  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, ask));
  EXPECT_EQ(out.To(8).front().Type(), PKT_RESTART_REQUEST);
  ASSERT_TRUE(game.Receive(8, yes));
  EXPECT_EQ(game.World().turn, 0u);
  for (std::uint32_t p : {7u, 8u}) {
    auto got = out.To(p);
    got.erase(std::remove_if(got.begin(), got.end(),
                             [](const Sent& s) {
                               return s.Type() == PKT_RESTART_ANSWER || !s.sequenced || s.Type() == PKT_RESTART_REQUEST;
                             }),
              got.end());
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.front().Type(), PKT_RESTART);
    EXPECT_EQ(got[1].Type(), PKT_SOLAR_SYSTEM);
    EXPECT_EQ(got.back().Type(), PKT_RESTART_VIEWS);
  }
  const auto answer =
      std::find_if(out.sent.begin(), out.sent.end(), [](const Sent& s) { return s.Type() == PKT_RESTART_ANSWER; });
  ASSERT_NE(answer, out.sent.end());
  EXPECT_EQ(ReadU32(answer->packet, 8), 1u);
  EXPECT_EQ(ReadU16(answer->packet, 12), 5);
}

TEST_F(SrvGameTest, WaitingRoomReadinessReachesTheOthersAndARemovalOnlyItsTarget) {
  game.SetHost(7);
  game.PlayerJoined(9);
  auto ready = [](std::uint32_t flag) { return Pkt<16>(PKT_READY).U32(12, flag); };
  auto removal = [](std::uint32_t player) { return Pkt<12>(PKT_REMOVE_PLAYER).U32(8, player); };

  ASSERT_TRUE(game.Receive(8, ready(1)));
  ASSERT_TRUE(game.Receive(9, ready(0)));
  ASSERT_EQ(out.sent.size(), 4u);
  EXPECT_TRUE(out.To(8).size() == 1 && out.To(9).size() == 1) << "nobody hears its own state back";
  const auto atHost = out.To(7);
  ASSERT_EQ(atHost.size(), 2u);
  for (const auto& s : atHost) {
    EXPECT_EQ(s.Type(), PKT_READY);
    EXPECT_EQ(s.packet.size(), 16u);
    EXPECT_FALSE(s.sequenced) << "the waiting room takes no sequenced packet";
  }
  EXPECT_EQ(ReadU32(atHost[0].packet, 8), 8u) << "the sender is named";
  EXPECT_EQ(ReadU32(atHost[0].packet, 12), 1u);
  EXPECT_EQ(ReadU32(atHost[1].packet, 8), 9u);
  EXPECT_EQ(ReadU32(atHost[1].packet, 12), 0u);
  EXPECT_FALSE(game.Receive(8, Small(PKT_READY))) << "a ready packet without its flag";
  // A room repeats its state on every refresh and every repeat travels (a
  // player still choosing its chapter missed the first); a newcomer hears
  // every state already announced.
  ASSERT_TRUE(game.Receive(8, ready(1)));
  EXPECT_EQ(out.sent.size(), 6u);
  game.PlayerJoined(10);
  const auto atNewcomer = out.To(10);
  ASSERT_EQ(atNewcomer.size(), 2u);
  EXPECT_EQ(ReadU32(atNewcomer[0].packet, 8), 8u);
  EXPECT_EQ(ReadU32(atNewcomer[1].packet, 12), 0u);

  // Everyone who receives a removal leaves, so only the named player may.
  out.sent.clear();
  EXPECT_FALSE(game.Receive(8, removal(9))) << "only the host removes";
  EXPECT_FALSE(game.Receive(7, removal(7))) << "the host cannot remove itself";
  EXPECT_FALSE(game.Receive(7, removal(42))) << "a stranger";
  EXPECT_TRUE(out.sent.empty());
  ASSERT_TRUE(game.Receive(7, removal(9)));
  ASSERT_EQ(out.sent.size(), 1u);
  EXPECT_EQ(out.sent[0].to, 9u);
  EXPECT_EQ(out.sent[0].Type(), PKT_REMOVE_PLAYER);
  EXPECT_EQ(ReadU32(out.sent[0].packet, 8), 9u);

  // Once play has begun the waiting room is gone.
  ASSERT_TRUE(game.Receive(7, Claim(0, "Iron Fist")));
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  ASSERT_TRUE(game.Receive(7, Config(1, 8)));
  out.sent.clear();
  EXPECT_TRUE(game.Receive(8, ready(1)));
  EXPECT_FALSE(game.Receive(7, removal(8)));
  EXPECT_TRUE(out.sent.empty());
}

// A session's host announces its chapters per guild (23 with 100 + n) and
// gives its configuration only when the start asks for it: 50 to the host
// after every waiting room's end, the world made from the answer, which the
// others are passed numbered.
TEST_F(SrvGameTest, AHostedStartAsksTheHostForItsConfigurationBeforeMakingTheWorld) {
  game.SetHost(7);
  EXPECT_FALSE(game.Receive(7, Config(2, 20))) << "nobody asked";
  ASSERT_TRUE(game.Receive(8, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 105)));
  EXPECT_EQ(game.Setup().ChaptersPerGuild(), 8) << "only the host's announcement counts";
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 102)));
  EXPECT_EQ(game.Setup().ChaptersPerGuild(), 2);
  ASSERT_TRUE(game.Receive(7, Claim(0, "A")));
  ASSERT_TRUE(game.Receive(8, Claim(3, "B")));
  EXPECT_EQ(game.Holder(3), 0u) << "chapter 3 lies outside two per guild";
  ASSERT_TRUE(game.Receive(8, Claim(8, "B")));

  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  EXPECT_FALSE(game.Started());
  ASSERT_EQ(out.sent.size(), 3u);
  EXPECT_EQ(out.sent[0].Type(), PKT_START);
  EXPECT_EQ(out.sent[1].Type(), PKT_START);
  EXPECT_EQ(out.sent[2].to, 7u);
  EXPECT_EQ(out.sent[2].Type(), PKT_CONFIG_EXCHANGE);
  for (const Sent& s : out.sent) EXPECT_TRUE(s.sequenced);
  EXPECT_FALSE(game.Receive(7, Small(PKT_START))) << "the start is under way";

  out.sent.clear();
  ASSERT_TRUE(game.Receive(7, Config(2, 14)));
  ASSERT_TRUE(game.Started());
  EXPECT_EQ(CGSolarDB::GetAsteroidCount(), 14) << "the world follows the answer";
  const auto joiner = out.To(8);
  ASSERT_FALSE(joiner.empty());
  EXPECT_EQ(joiner[0].Type(), PKT_GAME_CONFIG);
  EXPECT_TRUE(joiner[0].sequenced);
  EXPECT_EQ(ReadU16(joiner[0].packet, 16), 14);
  EXPECT_EQ(joiner[1].Type(), PKT_SOLAR_SYSTEM);
  const auto host = out.To(7);
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(host[0].Type(), PKT_SOLAR_SYSTEM) << "the host's own block is not sent back";
  EXPECT_EQ(out.Count(PKT_START), 2u) << "each start sequence's last packet, and no second room end";
}

// A host that never answers holds the start up for a minute at most; the
// game then starts with the configuration the server holds.
TEST_F(SrvGameTest, AHostThatNeverAnswersIsWaitedForAMinute) {
  game.SetHost(7);
  game.Tick(10'000);
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 101)));
  ASSERT_TRUE(game.Receive(7, Claim(0, "A")));
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  game.Tick(69'999);
  EXPECT_FALSE(game.Started());
  game.Tick(70'000);
  EXPECT_TRUE(game.Started());
  EXPECT_EQ(game.World().chaptersPerGuild, 1);
  EXPECT_FALSE(game.Receive(7, Config(2, 20))) << "too late";
}

// Nobody plays: every chapter is the computer's, whose turns end as they
// begin, so the game runs a turn a tick with the clock standing still, and
// the game length ends it.
TEST_F(SrvGameTest, AGameWithoutHumanPlayersRunsItsTwentyTurnsWithoutTheClock) {
  game.SetHost(7);
  const auto [hulls, modules] = SrvTestRules();
  ASSERT_TRUE(game.UseRules(hulls, modules));
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 101)));
  ASSERT_TRUE(game.Receive(7, Claim(40, "")));
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_AUTOSAVE)));
  ASSERT_TRUE(game.Receive(7, Small(PKT_START)));
  SrvSetup setup;
  setup.config.SetU16(14, 1);
  setup.config.SetU16(16, 10);
  setup.config.SetU16(18, 60);  // an hour a turn, were anyone playing
  setup.config.SetU16(20, 4);   // biggest is best
  setup.config.SetU16(22, 20);
  ASSERT_TRUE(game.Receive(7, Bytes(setup.config)));
  ASSERT_TRUE(game.Started());
  int ticks = 0;
  for (; ticks < 100 && !game.Ended(); ++ticks) game.Tick(1000);
  EXPECT_TRUE(game.Ended());
  EXPECT_EQ(ticks, 20);
  EXPECT_EQ(game.World().turn, 20u);
}
