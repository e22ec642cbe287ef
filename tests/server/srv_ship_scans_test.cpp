// "All ships start scanned": the server's designs take the setting from the
// start of a game and from a loaded one's own settings.
#include <gtest/gtest.h>

#include <memory>

#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "tests/server/srv_game_fixture.h"

namespace {

constexpr std::uint16_t kMine = 8;

SrvSetup ScanSetup(bool allScanned) {
  SrvSetup setup;
  setup.settings.SetU16(42, allScanned ? 0 : 1);
  return setup;
}

// Whether every fixed design of the chapters in play shows (1), none does
// (0), or they differ (-1).
int DesignsShown(const SrvWorld& world) {
  int shown = -2;
  for (int chapter = 0; chapter < kTemplateChapters; ++chapter)
    for (const CGUnitTemplate* design : world.templates->fixed[chapter]) {
      if (design == nullptr) continue;
      const int v = design->visible != 0 ? 1 : 0;
      shown = shown == -2 || shown == v ? v : -1;
    }
  return shown;
}

std::vector<std::uint8_t> SaveRequest(const char* name, std::uint32_t id) {
  return Pkt<272>(PKT_SAVE_GAME).Text(8, 256, name).U32(264, id);
}
std::vector<std::uint8_t> LoadRequest(const char* name, std::uint32_t id) {
  return Pkt<276>(PKT_LOAD_GAME).Text(8, 256, name).U32(264, id);
}

}  // namespace

TEST(SrvShipScans, TheSettingShowsEveryDesignFromTheStartAndAfterALoad) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on);
    const quentest::TempDir dir("quen_srv_scans");
    {
      RecordingOutbox out;
      SrvLog log;
      SrvGame game(out, log, nullptr, 31, FolderPath(dir));
      const SrvSetup setup = ScanSetup(on);
      StartTestGame(game, {{7, kMine}}, 2, &setup);
      EXPECT_EQ(game.World().allShipsScanned, on);
      EXPECT_EQ(DesignsShown(game.World()), on ? 1 : 0);
      ASSERT_TRUE(game.Receive(7, SaveRequest("scans.svr", 0x30001)));
    }
    // A game loaded under the other setting goes on with its own.
    RecordingOutbox out;
    SrvLog log;
    SrvGame loader(out, log, nullptr, 32, FolderPath(dir));
    const SrvSetup other = ScanSetup(!on);
    StartTestGame(loader, {{7, kMine}}, 2, &other);
    ASSERT_TRUE(loader.Receive(7, LoadRequest("scans.svr", 0x30001)));
    EXPECT_EQ(loader.World().allShipsScanned, on);
    EXPECT_EQ(DesignsShown(loader.World()), on ? 1 : 0);
    const CGUnitTemplate later(20, -1);
    EXPECT_EQ(later.visible, on ? 1u : 0u);
  }
}
