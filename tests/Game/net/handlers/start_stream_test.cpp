// The packets a server sends to start a game, applied one by one, build the
// model the server holds for this player; compared through the saved game.
#include <gtest/gtest.h>

#include <array>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GStar.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "tests/Game/net/handlers/handlers_fixture.h"

namespace {

using handlers_test::HandlerGame;
using handlers_test::Packet;

constexpr std::uint16_t kLocal = 9;
constexpr std::uint8_t kPerGuild = 2;
constexpr std::uint16_t kAsteroids = 6;
constexpr std::uint32_t kTurn = 4;

struct AsteroidSpec {
  std::uint16_t index;
  std::uint8_t size;
  std::uint16_t owner;
  std::uint8_t orbitKind;
  double angle;
  float speed;
};

const AsteroidSpec kSpecs[kAsteroids] = {
    {0, 0, kNoChapter, 0, 1.25, 2.5f}, {1, 1, 1, 1, -40.0, -3.0f}, {2, 2, kLocal, 0, 0.5, 1.0f},
    {3, 3, 16, 1, 12.0, 0.75f},        {4, 4, 17, 0, 5.5, -1.5f},  {5, 2, kNoChapter, 1, 0.0, 0.0f},
};

struct Home {
  std::uint16_t guild, slot, asteroid;
  const char* name;
};
const Home kHomes[] = {{0, 0, 0, "Wardens"}, {1, 1, 2, "Local name"}, {2, 1, 4, "Drifters"}};

std::uint8_t ZoneByte(int asteroid, int zone, int table) {
  return static_cast<std::uint8_t>((asteroid * 7 + zone * 3 + table) % 5);
}

// What the server holds for the player, set through the model.
void BuildServerModel(CGameData& g) {
  g.turn = kTurn;
  g.solarDB.orbitDirection = -1;
  g.solarDB.orbitMotion = 4;
  g.solarDB.CreateStarArray(2);
  g.solarDB.CreateStars();
  for (std::uint16_t s = 0; s < 2; ++s) {
    CGStar* star = g.solarDB.GetStar(s);
    const Location at{s, static_cast<std::int16_t>(s * 1000 - 500), 40, -7};
    star->SetLocation(&at);
    star->SetName(s == 0 ? "Ember" : "Cinder");
    star->SetRadiationCycle(6000.5 + s, 300.25);
    star->baseRadiation = 1200.0 + s;
    star->rising = s;
  }
  g.solarDB.CreateAsteroidArray(kAsteroids);
  for (const AsteroidSpec& rock : kSpecs) {
    auto a = std::make_unique<CGAsteroid>(rock.index);
    CGAsteroid* raw = a.get();
    g.solarDB.SetAsteroid(std::move(a));
    raw->sizeClass = rock.size;
    raw->CreateZones();
    raw->SetOwner(rock.owner);
    raw->previousOwner = static_cast<std::uint16_t>(rock.index + 100);
    raw->SetController(rock.owner);
    raw->automanage = rock.index % 2;
    raw->SetName(("Rock " + std::to_string(rock.index)).c_str());
    raw->SetCompositionType(static_cast<std::uint8_t>(rock.index * 3));
    raw->SetOrbitShape(rock.orbitKind, 1.5f, rock.speed, rock.angle);
    raw->SetOrbitAngle(rock.angle, rock.speed);
    raw->SetOrbitRadii(static_cast<std::uint16_t>(3000 + rock.index), static_cast<std::uint16_t>(2000 + rock.index));
    raw->SetPowerCoefficients(rock.index, static_cast<std::uint8_t>(rock.index + 10), 3);
    const Location pos{kAsteroids, static_cast<std::int16_t>(rock.index * 100), -20, 5};
    raw->SetPosition(&pos);
    const Location c1{0, -500, 40, -7}, c2{1, 500, 40, -7};
    raw->SetOrbitCenters(&c1, &c2);
    for (int r = 0; r < kRingCount; ++r) raw->ringRotations[r] = static_cast<std::int8_t>(r - rock.index);
    raw->ComputeRadiationCoefficient();
    raw->SetVisitTurnNext();
    for (int z = 0; z < raw->GetZoneCount(); ++z) {
      CGZone* zone = raw->GetZone(static_cast<std::uint16_t>(z));
      const std::uint8_t c[4] = {ZoneByte(rock.index, z, 0), ZoneByte(rock.index, z, 1), 0, 0};
      zone->SetOwner(c[0] | c[1] ? static_cast<std::uint8_t>(rock.owner) : std::uint8_t{254});
      zone->SetAtvLimit(static_cast<std::uint8_t>(8 + z % 4));
      zone->SetMiningValue(static_cast<std::uint8_t>(z % 9));
      zone->SetAtvCounts(c[0], c[1], c[2], c[3]);
      zone->status = static_cast<std::uint8_t>(z % 3);
      zone->SetFacilityOwner(static_cast<std::uint8_t>(rock.owner));
      zone->SetFacilities(z % 4 == 1 ? 0x3u : 0u);
    }
  }
  for (int t = 0; t < kResourceMixTypes; ++t) {
    const std::uint8_t mix[4] = {static_cast<std::uint8_t>(t), 20, 30, static_cast<std::uint8_t>(50 - t)};
    g.SetResourceMix(static_cast<std::uint8_t>(t), mix);
  }
  g.resourceMixCount = 20;
  for (const Home& h : kHomes) {
    CGChapter* c = g.guildList->GetChapter(h.guild * 8 + h.slot);
    if (h.guild * 8 + h.slot != kLocal) c->SetName(h.name);
    c->SetHomeAsteroid(h.asteroid);
  }
  g.poolDB.InitForNewGame();
  for (std::uint8_t chapter : {std::uint8_t{kLocal}, std::uint8_t{16}}) {
    auto* design = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 5));
    design->SetHull(g.hullDB->GetHull(chapter >> 3, 0));
    design->SetName("Hauler");
    design->FitModule(0, 1);
    design->FitModule(3, 0);
    g.templates.AddTemplate(design, chapter);
  }
  for (std::uint32_t k = 0; k < 3; ++k) {
    const std::uint8_t chapter = k < 2 ? kLocal : 16;
    const Location at{static_cast<std::uint16_t>(k < 2 ? 2 : kAsteroids), static_cast<std::int16_t>(k * 10), 3, -3};
    g.pieces.CreateUnit(g.templates.FindTemplateById((std::uint32_t{chapter} << 26) | 5), &at, chapter,
                        (std::uint32_t{chapter} << 26) | (100 + k));
  }
  g.GetLocalChapter()->credits = 12345;
  const std::uint32_t minerals[4] = {500, 400, 300, 200};
  g.poolDB.SetStorageFacilities(2, 3);
  g.poolDB.SetMinerals(2, minerals);
  for (auto& cell : g.standings[kTurn % kStandingRows]) cell = {4, 5, 6, 0, 7, 0};
  for (int c = 0; c < kMaxChapters; ++c) g.scores[c] = static_cast<std::uint32_t>(c * 11);
}

// The same game as the server sends it.
std::vector<Packet> StartStream() {
  std::vector<Packet> s;
  s.push_back(Packet(PKT_SOLAR_SYSTEM, 24)
                  .Put<std::uint16_t>(8, 2)
                  .Put<std::int8_t>(10, -1)
                  .Put<std::uint16_t>(12, kAsteroids)
                  .Put<std::uint32_t>(16, kTurn)
                  .Put<std::uint16_t>(20, 3));
  for (std::uint8_t st = 0; st < 2; ++st) {
    Packet p(PKT_STAR, 92);
    p.Put<std::uint8_t>(16, st)
        .Put<std::int16_t>(18, static_cast<std::int16_t>(st * 1000 - 500))
        .Put<std::int16_t>(20, 40)
        .Put<std::int16_t>(22, -7)
        .Text(24, st == 0 ? "Ember" : "Cinder")
        .Put<double>(64, 6000.5 + st)
        .Put<double>(72, 1200.0 + st)
        .Put<double>(80, 300.25)
        .Put<std::uint32_t>(88, st);
    s.push_back(p);
  }
  Packet mix(PKT_RESOURCE_MIX, 92);
  mix.Put<std::uint8_t>(8, 20);
  for (int t = 0; t < kResourceMixTypes; ++t)
    mix.Put<std::uint8_t>(10 + t, static_cast<std::uint8_t>(t))
        .Put<std::uint8_t>(30 + t, 20)
        .Put<std::uint8_t>(50 + t, 30)
        .Put<std::uint8_t>(70 + t, static_cast<std::uint8_t>(50 - t));
  s.push_back(mix);
  for (const AsteroidSpec& rock : kSpecs) {
    Packet p(PKT_ASTEROID_WITH_ZONES, 520);
    p.Put<std::uint16_t>(8, rock.index)
        .Put<std::uint16_t>(10, rock.owner)
        .Put<std::uint16_t>(12, static_cast<std::uint16_t>(rock.index + 100))
        .Put<std::uint16_t>(14, rock.owner)
        .Put<std::uint8_t>(16, rock.index % 2)
        .Text(17, ("Rock " + std::to_string(rock.index)).c_str())
        .Put<std::uint8_t>(57, rock.size)
        .Put<std::uint8_t>(58, static_cast<std::uint8_t>(rock.index * 3))
        .Put<std::uint8_t>(59, rock.orbitKind)
        .Put<std::uint8_t>(60, static_cast<std::uint8_t>(rock.index))
        .Put<std::uint8_t>(61, static_cast<std::uint8_t>(rock.index + 10))
        .Put<std::uint8_t>(62, 3)
        .Put<float>(64, 1.5f)
        .Put<float>(68, rock.speed)
        .Put<std::uint16_t>(72, static_cast<std::uint16_t>(3000 + rock.index))
        .Put<std::uint16_t>(74, static_cast<std::uint16_t>(2000 + rock.index))
        .Put<double>(76, rock.angle)
        .Put<std::int16_t>(84, static_cast<std::int16_t>(rock.index * 100))
        .Put<std::int16_t>(86, -20)
        .Put<std::int16_t>(88, 5)
        .Put<std::uint8_t>(90, 0)
        .Put<std::int16_t>(92, -500)
        .Put<std::int16_t>(94, 40)
        .Put<std::int16_t>(96, -7)
        .Put<std::uint8_t>(98, 1)
        .Put<std::int16_t>(100, 500)
        .Put<std::int16_t>(102, 40)
        .Put<std::int16_t>(104, -7);
    for (int r = 0; r < kRingCount; ++r) p.Put<std::int8_t>(106 + 2 * r, static_cast<std::int8_t>(r - rock.index));
    for (int z = 0; z < 31; ++z) {
      p.Put<std::uint8_t>(116 + z, static_cast<std::uint8_t>(8 + z % 4))
          .Put<std::uint8_t>(147 + z, static_cast<std::uint8_t>(z % 9))
          .Put<std::uint8_t>(209 + z, ZoneByte(rock.index, z, 0))
          .Put<std::uint8_t>(240 + z, ZoneByte(rock.index, z, 1))
          .Put<std::uint8_t>(333 + z, static_cast<std::uint8_t>(z % 3))
          .Put<std::uint8_t>(364 + z, static_cast<std::uint8_t>(rock.owner))
          .Put<std::uint32_t>(396 + 4 * z, z % 4 == 1 ? 0x3u : 0u);
    }
    s.push_back(p);
  }
  for (const Home& h : kHomes)
    s.push_back(Packet(PKT_CHAPTER_START, 66)
                    .Put<std::uint16_t>(8, h.guild)
                    .Put<std::uint16_t>(10, h.slot)
                    .Text(12, h.name)
                    .Put<std::uint16_t>(64, h.asteroid));
  for (std::uint8_t chapter : {std::uint8_t{kLocal}, std::uint8_t{16}}) {
    Packet p(PKT_TEMPLATE, kTemplatePacketSize);
    p.Put<std::uint32_t>(8, (std::uint32_t{chapter} << 26) | 5)
        .Put<std::uint16_t>(12, 65535)
        .Put<std::uint8_t>(14, chapter)
        .Text(16, "Hauler")
        .Put<std::uint8_t>(46, 0)
        .Put<std::int16_t>(48, 1)
        .Put<std::int16_t>(54, 0)
        .Put<std::uint8_t>(98, 1)
        .Put<std::uint8_t>(101, 1);
    s.push_back(p);
  }
  for (std::uint32_t k = 0; k < 3; ++k) {
    const std::uint32_t chapter = k < 2 ? kLocal : 16;
    s.push_back(Packet(PKT_UNIT, 28)
                    .Put<std::uint16_t>(8, static_cast<std::uint16_t>(chapter))
                    .Put<std::uint32_t>(12, (chapter << 26) | (100 + k))
                    .Put<std::uint8_t>(16, static_cast<std::uint8_t>(k < 2 ? 2 : kAsteroids))
                    .Put<std::int16_t>(18, static_cast<std::int16_t>(k * 10))
                    .Put<std::int16_t>(20, 3)
                    .Put<std::int16_t>(22, -3)
                    .Put<std::uint32_t>(24, (chapter << 26) | 5));
  }
  s.push_back(Packet(PKT_CREDITS, 12).Put<std::uint32_t>(8, 12345));
  s.push_back(Packet(PKT_POOL_STATE, 32)
                  .Put<std::uint16_t>(8, 2)
                  .Put<std::uint8_t>(10, 3)
                  .Put<std::uint32_t>(16, 500)
                  .Put<std::uint32_t>(20, 400)
                  .Put<std::uint32_t>(24, 300)
                  .Put<std::uint32_t>(28, 200));
  Packet standings(PKT_TURN_STANDINGS, kStandingsPacketSize);
  for (int c = 0; c < kMaxChapters; ++c)
    standings.Put<std::uint8_t>(8 + 8 * c, 4)
        .Put<std::uint8_t>(9 + 8 * c, 5)
        .Put<std::uint8_t>(10 + 8 * c, 6)
        .Put<std::uint16_t>(12 + 8 * c, 7);
  s.push_back(standings);
  Packet scores(PKT_CHAPTER_SCORES, 168);
  for (int c = 0; c < kMaxChapters; ++c) scores.Put<std::uint32_t>(8 + 4 * c, static_cast<std::uint32_t>(c * 11));
  s.push_back(scores);
  s.push_back(Packet(PKT_START, 12).Put<std::uint16_t>(8, 1));
  return s;
}

TEST_F(HandlerGame, TheStartSequenceBuildsTheServersModel) {
  std::vector<std::uint8_t> server;
  {
    auto g = NewGame(kLocal, kPerGuild);
    BuildServerModel(*g);
    server = Saved(*g, "server.sav");
  }
  auto client = NewGame(kLocal, kPerGuild);
  for (const Packet& p : StartStream()) EXPECT_TRUE(Apply(p)) << "type " << rules_test::Word(p.bytes, 0);
  const auto mine = Saved(*client, "client.sav");
  ASSERT_EQ(mine.size(), server.size());
  for (std::size_t i = 0; i < mine.size(); ++i)
    if (mine[i] != server[i]) {
      ADD_FAILURE() << "the models part at byte " << i;
      break;
    }
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].msg, WM_NET_GAME_STARTED);
}

}  // namespace
