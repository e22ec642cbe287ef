#include "server/SrvTraits.h"

namespace {

constexpr int kLevels = 3;
// The value each level of each trait gives (percent, or points for 12 and 15).
constexpr std::uint8_t kLevelValues[kTraitCount][kLevels] = {
    {20, 30, 50}, {20, 30, 50}, {25, 35, 60}, {15, 25, 45}, {20, 30, 50}, {25, 40, 65}, {25, 40, 70},
    {15, 25, 45}, {30, 55, 90}, {30, 55, 90}, {10, 15, 30}, {10, 15, 30}, {2, 3, 5},    {10, 15, 30},
    {10, 15, 30}, {2, 4, 8},    {10, 20, 30}, {15, 25, 40}, {15, 25, 40}, {10, 15, 30},
};
// How many traits may be picked at each level.
constexpr int kPicksAllowed[kLevels] = {3, 2, 1};

}  // namespace

bool SrvTraitsAllowed(const SrvTraitBytes& traits) {
  int level = -1, picks = 0;
  for (int t = 0; t < kTraitCount; ++t) {
    if (traits[t] == 0) continue;
    int found = -1;
    for (int l = 0; l < kLevels && found < 0; ++l)
      if (kLevelValues[t][l] == traits[t]) found = l;
    if (found < 0 || (level >= 0 && found != level)) return false;
    level = found;
    ++picks;
  }
  return level < 0 || picks <= kPicksAllowed[level];
}
