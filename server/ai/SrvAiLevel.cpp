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
    case 0: {
      SrvAiLevel easy{0, 6, 0, 30, 25, 0, 0, 2, 1, 8, false, 16, 0, false, 1, 13, false};
      easy.raidPercent = 10;
      return easy;
    }
    case 2: {
      SrvAiLevel hard{2, 12, 2, 0, 100, 60, 4, 4, 3, 2, true, 32, 2, true, 4, 17, false, true, true, true, true};
      hard.pushesWhenClosingIn = true;
      return hard;
    }
    default:
      return {1, 6, 1, 20, 50, 15, 2, 3, 2, 4, true, 24, 0, true, 2, 25, true, false, false, true};
  }
}
