#include "server/world/SrvSetup.h"

#include <algorithm>
#include <cstring>

#include "Game/model/GWorldTypes.h"
#include "Game/setup/GameSetup.h"

SrvSetup::SrvSetup() {
  // The front end's own start values, so that a game nobody configured plays
  // as one the host left untouched.
  GameConfigPacket startConfig;
  GameSettingsPacket startSettings;
  PlayerOptions unusedOptions;
  ResetSetupGroup(startConfig, startSettings, unusedOptions, SETUP_FOG, 1);
  ResetSetupGroup(startConfig, startSettings, unusedOptions, SETUP_RANDOM, 1);
  ResetSetupGroup(startConfig, startSettings, unusedOptions, SETUP_TRAITS, 0);
  startSettings.isSettings = 1;
  startSettings.difficulty = DIFFICULTY_AVERAGE;
  config.bytes = ToBytes(startConfig);
  settings.bytes = ToBytes(startSettings);
}

bool SrvSetup::TakeConfig(std::span<const std::uint8_t> packet) {
  if (packet.size() < config.bytes.size()) return false;
  std::memcpy(config.bytes.data(), packet.data(), config.bytes.size());
  return true;
}

bool SrvSetup::TakeSettings(std::span<const std::uint8_t> packet) {
  if (packet.size() < settings.bytes.size()) return false;
  std::memcpy(settings.bytes.data(), packet.data(), settings.bytes.size());
  return true;
}

GameConfigPacket SrvSetup::Config() const {
  GameConfigPacket record;
  FromBytes(config.bytes, record);
  return record;
}

GameSettingsPacket SrvSetup::Settings() const {
  GameSettingsPacket record;
  FromBytes(settings.bytes, record);
  return record;
}

std::uint8_t SrvSetup::ChaptersPerGuild() const {
  // The count's low byte, as the front end reads it.
  return static_cast<std::uint8_t>(std::clamp<int>(static_cast<std::uint8_t>(Config().chapters), 1, 8));
}

std::uint16_t SrvSetup::AsteroidCount() const {
  return static_cast<std::uint16_t>(std::clamp<int>(Config().asteroids, ChapterCount(), kMaxAsteroids));
}

std::uint16_t SrvSetup::OrbitMotion() const {
  const std::uint16_t speed = std::min<std::uint16_t>(Config().orbitSpeed, 3);
  return speed == 3 ? 4 : speed;
}
