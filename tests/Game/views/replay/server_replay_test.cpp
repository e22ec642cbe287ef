// The replay file builder against the server's writer: the same battle,
// described as records, gives the same bytes, so the reader's tests read what
// real games store.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/files.h"
#include "server/battle/SrvBattleReplay.h"
#include "tests/support/scratch_drive.h"

namespace {

constexpr std::uint32_t kOwn = (9u << 26) | 1, kEnemy = (17u << 26) | 2, kLate = (17u << 26) | 9;

class ServerReplayTest : public ::testing::Test {
 protected:
  ServerReplayTest() : game(9, 8) {
    g_gameData = &game;
    game.solarDB.CreateAsteroidArray(5);
    for (std::uint16_t i = 0; i < 5; ++i) game.solarDB.SetAsteroid(std::make_unique<CGAsteroid>(i));
    own = Unit(9, kOwn, {4, 10, -20, 30});
    enemy = Unit(17, kEnemy, {4, 100, 0, 0});
    late = Unit(17, kLate, {4, -1, 2, 3});
  }
  ~ServerReplayTest() override { g_gameData = nullptr; }

  CGUnit* Unit(std::uint8_t chapter, std::uint32_t id, const Location& at) {
    auto* design = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000 | id));
    design->unitClass = static_cast<std::uint8_t>(id & 3);
    game.templates.AddTemplate(design, chapter);
    return game.pieces.CreateUnit(design, &at, chapter, id);
  }
  static std::string Abbreviation(const CGUnit* u) {
    char text[8] = {};
    u->GetClassAbbreviation(text);
    return text;
  }

  CGameData game;
  CGUnit* own = nullptr;
  CGUnit* enemy = nullptr;
  CGUnit* late = nullptr;
};

TEST_F(ServerReplayTest, TheBuilderWritesWhatTheServerWrites) {
  SrvSpaceBattleResult result;
  SrvShot first;
  first.unitId = kOwn;
  first.from = {4, 10, -20, 30};
  first.weapon = 7;
  first.targetId = kEnemy;
  first.chance = -3;
  first.effectiveRange = true;
  first.partCount = 3;
  first.parts[0] = {kShotHit, 41, 2};
  first.parts[1] = {kShotShieldHeld, 9, 0};
  first.parts[2] = {kShotDestroyed, 1253, 5};
  SrvShot back;
  back.unitId = kEnemy;
  back.from = {4, 100, 0, 0};
  back.weapon = 2;
  back.targetId = kOwn;
  back.chance = 60;
  back.partCount = 1;
  back.parts[0] = {kShotMiss, 0, 0};
  result.rounds = {{first, back}, {}};
  result.acts = {{kActScan, kEnemy, 60, kOwn}, {kActLanding, kOwn, 61, 0}, {kActBombard, kEnemy, 63, 0xFFFF0004}};
  result.destroyed = {kEnemy};
  result.retreated = {kOwn};
  CGUnit* const units[] = {own, enemy};
  CGUnit* const joined[] = {late};
  const std::vector<std::uint8_t> server = BuildBattleReplay(4, units, result, joined);
  ASSERT_FALSE(Abbreviation(own).empty());
  ASSERT_NE(Abbreviation(own), Abbreviation(enemy));

  replay::ReplayBuilder r;
  r.Participants({9, 17}, 4)
      .Unit(kOwn, {4, 10, -20, 30}, Abbreviation(own))
      .Unit(kEnemy, {4, 100, 0, 0}, Abbreviation(enemy))
      .EndUnits();
  r.Move(kOwn, {4, 10, -20, 30}).Shot(7, kEnemy, 0xFFFFFFFD, 1).Hit(41, 2).Shield(9).Kill(1253, 5).End(10);
  r.Move(kEnemy, {4, 100, 0, 0}).Shot(2, kOwn, 60, 0).Miss().End(10);
  r.Code(1).Code(1).Code(11);
  r.Scan(kOwn, 60, kEnemy).Transport(false, kOwn, 61).AsteroidFire(kEnemy, 0xFFFF0004, 63);
  r.Destroyed(kEnemy, {{kEnemy, 1}}).Departure(kOwn).Joined(kLate, {4, -1, 2, 3}, Abbreviation(late)).Code(12);
  EXPECT_EQ(r.bytes(), server);

  // And the replay reader takes the server's file as it was meant.
  struct Scene : replay::ReplaySink {
    void AddUnit(const replay::UnitRecord& unit, bool joined) override { (joined ? late : start).push_back(unit.id); }
    bool HasUnit(std::uint32_t id) override {
      return std::count(start.begin(), start.end(), id) + std::count(late.begin(), late.end(), id) > 0;
    }
    void MoveUnit(std::uint32_t, const Location&, std::uint32_t) override { ++moves; }
    std::size_t QueueEvent(const replay::EventRecord& event) override {
      kinds.push_back(event.U8(replay::EventRecord::kKind));
      return kinds.size();
    }
    void WreckUnit(std::uint32_t id) override { wrecks.push_back(id); }
    std::vector<std::uint32_t> start, late, wrecks;
    std::vector<int> kinds;
    int moves = 0;
  } scene;
  quentest::ScratchDrive drive;
  drive.Write("4.rpl", std::string(server.begin(), server.end()));
  plat::FILE* f = plat::fopen(drive.Dos("4.rpl").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  replay::ReplayReader reader(f, scene);
  std::uint16_t asteroid = 0;
  ASSERT_TRUE(reader.ReadPreamble() && reader.ReadAsteroid(asteroid));
  EXPECT_EQ(asteroid, 4);
  reader.ReadStartUnits();
  EXPECT_EQ(scene.start, (std::vector<std::uint32_t>{kOwn, kEnemy}));
  EXPECT_TRUE(reader.ReadMovementPhase());
  EXPECT_EQ(scene.moves, 2);
  EXPECT_TRUE(reader.ReadMovementPhase()) << "a round without shots";
  EXPECT_FALSE(reader.ReadMovementPhase());
  EXPECT_EQ(reader.lastCode(), replay::kPhasesEnd);
  EXPECT_TRUE(reader.ReadBattleSection());
  EXPECT_EQ(scene.kinds, (std::vector<int>{'j', 'f', 4, 5, 9, 3, 7}));
  EXPECT_EQ(scene.wrecks, std::vector<std::uint32_t>{kEnemy});
  EXPECT_EQ(scene.late, std::vector<std::uint32_t>{kLate});
  plat::fclose(f);
}

}  // namespace
