// A save the player asks for is kept by the server too, under the same name
// and identifier; loading it back takes the server's game back to that turn,
// and the game goes on from there. Client and server share the game core's
// link tables, so each runs while the other does not, and the packets pass
// between them as bytes.
#include <gtest/gtest.h>

#include <memory>

#include "Game/base/Packets.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "server/SrvGame.h"
#include "server/orders/SrvPacketRead.h"
#include "server/world/SrvSetup.h"
#include "tests/Game/model/root/root_fixture.h"
#include "tests/Game/model/world/world_generator.h"
#include "tests/server/srv_packets.h"
#include "tests/support/recording_sink.h"

namespace {

struct Outbox : SrvOutbox {
  std::vector<SrvPacket> sent;
  void Send(std::uint32_t, const SrvPacket& packet, bool) override { sent.push_back(packet); }
};

class ServerSave : public root_test::RootGame {
 protected:
  // A server whose game has started, with the player holding chapter 1.
  std::unique_ptr<SrvGame> StartServer() {
    auto server = std::make_unique<SrvGame>(out, log, nullptr, 77, box.Host("").string() + "/");
    SrvSetup setup;
    setup.config.SetU16(14, 2);
    setup.config.SetU16(16, 20);
    server->PlayerJoined(7);
    EXPECT_TRUE(server->Receive(7, Bytes(setup.config)));
    EXPECT_TRUE(server->Receive(7, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, 1).Text(12, 32, "Keepers")));
    EXPECT_TRUE(server->Receive(7, Pkt<12>(PKT_START)));
    return server;
  }
  static void EndTurn(SrvGame& server) {
    ASSERT_TRUE(server.Receive(7, Pkt<16>(PKT_END_TURN).U32(8, server.World().turn)));
  }
  const std::vector<std::uint8_t>& Last(std::uint16_t type) const {
    for (auto it = fromClient.rbegin(); it != fromClient.rend(); ++it)
      if (ReadU16(*it, 0) == type) return *it;
    static const std::vector<std::uint8_t> none;
    return none;
  }

  Outbox out;
  SrvLog log;
  quentest::RecordingSink sink;
  std::vector<std::vector<std::uint8_t>>& fromClient = sink.toAll;
};

TEST_F(ServerSave, TheServerKeepsThePlayersSaveAndGoesOnFromItWhenItIsLoaded) {
  g_gameData = new CGameData(1, 2);
  // The game core counts asteroids in one place for all: the client's game
  // has its own solar system, as a game in play does.
  world_test::GenerateSolarSystem(g_gameData->solarDB, 20, 5);
  g_gameData->turn = 1;
  const SaveOutcome saved = SaveGame({}, "shared");
  ASSERT_TRUE(saved && SettleOwnSave(saved.file, true));
  const auto before = Saved(*g_gameData);
  delete g_gameData;
  ASSERT_EQ(Last(PKT_SAVE_GAME).size(), kSavePacketSize);

  {
    auto server = StartServer();
    EndTurn(*server);
    ASSERT_TRUE(server->Receive(7, Last(PKT_SAVE_GAME)));
    EXPECT_EQ(ReadU16(out.sent.back(), 0), PKT_SAVE_DONE);
    EXPECT_EQ(ReadU32(out.sent.back(), 8), 1u);
    EndTurn(*server);
    EndTurn(*server);
    EXPECT_EQ(server->World().turn, 3u);
  }

  g_gameData = new CGameData(4, 8);
  ASSERT_TRUE(CGameLoader::ForRequest("shared.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(Saved(*g_gameData), before);
  delete g_gameData;
  const auto& load = Last(PKT_LOAD_GAME);
  ASSERT_EQ(load.size(), kLoadPacketSize);
  EXPECT_EQ(ReadU32(load, 264), ReadU32(Last(PKT_SAVE_GAME), 264));

  auto server = StartServer();
  ASSERT_TRUE(server->Receive(7, load));
  EXPECT_EQ(server->World().turn, 1u);
  EndTurn(*server);
  EXPECT_EQ(server->World().turn, 2u);
}

}  // namespace
