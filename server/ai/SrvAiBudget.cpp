#include "server/ai/SrvAiBudget.h"

#include <algorithm>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GUnitTem.h"

SrvAiBudget::SrvAiBudget(const SrvWorld& world, std::uint16_t chapter, int reservePercent)
    : m_world(world), m_reserve(std::clamp(reservePercent, 0, 100)) {
  if (const CGChapter* c = world.Chapter(chapter)) m_credits = Spendable(c->credits);
}

std::uint32_t SrvAiBudget::Spendable(std::uint32_t amount) const {
  return static_cast<std::uint32_t>(std::uint64_t{amount} * static_cast<std::uint32_t>(100 - m_reserve) / 100);
}

std::array<std::uint32_t, 4>& SrvAiBudget::Pool(std::uint16_t asteroid) {
  auto [at, fresh] = m_pools.try_emplace(asteroid);
  if (fresh) {
    std::uint32_t minerals[kMineralTypes] = {};
    m_world.poolDB.GetMinerals(asteroid, minerals);
    for (int m = 0; m < kMineralTypes; ++m) at->second[m] = Spendable(minerals[m]);
  }
  return at->second;
}

bool SrvAiBudget::Affords(std::uint16_t asteroid, const SrvAiCost& cost) {
  const auto& pool = Pool(asteroid);
  for (int m = 0; m < kMineralTypes; ++m)
    if (pool[m] < cost[m]) return false;
  return m_credits >= cost[4];
}

void SrvAiBudget::Spend(std::uint16_t asteroid, const SrvAiCost& cost) {
  auto& pool = Pool(asteroid);
  for (int m = 0; m < kMineralTypes; ++m) pool[m] -= std::min(pool[m], cost[m]);
  m_credits -= std::min(m_credits, cost[4]);
}

SrvAiCost SrvAiDesignCost(const CGUnitTemplate& design) {
  SrvAiCost cost{};
  design.GetCost32(cost.data());
  return cost;
}

SrvAiCost SrvAiAtvCost(const std::array<std::uint8_t, kAtvKinds>& counts) {
  // Three times the unit cost of each ATV, as the build order charges it.
  SrvAiCost cost{};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    std::int16_t each[5] = {};
    g_gameVariables.GetATVCosts(kind, each);
    for (int r = 0; r < 5; ++r)
      cost[r] += std::uint32_t{counts[kind]} * 3u * static_cast<std::uint32_t>(std::max<int>(each[r], 0));
  }
  return cost;
}

SrvAiPlenty SrvAiPlentifulMinerals(const SrvWorld& world, std::uint16_t chapter, int turns) {
  SrvAiPlenty plenty{};
  // The first turns' pools are the starting stake, meant for the first ships
  // and settlers: against the income of one or two asteroids any stock would
  // look plentiful, and settling without miners then would stunt the chapter.
  if (turns <= 0 || world.turn < kStakeTurns) return plenty;
  std::uint64_t held[kMineralTypes] = {};
  std::uint64_t asteroids = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    const CGAsteroid* asteroid = world.solar.GetAsteroid(a);
    if (asteroid == nullptr || asteroid->owner != chapter) continue;
    ++asteroids;
    for (std::uint8_t m = 0; m < kMineralTypes; ++m) held[m] += world.poolDB.GetMineral(a, m);
  }
  if (asteroids == 0) return plenty;
  const std::uint64_t income =
      std::uint64_t{g_gameVariables.creditsPerAsteroid} * asteroids * static_cast<std::uint64_t>(turns);
  for (int m = 0; m < kMineralTypes; ++m) {
    // The most of the mineral one credit buys along with it, in tenths.
    std::uint64_t perCredit = 0;
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      std::int16_t each[5] = {};
      g_gameVariables.GetATVCosts(kind, each);
      if (each[4] > 0)
        perCredit = std::max<std::uint64_t>(perCredit, 10u * static_cast<std::uint64_t>(std::max<int>(each[m], 0)) /
                                                           static_cast<std::uint64_t>(each[4]));
    }
    plenty[static_cast<std::size_t>(m)] = held[m] * 10 >= income * perCredit;
  }
  return plenty;
}

bool SrvAiWorthMining(const SrvWorld& world, const SrvAiPlenty& plenty, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  std::uint8_t mix[kMineralTypes] = {};
  if (a == nullptr || !World().ResourceMix(a->GetCompositionType(), mix)) return true;
  int wanted = 0, all = 0;
  for (int m = 0; m < kMineralTypes; ++m) {
    all += mix[m];
    if (!plenty[static_cast<std::size_t>(m)]) wanted += mix[m];
  }
  return 3 * wanted >= all;
}
