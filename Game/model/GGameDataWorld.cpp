// The game data's world: its databases, its settings and the player's
// selection as the model and the rules data ask them, registered while this
// root is the current game.
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"

namespace {

// The settings are read from the root as they are now: the packets and the
// loads change them while the game runs.
class GameDataWorld final : public GameWorld {
 public:
  explicit GameDataWorld(CGameData& game) : game(game) {}

  std::uint16_t LocalChapterId() const override { return game.localChapterId; }
  std::uint32_t CurrentTurn() const override { return game.turn; }
  bool AllDesignsVisible() const override { return game.allShipsScanned != 0; }
  std::uint8_t ChaptersPerGuild() const override { return game.chaptersPerGuild; }
  std::string GuildName(int guild) const override {
    char name[64] = {};
    if (guild >= 0 && guild < kGuildCount) GetGuildName(static_cast<std::uint32_t>(guild), name);
    return std::string(name);
  }
  bool AllAsteroidsScanned() const override { return game.allAsteroidsScanned != 0; }
  bool AsteroidsHiddenUntilSeen() const override { return game.asteroidsHiddenUntilSeen != 0; }
  bool RandomEvents() const override { return game.randomEvents != 0; }
  int ShipDisplaySetting() const override { return static_cast<int>(game.shipDisplay); }
  void SelectedUnitMoved(std::uint32_t unitId, std::uint16_t newAsteroid) override {
    if (SelectionEntry* e = game.FindSelectionEntry(SEL_UNIT, unitId)) e->location = newAsteroid;
  }
  int SelectionCount() const override { return static_cast<int>(game.selection.size()); }
  bool SelectedAt(int index, std::uint16_t* location, std::uint32_t* unitId) const override {
    std::uint16_t kind = 0;
    return index >= 0 && game.GetSelectionAt(static_cast<std::uint32_t>(index), &kind, unitId, location) != 0;
  }

 protected:
  bool MixOf(std::uint8_t composition, std::uint8_t out[4]) const override {
    return game.GetResourceMix(composition, out);
  }

 private:
  CGameData& game;
};

}  // namespace

void CGameData::RegisterWorld() {
  if (!world) world = std::make_unique<GameDataWorld>(*this);
  world->solar = &solarDB;
  world->guilds = guildList.get();
  world->pools = &poolDB;
  world->notifications = notifications.get();
  world->pieces = &pieces;
  world->templates = &templates;
  world->hulls = hullDB.get();
  world->modules = moduleDB.get();
  world->texts = textIndex.get();
  RegisterGameWorld(world.get());
}

void CGameData::UnregisterWorld() {
  if (!IsGameWorld(world.get())) return;
  RegisterGameWorld(nullptr);
}
