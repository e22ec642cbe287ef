// A server turn (orders, battles, orbits) of a 40-chapter, 150-asteroid game
// holding 50 fleets of 40 armed ships, one fleet at each of 50 asteroids:
// with two hostile chapters of 20 ships in each fleet (50 battles), as a
// ratio to the same turn with the two chapters allied (no battle), both
// measured in the same run on freshly placed ships.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "Game/model/GUnit.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/turn/SrvTurnSteps.h"

namespace {

constexpr int kBattles = 50;
constexpr int kShipsPerSide = 20;

std::vector<std::uint8_t> Hulls() {
  std::vector<CGHull> hulls(kGuildCount);
  for (int g = 0; g < kGuildCount; ++g) {
    CGHull& h = hulls[static_cast<std::size_t>(g)];
    std::strcpy(h.name, "Frigate");
    h.section = static_cast<std::uint8_t>(g);
    h.unitClass = 8;
    h.mass = 200;
    h.massLimit = 600;
    h.structurePoints = 200;
    h.available = 1;
    for (int s = 0; s < 6; ++s) h.slots[s] = {10, 10, 1, 1, kSlotAcceptsAny};
  }
  std::vector<const CGHull*> list;
  for (const CGHull& h : hulls) list.push_back(&h);
  return WriteHullsImage(list);
}

std::vector<std::uint8_t> Modules() {
  ModuleRecord gun;
  std::strcpy(gun.name, "Gun");
  gun.guildMask = 0x1F;
  gun.type = MODULE_WEAPON;
  gun.buildPoints = 20;
  gun.techLevel = 1;
  const std::uint8_t weapon[10] = {0, 40, 0x28, 0x0A, 0x18, 0x06, 3, 70, 30, 0};
  std::memcpy(gun.typeData, weapon, sizeof(weapon));
  gun.SetTypeWord(1, 25 * kWeaponRangeScale);
  gun.SetTypeWord(2, 15 * kWeaponRangeScale);
  ModuleRecord drive = gun;
  std::strcpy(drive.name, "Drive");
  drive.type = MODULE_PROPULSION;
  const std::uint8_t thrust[10] = {20, 0, 0, 0, 0, 0, 0, 0, 12, 0};
  std::memcpy(drive.typeData, thrust, sizeof(thrust));
  const ModuleRecord records[] = {gun, drive};
  return WriteModulesImage(records);
}

struct Game {
  SrvSetup setup;
  SrvLog log;
  SrvWorld world;
  CGUnitTemplate* designs[kMaxChapters] = {};

  Game() {
    setup.config.Put<std::uint16_t>(14, 8);
    setup.config.Put<std::uint16_t>(16, 150);
    world.Generate(setup, 1234, nullptr);
    world.UseRules(Hulls(), Modules());
    for (std::uint16_t c : {0, 1, 8}) {
      CGUnitTemplate design(static_cast<std::uint8_t>(c), static_cast<std::int32_t>((c << 26) | 1000));
      design.SetHull(world.hulls->GetHull(c >> 3, 0));
      design.FitModule(0, 1);
      for (int s = 1; s < 4; ++s) design.FitModule(s, 0);
      world.templates->SetFixedTemplate(design, c, 0);
      designs[c] = world.templates->GetTemplate(c, 0, 1);
    }
  }
  ~Game() { Clear(); }

  void Clear() {
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world.pieces->DeleteUnitsAt(at);
  }
  // Two fleets at each of the first asteroids: chapter 0 against `other`.
  void Place(std::uint16_t other) {
    Clear();
    for (std::uint16_t a = 0; a < kBattles; ++a) {
      for (int i = 0; i < kShipsPerSide; ++i) {
        const auto x = static_cast<std::int16_t>(10 * i);
        world.CreateUnit(0, designs[0], Location{a, x, 0, 0})->retreat = {0, 0, 0};
        world.CreateUnit(other, designs[other], Location{a, static_cast<std::int16_t>(x + 300), 0, 0})->retreat = {0, 0,
                                                                                                                   0};
      }
    }
  }
  // Nanoseconds of one turn's resolution.
  double Turn(std::uint32_t seed) {
    SrvRandom random(seed);
    SrvTurnContext turn{world, setup, log, random};
    const auto begin = std::chrono::steady_clock::now();
    SrvResolveOrders(turn);
    SrvResolveBattles(turn);
    world.AdvanceTurn();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count();
  }
};

void BM_TurnWith50Battles(benchmark::State& state) {
  Game game;
  double withBattles = 0, without = 0;
  std::uint32_t seed = 1;
  for (auto _ : state) {
    game.Place(1);
    without += game.Turn(seed);
    game.Place(8);
    const double ns = game.Turn(seed++);
    withBattles += ns;
    state.SetIterationTime(ns * 1e-9);
  }
  state.counters["x_no_battles"] = withBattles / without;
}
BENCHMARK(BM_TurnWith50Battles)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
