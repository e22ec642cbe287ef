#include "server/ai/SrvAiLevel.h"

#include "Game/setup/GameSetup.h"

std::uint8_t SrvDifficultyOf(const SrvSetup& setup) {
  GameSettingsPacket settings;
  FromBytes(setup.settings.bytes, settings);
  if (settings.difficulty < DIFFICULTY_CUSTOM) return static_cast<std::uint8_t>(settings.difficulty);
  return static_cast<std::uint8_t>(RateDifficulty(settings, 0));
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
