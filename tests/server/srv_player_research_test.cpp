// What a player sends about its guild's research and designs: designs for
// its own slots, checked against what the guild has researched, and its
// share of the science bonus.
#include <gtest/gtest.h>

#include <vector>

#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/Packets.h"
#include "Game/rules/GUnitTem.h"
#include "server/SrvGame.h"
#include "server/SrvPacketRead.h"
#include "tests/server/srv_test_rules.h"

namespace {

struct Outbox : SrvOutbox {
  std::vector<std::pair<std::uint32_t, SrvPacket>> sent;
  void Send(std::uint32_t to, const SrvPacket& packet, bool) override { sent.emplace_back(to, packet); }
  std::vector<SrvPacket> Of(std::uint32_t to, std::uint16_t type) const {
    std::vector<SrvPacket> out;
    for (const auto& [who, p] : sent)
      if (who == to && ReadU16(p, 0) == type) out.push_back(p);
    return out;
  }
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

// Players 7 and 9 hold chapters 8 and 9 of guild 1, player 11 chapter 0.
struct SrvPlayerResearch : testing::Test {
  Outbox out;
  SrvLog log;
  SrvGame game{out, log, nullptr, 41, testing::TempDir()};
  static constexpr std::uint16_t kMine = 8;

  void SetUp() override {
    const auto [hulls, modules] = SrvTestRules();
    ASSERT_TRUE(game.UseRules(hulls, modules));
    for (std::uint32_t p : {7u, 9u, 11u}) game.PlayerJoined(p);
    PacketImage<40> config(PKT_GAME_CONFIG);
    config.Put<std::uint16_t>(14, 2);
    config.Put<std::uint16_t>(16, 20);
    ASSERT_TRUE(game.Receive(7, Bytes(config)));
    for (auto [player, chapter] : {std::pair{7u, 8}, {9u, 9}, {11u, 0}}) {
      PacketImage<48> claim(PKT_CHAPTER_CLAIM);
      claim.Put<std::uint16_t>(8, static_cast<std::uint16_t>(chapter));
      ASSERT_TRUE(game.Receive(player, Bytes(claim)));
    }
    ASSERT_TRUE(game.Receive(7, Bytes(PacketImage<12>(PKT_START))));
    out.sent.clear();
  }
  const SrvWorld& World() const { return game.World(); }
  void EndTurn() {
    for (std::uint32_t p : {7u, 9u, 11u}) {
      PacketImage<16> end(PKT_END_TURN);
      end.Put<std::uint32_t>(8, World().turn);
      ASSERT_TRUE(game.Receive(p, Bytes(end)));
    }
  }
};

// A Hauler (hull 0, four slots) of `chapter` for `slot`, the modules in its first slots.
std::vector<std::uint8_t> Design(std::uint16_t slot, std::vector<std::uint16_t> modules, std::uint8_t hull = 0,
                                 std::uint16_t chapter = 8) {
  PacketImage<124> p(PKT_TEMPLATE);
  p.Put<std::uint32_t>(8, (std::uint32_t{chapter} << 26) | 900);
  p.Put<std::uint16_t>(12, slot);
  p.Put<std::uint16_t>(14, chapter);
  p.SetText(16, 30, "Digger");
  p.Put<std::uint8_t>(46, hull);
  for (std::size_t s = 0; s < modules.size(); ++s) {
    p.Put<std::uint16_t>(48 + 2 * s, modules[s]);
    p.Put<std::uint8_t>(98 + s, 1);
  }
  return Bytes(p);
}

// 512 (hull false) or 513 for guild 1's slot `slot`.
std::vector<std::uint8_t> Bonus(bool hull, std::uint8_t slot, std::uint16_t item, std::uint16_t points) {
  PacketImage<20> p(hull ? PKT_HULL_SCIENCE_BONUS : PKT_MODULE_SCIENCE_BONUS);
  if (hull) p.Put<std::uint16_t>(8, 1);
  p.Put<std::uint8_t>(hull ? 10 : 8, slot);
  p.Put<std::uint16_t>(hull ? 12 : 10, item);
  p.Put<std::uint16_t>(hull ? 14 : 12, points);
  return Bytes(p);
}

}  // namespace

TEST_F(SrvPlayerResearch, APlayersOwnDesignOfResearchedPartsIsStoredPassedOnAndCanBeBuilt) {
  // The laser (4) and the cruiser hull (1) are not researched; the hauler has four slots.
  for (const auto& refused : {Design(5, {0, 4}), Design(5, {0}, 1), Design(5, {0, 1, 2, 3, 0}),
                              Design(5, {0}, 0, 9), Design(15, {0})})
    EXPECT_FALSE(game.Receive(7, refused));
  EXPECT_TRUE(out.sent.empty());

  ASSERT_TRUE(game.Receive(7, Design(5, {0, 1})));
  const CGUnitTemplate* stored = World().templates->GetTemplate(kMine, 5, 1);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->moduleCount, 2);
  for (std::uint32_t other : {9u, 11u}) ASSERT_EQ(out.Of(other, PKT_TEMPLATE).size(), 1u) << other;
  EXPECT_TRUE(out.Of(7, PKT_TEMPLATE).empty()) << "the sender holds it already";

  const CGUnit* builder = World().pieces->GetUnitAt(World().Chapter(kMine)->homeAsteroid, kMine, 0);
  UnitOrder build;
  build.type = ORDER_BUILD_SHIP;
  build.SetWord(0, stored->templateId);
  build.SetWord(1, kNoTargetId);
  EXPECT_TRUE(game.Receive(7, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));
}

TEST_F(SrvPlayerResearch, ADesignWhoseIdTheServerGaveAlreadyGetsAFreshOneAndItsSenderIsToldIt) {
  // A client's counter starts where the server's did: its first design takes
  // the id of the chapter's first starting design, which units still use.
  auto first = Design(5, {0, 1});
  first[8] = first[9] = first[10] = 0;
  const std::uint32_t taken = World().templates->GetTemplate(kMine, 0, 1)->templateId;
  ASSERT_EQ(ReadU32(first, 8), taken);
  ASSERT_TRUE(game.Receive(7, first));
  const CGUnitTemplate* stored = World().templates->GetTemplate(kMine, 5, 1);
  EXPECT_NE(stored->templateId, taken);
  EXPECT_EQ(World().templates->FindTemplateById(stored->templateId), stored);
  ASSERT_EQ(out.Of(7, PKT_TEMPLATE).size(), 1u) << "the sender learns the new id";
  EXPECT_EQ(ReadU32(out.Of(7, PKT_TEMPLATE)[0], 8), stored->templateId);
  // An unused id is kept, and nothing the server makes takes it afterwards.
  ASSERT_TRUE(game.Receive(7, Design(6, {0, 1})));
  const std::uint32_t kept = World().templates->GetTemplate(kMine, 6, 1)->templateId;
  EXPECT_EQ(kept, (std::uint32_t{kMine} << 26) | 900);
  EXPECT_GT(World().Chapter(kMine)->nextObjectId, kept);
}

TEST_F(SrvPlayerResearch, TheScienceBonusIsTheStandingsLimitAndSpeedsTheResearchItIsGiven) {
  EndTurn();
  const std::uint16_t limit = ReadU16(out.Of(7, PKT_TURN_STANDINGS).back(), 14 + 8 * kMine);
  EXPECT_EQ(limit, 5 + World().Chapter(kMine)->GetTrait(12)) << "one owned asteroid";

  // Chapter 8 (slot 0) gives the laser all but one point and the cruiser
  // hull the last; nothing passes the limit; a guild mate's slot is its own.
  ASSERT_TRUE(game.Receive(7, Bonus(false, 0, 4, static_cast<std::uint16_t>(limit - 1))));
  EXPECT_FALSE(game.Receive(7, Bonus(true, 0, 1, 2)));
  ASSERT_TRUE(game.Receive(7, Bonus(true, 0, 1, 1)));
  EXPECT_FALSE(game.Receive(7, Bonus(false, 1, 4, 1)));
  ASSERT_TRUE(game.Receive(9, Bonus(false, 1, 4, 3)));

  ASSERT_TRUE(game.Save("bonus.svr", 77));
  ASSERT_TRUE(game.Receive(7, Bonus(false, 0, 4, 0))) << "points are always given back";
  ASSERT_TRUE(game.Load("bonus.svr", 77));
  EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[4], 20u * (limit - 1 + 3)) << "a point counts as a percent";
  EXPECT_EQ(World().research[1].hullPoints[1], 20u);
}
