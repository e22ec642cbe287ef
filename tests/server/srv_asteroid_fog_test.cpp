// Fog of war over the asteroids: what each client is told of an asteroid's
// make-up, control and zones at each fog level, and as asteroids come into
// view and leave it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/world/SrvAsteroidNews.h"
#include "server/world/SrvFog.h"
#include "tests/server/srv_game_fixture.h"

namespace {

constexpr std::uint16_t kMine = 8;
// The fog-of-war presets, levels 0 (off) to 2, for the settings at 36 to 46.
constexpr std::uint16_t kFogPresets[3][6] = {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0}, {2, 2, 1, 1, 1, 1}};

SrvSetup FogSetup(int level) {
  SrvSetup setup;
  setup.config.SetU16(14, 2);
  setup.config.SetU16(16, 30);
  for (int k = 0; k < 6; ++k) setup.settings.SetU16(36 + 2 * k, kFogPresets[level][k]);
  return setup;
}

bool Guilds(const CGAsteroid& a) { return a.owner < kMaxChapters && (a.owner >> 3) == (kMine >> 3); }

// The record's fields a fog may hide: owner to automanage, make-up, zones.
bool ControlHidden(const SrvPacket& p) {
  return ReadU16(p, 10) == kNoChapter && ReadU16(p, 14) == kNoChapter &&
         std::all_of(p.begin() + 116, p.end(), [](std::uint8_t b) { return b == 0; });
}
bool MakeUpHidden(const SrvPacket& p) { return p[58] == 0 && p[60] == 0 && p[61] == 0 && p[62] == 0; }

// The seeded world the fog's comings and goings are played in.
void GenerateHardFogWorld(const SrvSetup& setup, SrvWorld& world) {
  const auto [hulls, modules] = SrvTestRules();
  ASSERT_TRUE(world.UseRules(hulls, modules));
  world.Generate(setup, 17, nullptr);
}

// A hard-level world as the local chapter's start showed it, and the first
// asteroid of another guild the start kept from view.
struct HiddenAsteroidStart {
  SrvSetup setup = FogSetup(2);
  SrvWorld world;
  SrvFogRules fog = SrvFogRules::From(setup);
  SrvUnitSight sight;
  std::vector<SrvPacket> start;
  CGAsteroid* far = nullptr;
};

void StartWithAHiddenAsteroid(HiddenAsteroidStart& s) {
  ASSERT_NO_FATAL_FAILURE(GenerateHardFogWorld(s.setup, s.world));
  s.start = BuildStartSequence(s.world, kMine, std::vector<std::string>(kMaxChapters));
  s.sight.Filter(s.world, s.fog, kMine, s.start);
  for (const SrvPacket& p : s.start)
    if (ReadU16(p, 0) == PKT_ASTEROID_WITH_ZONES && ControlHidden(p)) {
      s.far = s.world.solar.GetAsteroid(ReadU16(p, 8));
      break;
    }
  ASSERT_NE(s.far, nullptr);
}

}  // namespace

TEST(SrvAsteroidFog, EachFogLevelTellsTheStartWhatTheChapterMayKnowAndAlwaysTheOrbit) {
  for (int level = 0; level < 3; ++level) {
    SCOPED_TRACE(level);
    RecordingOutbox out;
    SrvLog log;
    const quentest::TempDir dir("quen_srv_fog");
    SrvGame game(out, log, nullptr, 17, FolderPath(dir));
    const SrvSetup setup = FogSetup(level);
    StartTestGame(game, {{7, kMine}}, 2, &setup);
    const auto records = out.Of(7, PKT_ASTEROID_WITH_ZONES);
    ASSERT_EQ(records.size(), 20u);
    int controlHidden = 0, makeUpHidden = 0;
    for (const SrvPacket& told : records) {
      const CGAsteroid& a = *game.World().solar.GetAsteroid(ReadU16(told, 8));
      const SrvPacket whole = BuildAsteroidPacket(a);
      // The name, size, orbit and rings: always as they are.
      EXPECT_TRUE(std::equal(told.begin() + 17, told.begin() + 58, whole.begin() + 17)) << a.id;
      EXPECT_TRUE(std::equal(told.begin() + 63, told.begin() + 116, whole.begin() + 63)) << a.id;
      if (level == 0 || Guilds(a)) {
        EXPECT_EQ(told, whole) << a.id;
        continue;
      }
      if (ControlHidden(told)) {
        ++controlHidden;
        EXPECT_EQ(level, 2) << a.id;
      } else {
        EXPECT_TRUE(std::equal(told.begin() + 116, told.end(), whole.begin() + 116)) << a.id;
        EXPECT_EQ(ReadU16(told, 10), a.owner);
      }
      EXPECT_TRUE(MakeUpHidden(told)) << a.id << ": only the guild's asteroids start scanned";
      makeUpHidden += MakeUpHidden(whole) ? 0 : 1;
    }
    EXPECT_GT(makeUpHidden, level == 0 ? -1 : 10);
    if (level == 2) {
      // The other guilds' homes lie far from this chapter's.
      int hiddenHomes = 0;
      for (std::uint16_t c : {0, 1, 16, 17, 24, 25, 32, 33}) {
        const std::uint16_t home = game.World().Chapter(c)->homeAsteroid;
        for (const SrvPacket& told : records)
          if (ReadU16(told, 8) == home) hiddenHomes += ControlHidden(told) ? 1 : 0;
      }
      EXPECT_GE(hiddenHomes, 6);
      EXPECT_GE(controlHidden, hiddenHomes);
    }
  }
}

TEST(SrvAsteroidFog, ControlAndZonesReachAChapterOnlyWhileItIsPresentAtTheHardLevel) {
  HiddenAsteroidStart hidden;
  ASSERT_NO_FATAL_FAILURE(StartWithAHiddenAsteroid(hidden));
  SrvWorld& world = hidden.world;
  const SrvFogRules& fog = hidden.fog;
  SrvUnitSight& sight = hidden.sight;
  CGAsteroid* far = hidden.far;
  ASSERT_GE(far->GetZoneCount(), 2);
  CGZone& zone = *far->GetZone(1);

  auto filtered = [&](std::vector<SrvPacket> queue, const SrvFogRules& rules) {
    sight.Filter(world, rules, kMine, queue);
    std::vector<std::uint16_t> types;
    for (const SrvPacket& p : queue)
      if (ReadU16(p, 8) == far->id) types.push_back(ReadU16(p, 0));
    return types;
  };
  const std::vector<SrvPacket> news = {BuildAsteroidControlPacket(*far), BuildZonePacket(far->id, zone)};
  EXPECT_TRUE(filtered(news, fog).empty()) << "out of view: neither its control nor its zones";

  // The chapter lands on a zone: the asteroid is told whole, then kept up to date.
  zone.SetOwner(kMine);
  std::vector<std::uint16_t> whole = {PKT_ASTEROID_OWNER};
  whole.insert(whole.end(), far->GetZoneCount(), PKT_ASTEROID_ZONES);
  EXPECT_EQ(filtered({}, fog), whole);
  EXPECT_EQ(filtered(news, fog), (std::vector<std::uint16_t>{PKT_ASTEROID_OWNER, PKT_ASTEROID_ZONES}));

  // It leaves: the zone it held is told once as it now stands; the asteroid
  // stays on its map, but its control is known only with a presence.
  zone.SetOwner(kZoneNobody);
  EXPECT_EQ(filtered(news, fog), (std::vector<std::uint16_t>{PKT_ASTEROID_ZONES}));
  EXPECT_TRUE(filtered(news, fog).empty());
  // What the chapter scans is its own to know wherever it is.
  PacketImage<14> scan(PKT_ASTEROID_POWER);
  scan.Put<std::uint16_t>(8, far->id);
  EXPECT_EQ(filtered({SrvPacket(scan.bytes.begin(), scan.bytes.end())}, fog),
            (std::vector<std::uint16_t>{PKT_ASTEROID_POWER}));

  // At the first level control is always known: the asteroid comes back
  // into view whole (its news in it), and its news pass from then on.
  const SrvFogRules open = SrvFogRules::From(FogSetup(1));
  EXPECT_EQ(filtered(news, open), whole);
  EXPECT_EQ(filtered(news, open), (std::vector<std::uint16_t>{PKT_ASTEROID_OWNER, PKT_ASTEROID_ZONES}));
}

// A changed record (120) of an asteroid out of view tells the chapter its new
// name, size and orbit, with the motion as the news took it, but its
// control, automanage flag and make-up stay hidden as in the start's record.
TEST(SrvAsteroidFog, AChangedRecordOutOfViewKeepsItsControlAndMakeUpHidden) {
  HiddenAsteroidStart hidden;
  ASSERT_NO_FATAL_FAILURE(StartWithAHiddenAsteroid(hidden));
  SrvWorld& world = hidden.world;
  const SrvFogRules& fog = hidden.fog;
  SrvUnitSight& sight = hidden.sight;
  CGAsteroid* far = hidden.far;
  far->owner = far->controller = 16;
  far->automanage = 1;
  far->composition = 3;
  far->spin = far->thermal = far->kinetic = 2;
  far->SetName("Renamed");
  SrvPacket news = BuildAsteroidRecordPacket(*far);
  ASSERT_EQ(news.size(), 116u);
  news[80] ^= 0x40;  // the angle as the news took it, before the orbits advance

  std::vector<SrvPacket> queue = {news};
  sight.Filter(world, fog, kMine, queue);
  ASSERT_EQ(queue.size(), 1u);
  const SrvPacket& told = queue[0];
  ASSERT_EQ(told.size(), 116u);
  EXPECT_EQ(ReadU16(told, 0), PKT_ASTEROID);
  EXPECT_EQ(ReadU16(told, 8), far->id);
  EXPECT_TRUE(ControlHidden(told));
  EXPECT_EQ(ReadU16(told, 12), kNoChapter) << "nor who held it before";
  EXPECT_EQ(told[16], 0) << "automanaged";
  EXPECT_TRUE(MakeUpHidden(told));
  EXPECT_TRUE(std::equal(told.begin() + 17, told.begin() + 58, news.begin() + 17)) << "the name and size";
  EXPECT_EQ(told[59], news[59]) << "the orbit kind";
  EXPECT_TRUE(std::equal(told.begin() + 63, told.end(), news.begin() + 63)) << "the orbit and its motion";

  // The guild's own asteroid is told as it is.
  far->owner = far->controller = kMine + 1;
  queue = {BuildAsteroidRecordPacket(*far)};
  sight.Filter(world, fog, kMine, queue);
  ASSERT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue[0], BuildAsteroidRecordPacket(*far));
}

// A chapter that loses an asteroid together with its last zone there is told
// it holds it no longer, though not who took it; a chapter of a third guild,
// out of view throughout, hears nothing.
TEST(SrvAsteroidFog, AnAsteroidTakenWithTheChaptersLastZoneIsToldAsNoLongerItsOwn) {
  const SrvSetup setup = FogSetup(2);
  SrvWorld world;
  ASSERT_NO_FATAL_FAILURE(GenerateHardFogWorld(setup, world));
  const SrvFogRules fog = SrvFogRules::From(setup);
  SrvUnitSight sight;
  CGAsteroid* far = nullptr;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount() && far == nullptr; ++i) {
    CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a->owner < kMaxChapters && (a->owner >> 3) != (kMine >> 3) && a->GetZoneCount() >= 2) far = a;
  }
  ASSERT_NE(far, nullptr);
  const std::uint16_t taker = far->owner;
  const std::uint16_t kOther = (taker >> 3) == 2 ? 24 : 16;
  for (std::uint16_t c : {kMine, kOther}) {
    auto start = BuildStartSequence(world, c, std::vector<std::string>(kMaxChapters));
    sight.Filter(world, fog, c, start);
  }
  CGZone& zone = *far->GetZone(1);
  auto told = [&](std::uint16_t chapter) {
    std::vector<SrvPacket> queue = {BuildAsteroidControlPacket(*far), BuildZonePacket(far->id, zone)};
    sight.Filter(world, fog, chapter, queue);
    std::vector<SrvPacket> about;
    for (const SrvPacket& p : queue)
      if (ReadU16(p, 8) == far->id) about.push_back(p);
    return about;
  };
  // The chapter takes it and is kept up to date.
  zone.SetOwner(kMine);
  far->SetOwner(kMine);
  far->SetController(kMine);
  ASSERT_FALSE(told(kMine).empty());
  ASSERT_TRUE(told(kOther).empty()) << "out of its view";

  // Taken back with the chapter's zone: control with no name in it, and
  // the zone it fought for as it stands.
  zone.SetOwner(static_cast<std::uint8_t>(taker));
  far->SetOwner(taker);
  far->SetController(taker);
  const std::vector<SrvPacket> lost = told(kMine);
  ASSERT_EQ(lost.size(), 2u);
  EXPECT_EQ(ReadU16(lost[0], 0), PKT_ASTEROID_OWNER);
  EXPECT_EQ(ReadU16(lost[0], 10), kNoChapter);
  EXPECT_EQ(ReadU16(lost[0], 12), kNoChapter);
  EXPECT_EQ(lost[1], BuildZonePacket(far->id, zone));
  EXPECT_TRUE(told(kMine).empty()) << "once";
  EXPECT_TRUE(told(kOther).empty());
}

// A chapter that falls on the game's last turn, its home taken out of its
// view, hears of the loss before the game's end, whose dialogs its client
// shows at once (the high-score row counts the asteroids it then holds).
TEST(SrvAsteroidFog, AChapterFallingOnTheLastTurnHearsItsHomeLostBeforeTheEnd) {
  RecordingOutbox out;
  SrvLog log;
  const quentest::TempDir dir("quen_srv_fog_end");
  SrvGame game(out, log, nullptr, 17, FolderPath(dir));
  const SrvSetup setup = FogSetup(2);
  StartTestGame(game, {{7, kMine}}, 2, &setup);
  SrvWorld& world = const_cast<SrvWorld&>(game.World());
  const std::uint16_t home = world.Chapter(kMine)->homeAsteroid;
  std::vector<std::uint32_t> units;
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.GetChapter() == kMine) units.push_back(u.id);
  });
  for (std::uint32_t id : units) world.pieces->DeleteUnit(id);
  CGAsteroid& a = *world.solar.GetAsteroid(home);
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == kMine) a.GetZone(z)->SetOwner(16);
  out.sent.clear();
  EndTestTurn(game, {{7, kMine}});
  const std::vector<Sent> sent = out.To(7);
  const auto end = std::find_if(sent.begin(), sent.end(), [](const Sent& s) { return s.Type() == PKT_GAME_OVER; });
  ASSERT_NE(end, sent.end()) << "the player's only chapter is out";
  const auto lost = std::find_if(sent.begin(), sent.end(), [&](const Sent& s) {
    return s.Type() == PKT_ASTEROID_OWNER && ReadU16(s.packet, 8) == home && ReadU16(s.packet, 10) == kNoChapter;
  });
  ASSERT_NE(lost, sent.end());
  EXPECT_LT(lost, end);
  for (auto it = end + 1; it != sent.end(); ++it) EXPECT_EQ(it->Type(), PKT_TURN_RESULTS);
}
