#pragma once
// A game in mid-play over a scratch installation, for saves and loads: the
// save, e-mail and scenario directories are the drive's root (the test
// installation names none), a generated solar system
// with named chapters and units, and a shell and sink that record what saving
// shows and sends. The running game is g_gameData, owned by the fixture.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "Game/save/SaveGame.h"
#include "tests/Game/model/root/root_fixture.h"
#include "tests/Game/model/world/world_generator.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"

namespace save_test {

class SaveFixture : public root_test::RootGame {
 protected:
  SaveFixture() {
    EXPECT_STREQ(g_instData.GetSavePath(), "");
    shell.appState = "view state";
  }
  ~SaveFixture() override { delete g_gameData; }

  // A game in its 23rd turn: 150 asteroids, named chapters, `units` units spread over them.
  void StartGame(int units = 60, std::uint16_t localChapter = 9) {
    delete g_gameData;
    g_gameData = new CGameData(localChapter, 8);
    world_test::GenerateSolarSystem(g_gameData->solarDB, kMaxAsteroids, 7);
    world_test::GenerateChapters(*g_gameData->guildList, 7);
    for (int i = 0; i < units; ++i) {
      const auto chapter = static_cast<std::uint8_t>(i % kMaxChapters);
      AddUnit(chapter, (std::uint32_t{chapter} << 26) | static_cast<std::uint32_t>(i + 1),
              static_cast<std::uint16_t>(i % (kMaxAsteroids + 1)));
    }
    g_gameData->turn = 22;
    g_gameData->scores[3] = 1234;
    g_gameData->reviewLog[12][4] = 9;
  }

  static CGUnit* AddUnit(std::uint8_t chapter, std::uint32_t id, std::uint16_t at, const char* name = nullptr) {
    auto* design =
        new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000 | (id & 0xFFF)));
    design->hull = g_gameData->hullDB->GetHull(0, 0);
    g_gameData->templates.AddTemplate(design, chapter);
    const Location where{at, 10, 20, 30};
    CGUnit* unit = g_gameData->pieces.CreateUnit(design, &where, chapter, id);
    if (unit != nullptr && name != nullptr) unit->SetName(name);
    return unit;
  }

  // The running game's own block: what a save writes of the model.
  std::vector<std::uint8_t> ModelBytes(const std::string& name = "model.bin") { return Saved(*g_gameData, name); }

  bool Exists(const std::string& rel) const { return std::filesystem::exists(box.Host(rel)); }

  // The player's own save, written and settled by the server's yes.
  static bool SaveOwn(const char* name) {
    const SaveOutcome outcome = SaveGame({}, name);
    return outcome && SettleOwnSave(outcome.file, true);
  }

  quentest::RecordingShell shell;
  quentest::RecordingSink sink;
  std::string& appState = shell.appState;
  std::string& loadedAppState = shell.loadedAppState;
  std::vector<std::string>& boxes = shell.boxes;
  std::vector<std::vector<std::uint8_t>>& sent = sink.toAll;
};

}  // namespace save_test
