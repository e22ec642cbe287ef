#pragma once
// A game's world for the tests, benches and fuzz targets: the databases the
// test points it at, and the facts and settings it sets as plain fields. It
// is the registered world while it lives and gives the one registered before
// back when it goes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Game/model/GameWorld.h"

namespace test_support {

class TestWorld : public GameWorld {
 public:
  TestWorld() : previous(&World()) { RegisterGameWorld(this); }
  ~TestWorld() override {
    if (IsGameWorld(this)) RegisterGameWorld(previous);
  }

  // The rules data's facts. Every chapter has the traits of `traits`.
  std::uint16_t localChapter = 0;
  std::uint8_t traits[20] = {};
  std::uint32_t turn = 0;
  std::uint8_t chaptersPerGuild = 8;
  bool allDesignsVisible = false;
  // Set: the ids allocated count up from it (chapter << 26 | serial).
  std::optional<std::uint32_t> nextSerial;
  std::map<int, std::string> guildNames;
  // The unit still built from a design (none for a design not named).
  std::map<const CGUnitTemplate*, CGUnit*> builtFrom;

  // The game's settings; the resource mix of the first `mixTypes` types.
  bool allAsteroidsScanned = false;
  bool asteroidsHiddenUntilSeen = false;
  bool randomEvents = false;
  int startingResources = -1;
  // The player's ship-display setting and selection (asteroid, unit id); a
  // selected unit that moves takes its entry along.
  int shipDisplay = 0;
  std::vector<std::pair<std::uint16_t, std::uint32_t>> selection;
  std::uint8_t mix[20][4] = {};
  int mixTypes = 0;

  std::uint16_t LocalChapterId() const override { return localChapter; }
  std::uint8_t ChapterTrait(std::uint8_t /*chapter*/, int trait) const override {
    return trait >= 0 && trait < 20 ? traits[trait] : 0;
  }
  std::uint32_t AllocateId(std::uint8_t chapter) override {
    if (!nextSerial) return GameWorld::AllocateId(chapter);
    return (std::uint32_t{chapter} << 26) | (*nextSerial)++;
  }
  std::uint32_t CurrentTurn() const override { return turn; }
  bool AllDesignsVisible() const override { return allDesignsVisible; }
  std::uint8_t ChaptersPerGuild() const override { return chaptersPerGuild; }
  CGUnit* FindUnitBuiltFrom(const CGUnitTemplate& design, std::uint8_t /*chapter*/) const override {
    const auto unit = builtFrom.find(&design);
    return unit != builtFrom.end() ? unit->second : nullptr;
  }
  std::string GuildName(int guild) const override {
    const auto name = guildNames.find(guild);
    return name != guildNames.end() ? name->second : std::string();
  }
  bool AllAsteroidsScanned() const override { return allAsteroidsScanned; }
  bool AsteroidsHiddenUntilSeen() const override { return asteroidsHiddenUntilSeen; }
  bool RandomEvents() const override { return randomEvents; }
  int StartingResources() const override { return startingResources; }
  int ShipDisplaySetting() const override { return shipDisplay; }
  void SelectedUnitMoved(std::uint32_t unitId, std::uint16_t newAsteroid) override {
    for (auto& [location, id] : selection) {
      if (id == unitId) location = newAsteroid;
    }
  }
  int SelectionCount() const override { return static_cast<int>(selection.size()); }
  bool SelectedAt(int index, std::uint16_t* location, std::uint32_t* unitId) const override {
    if (index < 0 || index >= SelectionCount()) return false;
    *location = selection[static_cast<std::size_t>(index)].first;
    *unitId = selection[static_cast<std::size_t>(index)].second;
    return true;
  }

 protected:
  bool MixOf(std::uint8_t composition, std::uint8_t out[4]) const override {
    if (composition >= mixTypes) return false;
    for (int i = 0; i < 4; ++i) out[i] = mix[composition][i];
    return true;
  }

 private:
  GameWorld* previous;
};

}  // namespace test_support
