// The real server program on loopback, started by the multiplayer library as
// the client starts it, driven by a raw client of the library.
#include <gtest/gtest.h>
#include <linux/limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GRulesPackets.h"
#include "hvmulti/HvMulti.h"
#include "platform/core/clock.h"
#include "server/orders/SrvPacketRead.h"
#include "server/world/SrvSetup.h"
#include "tests/hvmulti/session_helpers.h"
#include "tests/server/srv_test_rules.h"
#include "tests/server/srv_test_support.h"
#include "tests/support/recording_shell.h"

namespace {

using hvmtest::Collect;
using hvmtest::Received;

template <std::size_t N>
void SendTo(CHvMulti& m, std::uint32_t from, std::uint32_t to, PacketImage<N> p) {
  ASSERT_EQ(m.Send(from, to, p.bytes.data(), static_cast<std::uint32_t>(N), 0, 1), 0);
}

struct SrvLoopback : testing::Test {
  ScratchFolder folder;
  CHvMulti client;
  HvMPlayer_Struct me;
  std::uint32_t server = 0;
  std::vector<Received> in;

  void SetUp() override {
    ::setenv("QUENSRVR_SEED", "77", 1);
    // The server and the client's model read the same rules from the folder.
    WriteSrvTestRules(folder.dir);
    if (!StartSession()) FAIL() << "the server never answered\n" << folder.Log();
  }

  bool StartSession() {
    if (client.InitAutoLaunch(HVM_LOCAL_SERVICE_NAME, kApplicationGuid, kApplicationVersion) != HVM_LAUNCH_HOST)
      return false;
    HvMSession_Struct s;
    s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Single");
    plat::FixedText::Set(me.shortName, "Player");
    if (client.CreateAndJoinCS(&s, &me, ServerPath().c_str(), "", 0, nullptr) != HVM_CREATED) return false;
    server = client.GetServerId();
    if (server == HVM_ID_NONE) return false;
    // The settings query first, as the chapter screen asks it.
    for (int attempt = 0; attempt < 10; ++attempt) {
      SendTo(client, me.id, server, PacketImage<12>(PKT_SETTINGS_QUERY));
      const bool answered = Collect(
          client, in,
          [](const Received& r) { return r.result == HVM_MSG_PACKET && ReadU16(r.data, 0) == PKT_SETTINGS_QUERY; }, 1,
          300);
      in.clear();
      if (answered) return true;
    }
    return false;
  }

  // Waits for the packet of `type`, keeping every packet that came.
  bool WaitFor(std::uint16_t type, std::size_t count = 1) {
    return Collect(
        client, in,
        [&](const Received& r) {
          return r.result == HVM_MSG_PACKET && r.data.size() >= 8 && ReadU16(r.data, 0) == type;
        },
        count);
  }

  std::vector<Received> Packets() const {
    std::vector<Received> out;
    for (const auto& r : in)
      if (r.result == HVM_MSG_PACKET) out.push_back(r);
    return out;
  }
};

}  // namespace

TEST_F(SrvLoopback, HostilePacketsAreRefusedAndTheServerKeepsAnswering) {
  const std::uint8_t tiny[3] = {1, 2, 3};
  ASSERT_EQ(client.Send(me.id, server, tiny, sizeof tiny, 0, 1), 0);
  std::vector<std::uint8_t> junk(kMaxPacketSize, 0xFF);
  ASSERT_EQ(client.Send(me.id, server, junk.data(), static_cast<std::uint32_t>(junk.size()), 0, 1), 0);
  PacketImage<16> early(PKT_END_TURN);
  SendTo(client, me.id, server, early);
  PacketImage<20> shortClaim(PKT_CHAPTER_CLAIM);
  SendTo(client, me.id, server, shortClaim);
  SendTo(client, me.id, server, PacketImage<12>(PKT_SETTINGS_QUERY));
  ASSERT_TRUE(WaitFor(PKT_SETTINGS_QUERY));
  EXPECT_EQ(client.CloseSession(), 0);
  EXPECT_EQ(client.ServerExitCode(), 0);
  const std::string log = folder.Log();
  EXPECT_NE(log.find("refused packet 3 from"), std::string::npos) << log;
  EXPECT_NE(log.find("refused packet 1 from"), std::string::npos) << log;
  EXPECT_NE(log.find("shorter than a header"), std::string::npos) << log;
}

namespace {

// Block `index` of a server file (0 the solar system, 1 the guilds, 2 the
// rest of the world): after the fixed header (125 bytes) and the 40 chapter names.
std::vector<std::uint8_t> ServerBlock(const std::filesystem::path& file, int index) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t at = 125;
  for (int c = 0; c < 40 && at < all.size(); ++c) at += 1 + all[at];
  for (int skip = 0; skip < index && at + 4 <= all.size(); ++skip) at += 4 + ReadU32(all, at);
  if (at + 4 > all.size()) return {};
  const std::uint32_t n = ReadU32(all, at);
  if (at + 4 + n > all.size()) return {};
  return {all.begin() + static_cast<std::ptrdiff_t>(at + 4), all.begin() + static_cast<std::ptrdiff_t>(at + 4 + n)};
}

// The solar system's block without what one player has seen (detection,
// scans, visits): those are each side's own.
std::vector<std::uint8_t> SharedSolarImage(CGSolarDB& solar) {
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (CGAsteroid* a = solar.GetAsteroid(i)) {
      a->detected = 0;
      a->lastVisitTurn = 0;
      a->lastScanTurn = 0;
    }
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  solar.Save(w);
  return bytes;
}

}  // namespace

// Single player through the real server: the start and every turn's results
// numbered 1, 2, 3... without a gap (the front end's answers unnumbered),
// applied by the client's own dispatcher; after each turn the client's solar
// system equals the one in the server's save.
TEST_F(SrvLoopback, TheClientModelAgreesWithTheServerAfterEveryTurn) {
  SrvSetup setup;
  setup.config.SetU16(14, 1);
  setup.config.SetU16(16, 24);
  setup.config.SetU16(18, 0);
  setup.config.SetU16(30, 3);
  setup.config.SetU16(34, 1);
  setup.config.SetU16(28, 1);  // random events: orbits disturbed and veins laid bare, which the client is told
  // The front end announces its chapters per guild; the rest of the
  // configuration waits until the server asks for it.
  PacketImage<12> announce(PKT_CHAPTER_REPORTS);
  announce.Put<std::uint16_t>(8, 101);
  SendTo(client, me.id, server, announce);
  for (int k = 0; k < 6; ++k) setup.settings.SetU16(36 + 2 * k, 0);  // no fog: the model holds every unit
  SendTo(client, me.id, server, setup.settings);
  PacketImage<48> claim(PKT_CHAPTER_CLAIM);
  claim.Put<std::uint16_t>(8, 8);
  SendTo(client, me.id, server, claim);
  ASSERT_TRUE(WaitFor(PKT_CHAPTER_CLAIM)) << folder.Log();
  SendTo(client, me.id, server, PacketImage<12>(PKT_START));
  ASSERT_TRUE(WaitFor(PKT_CONFIG_EXCHANGE)) << folder.Log();
  // The room's end, then the question, numbered, and nothing of the world
  // before the answer.
  std::vector<std::uint16_t> asked;
  for (const auto& r : Packets())
    if (ReadU32(r.data, 4) != 0) asked.push_back(ReadU16(r.data, 0));
  EXPECT_EQ(asked, (std::vector<std::uint16_t>{PKT_START, PKT_CONFIG_EXCHANGE}));
  // The game answers with its configuration, numbered as its first packet.
  PacketImage<40> answer = setup.config;
  answer.Put<std::uint32_t>(4, 1);
  SendTo(client, me.id, server, answer);
  ASSERT_TRUE(WaitFor(PKT_START, 2)) << "the room's end and the start signal\n" << folder.Log();
  std::array<std::uint8_t, 40> held{};
  std::copy(setup.config.bytes.begin(), setup.config.bytes.end(), held.begin());
  held[12] = 1;  // started: the client's answer runs no screen
  std::optional<quentest::RecordingShell> shell;
  shell.emplace().configBlock = held;

  CGameData data(8, 1);
  g_gameData = &data;
  if (!data.hullDB->IsLoaded()) {
    const auto [hulls, modules] = SrvTestRules();
    ASSERT_EQ(data.hullDB->LoadHulls(hulls), 1);
    ASSERT_EQ(data.moduleDB->LoadModules(modules), 1);
  }
  std::uint32_t expected = 1;
  std::vector<std::uint16_t> types;
  std::multiset<std::uint16_t> told;
  auto apply = [&] {
    types.clear();
    for (const auto& r : Packets()) {
      if (ReadU32(r.data, 4) == 0) continue;
      EXPECT_EQ(ReadU32(r.data, 4), expected++);
      types.push_back(ReadU16(r.data, 0));
      told.insert(types.back());
      EXPECT_TRUE(HandlePacket(nullptr, r.data, server)) << types.back();
    }
    in.clear();
  };
  apply();
  shell.reset();
  // The room's end, 50, 100, two stars, 124, 24 asteroids, 5 chapters, 464, their 5 designs with their
  // values, the class ranges and 5 units, 551, 550, 505, 507, the settings, the player's id, 0.
  ASSERT_EQ(types.size(), 1u + 1 + 1 + 2 + 1 + 24 + 5 + 1 + 10 + 1 + 5 + 4 + 2 + 1) << folder.Log();
  EXPECT_EQ(types[2], PKT_SOLAR_SYSTEM);
  EXPECT_EQ(types.back(), PKT_START);
  // The player's unit goes to another asteroid, as the client orders it.
  const std::uint16_t home = data.guildList->GetChapter(8)->homeAsteroid;
  CGUnit* unit = data.pieces.GetUnitAt(home, 8, 0);
  ASSERT_NE(unit, nullptr);
  // The nearest other asteroid by the client's own reckoning.
  std::uint16_t target = home;
  std::uint32_t eta = kUnreachable;
  for (std::uint16_t a = 0; a < 24; ++a) {
    std::int32_t failure = 0;
    const std::uint32_t turns = a == home ? kUnreachable : unit->GetTurnsToAsteroid(a, &failure);
    if (turns >= 1 && turns < eta) {
      eta = turns;
      target = a;
    }
  }
  ASSERT_LT(eta, 10u);
  // Sent to the server and queued on the client's unit as the client does.
  auto give = [&](const UnitOrder& order, std::uint8_t mode) {
    const auto image = BuildOrderPacket(unit->id, order, mode);
    SendTo(client, me.id, server, image);
    OrderPacket p;
    ParseOrderPacket(image.bytes, &p);
    unit->AddOrderFromPacket(p);
  };
  UnitOrder move;
  move.type = ORDER_MOVE_TO_ASTEROID;
  move.SetWord(0, target);
  give(move, kInsertReplace);
  // Then, paid now from the home pool, ATVs built aboard once it is there.
  UnitOrder atvs;
  atvs.type = ORDER_BUILD_ATVS;
  atvs.head[0] = 1;
  give(atvs, kInsertAppend);
  const std::uint32_t unitId = unit->id;
  for (std::uint32_t turn = 0; turn < 10; ++turn) {
    std::uint16_t at = 0;
    CGUnit* mine = data.pieces.FindUnit(unitId, &at);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->location.asteroid == target, turn >= eta) << "turn " << turn;
    if (turn < eta) {
      EXPECT_EQ(mine->GetOrderCount(), 2) << "turn " << turn;
    }
    EXPECT_EQ(mine->atvCargo[0], mine->GetOrderCount() == 0 ? 1 : 0) << "turn " << turn;
    PacketImage<16> end(PKT_END_TURN);
    end.Put<std::uint32_t>(8, turn);
    SendTo(client, me.id, server, end);
    ASSERT_TRUE(WaitFor(PKT_TURN_RESULTS)) << folder.Log();
    apply();
    ASSERT_GE(types.size(), 2u);
    EXPECT_EQ(types[0], PKT_TURN_LAMPS) << "the player's own lamp";
    EXPECT_EQ(types[1], PKT_TURN_PROCESSING);
    data.AdvanceModelTurn();

    const std::string name = "turn" + std::to_string(turn) + ".svr";
    PacketImage<272> save(PKT_SAVE_GAME);
    save.SetText(8, 256, name);
    save.Put<std::uint32_t>(264, turn + 1);
    SendTo(client, me.id, server, save);
    ASSERT_TRUE(WaitFor(PKT_SAVE_DONE)) << folder.Log();
    apply();
    const auto block = ServerBlock(folder.dir / name, 0);
    CGSolarDB theirs;
    BlockReader r(block);
    ASSERT_EQ(theirs.Load(r), LoadStatus::kOk);
    ASSERT_EQ(SharedSolarImage(data.solarDB), SharedSolarImage(theirs)) << "turn " << turn;
    // The world block starts with the pools: the client's home pool is the server's.
    const auto world = ServerBlock(folder.dir / name, 2);
    CGPoolDB pools;
    BlockReader rp(world);
    ASSERT_EQ(pools.Load(rp), LoadStatus::kOk);
    for (int m = 0; m < 4; ++m)
      EXPECT_EQ(data.poolDB.pools[home].amounts[m], pools.pools[home].amounts[m]) << "turn " << turn;
  }
  std::uint16_t at = 0;
  EXPECT_EQ(data.pieces.FindUnit(unitId, &at)->atvCargo[0], 1) << "the trip and the building are done";
  // An orbit was disturbed, and the client was told (the models agreed after every turn).
  const std::string log = folder.Log();
  EXPECT_NE(log.find("is disturbed"), std::string::npos) << log;
  EXPECT_GE(told.count(PKT_ORBIT_RADII), 1u);
  // The player loads the last save: the load is answered with its lamps, the
  // file's settings and a request for the client's status.
  PacketImage<276> load(PKT_LOAD_GAME);
  load.SetText(8, 256, "turn9.svr");
  load.Put<std::uint32_t>(264, 10);
  SendTo(client, me.id, server, load);
  ASSERT_TRUE(WaitFor(PKT_STATUS_REQUEST)) << folder.Log();
  plat::UseVirtualClock();  // the client's answer waits a second
  apply();
  plat::UseRealClock();
  EXPECT_EQ(types, (std::vector<std::uint16_t>{PKT_LOAD_REPLY, PKT_GAME_SETTINGS_STORE, PKT_STATUS_REQUEST}));
  // A capture of the game holds each packet of the session's own.
  for (std::uint16_t type : {PKT_TURN_LAMPS, PKT_PLAYER_ID, PKT_GAME_SETTINGS_STORE, PKT_STATUS_REQUEST, PKT_LOAD_REPLY,
                             PKT_TEMPLATE_VALUES, PKT_CLASS_STAT_RANGES, PKT_ORBIT_RADII})
    EXPECT_GE(told.count(type), 1u) << type;
  g_gameData = nullptr;
  EXPECT_EQ(client.CloseSession(), 0);
  EXPECT_EQ(client.ServerExitCode(), 0);
}

TEST(SrvLoopbackHosted, TwoClientsClaimApartStartTogetherAndEachCountsFromOne) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  CHvMulti host, guest;
  HvMPlayer_Struct hp, gp;
  plat::FixedText::Set(hp.shortName, "Host");
  plat::FixedText::Set(gp.shortName, "Guest");
  const auto at = hvmtest::Address("127.0.0.1:0");
  ASSERT_EQ(host.InitServiceEx(HVM_SERVICEID_TCPIP, kApplicationGuid, &at), 0);
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Hosted");
  s.SetU32(HvMSession_Struct::kMaxPlayers, 40);
  ASSERT_EQ(host.CreateAndJoinCS(&s, &hp, ServerPath().c_str(), "", 6, nullptr), HVM_CREATED) << host.LastErrorText();
  const std::uint32_t server = host.GetServerId();
  const std::uint32_t session = hvmtest::FindSession(guest, host.GetHostPort(), kApplicationGuid);
  ASSERT_NE(session, 0u);
  ASSERT_EQ(guest.OpenAndJoin(session, "", &gp), 0);

  std::vector<Received> hostIn, guestIn;
  auto waitFor = [](CHvMulti& m, std::vector<Received>& in, std::uint16_t type, std::size_t count = 1) {
    return Collect(
        m, in,
        [&](const Received& r) {
          return r.result == HVM_MSG_PACKET && r.data.size() >= 8 && ReadU16(r.data, 0) == type;
        },
        count);
  };
  SrvSetup setup;
  setup.config.SetU16(14, 2);
  setup.config.SetU16(16, 15);
  setup.config.SetU16(18, 0);
  PacketImage<12> announce(PKT_CHAPTER_REPORTS);
  announce.Put<std::uint16_t>(8, 102);
  SendTo(host, hp.id, server, announce);
  PacketImage<48> claim(PKT_CHAPTER_CLAIM);
  claim.Put<std::uint16_t>(8, 1);
  SendTo(host, hp.id, server, claim);
  ASSERT_TRUE(waitFor(host, hostIn, PKT_CHAPTER_CLAIM)) << folder.Log();
  SendTo(guest, gp.id, server, claim);  // the host's chapter: refused
  ASSERT_TRUE(waitFor(guest, guestIn, PKT_CHAPTER_CLAIM)) << folder.Log();
  claim.Put<std::uint16_t>(8, 17);
  SendTo(guest, gp.id, server, claim);
  ASSERT_TRUE(waitFor(guest, guestIn, PKT_CHAPTER_CLAIM, 2)) << folder.Log();
  std::vector<std::uint32_t> grants;
  for (const auto& r : guestIn)
    if (r.result == HVM_MSG_PACKET && ReadU16(r.data, 0) == PKT_CHAPTER_CLAIM) grants.push_back(ReadU32(r.data, 44));
  EXPECT_EQ(grants, (std::vector<std::uint32_t>{0, 1}));

  SendTo(host, hp.id, server, PacketImage<12>(PKT_START));
  ASSERT_TRUE(waitFor(host, hostIn, PKT_CONFIG_EXCHANGE)) << folder.Log();
  PacketImage<40> answer = setup.config;
  answer.Put<std::uint32_t>(4, 1);
  SendTo(host, hp.id, server, answer);
  ASSERT_TRUE(waitFor(host, hostIn, PKT_START, 2)) << folder.Log();
  ASSERT_TRUE(waitFor(guest, guestIn, PKT_START, 2)) << folder.Log();
  EXPECT_TRUE(waitFor(guest, guestIn, PKT_GAME_CONFIG)) << "the host's configuration, passed on";
  for (std::uint32_t turn = 0; turn < 2; ++turn) {
    PacketImage<16> end(PKT_END_TURN);
    end.Put<std::uint32_t>(8, turn);
    SendTo(host, hp.id, server, end);
    SendTo(guest, gp.id, server, end);
    ASSERT_TRUE(waitFor(host, hostIn, PKT_TURN_RESULTS, turn + 1)) << folder.Log();
    ASSERT_TRUE(waitFor(guest, guestIn, PKT_TURN_RESULTS, turn + 1)) << folder.Log();
  }
  for (const auto* in : {&hostIn, &guestIn}) {
    std::uint32_t expected = 1;
    std::uint16_t home = 0xFFFF;
    for (const auto& r : *in) {
      if (r.result != HVM_MSG_PACKET || r.from != server || ReadU32(r.data, 4) == 0) continue;
      EXPECT_EQ(ReadU32(r.data, 4), expected++);
      if (ReadU16(r.data, 0) == PKT_POOL_STATE) home = ReadU16(r.data, 8);
    }
    EXPECT_GT(expected, 40u);
    EXPECT_NE(home, 0xFFFF);
  }
  EXPECT_EQ(guest.CloseSession(), 0);
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 0);
}
