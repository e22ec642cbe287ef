// The late-game scenario: the client's half loads into the client's model at
// the turn played to, with the units and land its chapter came to, and names
// the server's half, which the server loads at the same turn and plays on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "server/SrvGame.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"
#include "tests/support/scratch_drive.h"
#include "tests/support/temp_dir.h"
#include "tools/lategame/lategame.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRules = fs::path(QUEN_BUILD_DIR) / "data" / "rules";
const fs::path kModule = fs::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll";
constexpr std::uint32_t kTurns = 30;

struct Outbox : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

// A fixed design of the player's chapter: its slot, id and the number built.
struct DesignSeen {
  int slot;
  std::uint32_t id;
  std::uint16_t creationTurn, built;
  bool operator==(const DesignSeen&) const = default;
};

std::vector<DesignSeen> ChapterDesigns(const CGTemplateDB& templates) {
  std::vector<DesignSeen> seen;
  for (int s = 0; s < kFixedTemplateSlots; ++s)
    if (const CGUnitTemplate* t = templates.GetTemplate(kScenarioChapter, s, 1))
      seen.push_back({s, t->templateId, t->creationTurn, t->creationTurnHigh});
  return seen;
}

void PrintTo(const DesignSeen& d, std::ostream* os) {
  *os << "slot " << d.slot << ": id " << d.id << ", turn " << d.creationTurn << ", built " << d.built;
}

std::vector<std::uint8_t> FileBytes(const fs::path& file) {
  const std::string text = quentest::ReadHostFile(file);
  return {text.begin(), text.end()};
}

class LateGameScenario : public ::testing::Test {
 protected:
  LateGameScenario() {
    shell.appState.assign(10, '\0');  // the application's block: read whole
  }
  ~LateGameScenario() override {
    delete g_gameData;
    g_gameData = nullptr;
  }

  quentest::TempDir out{"lategame"};
  std::string fault;
  bool made = WriteLateGameScenario({kRules, kModule, out.path()}, kTurns, &fault);
  quentest::ScratchDrive drive;
  quentest::RecordingShell shell;
  quentest::RecordingSink sink;
  std::vector<std::vector<std::uint8_t>>& fromClient = sink.toAll;
};

}  // namespace

TEST_F(LateGameScenario, BothHalvesLoadAtTheTurnPlayedToAndTheGamePlaysOn) {
  ASSERT_TRUE(made) << fault;
  EXPECT_FALSE(fs::exists(out.path() / ".lategame")) << "the server's autosaves are not left behind";
  for (const char* rules : {"hulls.dat", "modules.dat", "gamevar.dat"})
    fs::copy_file(kRules / rules, drive.Host(rules));
  fs::copy_file(out.path() / kLateGameClientFile, drive.Host(kLateGameClientFile));

  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader(drive.Dos(kLateGameClientFile).c_str(), &header));
  EXPECT_EQ(header.serverFile, kLateGameServerFile);
  EXPECT_EQ(header.turn, kTurns);

  g_gameData = new CGameData(0, 8);
  CGameLoader loader = CGameLoader::ForRequest(kLateGameClientFile, LoadPlace::ScenarioDirectory);
  ASSERT_EQ(loader.Request(), 1);
  ASSERT_TRUE(loader.Load());
  EXPECT_EQ(g_gameData->turn, kTurns) << "every turn's results advanced the model";
  EXPECT_EQ(CGSolarDB::GetAsteroidCount(), 150);
  std::uint32_t units = 0;
  for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) units += g_gameData->pieces.CountUnits(at, 0);
  EXPECT_GT(units, 0u) << "the player's chapter has its fleet";
  // The chapter stores a better design as its guild researches: its model
  // must hold each one as the server does, with the values the server told.
  std::vector<DesignSeen> clientDesigns = ChapterDesigns(g_gameData->templates);
  delete g_gameData;
  g_gameData = nullptr;

  Outbox srvOut;
  SrvLog log;
  SrvGame server(srvOut, log, nullptr, 5, drive.Host("").string() + "/");
  ASSERT_TRUE(server.UseRules(FileBytes(kRules / "hulls.dat"), FileBytes(kRules / "modules.dat")));
  server.SetScenarioFolder(out.path().string() + "/");
  std::array<std::uint8_t, 48> claim{};
  plat::ByteWriter(claim).WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
  std::array<std::uint8_t, 12> start{};
  server.PlayerJoined(7);
  ASSERT_TRUE(server.Receive(7, claim));
  ASSERT_TRUE(server.Receive(7, start));
  const std::vector<std::uint8_t>* load = nullptr;
  for (const auto& p : fromClient)
    if (ReadU16(p, 0) == PKT_LOAD_GAME) load = &p;
  ASSERT_NE(load, nullptr);
  ASSERT_TRUE(server.Receive(7, *load));
  EXPECT_EQ(server.World().turn, kTurns);
  EXPECT_EQ(clientDesigns, ChapterDesigns(*server.World().templates));
  EXPECT_TRUE(std::any_of(clientDesigns.begin(), clientDesigns.end(), [](const DesignSeen& d) {
    return d.creationTurn > 0;
  })) << "the chapter stored designs of its own in play";
  std::array<std::uint8_t, 16> endTurn{};
  plat::ByteWriter(endTurn).WriteAt<std::uint16_t>(0, PKT_END_TURN);
  plat::ByteWriter(endTurn).WriteAt<std::uint32_t>(8, kTurns);
  ASSERT_TRUE(server.Receive(7, endTurn));
  EXPECT_EQ(server.World().turn, kTurns + 1);
}

TEST(LateGameScenarioTurns, NoTurnsOrMoreThanAGameHoldsAreRefusedAndNothingIsWritten) {
  quentest::TempDir out{"lategame"};
  std::string fault;
  for (std::uint32_t turns : {0u, kLateGameMaxTurns + 1}) {
    EXPECT_FALSE(WriteLateGameScenario({kRules, kModule, out.path()}, turns, &fault)) << turns;
    EXPECT_NE(fault.find("turns"), std::string::npos) << fault;
  }
  EXPECT_TRUE(fs::is_empty(out.path()));
}
