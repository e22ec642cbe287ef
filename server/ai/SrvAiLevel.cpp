#include "server/ai/SrvAiLevel.h"

namespace {

constexpr std::uint16_t kCustom = 3;
constexpr std::size_t kRatedFields[] = {20, 22, 24, 26, 28, 36, 38, 40, 42, 44, 46};

}  // namespace

std::uint8_t SrvDifficultyOf(const SrvSetup& setup) {
  const std::uint16_t chosen = setup.settings.U16(12);
  if (chosen < kCustom) return static_cast<std::uint8_t>(chosen);
  std::uint16_t rating = 0;
  for (std::size_t at : kRatedFields) rating = static_cast<std::uint16_t>(rating + setup.settings.U16(at));
  return rating < 5 ? 0 : rating <= 10 ? 1 : 2;
}

SrvAiLevel SrvAiLevelOf(std::uint8_t difficulty) {
  switch (difficulty) {
    case 0:
      return {0, 6, 30, 25, 0};
    case 2:
      return {2, 20, 0, 100, 60};
    default:
      return {1, 12, 25, 50, 25};
  }
}
