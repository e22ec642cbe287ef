// Battle replay files from any bytes, told as a review log over a small game
// (three chapters' ships, two modules): the log is written and closed
// whatever the file holds, the counters stay in their row, and the log
// believes what the replay view believes: a file the view refuses counts
// nothing, and any other counts the present ships the view places.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_set>

#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "Game/rules/GUnitTem.h"
#include "Game/save/ReviewLog.h"
#include "fuzz/scratch.h"
#include "fuzz/seeds.h"

namespace {

constexpr std::uint8_t kChapters[] = {9, 10, 17};

std::uint32_t ShipOf(std::uint8_t chapter) { return (std::uint32_t{chapter} << 26) | 1; }

CGameData& Game() {
  static CGameData* game = [] {
    auto* g = new CGameData(9, 8);
    g_gameData = g;
    g->solarDB.CreateAsteroidArray(4);
    for (std::uint16_t i = 0; i < 4; ++i) g->solarDB.SetAsteroid(std::make_unique<CGAsteroid>(i));
    for (std::uint8_t chapter : kChapters) {
      auto* design = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000));
      g->templates.AddTemplate(design, chapter);
      const Location at{2, 0, 0, 0};
      g->pieces.CreateUnit(design, &at, chapter, ShipOf(chapter));
    }
    return g;
  }();
  return *game;
}

// The replay view's reading: the units it places, the present ones among
// those it starts with, and whether it refuses the file.
class ViewScene : public replay::ReplaySink {
 public:
  void AddUnit(const replay::UnitRecord& unit, bool joined) override {
    units.insert(unit.id);
    if (!joined && unit.a == 0) ++present;
  }
  bool HasUnit(std::uint32_t id) override { return units.contains(id); }
  void MoveUnit(std::uint32_t, const Location&, std::uint32_t) override {}
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    return HasUnit(event.U32(replay::EventRecord::kOwner)) ? 1 : 0;
  }
  void WreckUnit(std::uint32_t) override {}

  std::unordered_set<std::uint32_t> units;
  std::uint32_t present = 0;
  bool refused = false;
};

void ReadAsTheView(plat::FILE* file, ViewScene& scene) {
  if (!replay::ReplayFileSizeAllowed(file)) {
    scene.refused = true;
    return;
  }
  replay::ReplayReader reader(file, scene);
  std::uint16_t asteroid = 0;
  if (reader.ReadPreamble() && reader.ReadAsteroid(asteroid)) {
    reader.ReadStartUnits();
    while (reader.ReadMovementPhase()) {
    }
    reader.ReadBattleSection();
  }
  scene.refused = reader.refused();
}

// Battles of the game's three ships, and battles at and past what one holds.
fuzz::Seeds MakeSeeds() {
  const std::uint32_t own = ShipOf(9), ally = ShipOf(10), enemy = ShipOf(17);
  replay::ReplayBuilder start;
  start.Participants({9, 10, 17}, 2).Unit(own, {2, 10, 0, 0}, "FF").Unit(ally, {2, 0, 5, 0}, "CRU");
  start.Unit(enemy, {2, 90, 0, 0}, "BB").EndUnits();
  replay::ReplayBuilder battle = start;
  battle.Move(own, {2, 12, 0, 0}).Shot(0, enemy, 70, 1).Hit(1, 3).Hit(0, 2).Kill(1253, 5).Hit(1254, 2).End(10);
  battle.Move(ally, {2, 0, 6, 0}).Shot(1, enemy).Shield(1).Again(0, enemy).Miss().End(1);
  battle.Move(enemy, {2, 90, 0, 0}, 1).Shot(0, own, 0xFFFF).Hit(1252, 4).Hit(1255, 2).End(1).Code(11);
  battle.Destroyed(enemy, {{enemy, 1}}).Joined(ShipOf(20), {2, 1, 2, 3}, "FRIGT").Code(12);
  replay::ReplayBuilder rounds = start;
  for (std::uint32_t i = 0; i <= replay::kMostMovementPhases; ++i) rounds.Move(own, {2, 0, 0, 0}).Code(1);
  rounds.Code(11).Code(12);
  auto crowd = [](std::uint32_t units) {
    replay::ReplayBuilder r;
    r.Participants({9, 17}, 2);
    for (std::uint32_t i = 0; i < units; ++i) r.Unit(((i % 2 != 0 ? 17u : 9u) << 26) | (i + 1), {2, 0, 0, 0}, "FF");
    r.EndUnits().Code(11).Code(12);
    return r.Take();
  };
  return {battle.bytes(),           start.Code(11).Code(12).bytes(), rounds.bytes(),
          {0xFF, 0xFF, 0xFF, 0xFF}, crowd(replay::kMostBattleUnits), crowd(replay::kMostBattleUnits + 1)};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked(MakeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  CGameData& game = Game();
  plat::FILE* file = scratch.Open("2.rpl", std::span(data, size));
  if (file == nullptr) return 0;
  ViewScene view;
  ReadAsTheView(file, view);
  plat::fclose(file);
  plat::remove("Q:\\2.tlg");
  if (MakeReviewLog(2) != 1) __builtin_trap();
  const std::array<std::uint32_t, 6>& row = game.reviewLog[2];
  std::uint32_t counted = 0;
  for (std::uint32_t v : row) counted += v;
  if (view.refused && counted != 0) __builtin_trap();
  // Own ships count under mine and allied, the others under allied or enemy.
  if (!view.refused && row[1] + row[2] != view.present) __builtin_trap();
  // Each of the three ships counts at most twice as present and twice as hit, per record of it.
  if (counted > 4 * (size + 1)) __builtin_trap();
  return 0;
}
