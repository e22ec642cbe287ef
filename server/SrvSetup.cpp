#include "server/SrvSetup.h"

#include <algorithm>
#include <cstring>

#include "Game/model/GWorldTypes.h"

SrvSetup::SrvSetup() {
  config.SetU16(14, 8);
  config.SetU16(16, kMaxAsteroids);
  config.SetU16(18, 60);
  config.SetU16(20, 9);
  config.SetU16(22, 1000);
  config.SetU16(24, 51);
  config.SetU16(26, 35);
  config.SetU16(30, 2);
  config.SetU16(32, 50);
  settings.SetU16(8, 40);
  settings.SetU16(10, 1);
  settings.SetU16(12, 1);
  const std::uint16_t randomSetUp[] = {1, 0, 1, 1, 1};
  for (int i = 0; i < 5; ++i) settings.SetU16(20 + 2 * i, randomSetUp[i]);
  const std::uint16_t fog[] = {1, 1, 1, 1, 0, 0};
  for (int i = 0; i < 6; ++i) settings.SetU16(36 + 2 * i, fog[i]);
  settings.SetU8(48 + 1, 20);
  settings.SetU8(48 + 8, 30);
  settings.SetU8(48 + 17, 15);
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

std::uint8_t SrvSetup::ChaptersPerGuild() const {
  return static_cast<std::uint8_t>(std::clamp<int>(config.U8(14), 1, 8));
}

std::uint16_t SrvSetup::AsteroidCount() const {
  return static_cast<std::uint16_t>(std::clamp<int>(config.U16(16), ChapterCount(), kMaxAsteroids));
}

std::uint16_t SrvSetup::OrbitMotion() const {
  const std::uint16_t speed = std::min<std::uint16_t>(config.U16(30), 3);
  return speed == 3 ? 4 : speed;
}
