#pragma once
// The keys of "defBP.dat": where each value goes and its width in the file.

#include <cstdint>
#include <string_view>

#include "Game/rules/GDefBP.h"

struct DefBPKey {
  const char* key;
  bool targeting;  // else the retreat part
  std::uint8_t position;
  std::uint8_t width;  // characters the value takes when written back
};

constexpr DefBPKey kDefBPKeys[] = {
    {"BATTLEPLAN_WHOTOFIREAT", true, 0, 1},   {"BATTLEPLAN_TARGET_CLOSEST", true, 1, 1},
    {"BATTLEPLAN_ONLY_PRIMARY", true, 2, 1},  {"BATTLEPLAN_RANGE", true, 3, 1},
    {"BATTLEPLAN_HIT_CHANCE", true, 4, 2},    {"BATTLEPLAN_RETREAT_LIFE", false, 0, 2},
    {"BATTLEPLAN_RETREAT_HULL", false, 1, 2}, {"BATTLEPLAN_RETREATNOWEPAONS", false, 2, 1},
};
// The key that opens a block and the one that closes it.
constexpr std::string_view kDefBPFirstKey = "BATTLEPLAN_WHOTOFIREAT";
constexpr std::string_view kDefBPLastKey = "BATTLEPLAN_RETREATNOWEPAONS";

inline const DefBPKey* FindDefBPKey(std::string_view key) {
  for (const DefBPKey& k : kDefBPKeys) {
    if (key == k.key) return &k;
  }
  return nullptr;
}

inline std::uint8_t& DefBPValue(DefaultBattlePlanTable& table, int unitClass, const DefBPKey& k) {
  return k.targeting ? table.targeting[unitClass][k.position] : table.retreat[unitClass][k.position];
}

// Messages of the OK box.
constexpr const char* kDefBPNotFound = "defBP.dat file not found";
constexpr const char* kDefBPCorrupted = "defBPs.dat file corrupted";
constexpr const char* kDefBPReadOnly = "DefBP.dat file is read only";
