// The quick-start scenario as the data build writes it, from the built rules
// and the program's module: the client's half loads into the client's model
// and names the server's half, which the server loads from the scenarios at
// the client's request; the two then agree on the world and play on. Client
// and server share the game core's link tables, so each runs while the other
// does not, and the packets pass between them as bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "server/SrvGame.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"
#include "tests/support/scratch_drive.h"
#include "tests/support/temp_dir.h"
#include "tools/quickstart/quickstart.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRules = fs::path(QUEN_BUILD_DIR) / "data" / "rules";
const fs::path kModule = fs::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll";

struct Outbox : SrvOutbox {
  std::vector<SrvPacket> sent;
  void Send(std::uint32_t, const SrvPacket& packet, bool) override { sent.push_back(packet); }
};

std::vector<std::uint8_t> FileBytes(const fs::path& file) {
  const std::string text = quentest::ReadHostFile(file);
  return {text.begin(), text.end()};
}

// What one side holds of the world, to be compared with the other's.
struct WorldFacts {
  std::uint16_t asteroids = 0;
  std::vector<std::uint16_t> owners;
  std::vector<std::string> names;
};

WorldFacts Facts(const CGSolarDB& solar) {
  WorldFacts facts;
  facts.asteroids = CGSolarDB::GetAsteroidCount();
  for (std::uint16_t i = 0; i < facts.asteroids; ++i) {
    CGAsteroid* rock = solar.GetAsteroid(i);
    facts.owners.push_back(rock ? rock->owner : 0xFFFF);
    facts.names.push_back(rock ? rock->GetName() : "");
  }
  return facts;
}

class QuickStartScenario : public ::testing::Test {
 protected:
  ~QuickStartScenario() override {
    delete g_gameData;
    g_gameData = nullptr;
  }

  // A server of the installation's rules whose game has started, its player
  // 7 holding chapter 0, as the quick start's chapter screen leaves it.
  std::unique_ptr<SrvGame> StartServer(bool withScenarios) {
    auto server = std::make_unique<SrvGame>(srvOut, log, nullptr, 5, drive.Host("").string() + "/");
    EXPECT_TRUE(server->UseRules(FileBytes(kRules / "hulls.dat"), FileBytes(kRules / "modules.dat")));
    if (withScenarios) server->SetScenarioFolder(out.path().string() + "/");
    std::array<std::uint8_t, 48> claim{};
    plat::ByteWriter(claim).WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
    std::array<std::uint8_t, 12> start{};
    server->PlayerJoined(7);
    EXPECT_TRUE(server->Receive(7, claim));
    EXPECT_TRUE(server->Receive(7, start));
    return server;
  }

  const std::vector<std::uint8_t>* Last(std::uint16_t type) const {
    for (auto it = fromClient.rbegin(); it != fromClient.rend(); ++it)
      if (ReadU16(*it, 0) == type) return &*it;
    return nullptr;
  }

  quentest::TempDir out{"quickstart"};
  std::string fault;
  // Made before the player's installation, which takes the drives over.
  bool made = WriteQuickStartScenario({kRules, kModule, out.path()}, &fault);
  // The player's installation, made after the scenario: its scenario and
  // save folders are the drive's root, where its rules lie too.
  quentest::ScratchDrive drive;
  Outbox srvOut;
  SrvLog log;
  // The application's block: seed, the views' (none yet), 1, the view, the render argument.
  struct BlockShell : quentest::RecordingShell {
    int openedView = -1;
    int LoadAppState(plat::FILE* fp) override {
      std::array<std::uint8_t, 10> block{};
      const bool read = plat::fread(block.data(), 1, block.size(), fp) == block.size();
      openedView = block[5];
      return read && block[4] == 1 ? 1 : 0;
    }
  } shell;
  quentest::RecordingSink sink;
  std::vector<std::vector<std::uint8_t>>& fromClient = sink.toAll;
  int& openedView = shell.openedView;
};

}  // namespace

TEST_F(QuickStartScenario, TheClientLoadsItsHalfAndTheServerLoadsTheOneItNamesAndTheGamePlaysOn) {
  ASSERT_TRUE(made) << fault;
  for (const char* rules : {"hulls.dat", "modules.dat", "gamevar.dat"})
    fs::copy_file(kRules / rules, drive.Host(rules));
  for (const char* file : {kQuickStartClientFile, kListedScenarioFile})
    fs::copy_file(out.path() / file, drive.Host(file));

  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader(drive.Dos(kQuickStartClientFile).c_str(), &header));
  EXPECT_EQ(header.version, kSaveVersion);
  EXPECT_EQ(header.serverFile, kQuickStartServerFile);
  EXPECT_EQ(header.turn, 0u);
  EXPECT_EQ(header.guild, 0u) << "the player's chapter is the first of the first guild";
  // The listed scenario is the same game under its own names.
  SaveHeader listed;
  ASSERT_TRUE(ReadSaveHeader(drive.Dos(kListedScenarioFile).c_str(), &listed));
  EXPECT_EQ(listed.serverFile, kListedScenarioServerFile);
  EXPECT_EQ(listed.identifier, header.identifier);
  EXPECT_EQ(quentest::ReadHostFile(out.path() / kListedScenarioServerFile),
            quentest::ReadHostFile(out.path() / kQuickStartServerFile));

  // The client, in the game the quick start began, loads the scenario.
  g_gameData = new CGameData(0, 8);
  CGameLoader loader = CGameLoader::ForRequest(kQuickStartClientFile, LoadPlace::ScenarioDirectory);
  ASSERT_EQ(loader.Request(), 1);
  ASSERT_TRUE(loader.Load());
  EXPECT_EQ(g_gameData->localChapterId, 0);
  EXPECT_EQ(g_gameData->chaptersPerGuild, 1);
  EXPECT_EQ(g_gameData->turn, 0u);
  EXPECT_EQ(openedView, 2) << "a game just begun opens on the solar system";
  const WorldFacts client = Facts(g_gameData->solarDB);
  EXPECT_EQ(client.asteroids, 30);
  std::uint32_t units = 0;
  for (std::uint16_t at = 0; at <= client.asteroids; ++at) units += g_gameData->pieces.CountUnits(at, 0);
  EXPECT_EQ(units, 3u) << "the player's three starting ships";
  int owned = 0;
  for (std::uint16_t owner : client.owners) owned += owner == 0 ? 1 : 0;
  EXPECT_EQ(owned, 1) << "the player starts with its home asteroid";
  delete g_gameData;
  g_gameData = nullptr;

  const std::vector<std::uint8_t>* load = Last(PKT_LOAD_GAME);
  ASSERT_NE(load, nullptr);
  ASSERT_EQ(load->size(), kLoadPacketSize);
  EXPECT_EQ(ReadText(*load, 8, 256), kQuickStartServerFile);
  EXPECT_EQ(ReadU32(*load, 272), 1u) << "from the scenarios";

  // A server that knows no scenario folder refuses the load and keeps its game.
  {
    auto server = StartServer(false);
    const std::uint16_t before = CGSolarDB::GetAsteroidCount();
    EXPECT_FALSE(server->Receive(7, *load));
    EXPECT_EQ(CGSolarDB::GetAsteroidCount(), before);
  }

  auto server = StartServer(true);
  ASSERT_TRUE(server->Receive(7, *load));
  EXPECT_EQ(server->World().turn, 0u);
  EXPECT_EQ(server->Setup().ChapterCount(), 5) << "one chapter a guild: the player and four computer chapters";
  const WorldFacts served = Facts(server->World().solar);
  EXPECT_EQ(served.asteroids, client.asteroids);
  EXPECT_EQ(served.owners, client.owners);
  EXPECT_EQ(served.names, client.names);
  EXPECT_EQ(server->Holder(0), 7u);
  for (std::uint16_t computer : {8, 16, 24, 32}) EXPECT_EQ(server->Holder(computer), 0u) << computer;

  std::array<std::uint8_t, 16> endTurn{};
  plat::ByteWriter(endTurn).WriteAt<std::uint16_t>(0, PKT_END_TURN);
  ASSERT_TRUE(server->Receive(7, endTurn));
  EXPECT_EQ(server->World().turn, 1u);
}

TEST_F(QuickStartScenario, EveryBuildWritesTheSameScenario) {
  ASSERT_TRUE(made) << fault;
  quentest::TempDir again{"quickstart"};
  ASSERT_TRUE(WriteQuickStartScenario({kRules, kModule, again.path()}, &fault)) << fault;
  for (const char* file :
       {kQuickStartClientFile, kQuickStartServerFile, kListedScenarioFile, kListedScenarioServerFile})
    EXPECT_EQ(quentest::ReadHostFile(again.path() / file), quentest::ReadHostFile(out.path() / file)) << file;
}

TEST(QuickStartScenarioRules, MissingRulesAreNamedAndNothingIsWritten) {
  quentest::TempDir rules{"norules"}, out{"quickstart"};
  std::string fault;
  EXPECT_FALSE(WriteQuickStartScenario({rules.path(), kModule, out.path()}, &fault));
  EXPECT_NE(fault.find("hulls.dat"), std::string::npos) << fault;
  EXPECT_TRUE(fs::is_empty(out.path()));
}
