#pragma once
// What a computer chapter may spend this turn: the minerals of each pool its
// builders stand at and its credits (the organics of a build), less the
// share its level keeps back, with each order it plans taken off, so that
// no two of its orders count on the same minerals.
//
// One thread only.

#include <array>
#include <cstdint>
#include <map>

#include "server/world/SrvWorld.h"

// Metals, silicates, exotics, reactives, organics.
using SrvAiCost = std::array<std::uint32_t, 5>;

class SrvAiBudget {
 public:
  SrvAiBudget(const SrvWorld& world, std::uint16_t chapter, int reservePercent);
  // The cost can be paid from the pool of the asteroid (and the credits).
  bool Affords(std::uint16_t asteroid, const SrvAiCost& cost);
  void Spend(std::uint16_t asteroid, const SrvAiCost& cost);

 private:
  std::array<std::uint32_t, 4>& Pool(std::uint16_t asteroid);
  std::uint32_t Spendable(std::uint32_t amount) const;

  const SrvWorld& m_world;
  int m_reserve;
  std::map<std::uint16_t, std::array<std::uint32_t, 4>> m_pools;
  std::uint32_t m_credits = 0;
};

// The cost of a ship of the design, and of ATVs by kind, as the order checks take them.
SrvAiCost SrvAiDesignCost(const CGUnitTemplate& design);
SrvAiCost SrvAiAtvCost(const std::array<std::uint8_t, kAtvKinds>& counts);

// For each mineral, whether its stock in the pools of the asteroids the
// chapter owns would last `turns` turns of its credit income (the game
// variables' credits an asteroid, a turn), each credit spent on the ATVs
// that take the most of that mineral for it (none with `turns` 0, nor before turn kStakeTurns).
constexpr std::uint32_t kStakeTurns = 30;
using SrvAiPlenty = std::array<bool, kMineralTypes>;
SrvAiPlenty SrvAiPlentifulMinerals(const SrvWorld& world, std::uint16_t chapter, int turns);
// Whether mining the asteroid brings what the chapter is short of: the
// minerals that are not plentiful make at least a third of what its
// composition yields. A zone on other land adds to pools that already
// outlast the income, so it is held with ATVs that mine nothing.
bool SrvAiWorthMining(const SrvWorld& world, const SrvAiPlenty& plenty, std::uint16_t asteroid);
