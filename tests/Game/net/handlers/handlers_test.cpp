#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <tuple>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GViewNotices.h"
#include "Game/model/GZone.h"
#include "Game/net/NetHandlers.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "tests/Game/net/fake_multi.h"
#include "tests/Game/net/handlers/game_streams.h"
#include "tests/Game/net/handlers/handlers_fixture.h"

namespace {

using handlers_test::HandlerGame;
using handlers_test::Packet;

class Handlers : public HandlerGame {
 protected:
  Handlers() : game(NewGame(9, 8)) {
    Apply(Packet(PKT_SOLAR_SYSTEM, 22).Put<std::uint16_t>(8, 1).Put<std::uint16_t>(12, 10));
    for (std::uint16_t a = 0; a < 10; ++a) {
      Packet p(PKT_ASTEROID, 116);
      p.Put<std::uint16_t>(8, a).Put<std::uint16_t>(10, kNoChapter).Put<std::uint8_t>(57, 2);
      Apply(p);
    }
    design = new CGUnitTemplate(9, static_cast<std::int32_t>((9u << 26) | 1));
    game->templates.AddTemplate(design, 9);
    foreign = new CGUnitTemplate(17, static_cast<std::int32_t>((17u << 26) | 1));
    game->templates.AddTemplate(foreign, 17);
  }
  CGUnit* Unit(std::uint8_t chapter, std::uint32_t k, std::uint16_t asteroid) {
    const Location at{asteroid, 0, 0, 0};
    return game->pieces.CreateUnit(chapter == 9 ? design : foreign, &at, chapter, (std::uint32_t{chapter} << 26) | k);
  }
  Packet Notice(std::uint16_t category, std::uint16_t code, std::uint16_t p1, std::uint32_t p2, std::uint32_t p3) {
    return Packet(PKT_NOTIFICATION, 152)
        .Put<std::uint16_t>(8, category)
        .Put<std::uint16_t>(10, code)
        .Put<std::uint16_t>(140, p1)
        .Put<std::uint32_t>(144, p2)
        .Put<std::uint32_t>(148, p3);
  }

  std::unique_ptr<CGameData> game;
  CGUnitTemplate* design = nullptr;
  CGUnitTemplate* foreign = nullptr;
};

TEST_F(Handlers, PacketsShorterThanTheirFieldsAreDroppedWithoutATrace) {
  const auto before = Saved(*game, "before.sav");
  for (auto group :
       {SystemHandlers(), SolarHandlers(), UnitHandlers(), GuildHandlers(), TurnHandlers(), TerrainHandlers()}) {
    for (const HandlerEntry& e : group) {
      if (e.minLength <= kPacketHeaderSize) continue;
      Packet p(e.type, e.minLength);
      EXPECT_FALSE(ApplyShort(p, e.minLength - 1u)) << e.type;
    }
  }
  EXPECT_FALSE(HandlePacket(nullptr, std::vector<std::uint8_t>(kMaxPacketSize + 1, 0), 0));
  EXPECT_FALSE(HandlePacket(nullptr, std::vector<std::uint8_t>(7, 0), 0));
  EXPECT_TRUE(posted.empty());
  EXPECT_EQ(Saved(*game, "after.sav"), before);
  // An unknown type is taken and does nothing.
  EXPECT_TRUE(Apply(Packet(999, 8)));
  // The longest packet of each type reads nothing past its fields.
  for (auto group : {SolarHandlers(), UnitHandlers(), TurnHandlers(), TerrainHandlers()})
    for (const HandlerEntry& e : group) HandlePacket(nullptr, Packet(e.type, kMaxPacketSize).bytes, 0);
}

TEST_F(Handlers, IndexesOutsideTheirTablesAreRefusedWhole) {
  const auto before = Saved(*game, "before.sav");
  EXPECT_FALSE(Apply(Packet(PKT_INTERREGNUM_START, 20).Put<std::uint16_t>(8, 5)));
  EXPECT_FALSE(Apply(Packet(PKT_INTERREGNUM_START, 12 + game->chaptersPerGuild - 1).Put<std::uint16_t>(8, 1)));
  EXPECT_FALSE(Apply(Packet(PKT_INTERREGNUM_END, 10).Put<std::uint16_t>(8, 5)));
  EXPECT_FALSE(Apply(Packet(PKT_CHAPTER_NAME, 20).Put<std::uint16_t>(8, 40).Text(16, "X")));
  EXPECT_FALSE(Apply(Packet(PKT_PLAYER_ID, 16).Put<std::uint16_t>(8, kPlayerSlots)));
  EXPECT_FALSE(Apply(Packet(PKT_SOLAR_SYSTEM, 22).Put<std::uint16_t>(12, kMaxAsteroids + 1)));
  EXPECT_FALSE(Apply(Packet(PKT_POOL_STATE, 32).Put<std::uint16_t>(8, kMaxAsteroids)));
  EXPECT_FALSE(Apply(Packet(PKT_GUILD_VOTES, 100).Put<std::uint16_t>(8, 5)));
  EXPECT_FALSE(Apply(Packet(PKT_MINERAL_OFFER_POSTED, 22).Put<std::uint8_t>(8, 40)));
  EXPECT_FALSE(Apply(Packet(PKT_UNIT, 28).Put<std::uint16_t>(8, 40)));
  EXPECT_FALSE(Apply(Packet(PKT_UNIT_RESULT, 210).Put<std::uint32_t>(8, 45u << 26)));
  EXPECT_FALSE(Apply(Packet(PKT_ASTEROID, 116).Put<std::uint16_t>(8, 3).Put<std::uint8_t>(57, 5)));
  EXPECT_FALSE(Apply(Packet(PKT_ASTEROID_ZONES, 48).Put<std::uint16_t>(8, 3).Put<std::uint16_t>(10, 13)));
  // A home asteroid past the solar system touches nothing, not even the chapter.
  EXPECT_FALSE(Apply(Packet(PKT_CHAPTER_START, 66)
                         .Put<std::uint16_t>(8, 2)
                         .Put<std::uint16_t>(10, 1)
                         .Text(12, "Lost")
                         .Put<std::uint16_t>(64, 10)));
  // Counts that the packet does not hold.
  EXPECT_FALSE(Apply(Packet(PKT_TERRAIN_EVENTS, 12 + 36).Put<std::int16_t>(8, 2).Put<std::uint16_t>(10, 1)));
  EXPECT_FALSE(Apply(Packet(PKT_REPLAY_DATA, 20).Put<std::uint8_t>(8, 1).Put<std::uint16_t>(12, 7)));
  EXPECT_TRUE(Apply(Packet(PKT_TERRAIN_EVENTS, 12).Put<std::int16_t>(8, -3).Put<std::uint16_t>(10, 1)));
  EXPECT_EQ(Saved(*game, "after.sav"), before);
}

TEST_F(Handlers, GuildVotesAreStoredWithoutSendingVotesForOthers) {
  rules_test::RulesLinksScope sends;
  game = nullptr;
  game = NewGame(9, 8);
  Packet votes(PKT_GUILD_VOTES, 100);
  votes.Put<std::uint16_t>(8, 1).Put<std::uint16_t>(98, 8);
  for (int c = 0; c < 8; ++c) {
    votes.Put<std::uint8_t>(90 + c, 3);
    votes.Put<std::uint8_t>(26 + 8 * c + 2, 1);
  }
  EXPECT_TRUE(Apply(votes));
  EXPECT_TRUE(sends.sent.empty());
  const CGChapter* member = game->guildList->GetChapter(12);
  EXPECT_EQ(std::make_tuple(member->imperatorVotes[3], member->renegadeVotes[2]), std::make_tuple(1u, 1u));
}

TEST_F(Handlers, UnitsEnterMoveAndAreReplacedByTheirResults) {
  Unit(17, 1, 4);
  // Another chapter's unit arriving where the local chapter has nothing.
  EXPECT_TRUE(Apply(Packet(PKT_UNIT_MOVED, 20).Put<std::uint32_t>(8, (17u << 26) | 1).Put<std::uint8_t>(12, 6)));
  std::uint16_t at = 0;
  ASSERT_NE(game->pieces.FindUnit((17u << 26) | 1, &at), nullptr);
  EXPECT_EQ(at, 6);
  ASSERT_EQ(game->notifications->GetCount(), 1);
  EXPECT_EQ(game->notifications->GetEntry(0)->code, 416);
  // Within the same asteroid: no notice.
  EXPECT_TRUE(Apply(Packet(PKT_UNIT_MOVED, 20).Put<std::uint32_t>(8, (17u << 26) | 1).Put<std::uint8_t>(12, 6)));
  EXPECT_EQ(game->notifications->GetCount(), 1);
  // An unknown design creates nothing.
  EXPECT_FALSE(Apply(Packet(PKT_UNIT, 28)
                         .Put<std::uint16_t>(8, 9)
                         .Put<std::uint32_t>(12, (9u << 26) | 7)
                         .Put<std::uint32_t>(24, (9u << 26) | 99)));
  EXPECT_EQ(game->pieces.FindUnit((9u << 26) | 7, &at), nullptr);
  // A result with another design deletes the unit and makes it again.
  Packet result(PKT_UNIT_RESULT, 210);
  result.Put<std::uint32_t>(8, (17u << 26) | 1)
      .Put<std::uint8_t>(13, 5)
      .Put<std::uint32_t>(24, (17u << 26) | 2)
      .Put<std::uint8_t>(30, 17)
      .Text(32, "Refit")
      .Put<std::uint16_t>(140, 6)
      .Put<std::uint8_t>(148, 40);
  EXPECT_TRUE(Apply(result));
  CGUnit* remade = game->pieces.FindUnit((17u << 26) | 1, &at);
  ASSERT_NE(remade, nullptr);
  EXPECT_EQ(remade->GetTemplate()->templateId, (17u << 26) | 2);
  EXPECT_EQ(std::make_tuple(remade->hullDamage, remade->statusWord), std::make_tuple(40, 5u));
  EXPECT_TRUE(Apply(Packet(PKT_UNIT_DELETED, 12).Put<std::uint32_t>(8, (17u << 26) | 1)));
  EXPECT_EQ(game->pieces.FindUnit((17u << 26) | 1, &at), nullptr);
}

// A stun as the stunned ship's owner is told of it: the server's 301 puts it
// before the order the player gave (whose stage it keeps), the ship refuses
// a new queue, and the 303 that ends it gives the waiting order back the
// lead.
TEST_F(Handlers, AStunFromTheServerLeadsTheQueueUntilItsEnd) {
  CGUnit* ship = Unit(9, 1, 4);
  auto scan = std::make_unique<UnitOrder>();
  scan->type = ORDER_SCAN_ASTEROID;
  scan->SetWord(0, 4);
  ship->InsertOrder(std::move(scan), kInsertReplace, false);
  ship->stage = 2;
  Packet stun(PKT_ORDER, kOrderPacketSize);
  stun.Put<std::uint32_t>(8, ship->id)
      .Put<std::uint32_t>(12, ORDER_STUNNED)
      .Put<std::uint8_t>(20, kInsertFront)
      .Put<std::uint32_t>(24, 3);
  EXPECT_TRUE(Apply(stun));
  ASSERT_EQ(ship->GetOrderCount(), 2);
  EXPECT_EQ(std::make_tuple(ship->GetOrder(0)->type, ship->GetOrder(0)->Word(0), ship->GetOrder(1)->type),
            std::make_tuple(std::uint32_t{ORDER_STUNNED}, 3u, std::uint32_t{ORDER_SCAN_ASTEROID}));
  EXPECT_EQ(ship->stage, 2);
  EXPECT_EQ(ship->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 5, kInsertReplace), 0);
  EXPECT_EQ(ship->GetOrderCount(), 2);

  EXPECT_TRUE(Apply(Packet(PKT_ORDER_REMOVED, 16).Put<std::uint32_t>(8, ship->id).Put<std::int32_t>(12, 1)));
  ASSERT_EQ(ship->GetOrderCount(), 1);
  EXPECT_EQ(ship->GetOrder(0)->type, std::uint32_t{ORDER_SCAN_ASTEROID});
  // A stun for a ship the client does not hold is refused.
  stun.Put<std::uint32_t>(8, (9u << 26) | 77);
  EXPECT_FALSE(Apply(stun));
}

// A design out of the fixed slots (a bought ship's copy) comes with its
// values before the unit of it; the server tells it again when it cannot
// know whether the client still holds it.
TEST_F(Handlers, ADesignOutOfTheSlotsIsHeldOnceAndNamesTheUnitOfIt) {
  const std::uint32_t id = (9u << 26) | 50;
  const auto extras = [&] { return game->templates.extra[9].count; };
  const std::uint16_t before = extras();
  Packet values(PKT_TEMPLATE_VALUES, 36);
  values.Put<std::uint32_t>(8, id).Put<std::uint16_t>(12, 12).Put<std::uint16_t>(14, 1).Put<std::uint32_t>(32, 7);
  EXPECT_FALSE(Apply(values)) << "values of a design not held go nowhere";
  EXPECT_EQ(extras(), before);
  Packet told(PKT_TEMPLATE, kTemplatePacketSize);
  told.Put<std::uint32_t>(8, id).Put<std::uint16_t>(12, 65535).Put<std::uint8_t>(14, 9).Text(16, "Bought");
  ASSERT_TRUE(Apply(told));
  ASSERT_TRUE(Apply(values));
  Packet result(PKT_UNIT_RESULT, 210);
  result.Put<std::uint32_t>(8, (9u << 26) | 8)
      .Put<std::uint32_t>(24, id)
      .Put<std::uint8_t>(30, 9)
      .Text(32, "Bought")
      .Put<std::uint16_t>(140, 3);
  ASSERT_TRUE(Apply(result));
  EXPECT_TRUE(Apply(told)) << "told again";
  EXPECT_EQ(extras(), before + 1);
  std::uint16_t at = 0;
  const CGUnit* unit = game->pieces.FindUnit((9u << 26) | 8, &at);
  ASSERT_NE(unit, nullptr);
  const CGUnitTemplate* design = game->templates.FindTemplateById(id);
  EXPECT_EQ(unit->GetTemplate(), design);
  EXPECT_STREQ(design->GetName(), "Bought");
  EXPECT_EQ(std::make_tuple(design->creationTurn, design->creationTurnHigh, design->trailingLongs[3]),
            std::make_tuple(12, 1, 7u));
}

// A design is 124 bytes whoever builds it (the server, the client's own
// stores); one cut after its fitted flags is not a design and changes nothing.
TEST_F(Handlers, ADesignCutBeforeItsTrailingZerosIsDropped) {
  const std::uint32_t id = (9u << 26) | 51;
  const auto extras = [&] { return game->templates.extra[9].count; };
  const std::uint16_t before = extras();
  Packet cut(PKT_TEMPLATE, 118);
  cut.Put<std::uint32_t>(8, id).Put<std::uint16_t>(12, 65535).Put<std::uint8_t>(14, 9).Text(16, "Stub");
  EXPECT_FALSE(Apply(cut));
  EXPECT_EQ(game->templates.FindTemplateById(id), nullptr);
  EXPECT_EQ(extras(), before);
  ASSERT_NE(design, nullptr);
  const auto whole = BuildTemplatePacket(*design, 65535, 9);
  ASSERT_EQ(whole.bytes.size(), kTemplatePacketSize);
  EXPECT_TRUE(HandlePacket(nullptr, whole.bytes, 0));
}

TEST_F(Handlers, NotificationsCarryTheirModelChanges) {
  CGUnit* u = Unit(17, 3, 2);
  EXPECT_TRUE(Apply(Notice(7, 700, 0, 0, 0)));
  EXPECT_EQ(game->notifications->GetCount(), 0);
  // Another chapter's tech upgrade: silent.
  EXPECT_TRUE(Apply(Notice(4, 417, 2, 17, 0)));
  EXPECT_EQ(game->notifications->GetCount(), 0);
  EXPECT_EQ(game->guildList->GetChapter(17)->atvTech[1].level, 1);
  // A chapter out of the game: its units stop and its zones go.
  EXPECT_TRUE(Apply(Notice(4, 409, 0, 17, 0)));
  EXPECT_FALSE(u->IsOperational());
  EXPECT_EQ(game->notifications->GetCount(), 1);
  // ATVs built: the zone in the high byte of parameter 1, the asteroid in
  // the high half of parameter 2; the low half of parameter 2 names nothing.
  CGZone* zone = game->solarDB.GetAsteroid(3)->GetZone(4);
  CGZone* other = game->solarDB.GetAsteroid(3)->GetZone(1);
  zone->SetFacilities(FACILITY_ATV_CONSTRUCTION);
  other->SetFacilities(FACILITY_ATV_CONSTRUCTION);
  ASSERT_TRUE(zone->atvConstruction && other->atvConstruction);
  EXPECT_TRUE(Apply(Notice(1, 113, (4 << 8) | 2, (3u << 16) | 1, 0x0A0B0C0D)));
  EXPECT_EQ(std::make_tuple(zone->atvConstruction[0], zone->atvConstruction[3]), std::make_tuple(0x0A, 0x0D));
  EXPECT_EQ(other->atvConstruction[0], 0);
  EXPECT_EQ(game->notifications->GetCount(), 2);
}

TEST_F(Handlers, ReplayPartsAreAppendedPerReplayAndARestartResetsTheFile) {
  auto part = [](std::uint8_t n, std::uint16_t replay, std::uint8_t byte) {
    return Packet(PKT_REPLAY_DATA, 16)
        .Put<std::uint8_t>(8, n)
        .Put<std::uint16_t>(10, replay)
        .Put<std::uint16_t>(12, 2)
        .Put<std::uint8_t>(14, byte)
        .Put<std::uint8_t>(15, byte);
  };
  for (std::uint8_t n = 1; n <= 3; ++n) Apply(part(n, 1, n));
  EXPECT_EQ(box.Read("1.rpl"), std::string("\1\1\2\2\3\3", 6));
  // The next replay counts its own parts.
  Apply(part(1, 2, 9));
  EXPECT_EQ(box.Read("2.rpl"), std::string("\x09\x09", 2));
  Apply(part(2, 2, 8));
  Apply(part(1, 2, 7));
  Apply(part(4, 2, 6));
  EXPECT_EQ(box.Read("2.rpl"), std::string("\xFF\xFF\xFF\xFF\x06\x06", 6));
  Apply(part(0, 2, 5));
  Apply(part(1, 2, 4));
  EXPECT_EQ(box.Read("2.rpl"), std::string("\xFF\xFF\xFF\xFF\x06\x06\x05\x05\x04\x04", 10));
  // The next turn, after the files were deleted: the same replay starts afresh.
  box.Write("2.rpl", std::string());
  Apply(part(1, 2, 3));
  EXPECT_EQ(box.Read("2.rpl"), std::string("\x03\x03", 2));
}

TEST_F(Handlers, SessionPacketsPostToTheMainWindowOrAnswer) {
  Apply(Packet(PKT_START, 10));
  EXPECT_TRUE(posted.empty());
  Apply(Packet(PKT_TURN_RESULTS, 8));
  Apply(Packet(PKT_AUTOSAVE, 12).Put<std::uint32_t>(8, 77));
  Apply(Packet(PKT_LOAD_REPLY, 14).Put<std::uint32_t>(8, 1));
  ASSERT_EQ(posted.size(), 3u);
  EXPECT_EQ(std::make_tuple(posted[0].msg, posted[1].lParam, posted[2].wParam),
            std::make_tuple(WM_NET_TURN_RESULTS, 77, 1u));
  Apply(Packet(PKT_SAVE_GAME, 272));
  EXPECT_TRUE(posted.back().sent);

  game->AdvanceModelTurn();
  EXPECT_EQ(game->turn, 1u);

  // A configuration for another count of chapters per guild than the game was
  // made with keeps the game's (its guilds and saves are made for it).
  const std::uint8_t perGuild = game->chaptersPerGuild;
  Apply(Packet(PKT_GAME_CONFIG, 36)
            .Put<std::uint8_t>(14, perGuild == 3 ? 4 : 3)
            .Put<std::uint16_t>(22, 60)
            .Put<std::uint16_t>(30, 3));
  EXPECT_EQ(std::make_tuple(game->chaptersPerGuild, game->gameLength, game->solarDB.orbitMotion),
            std::make_tuple(perGuild, 60, 4));
  const std::vector<std::string>& movies = shell.movies;
  Apply(Packet(PKT_GAME_OVER, 50).Put<std::uint8_t>(8 + 9, 2).Put<std::uint16_t>(48, 32));
  Apply(Packet(PKT_GAME_OVER, 50).Put<std::uint8_t>(8 + 9, 3));
  EXPECT_EQ(movies, std::vector<std::string>{"majorwin.avi"});
  EXPECT_EQ(game->victoryFlags, 1);
  Apply(Packet(PKT_CHAPTER_TRAITS, 28).Put<std::uint8_t>(27, 42));
  EXPECT_EQ(game->GetLocalChapter()->GetTrait(19), 42);
}

TEST_F(Handlers, ALoadRequestAsksWhetherThePlayerHasTheGame) {
  const std::vector<std::string>& asked = shell.asked;
  shell.answers.assign(5, false);
  auto request = [](const char* name, std::uint32_t id) {
    return Packet(PKT_LOAD_REQUEST, 276).Text(8, name).Put<std::uint32_t>(264, id);
  };
  box.Write("turn5.sav", std::string("\1\x2A\0\0\0", 5));
  box.Write("turn6.clt", std::string("\1\x2B\0\0\0", 5));
  Apply(request("turn5.sav", 42));
  Apply(request("turn5.sav", 43));  // the file is there, but another game's
  Apply(request("turn6.sav", 43));  // only the client's own copy is there
  Apply(request("turn7.sav", 43));
  box.Write("turn8.clt", std::string("\1\x2C\0\0\0", 5));
  Apply(request("turn8", 44));  // a name without an extension: its ".clt" copy
  EXPECT_EQ(asked, (std::vector<std::string>{"LOADGMYN", "QTLDGMYN", "LOADGMYN", "QTLDGMYN", "LOADGMYN"}));
  game = nullptr;
  Apply(request("turn5.sav", 42));  // without a game the answer is yes, unasked
  EXPECT_EQ(asked.size(), 5u);
}

TEST_F(Handlers, ChapterAndChatPacketsReachTheModelAndTheViews) {
  struct Screen : IViewNotices {
    int lights = 0, redraws = 0;
    void ChatLight(int on, int sound) override { lights += on && !sound; }
    bool InfoPanelShowsChat() override { return true; }
    void InvalidateView() override { ++redraws; }
  } screen;
  RegisterViewNotices(&screen);
  const int& lights = screen.lights;
  const int& redraws = screen.redraws;
  Apply(Packet(PKT_CHAPTER_START, 66)
            .Put<std::uint16_t>(8, 1)
            .Put<std::uint16_t>(10, 1)
            .Text(12, "Mine")
            .Put<std::uint16_t>(64, 7));
  EXPECT_EQ(game->guildList->GetChapter(9)->GetName(), nullptr);  // the local player's name stays
  EXPECT_EQ(game->solarDB.GetAsteroid(7)->owner, 9);
  EXPECT_EQ(game->GetLocalChapter()->homeAsteroid, 7);
  Apply(Packet(PKT_CHAPTER_NAME_SET, 20).Put<std::uint16_t>(8, 4).Put<std::uint16_t>(10, 2).Text(12, "Far"));
  EXPECT_STREQ(game->guildList->GetChapter(34)->GetName(), "Far");
  Apply(Packet(PKT_CHAT, 24).Put<std::uint8_t>(8, 34).Put<std::uint8_t>(9, 9).Text(16, "hello"));
  EXPECT_EQ(game->GetLocalChapter()->chatMessages.count, 1);
  EXPECT_EQ(lights, 1);
  EXPECT_EQ(redraws, 1);
  Apply(Packet(PKT_INTERREGNUM_END, 10).Put<std::uint16_t>(8, 4));
  EXPECT_EQ(game->notifications->GetEntry(0)->code, 413);
  RegisterViewNotices(nullptr);
}

TEST_F(Handlers, TheDispatcherTakesOnePacketPerCallAndGivesEveryNodeBack) {
  auto owned = std::make_unique<nettest::FakeMulti>();
  nettest::FakeMulti& multi = *owned;
  CNetSession session(std::move(owned));
  session.StartReceiving();
  EXPECT_EQ(DispatchPacket(session), 0u);

  Packet credits(PKT_CREDITS, 12);
  credits.Put<std::uint32_t>(8, 777);
  multi.inbox.push_back({HVM_MSG_PACKET, credits.bytes, 3});
  multi.inbox.push_back({HVM_MSG_PACKET, Packet(999, 8).bytes, 3});
  const std::vector<std::uint16_t>& handled = shell.handled;
  EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_EQ(game->GetLocalChapter()->credits, 777u);
  EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_EQ(DispatchPacket(session), 0u);
  EXPECT_EQ(handled, (std::vector<std::uint16_t>{PKT_CREDITS, 999}));

  // Without a window to tell, a packet is taken and dropped.
  shell.hears = false;
  credits.Put<std::uint32_t>(8, 5);
  multi.inbox.push_back({HVM_MSG_PACKET, credits.bytes, 3});
  EXPECT_EQ(DispatchPacket(session), 0u);
  EXPECT_EQ(game->GetLocalChapter()->credits, 777u);
  EXPECT_EQ(DispatchPacket(session), 0u);
}

// Load data (7) is taken only for a load this player agreed to, and is left
// for the main loop: whatever its file holds, the packets behind it are
// handled at once.
TEST_F(Handlers, LoadDataIsTakenOnlyWhenAgreedAndNeverHoldsUpThePacketsBehind) {
  auto owned = std::make_unique<nettest::FakeMulti>();
  nettest::FakeMulti& multi = *owned;
  CNetSession session(std::move(owned));
  session.StartReceiving();
  auto load = [](std::uint32_t id) {
    return Packet(PKT_LOAD_GAME, 276).Text(8, "missing.svr").Put<std::uint32_t>(264, id).bytes;
  };
  Packet credits(PKT_CREDITS, 12);
  credits.Put<std::uint32_t>(8, 31);

  multi.inbox.push_back({HVM_MSG_PACKET, load(0x51), 3});  // never asked
  multi.inbox.push_back({HVM_MSG_PACKET, credits.bytes, 3});
  EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_TRUE(posted.empty());
  EXPECT_TRUE(session.TakeKeptLoad().empty());
  EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_EQ(game->GetLocalChapter()->credits, 31u);

  multi.inbox.push_back(
      {HVM_MSG_PACKET, Packet(PKT_LOAD_REQUEST, 276).Text(8, "missing.clt").Put<std::uint32_t>(264, 0x52).bytes, 3});
  multi.inbox.push_back({HVM_MSG_PACKET, load(0x51), 3});  // another game than the one agreed to
  multi.inbox.push_back({HVM_MSG_PACKET, load(0x52), 3});
  credits.Put<std::uint32_t>(8, 32);
  multi.inbox.push_back({HVM_MSG_PACKET, credits.bytes, 3});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_EQ(game->GetLocalChapter()->credits, 32u);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].msg, WM_NET_LOAD_DATA);
  EXPECT_FALSE(posted[0].sent);
  EXPECT_EQ(session.TakeKeptLoad(), load(0x52));
  EXPECT_TRUE(session.TakeKeptLoad().empty());

  // The agreement is used up by its load.
  multi.inbox.push_back({HVM_MSG_PACKET, load(0x52), 3});
  EXPECT_EQ(DispatchPacket(session), 1u);
  EXPECT_EQ(posted.size(), 1u);
  EXPECT_TRUE(session.TakeKeptLoad().empty());
}

TEST_F(HandlerGame, ATurnsResultsUpdateTheWholeModel) {
  const game_streams::Shape shape{12, 2, 40};
  auto game = NewGame(9, shape.chaptersPerGuild);
  for (const auto& p : game_streams::StartOfGame(shape)) ASSERT_TRUE(HandlePacket(nullptr, p, 0));
  std::uint16_t at = 0;
  ASSERT_NE(game->pieces.FindUnit(game_streams::UnitId(shape, 39), &at), nullptr);
  const double angle = game->solarDB.GetAsteroid(5)->angle;

  for (const auto& p : game_streams::TurnResults(shape, 1)) ASSERT_TRUE(HandlePacket(nullptr, p, 0));
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].msg, WM_NET_TURN_PROCESSING);
  EXPECT_EQ(posted[1].msg, WM_NET_TURN_RESULTS);
  game->AdvanceModelTurn();  // the main window's part of message 0x804
  EXPECT_EQ(game->turn, 1u);
  EXPECT_NE(game->solarDB.GetAsteroid(5)->angle, angle);
  EXPECT_EQ(game->scores[39], 139u);
  ChapterStanding cell;
  game->GetChapterStanding(0, 0, &cell);
  EXPECT_EQ(cell.asteroids, 1);
  EXPECT_EQ(game->poolDB.GetMineral(11, 0), 101u);
  EXPECT_EQ(game->solarDB.GetAsteroid(10)->GetTerrainEventCount(), 4);
  const CGUnit* unit = game->pieces.FindUnit(game_streams::UnitId(shape, 39), &at);
  EXPECT_EQ(std::make_tuple(unit->power, unit->location.x), std::make_tuple(40, 3 + 39));
}

}  // namespace

// The server program's leaving, as the library tells it, ends the game with
// the lost-connection box; once the game is over (packet 19) its server
// leaves by itself, and that is no fault.
TEST_F(Handlers, TheServerLeavingIsALostConnectionUntilTheGameIsOver) {
  constexpr std::uint32_t kServer = 2;
  const auto boxes = [&] { return std::count(shell.boxes.begin(), shell.boxes.end(), "COMM_ERR"); };
  auto play = [&](bool over) {
    auto owned = std::make_unique<nettest::FakeMulti>();
    nettest::FakeMulti& multi = *owned;
    multi.serverId = kServer;
    CNetSession session(std::move(owned));
    session.player.id = 5;
    session.StartReceiving();
    EXPECT_EQ(DispatchPacket(session), 0u);
    if (over) {
      multi.inbox.push_back({HVM_MSG_PACKET, Packet(PKT_GAME_OVER, 50).Put<std::uint32_t>(4, 1).bytes, kServer});
      EXPECT_EQ(DispatchPacket(session), 1u);
    }
    multi.serverId = HVM_ID_NONE;
    multi.AddNotice(HVM_NOTICE_LEFT, 7);
    multi.AddNotice(HVM_NOTICE_LEFT, kServer);
    EXPECT_EQ(DispatchPacket(session), 0u);
    EXPECT_EQ(DispatchPacket(session), 0u);
  };
  play(false);
  EXPECT_EQ(boxes(), 1);
  play(true);
  EXPECT_EQ(boxes(), 1);
}
