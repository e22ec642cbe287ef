// Guild politics: votes weighted by the asteroids a member controls,
// renegades, imperators, the interregnum and eliminations, with the packets
// and notifications the clients read.
#include <gtest/gtest.h>

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvVotes.h"
#include "server/battle/SrvBattlePackets.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::NoticeCodes;
using srv_ai_test::OfType;
using srv_ai_test::WorldGame;

constexpr std::uint16_t kImperatorAndInterregnum = 1 | 8 | 16;

// Guild 0 of three chapters: chapter 0 holds 3 votes, chapters 1 and 2 one
// each; an imperator needs `imperatorPercent` of the votes.
struct ThreeMembers : WorldGame {
  explicit ThreeMembers(std::uint16_t conditions = 1, std::uint16_t imperatorPercent = 0)
      : WorldGame(3, 40, conditions) {
    GiveAsteroids(0, 2);
    if (imperatorPercent != 0) setup.config.SetU16(26, imperatorPercent);
  }
};

TEST(SrvPolitics, RenegadeVotesCountTheVotersAsteroidsAndNeedMoreThanHalf) {
  ThreeMembers game;
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 1, 0, 1));
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 2, 0, 1));
  auto turn = game.Politics();
  EXPECT_EQ(game.Chapter(0).renegade, 0u) << "2 of 5 votes";
  const auto votes = OfType(turn, 1, PKT_GUILD_VOTES);
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes[0].size(), 100u);
  EXPECT_EQ(votes[0][10], 2);              // against chapter 0
  EXPECT_EQ(votes[0][18], 3);              // held by chapter 0
  EXPECT_EQ(votes[0][26 + 8 * 1 + 0], 1);  // chapter 1's vote about slot 0
  EXPECT_EQ(ReadU16(votes[0], 98), 5u);
  const auto theirs = OfType(turn, 8, PKT_GUILD_VOTES);
  ASSERT_EQ(theirs.size(), 1u) << "another guild's votes stay in the guild";
  EXPECT_EQ(ReadU16(theirs[0], 8), 1u);

  game.GiveAsteroids(2, 1);  // 3 of 6 are not more than half
  auto second = game.Politics();
  EXPECT_EQ(game.Chapter(0).renegade, 0u);
  game.GiveAsteroids(1, 1);  // 4 of 7
  auto third = game.Politics();
  EXPECT_EQ(game.Chapter(0).renegade, 1u);
  for (std::uint16_t member : {0, 1, 2}) EXPECT_EQ(NoticeCodes(third, member), std::vector<std::uint16_t>{601});
  EXPECT_EQ(ReadU32(OfType(third, 2, 1500)[0], 144), 0u) << "parameter 2 names chapter 0";

  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 1, 0, 0));
  auto fourth = game.Politics();
  EXPECT_EQ(game.Chapter(0).renegade, 0u);
  EXPECT_EQ(NoticeCodes(fourth, 0), (std::vector<std::uint16_t>{604, 602})) << "the withdrawn vote, then loyal again";
}

TEST(SrvPolitics, VotesOutsideTheRulesAreRefusedAndChangeNothing) {
  ThreeMembers game(kImperatorAndInterregnum);
  EXPECT_FALSE(SrvTakeRenegadeVote(game.world, 1, 1, 1)) << "about itself";
  EXPECT_FALSE(SrvTakeRenegadeVote(game.world, 1, 3, 1)) << "slot outside a guild of three";
  EXPECT_FALSE(SrvTakeImperatorVote(game.world, 1, 3));
  EXPECT_FALSE(SrvTakeRenegadeVote(game.world, 3, 0, 1)) << "chapter 3 is not in a game of three per guild";
  game.Chapter(2).stateFlag = kSrvChapterOut;
  EXPECT_FALSE(SrvTakeImperatorVote(game.world, 2, 0)) << "an eliminated chapter";
  game.world.guilds->GetGuild(0)->interregnum = 1;
  EXPECT_FALSE(SrvTakeRenegadeVote(game.world, 1, 0, 1)) << "set aside in an interregnum";
  EXPECT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  for (int s = 0; s < 3; ++s) EXPECT_EQ(game.Chapter(1).renegadeVotes[s], 0u);

  PacketImage<16> renegade(PKT_RENEGADE_VOTE);
  renegade.SetU16(8, 0);
  renegade.SetU16(10, 1);
  renegade.SetU16(12, 1);
  game.world.guilds->GetGuild(0)->interregnum = 0;
  const SrvPacket bytes(renegade.bytes.begin(), renegade.bytes.end());
  EXPECT_FALSE(SrvTakeVotePacket(game.world, 2, bytes)) << "a vote in another chapter's name";
  EXPECT_FALSE(SrvTakeVotePacket(game.world, 0, std::span(bytes).first(13)));
  EXPECT_TRUE(SrvTakeVotePacket(game.world, 0, bytes));
  EXPECT_EQ(game.Chapter(0).renegadeVotes[1], 1u);
}

TEST(SrvPolitics, ImperatorBackingIsToldToTheMembersItMovesBetween) {
  ThreeMembers game(kImperatorAndInterregnum);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 1));
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  auto turn = game.Politics();
  EXPECT_EQ(NoticeCodes(turn, 1), (std::vector<std::uint16_t>{605, 606}));
  EXPECT_EQ(NoticeCodes(turn, 0), std::vector<std::uint16_t>{605});
  EXPECT_EQ(ReadU16(OfType(turn, 0, 1500)[0], 140), 2u) << "parameter 1 the voter's slot";
  EXPECT_TRUE(NoticeCodes(turn, 2).empty()) << "backing itself at the start told nobody";
  EXPECT_EQ(OfType(turn, 0, PKT_GUILD_VOTES)[0][90 + 2], 0) << "chapter 2's imperator vote";
}

TEST(SrvPolitics, AnImperatorWhoLosesTheShareLeavesAnInterregnumUntilAnotherHasIt) {
  ThreeMembers game(kImperatorAndInterregnum, 90);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  auto first = game.Politics();
  EXPECT_NE(game.Chapter(0).stateFlag, kSrvChapterImperator) << "4 of 5 votes, 90 percent needed";
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  auto second = game.Politics();
  EXPECT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
  EXPECT_TRUE(OfType(second, 0, PKT_INTERREGNUM_START).empty());

  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 2));
  game.GiveAsteroids(2, 1);  // chapter 0 keeps 4 of 6
  auto third = game.Politics();
  EXPECT_EQ(game.Chapter(0).stateFlag, kSrvChapterInPlay);
  const CGuild& guild = *game.world.guilds->GetGuild(0);
  EXPECT_EQ(guild.interregnum, 1u);
  for (std::uint16_t anyone : {0, 8, 39}) {
    const auto start = OfType(third, anyone, PKT_INTERREGNUM_START);
    ASSERT_EQ(start.size(), 1u) << anyone;
    EXPECT_EQ(ReadU16(start[0], 8), 0u);
    EXPECT_EQ(start[0][10], 0) << "the leader holds the most votes";
    EXPECT_EQ(start[0][12 + 1], 1) << "chapter 1 backs the leader";
    EXPECT_EQ(start[0][12 + 2], 0);
  }
  EXPECT_EQ(game.Chapter(1).camp, game.Chapter(0).camp);
  EXPECT_NE(game.Chapter(2).camp, game.Chapter(0).camp) << "the camps are enemies";
  EXPECT_FALSE(game.Chapter(0).IsAlliedWith(0, 2));

  auto fourth = game.Politics();
  EXPECT_TRUE(OfType(fourth, 0, PKT_INTERREGNUM_START).empty()) << "told once";
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  auto fifth = game.Politics();
  EXPECT_EQ(OfType(fifth, 24, PKT_INTERREGNUM_END).size(), 1u);
  EXPECT_EQ(guild.interregnum, 0u);
  EXPECT_EQ(game.Chapter(2).camp, 0u);
  EXPECT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
}

// Every turn the clients take each member's renegade flag from the votes
// against it that 401 carries (more than half of the total): that turn's
// flags on the server must be the same, also in the turn an interregnum
// ends, when the renegade votes set aside come back.
TEST(SrvPolitics, TheRenegadesTheClientsReadFromTheVotesAreTheServersEveryTurn) {
  ThreeMembers game(kImperatorAndInterregnum, 90);
  auto agree = [&](const SrvTurnContext& turn, const char* when) {
    const auto votes = OfType(turn, 0, PKT_GUILD_VOTES);
    ASSERT_EQ(votes.size(), 1u) << when;
    for (int s = 0; s < 3; ++s)
      EXPECT_EQ(2 * votes[0][10 + s] > ReadU16(votes[0], 98) ? 1u : 0u,
                game.Chapter(static_cast<std::uint16_t>(s)).renegade)
          << when << ", slot " << s;
  };
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 0, 2, 1));
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 1, 2, 1));
  auto crowned = game.Politics();
  ASSERT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
  agree(crowned, "crowned");
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 2));
  game.GiveAsteroids(2, 1);
  auto fallen = game.Politics();
  ASSERT_EQ(game.world.guilds->GetGuild(0)->interregnum, 1u);
  agree(fallen, "interregnum");
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  auto ended = game.Politics();
  ASSERT_EQ(game.world.guilds->GetGuild(0)->interregnum, 0u);
  agree(ended, "interregnum over");
  auto after = game.Politics();
  agree(after, "the turn after");
  EXPECT_EQ(game.Chapter(2).renegade, 1u) << "4 of 6 against it count again";
}

TEST(SrvPolitics, TheInterregnumLeaderLeadsItsOwnCampWhomeverItBacks) {
  ThreeMembers game(kImperatorAndInterregnum, 90);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
  auto first = game.Politics();
  ASSERT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
  // Chapter 0, holding most, and chapter 2 back chapter 2, who has 4 of 5.
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 0, 2));
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 2));
  auto second = game.Politics();
  const auto start = OfType(second, 0, PKT_INTERREGNUM_START);
  ASSERT_EQ(start.size(), 1u);
  EXPECT_EQ(start[0][10], 0);
  EXPECT_EQ(start[0][12 + 0], 1) << "the leader is in the camp of its backers";
  EXPECT_EQ(game.Chapter(0).camp, game.Chapter(1).camp);
  EXPECT_NE(game.Chapter(0).camp, game.Chapter(2).camp);
}

TEST(SrvPolitics, WithoutTheInterregnumRuleALostImperatorLeavesNoInterregnum) {
  ThreeMembers game(1 | 8, 60);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  auto first = game.Politics();
  ASSERT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
  game.GiveAsteroids(2, 3);  // 4 of 8
  auto second = game.Politics();
  EXPECT_EQ(game.Chapter(0).stateFlag, kSrvChapterInPlay);
  EXPECT_EQ(game.world.guilds->GetGuild(0)->interregnum, 0u);
  EXPECT_TRUE(OfType(second, 0, PKT_INTERREGNUM_START).empty());
}

TEST(SrvPolitics, AChapterWithoutAsteroidsOrUnitsIsOutAndEveryoneIsTold) {
  ThreeMembers game;
  game.Strip(1);
  auto turn = game.Politics();
  EXPECT_EQ(game.Chapter(1).stateFlag, kSrvChapterOut);
  for (std::uint16_t c : {0, 1, 8, 34}) {
    ASSERT_EQ(NoticeCodes(turn, c), std::vector<std::uint16_t>{409}) << c;
    EXPECT_EQ(ReadU32(OfType(turn, c, 1500)[0], 144), 1u);
  }
  EXPECT_EQ(OfType(turn, 0, PKT_GUILD_VOTES)[0][18 + 1], 0) << "holds no vote";
  auto next = game.Politics();
  EXPECT_TRUE(NoticeCodes(next, 0).empty()) << "eliminated once";
}

// The clients take a member's renegade flag from the votes against it that
// 401 carries: an eliminated renegade is one no longer, on their screens as
// on the server.
TEST(SrvPolitics, VotesAgainstAnEliminatedMemberNoLongerCount) {
  ThreeMembers game;
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 0, 1, 1));
  auto first = game.Politics();
  ASSERT_EQ(game.Chapter(1).renegade, 1u) << "3 of 5";
  game.Strip(1);
  auto turn = game.Politics();
  ASSERT_EQ(game.Chapter(1).stateFlag, kSrvChapterOut);
  EXPECT_EQ(game.Chapter(1).renegade, 0u);
  const auto votes = OfType(turn, 0, PKT_GUILD_VOTES);
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes[0][10 + 1], 0);

  CGameData client(0, 3);
  g_gameData = &client;
  client.guildList->GetChapter(1)->renegade = 1;
  EXPECT_TRUE(HandlePacket(nullptr, votes[0], 0));
  EXPECT_EQ(client.guildList->GetChapter(1)->renegade, 0u);
  g_gameData = nullptr;
}

TEST(SrvAsteroidControl, TheChapterHoldingMostZonesTakesTheAsteroid) {
  WorldGame game(1, 40, 1);
  const std::uint16_t home = game.Chapter(8).homeAsteroid;
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  ASSERT_GE(a.GetZoneCount(), 3);
  a.GetZone(1)->SetOwner(16);
  auto tie = game.Politics();
  EXPECT_EQ(a.controller, 8u) << "one zone each keeps the controller";
  a.GetZone(2)->SetOwner(16);
  auto turn = game.Politics();
  EXPECT_EQ(a.controller, 16u);
  EXPECT_EQ(a.owner, 16u);
  EXPECT_EQ(game.Chapter(16).GetOwnedAsteroidCount(), 2u);
  EXPECT_EQ(NoticeCodes(turn, 16), (std::vector<std::uint16_t>{407, 409}));
  EXPECT_EQ(NoticeCodes(turn, 8), (std::vector<std::uint16_t>{408, 409})) << "and out with it";
  EXPECT_EQ(ReadU32(OfType(turn, 8, 1500)[0], 144), home);
  EXPECT_EQ(OfType(turn, 0, PKT_ASTEROID_OWNER).size(), 1u);
}

// A client told of a new controller ends with every zone as the server holds
// it, whatever it was told of the zones before: a contested asteroid keeps
// the loser's zones the loser's; a free one settled by a landing (told while
// nobody owned it) is the lander's.
TEST(SrvAsteroidControl, TheClientsZonesMatchTheServersAfterControlChanges) {
  std::vector<SrvPacket> sent;
  std::vector<std::uint16_t> asteroids;
  std::vector<std::vector<std::uint8_t>> serverOwners;
  {
    WorldGame game(1, 40, 1);
    game.GiveAsteroids(8, 1);
    sent = BuildStartSequence(game.world, 8, std::vector<std::string>(kMaxChapters, "Chapter"));
    CGAsteroid& contested = *game.world.solar.GetAsteroid(game.Chapter(8).homeAsteroid);
    ASSERT_GE(contested.GetZoneCount(), 3);
    contested.GetZone(0)->SetAtvCounts(0, 2, 0, 0);
    for (std::uint16_t z : {1, 2}) {
      contested.GetZone(z)->SetOwner(16);
      contested.GetZone(z)->SetAtvCounts(1, 0, 0, 0);
    }
    // As the battles tell the zones they change.
    for (std::uint16_t z : {0, 1, 2}) sent.push_back(BuildZonePacket(contested.id, *contested.GetZone(z)));
    CGAsteroid* settled = nullptr;
    for (std::uint16_t i = 0; settled == nullptr; ++i)
      if (game.world.solar.GetAsteroid(i)->controller == kNoChapter) settled = game.world.solar.GetAsteroid(i);
    settled->GetZone(0)->SetOwner(8);
    settled->GetZone(0)->SetAtvCounts(0, 1, 0, 0);
    // As the landing tells it.
    sent.push_back(BuildAsteroidPacket(*settled));
    auto turn = game.Politics();
    ASSERT_EQ(contested.controller, 16u);
    ASSERT_EQ(settled->controller, 8u);
    sent.insert(sent.end(), turn.toChapter[8].begin(), turn.toChapter[8].end());
    for (const CGAsteroid* a : {static_cast<const CGAsteroid*>(&contested), static_cast<const CGAsteroid*>(settled)}) {
      asteroids.push_back(a->id);
      serverOwners.emplace_back();
      for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) serverOwners.back().push_back(a->GetZone(z)->owner);
    }
  }
  CGameData client(8, 1);
  g_gameData = &client;
  for (const SrvPacket& p : sent) EXPECT_TRUE(HandlePacket(nullptr, p, 0)) << ReadU16(p, 0);
  EXPECT_EQ(client.solarDB.GetAsteroid(asteroids[0])->controller, 16u);
  EXPECT_EQ(client.solarDB.GetAsteroid(asteroids[1])->owner, 8u);
  for (std::size_t i = 0; i < asteroids.size(); ++i) {
    const CGAsteroid& seen = *client.solarDB.GetAsteroid(asteroids[i]);
    for (std::uint16_t z = 0; z < serverOwners[i].size(); ++z)
      EXPECT_EQ(seen.GetZone(z)->owner, serverOwners[i][z]) << "asteroid " << asteroids[i] << " zone " << z;
  }
  g_gameData = nullptr;
}

// What a client of guild 0 is sent, from the start through an interregnum,
// applied by the client's own dispatcher to its model: nothing is refused and
// its guild ends as the server's.
TEST(SrvPoliticsClient, TheClientsModelFollowsTheGuildThroughAnInterregnum) {
  std::vector<SrvPacket> sent;
  std::uint32_t serverCamps[3] = {}, serverRenegade[3] = {};
  {
    ThreeMembers game(kImperatorAndInterregnum, 90);
    std::vector<std::string> names(kMaxChapters, "Chapter");
    sent = BuildStartSequence(game.world, 1, names);
    auto play = [&] {
      auto turn = game.Politics();
      sent.insert(sent.end(), turn.toChapter[1].begin(), turn.toChapter[1].end());
    };
    ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
    ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 0));
    play();
    ASSERT_TRUE(SrvTakeImperatorVote(game.world, 2, 2));
    ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 2, 1, 1));
    play();
    ASSERT_EQ(game.world.guilds->GetGuild(0)->interregnum, 1u);
    for (int s = 0; s < 3; ++s) {
      serverCamps[s] = game.Chapter(static_cast<std::uint16_t>(s)).camp;
      serverRenegade[s] = game.Chapter(static_cast<std::uint16_t>(s)).renegade;
    }
  }
  CGameData client(1, 3);
  g_gameData = &client;
  for (const SrvPacket& p : sent) EXPECT_TRUE(HandlePacket(nullptr, p, 0)) << ReadU16(p, 0);
  const CGuild& guild = *client.guildList->GetGuild(0);
  EXPECT_EQ(guild.interregnum, 1u);
  EXPECT_EQ(guild.votesHeld[0], 3);
  EXPECT_EQ(guild.totalVotes, 5u);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(guild.GetChapter(s)->camp, serverCamps[s]) << s;
    EXPECT_EQ(guild.GetChapter(s)->renegade, serverRenegade[s]) << s;
  }
  EXPECT_EQ(client.guildList->GetChapter(2)->imperatorVotes[2], 1u);
  EXPECT_EQ(client.guildList->GetChapter(2)->renegadeVotes[1], 1u);
  g_gameData = nullptr;
}

}  // namespace
