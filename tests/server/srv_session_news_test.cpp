// What the server tells the players of the session and of the changing
// world: turn lamps, keep-alive requests and the drop of a silent player,
// player ids, the settings and status requests after a load, chapter names,
// design values and class ranges, and asteroids that come into range. Each
// packet is sent where its cause happens, and the client's own dispatcher,
// applying what its player was sent, shows the effect.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/model/GViewNotices.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/clock.h"
#include "platform/resource/module.h"
#include "server/world/SrvChapterNames.h"
#include "server/world/SrvFog.h"
#include "tests/Game/net/fake_multi.h"
#include "tests/server/srv_game_fixture.h"
#include "tests/support/recording_shell.h"

namespace {

constexpr std::uint32_t kServerId = 1000;

// A client's session over a stand-in for the library that records what the
// client's handlers send; with the links through which its handlers reach
// the views and the application recorded too.
struct Client : IViewNotices {
  std::unique_ptr<nettest::FakeMulti> owned = std::make_unique<nettest::FakeMulti>();
  nettest::FakeMulti& multi = *owned;
  CNetSession session{(owned->serverId = kServerId, std::move(owned))};
  std::uint16_t lamps = 0xFFFF;
  quentest::RecordingShell shell;
  std::size_t taken = 0;

  Client() {
    RegisterViewNotices(this);
    plat::UseVirtualClock();  // the status request's second passes at once
  }
  ~Client() override {
    plat::UseRealClock();
    RegisterViewNotices(nullptr);
  }
  // The chapter of each settings packet the application was given.
  std::vector<std::uint16_t> SettingsFor() const {
    std::vector<std::uint16_t> chapters;
    for (const auto& p : shell.settings) chapters.push_back(ReadU16(p, 8));
    return chapters;
  }
  std::pair<std::uint32_t, std::uintptr_t> LastPosted() const {
    return {shell.posted.back().msg, shell.posted.back().wParam};
  }
  void TurnLampPacket(std::span<const std::uint8_t> p) override { lamps = ReadU16(p, 10); }
  void SetTurnLampCount(std::uint16_t count) override { lamps = count; }
  // Applies what `player` was sent since the last call, those of `types`
  // only when given (the others need a game model).
  void TakeNew(const RecordingOutbox& out, std::uint32_t player, std::vector<std::uint16_t> types = {}) {
    const auto sent = out.To(player);
    for (; taken < sent.size(); ++taken) {
      const SrvPacket& p = sent[taken].packet;
      if (types.empty() || std::find(types.begin(), types.end(), ReadU16(p, 0)) != types.end()) {
        EXPECT_TRUE(HandlePacket(&session, p, kServerId)) << ReadU16(p, 0);
      }
    }
  }
  // The types of the packets the client sent, forgotten once read.
  std::vector<SrvPacket> Answers() {
    std::vector<SrvPacket> answers;
    for (const auto& s : multi.sent) answers.push_back(s.bytes);
    multi.sent.clear();
    return answers;
  }
};

// A client's game model of `chapter`, made once the server's world is gone
// (both would hold the process's model links), taking what its player was
// sent in order and advancing at each turn's end as its main window does.
struct ClientModel : Client {
  CGameData data;
  ClientModel(std::uint16_t chapter, std::uint8_t perGuild) : data(chapter, perGuild) {
    g_gameData = &data;
    if (!data.hullDB->IsLoaded()) {
      const auto [hulls, modules] = SrvTestRules();
      data.hullDB->LoadHulls(hulls);
      data.moduleDB->LoadModules(modules);
    }
  }
  ~ClientModel() { g_gameData = nullptr; }
  void Apply(const std::vector<SrvPacket>& packets) {
    for (const SrvPacket& p : packets) {
      EXPECT_TRUE(HandlePacket(&session, p, kServerId)) << ReadU16(p, 0);
      if (ReadU16(p, 0) == PKT_TURN_RESULTS) data.AdvanceModelTurn();
    }
  }
};

std::vector<SrvPacket> AllTo(const RecordingOutbox& out, std::uint32_t player) {
  std::vector<SrvPacket> packets;
  for (const Sent& s : out.To(player)) packets.push_back(s.packet);
  return packets;
}

// Players 7 and 8 hold chapters 0 and 8, one chapter a guild. The server's
// game can be ended before a client's model is made.
struct SrvSessionNews : testing::Test {
  static constexpr Seats kSeats = {{7, 0}, {8, 8}};
  RecordingOutbox out;
  SrvLog log;
  quentest::TempDir dir{"quen_srv_news"};
  std::unique_ptr<SrvGame> server = std::make_unique<SrvGame>(out, log, nullptr, 59, FolderPath(dir));
  SrvGame& Game() { return *server; }
  const SrvWorld& World() { return server->World(); }
  void Start(const SrvSetup* setup = nullptr) { StartTestGame(*server, kSeats, 1, setup); }
  // The same with the set-up's configuration too, one chapter a guild on 20
  // asteroids: the asteroids move along their orbits at orbit speed 2.
  void StartWith(SrvSetup setup) {
    const auto [hulls, modules] = SrvTestRules();
    ASSERT_TRUE(server->UseRules(hulls, modules));
    for (const auto& [player, chapter] : kSeats) server->PlayerJoined(player);
    setup.config.SetU16(14, 1);
    setup.config.SetU16(16, 20);
    setup.config.SetU16(18, 0);
    ASSERT_TRUE(server->Receive(7, Bytes(setup.config)));
    ASSERT_TRUE(server->Receive(7, Bytes(setup.settings)));
    for (const auto& [player, chapter] : kSeats)
      ASSERT_TRUE(server->Receive(player, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, chapter)));
    ASSERT_TRUE(server->Receive(7, Pkt<12>(PKT_START)));
  }
  void EndTurn() { EndTestTurn(*server, kSeats); }
};

}  // namespace

TEST_F(SrvSessionNews, LampsLightAsChaptersEndTheirTurnAndALoadAnswersWithTheLampsWord) {
  Start();
  Client eight;
  const std::vector<std::uint16_t> session = {PKT_TURN_LAMPS, PKT_LOAD_REPLY, PKT_GAME_SETTINGS_STORE,
                                              PKT_STATUS_REQUEST, PKT_PLAYER_ID};
  eight.TakeNew(out, 8, session);
  ASSERT_TRUE(Game().Receive(7, Pkt<16>(PKT_END_TURN).U32(8, 0)));
  for (std::uint32_t p : {7u, 8u}) {
    const auto lamps = out.Of(p, PKT_TURN_LAMPS);
    ASSERT_EQ(lamps.size(), 1u) << p;
    EXPECT_EQ(ReadU16(lamps[0], 8), 0) << "the chapter that ended its turn";
    EXPECT_EQ(ReadU16(lamps[0], 10), 1) << "one lamp lit";
  }
  EXPECT_EQ(out.Count(PKT_TURN_PROCESSING), 0u);
  eight.TakeNew(out, 8, session);
  EXPECT_EQ(eight.lamps, 1);

  // Saved with a lamp lit, then loaded back by player 8 a turn later: the
  // loaded turn has none lit, and every client is given the file's settings
  // and asked how it stands once it has loaded its own copy.
  ASSERT_TRUE(Game().Receive(7, Pkt<272>(PKT_SAVE_GAME).Text(8, 256, "lamps.svr").U32(264, 42)));
  ASSERT_TRUE(Game().Receive(8, Pkt<16>(PKT_END_TURN).U32(8, 0)));
  ASSERT_EQ(World().turn, 1u);
  ASSERT_TRUE(Game().Receive(8, Pkt<276>(PKT_LOAD_GAME).Text(8, 256, "lamps.svr").U32(264, 42)));
  ASSERT_EQ(World().turn, 0u);
  EXPECT_TRUE(out.Of(7, PKT_LOAD_REPLY).empty()) << "the reply is the loader's";
  EXPECT_EQ(out.Of(7, PKT_GAME_SETTINGS_STORE).size(), 2u) << "at the start and after the load";
  EXPECT_EQ(out.Of(7, PKT_STATUS_REQUEST).size(), 1u);
  eight.lamps = 0xFFFF;
  eight.shell.settings.clear();
  eight.TakeNew(out, 8, session);
  EXPECT_EQ(eight.lamps, 0);
  EXPECT_EQ(eight.SettingsFor(), (std::vector<std::uint16_t>{8}));
  ASSERT_FALSE(eight.shell.posted.empty());
  EXPECT_EQ(eight.LastPosted(), std::make_pair(std::uint32_t{WM_NET_LOAD_REPLY}, std::uintptr_t{1}));
  const auto status = eight.Answers();
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(ReadU16(status[0], 0), PKT_STATUS);
  EXPECT_TRUE(Game().Receive(8, status[0]));

  // Chapter 0 ends the loaded turn; a load of a file that is not there
  // leaves the game as it was, and its reply says how the lamps stand.
  ASSERT_TRUE(Game().Receive(7, Pkt<16>(PKT_END_TURN).U32(8, 0)));
  EXPECT_FALSE(Game().Receive(8, Pkt<276>(PKT_LOAD_GAME).Text(8, 256, "none.svr").U32(264, 42)));
  eight.TakeNew(out, 8, session);
  EXPECT_EQ(eight.lamps, 1);
  EXPECT_EQ(eight.LastPosted(), std::make_pair(std::uint32_t{WM_NET_LOAD_REPLY}, std::uintptr_t{0}));
}

TEST_F(SrvSessionNews, APlayerSilentWhileATurnWaitsIsDroppedAndTheOthersPlayOn) {
  Start();
  Client seven;
  const std::vector<std::uint16_t> session = {PKT_KEEPALIVE_REQUEST, PKT_PLAYER_ID};
  seven.TakeNew(out, 7, session);
  EXPECT_EQ(seven.session.playerIds[0], 7u);
  EXPECT_EQ(seven.session.playerIds[8], 8u);
  EXPECT_TRUE(seven.Answers().empty());
  // A player joining the game in play learns who holds the chapters and is
  // asked how it stands; holding none, it is not watched.
  Game().PlayerJoined(9);
  EXPECT_EQ(out.Of(9, PKT_PLAYER_ID).size(), 2u);
  EXPECT_EQ(out.Of(9, PKT_STATUS_REQUEST).size(), 1u);

  // Player 7's client answers every request; player 8 has gone quiet.
  constexpr std::uint64_t kStart = 5'000;
  Game().Tick(kStart);
  std::vector<std::uint64_t> asked;
  for (std::uint64_t now = kStart; now <= kStart + kSrvSilenceLimitMs; now += 1'000) {
    const std::size_t before = out.Of(7, PKT_KEEPALIVE_REQUEST).size();
    Game().Tick(now);
    if (out.Of(7, PKT_KEEPALIVE_REQUEST).size() > before) asked.push_back(now);
    seven.TakeNew(out, 7, session);
    for (const SrvPacket& answer : seven.Answers()) {
      EXPECT_EQ(ReadU16(answer, 0), PKT_KEEPALIVE);
      EXPECT_TRUE(Game().Receive(7, answer));
    }
    if (now < kStart + kSrvSilenceLimitMs) {
      ASSERT_EQ(Game().Holder(8), 8u) << "dropped early, at " << now;
    }
  }
  ASSERT_EQ(asked.size(), kSrvSilenceLimitMs / kSrvKeepAliveIntervalMs);
  for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], kStart + (i + 1) * kSrvKeepAliveIntervalMs);
  EXPECT_EQ(out.Of(8, PKT_KEEPALIVE_REQUEST).size(), asked.size()) << "the silent player was asked too";
  EXPECT_TRUE(out.Of(9, PKT_KEEPALIVE_REQUEST).empty());
  EXPECT_EQ(Game().Holder(8), 0u) << "dropped after the stated silence";
  EXPECT_EQ(Game().Holder(0), 7u);
  EXPECT_EQ(seven.session.playerIds[8], 0u) << "the others learn the chapter has no player";

  // The turn no longer waits for the dropped player, nor hears it.
  EXPECT_FALSE(Game().Receive(8, Pkt<16>(PKT_END_TURN).U32(8, 0)));
  ASSERT_TRUE(Game().Receive(7, Pkt<16>(PKT_END_TURN).U32(8, 0)));
  EXPECT_EQ(World().turn, 1u);
  EXPECT_FALSE(Game().Ended());
  Game().Tick(kStart + 10 * kSrvSilenceLimitMs);
  EXPECT_EQ(Game().Holder(0), 0u) << "a turn's resolution counts against nobody, but later silence does";
}

TEST(SrvChapterNames, TheFreeChaptersTakeTheStringTablesNamesAndAServerWithoutThemNamesThemByNumber) {
  plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
  const auto names = SrvDefaultChapterNames();
  EXPECT_EQ(names[0], "Order of the Way");
  EXPECT_EQ(names[1], "Order of Peace");
  EXPECT_EQ(names[16], "Command Aerie");
  EXPECT_EQ(names[39], "DC Security");
  plat::SetProgramModulePath("/nonexistent/quenbar.dll");
  EXPECT_EQ(SrvDefaultChapterNames()[1], "Chapter 2");
}

TEST_F(SrvSessionNews, ARenamedChapterReachesTheOtherClientsModelBesideTheDefaultNames) {
  plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
  server = std::make_unique<SrvGame>(out, log, nullptr, 59, FolderPath(dir));
  plat::SetProgramModulePath("/nonexistent/quenbar.dll");
  Start();
  // The chapter screen's reports name the free chapters as the client's own table does.
  const std::size_t claimed = out.Of(7, PKT_CHAPTER_NAME).size();
  ASSERT_TRUE(Game().Receive(7, Pkt<12>(PKT_CHAPTER_REPORTS)));
  const auto reports = out.Of(7, PKT_CHAPTER_NAME);
  ASSERT_EQ(reports.size(), claimed + 40);
  EXPECT_EQ(ReadText(reports[claimed + 17], 16, 32), "Diplomatic Aerie");

  ASSERT_TRUE(Game().Receive(8, Pkt<48>(PKT_CHAPTER_NAME).U16(8, 8).Text(16, 32, "Renamed")));
  ASSERT_EQ(out.Of(7, PKT_CHAPTER_NAME_SET).size(), 1u);
  EXPECT_TRUE(out.Of(8, PKT_CHAPTER_NAME_SET).empty()) << "its own client named it";
  const auto toSeven = AllTo(out, 7);
  server.reset();

  ClientModel seven(0, 1);
  std::vector<SrvPacket> inPlay;
  for (const SrvPacket& p : toSeven)
    if (ReadU16(p, 0) != PKT_CHAPTER_NAME) inPlay.push_back(p);  // the front end's, not the game's
  seven.Apply(inPlay);
  EXPECT_STREQ(seven.data.guildList->GetChapter(8)->GetName(), "Renamed");
  EXPECT_STREQ(seven.data.guildList->GetChapter(16)->GetName(), "Command Aerie");
}

TEST_F(SrvSessionNews, DesignsComeWithTheirValuesAndTheClassRangesFollowTheDesignsInPlay) {
  Start();
  // Each design of the start with its values right behind it, then the ranges.
  const auto start = out.To(7);
  std::size_t designs = 0;
  for (std::size_t i = 0; i + 1 < start.size(); ++i)
    if (start[i].Type() == PKT_TEMPLATE) {
      ++designs;
      ASSERT_EQ(start[i + 1].Type(), PKT_TEMPLATE_VALUES);
      EXPECT_EQ(ReadU32(start[i + 1].packet, 8), ReadU32(start[i].packet, 8));
    }
  EXPECT_EQ(designs, 5u);
  EXPECT_EQ(out.Of(7, PKT_CLASS_STAT_RANGES).size(), 1u);

  // On turn 1 chapter 0 stores a lighter hauler than its starting one.
  EndTurn();
  const std::uint32_t id = 900;
  auto design = Pkt<124>(PKT_TEMPLATE).U32(8, id).U16(12, 5).U16(14, 0).Text(16, 30, "Light").U8(46, 0);
  design.U16(48, 0).U8(98, 1);
  ASSERT_TRUE(Game().Receive(7, design));
  const CGUnitTemplate& light = *World().templates->GetTemplate(0, 5, 1);
  const CGUnitTemplate& heavy = *World().templates->GetTemplate(0, 0, 1);
  ASSERT_EQ(light.unitClass, heavy.unitClass);
  ASSERT_LT(light.mass, heavy.mass);
  const std::uint8_t unitClass = light.unitClass;
  const std::uint32_t lightMass = light.mass, heavyMass = heavy.mass;
  for (std::uint32_t p : {7u, 8u}) {
    const auto values = out.Of(p, PKT_TEMPLATE_VALUES);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(ReadU32(values.back(), 8), light.templateId) << p;
    EXPECT_EQ(ReadU16(values.back(), 12), 1) << "made on turn 1";
  }
  EndTurn();
  EXPECT_EQ(out.Of(8, PKT_CLASS_STAT_RANGES).size(), 2u) << "the turn that changed the ranges";
  EndTurn();
  EXPECT_EQ(out.Of(8, PKT_CLASS_STAT_RANGES).size(), 2u) << "unchanged since";
  const std::uint32_t lightId = light.templateId;
  const auto toEight = AllTo(out, 8);
  server.reset();

  ClientModel eight(8, 1);
  eight.Apply(toEight);
  const CGUnitTemplate* copy = eight.data.templates.FindTemplateById(lightId);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->creationTurn, 1);
  const ClassStatRanges& ranges = eight.data.templates.GetClassStatRanges(unitClass);
  EXPECT_EQ(ranges[2], lightMass) << "the class's least mass";
  EXPECT_EQ(ranges[kClassStatCount / 2 + 2], heavyMass) << "and its greatest";
}

TEST_F(SrvSessionNews, UnderHardFogAnAsteroidComingIntoRangeIsToldAndTheClientKeepsInStep) {
  SrvSetup setup;
  for (int k = 0; k < 5; ++k) setup.settings.SetU16(36 + 2 * k, 0);
  setup.settings.SetU16(46, 1);  // asteroids shown after coming in range
  StartWith(setup);
  const std::uint16_t home = World().Chapter(0)->homeAsteroid;
  const Location seenFrom = World().solar.GetAsteroid(home)->position;
  CGUnit* unit = World().pieces->GetUnitAt(home, 0, 0);
  ASSERT_NE(unit, nullptr);
  // The nearest asteroid out of the home's range, chapter 0's only sight point.
  auto outOfRange = [&](std::uint16_t a) {
    const Location at = World().solar.GetAsteroid(a)->position;
    return std::abs(at.x - seenFrom.x) >= kSrvSightRange || std::abs(at.y - seenFrom.y) >= kSrvSightRange ||
           std::abs(at.z - seenFrom.z) >= kSrvSightRange;
  };
  std::uint16_t target = home;
  std::uint32_t eta = kUnreachable;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    std::int32_t failure = 0;
    const std::uint32_t turns = outOfRange(a) ? unit->GetTurnsToAsteroid(a, &failure) : kUnreachable;
    if (turns >= 1 && turns < eta) {
      eta = turns;
      target = a;
    }
  }
  ASSERT_LT(eta, 20u);
  UnitOrder move;
  move.type = ORDER_MOVE_TO_ASTEROID;
  move.SetWord(0, target);
  ASSERT_TRUE(Game().Receive(7, Bytes(BuildOrderPacket(unit->id, move, kInsertReplace))));
  for (std::uint32_t turn = 0; turn <= eta; ++turn) EndTurn();
  std::uint16_t at = 0;
  ASSERT_EQ(World().pieces->FindUnit(unit->id, &at)->location.asteroid, target);
  // Told once, when it came into view: its control, then every zone.
  const auto to7 = out.To(7);
  std::size_t told = 0;
  const CGAsteroid& server = *World().solar.GetAsteroid(target);
  for (std::size_t i = 0; i < to7.size(); ++i)
    if (to7[i].Type() == PKT_ASTEROID_OWNER && ReadU16(to7[i].packet, 8) == target) {
      ++told;
      ASSERT_LE(i + server.GetZoneCount(), to7.size() - 1);
      for (std::uint16_t z = 0; z < server.GetZoneCount(); ++z) EXPECT_EQ(to7[i + 1 + z].Type(), PKT_ASTEROID_ZONES);
    }
  EXPECT_EQ(told, 1u);
  const Location position = server.position;
  const std::uint16_t zones = server.GetZoneCount(), radius = server.radius1;
  const auto toSeven = AllTo(out, 7);
  this->server.reset();

  // The client, having advanced with every turn's news as the server did,
  // holds the asteroid where the server does.
  ClientModel seven(0, 1);
  seven.Apply(toSeven);
  const CGAsteroid& seen = *seven.data.solarDB.GetAsteroid(target);
  EXPECT_EQ(seen.GetZoneCount(), zones);
  EXPECT_EQ(seen.radius1, radius);
  EXPECT_EQ(seen.position.x, position.x);
  EXPECT_EQ(seen.position.y, position.y);
  EXPECT_EQ(seen.position.z, position.z);
}

TEST_F(SrvSessionNews, UnderFogAVeinIsToldOnlyWhereTheMakeUpIsKnown) {
  SrvSetup setup;
  setup.config.SetU16(28, 1);    // random events
  setup.settings.SetU16(40, 1);  // make-up of the guild's own asteroids and of scans only
  StartWith(setup);
  std::vector<std::uint8_t> before(20);
  for (std::uint16_t a = 0; a < 20; ++a) before[a] = World().solar.GetAsteroid(a)->composition;
  std::optional<std::uint16_t> changed;
  for (int turn = 0; turn < 80 && !changed; ++turn) {
    EndTurn();
    for (std::uint16_t a = 0; a < 20; ++a)
      if (World().solar.GetAsteroid(a)->composition != before[a]) changed = a;
  }
  ASSERT_TRUE(changed) << "no vein in 80 turns";
  const std::uint16_t owner = World().solar.GetAsteroid(*changed)->owner;
  for (const auto& [player, chapter] : kSeats) {
    std::size_t told = 0;
    for (const SrvPacket& p : out.Of(player, PKT_ASTEROID_COMPOSITION)) told += ReadU16(p, 8) == *changed;
    EXPECT_EQ(told, owner < kMaxChapters && (owner >> 3) == (chapter >> 3) ? 1u : 0u) << "chapter " << chapter;
  }
}

TEST_F(SrvSessionNews, AVeinLaidBareIsToldToEveryChapterThatKnowsTheAsteroid) {
  SrvSetup setup;
  setup.config.SetU16(28, 1);    // random events
  setup.settings.SetU16(40, 0);  // every asteroid's make-up known
  StartWith(setup);
  std::vector<std::uint8_t> before(20);
  for (std::uint16_t a = 0; a < 20; ++a) before[a] = World().solar.GetAsteroid(a)->composition;
  std::optional<std::uint16_t> changed;
  std::size_t toldBefore = 0;
  for (int turn = 0; turn < 80 && !changed; ++turn) {
    toldBefore = out.Of(7, PKT_ASTEROID_COMPOSITION).size();
    EndTurn();
    for (std::uint16_t a = 0; a < 20; ++a)
      if (World().solar.GetAsteroid(a)->composition != before[a]) changed = a;
  }
  ASSERT_TRUE(changed) << "no vein in 80 turns";
  EXPECT_EQ(toldBefore, 0u) << "nothing to tell before";
  const std::uint8_t now = World().solar.GetAsteroid(*changed)->composition;
  for (std::uint32_t player : {7u, 8u}) {
    const auto told = out.Of(player, PKT_ASTEROID_COMPOSITION);
    ASSERT_EQ(told.size(), 1u) << player;
    EXPECT_EQ(ReadU16(told[0], 8), *changed);
    EXPECT_EQ(told[0][10], now);
  }
  const auto toSeven = AllTo(out, 7);
  server.reset();
  ClientModel seven(0, 1);
  seven.Apply(toSeven);
  EXPECT_EQ(seven.data.solarDB.GetAsteroid(*changed)->composition, now);
}
