#include "Game/rules/GBattlePlanFile.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint8_t kLastTarget = 3;
constexpr std::uint8_t kMaxPercent = 100;

// The file's order of the targeting bytes.
constexpr std::array<int, 5> kFileOrder = {1, 0, 2, 3, 4};

}  // namespace

bool WriteBattlePlan(plat::FILE* fp, const TargetingPart& targeting, const RetreatPart& retreat) {
  if (!fp) return false;
  std::array<std::uint8_t, kBattlePlanFileSize> bytes{};
  for (std::size_t i = 0; i < kFileOrder.size(); ++i) bytes[i] = targeting[kFileOrder[i]];
  std::copy(retreat.begin(), retreat.end(), bytes.begin() + 5);
  return plat::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
}

bool ReadBattlePlan(plat::FILE* fp, TargetingPart* targeting, RetreatPart* retreat) {
  if (!fp) return false;
  // One byte more than a plan tells a longer file from a plan.
  std::array<std::uint8_t, kBattlePlanFileSize + 1> bytes{};
  const std::size_t got = plat::fread(bytes.data(), 1, bytes.size(), fp);
  return ParseBattlePlan(std::span<const std::uint8_t>(bytes.data(), got), targeting, retreat);
}

bool ParseBattlePlan(std::span<const std::uint8_t> bytes, TargetingPart* targeting, RetreatPart* retreat) {
  if (bytes.size() != kBattlePlanFileSize || !targeting || !retreat) return false;
  TargetingPart t{};
  RetreatPart r{};
  for (std::size_t i = 0; i < kFileOrder.size(); ++i) t[kFileOrder[i]] = bytes[i];
  std::copy(bytes.begin() + 5, bytes.end(), r.begin());
  ClampBattlePlan(&t, &r);
  *targeting = t;
  *retreat = r;
  return true;
}

void ClampBattlePlan(TargetingPart* targeting, RetreatPart* retreat) {
  TargetingPart& t = *targeting;
  RetreatPart& r = *retreat;
  t[0] = std::min(t[0], kLastTarget);
  t[1] = std::min<std::uint8_t>(t[1], 1);
  t[2] = std::min<std::uint8_t>(t[2], 1);
  t[3] = std::clamp<std::uint8_t>(t[3], 1, 2);
  t[4] = std::min(t[4], kMaxPercent);
  r[0] = std::min(r[0], kMaxPercent);
  r[1] = std::min(r[1], kMaxPercent);
  r[2] = std::min<std::uint8_t>(r[2], 1);
}
