// The server's link to the session, over a stand-in for the multiplayer
// library that refuses, as busy, what it is told to: a player who takes
// nothing must not hold up the server or the others.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <vector>

#include "hvmulti/HvMulti.h"
#include "server/SrvNetLink.h"
#include "tests/server/srv_packets.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t kServer = 100, kHost = 1, kGuest = 2, kReader = 3;

struct StandInLibrary : CHvMulti {
  // Sends to these players are refused as busy; `allBusy` refuses every send.
  std::set<std::uint32_t> busyFor;
  bool allBusy = false;
  std::map<std::uint32_t, std::vector<std::vector<std::uint8_t>>> delivered;
  std::map<std::uint32_t, int> attempts;
  std::deque<std::pair<std::uint32_t, std::vector<std::uint8_t>>> inbox;

  int JoinAsServer(const char*, HvMPlayer_Struct* player) override {
    player->id = kServer;
    return 0;
  }
  std::vector<HvMPlayerInfo> GetPlayers() override {
    return {{kServer, true, false, "QuenSrvr", ""},
            {kHost, false, true, "Host", ""},
            {kGuest, false, false, "Guest", ""},
            {kReader, false, false, "Reader", ""}};
  }
  int Send(std::uint32_t, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t, int) override {
    ++attempts[to];
    if (allBusy || busyFor.count(to) != 0) return HVM_ERR_BUSY;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    delivered[to].emplace_back(bytes, bytes + length);
    return 0;
  }
  int Flush() override { return 0; }
  int CheckMessages() override { return static_cast<int>(inbox.size()); }
  int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
             std::uint32_t* extra) override {
    if (inbox.empty()) return HVM_ERR_NOMESSAGE;
    const auto [sender, bytes] = inbox.front();
    inbox.pop_front();
    std::copy(bytes.begin(), bytes.end(), buffer);
    *length = static_cast<std::uint32_t>(bytes.size());
    *from = sender;
    *to = kServer;
    *extra = 1;
    return HVM_MSG_PACKET;
  }
  void From(std::uint32_t player, std::vector<std::uint8_t> packet, int times = 1) {
    for (int i = 0; i < times; ++i) inbox.emplace_back(player, packet);
  }
  std::size_t Count(std::uint32_t player, std::uint16_t type) const {
    const auto it = delivered.find(player);
    if (it == delivered.end()) return 0;
    return static_cast<std::size_t>(
        std::count_if(it->second.begin(), it->second.end(), [&](const auto& p) { return ReadU16(p, 0) == type; }));
  }
};

struct SrvNetLinkTest : testing::Test {
  StandInLibrary library;
  SrvLog log;
  SrvNetLink link{library, log};
  quentest::TempDir dir{"quen_srv_link"};
  SrvGame game{link, log, nullptr, 5, dir.path().string() + "/"};

  void SetUp() override {
    ASSERT_EQ(link.Join(), 0);
    link.IntroducePlayers(game);
  }
  // Pumps until every message is handled (each pump handles a bounded number).
  void PumpAll() {
    for (int i = 0; i < 1000 && !library.inbox.empty(); ++i) ASSERT_TRUE(link.Pump(game));
    ASSERT_TRUE(link.Pump(game));
  }
};

std::vector<std::uint8_t> Reports() { return Pkt<12>(PKT_CHAPTER_REPORTS); }

}  // namespace

TEST_F(SrvNetLinkTest, APlayerWhoTakesNothingWaitsAloneAndIsDroppedAtItsLimit) {
  library.busyFor = {kGuest};
  library.From(kGuest, Reports(), 2);
  library.From(kReader, Reports());
  PumpAll();
  // The reader had its 41 answers at once; the guest's wait, each tried once
  // as it was sent and once a pump since.
  EXPECT_EQ(library.Count(kReader, PKT_CHAPTER_REPORTS) + library.Count(kReader, PKT_CHAPTER_NAME), 41u);
  EXPECT_EQ(link.Waiting(kGuest), 82u);
  EXPECT_LE(library.attempts[kGuest], 2 + 4);
  ASSERT_TRUE(game.Receive(kGuest, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, 5)));
  EXPECT_EQ(game.Holder(5), kGuest);

  // The guest goes on asking and reading nothing: past its outbox's limit it is dropped.
  const int requests = static_cast<int>(SrvNetLink::kMaxWaitingPackets / 41 + 2);
  library.From(kGuest, Reports(), requests);
  library.From(kReader, Reports());
  PumpAll();
  EXPECT_EQ(link.Waiting(kGuest), 0u);
  EXPECT_EQ(game.Holder(5), 0u) << "the game heard that it left";
  EXPECT_LE(library.attempts[kGuest], requests * 41 / 4) << "a refused send is not retried in a loop";
  EXPECT_EQ(library.Count(kReader, PKT_CHAPTER_REPORTS), 2u);
  // What it sends from then on is not taken, nor is it sent anything.
  library.busyFor.clear();
  library.From(kGuest, Reports());
  library.From(kReader, Reports());
  PumpAll();
  EXPECT_EQ(library.Count(kGuest, PKT_CHAPTER_REPORTS), 0u);
  EXPECT_EQ(library.Count(kReader, PKT_CHAPTER_REPORTS), 3u);
}

TEST_F(SrvNetLinkTest, WhileTheLibraryIsBusyPacketsWaitAndGoOutInOrderNumberedWithoutAGap) {
  library.From(kHost, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 101));
  library.From(kHost, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, 0));
  library.From(kReader, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, 8));
  PumpAll();
  library.allBusy = true;
  library.From(kHost, Pkt<12>(PKT_START));
  // The host's game answers the server's question (50) with its configuration.
  library.From(kHost, Pkt<40>(PKT_GAME_CONFIG).U16(14, 1).U16(16, 10));
  PumpAll();
  ASSERT_TRUE(game.Started());
  EXPECT_GT(link.Waiting(kReader), 10u);
  library.allBusy = false;
  ASSERT_TRUE(link.Pump(game));
  for (const std::uint32_t player : {kHost, kReader}) {
    EXPECT_EQ(link.Waiting(player), 0u);
    std::uint32_t expected = 1;
    std::vector<std::uint16_t> types;
    for (const auto& p : library.delivered[player]) {
      if (ReadU32(p, 4) == 0) continue;
      EXPECT_EQ(ReadU32(p, 4), expected++);
      types.push_back(ReadU16(p, 0));
    }
    ASSERT_GE(types.size(), 4u);
    EXPECT_EQ(types[0], PKT_START) << "the waiting room's end";
    EXPECT_EQ(types[1], player == kHost ? PKT_CONFIG_EXCHANGE : PKT_GAME_CONFIG);
    EXPECT_EQ(types[2], PKT_SOLAR_SYSTEM);
    EXPECT_EQ(types.back(), PKT_START);
  }
}
