#pragma once
// The game's set-up as the front end agreed it: the 40-byte configuration
// (packet 52) and the 68-byte settings (packet 53), kept as the images the
// clients sent, and the values the server takes from them.
//
// One thread only.

#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"
#include "Game/setup/GameSetup.h"

struct SrvSetup {
  PacketImage<40> config{52};
  PacketImage<68> settings{53};

  // The front end's start values at average difficulty.
  SrvSetup();

  // Takes a client's block over; false (nothing taken) for a short block.
  bool TakeConfig(std::span<const std::uint8_t> packet);
  bool TakeSettings(std::span<const std::uint8_t> packet);
  // The images read and written through the set-up records' codec.
  GameConfigPacket Config() const;
  GameSettingsPacket Settings() const;
  void SetConfig(const GameConfigPacket& record) { config.bytes = ToBytes(record); }
  void SetSettings(const GameSettingsPacket& record) { settings.bytes = ToBytes(record); }

  // 1..8.
  std::uint8_t ChaptersPerGuild() const;
  // Five guilds of ChaptersPerGuild.
  int ChapterCount() const { return 5 * ChaptersPerGuild(); }
  // At least one per chapter, at most 150.
  std::uint16_t AsteroidCount() const;
  // Minutes, as the configuration screen stores them; 0 for no limit.
  std::uint16_t TurnTimeLimitMinutes() const { return Config().turnTimeLimit; }
  // The solar system's orbit motion: the orbit speed, 3 stored as 4.
  std::uint16_t OrbitMotion() const;
  bool ChaoticOrbits() const { return Config().chaoticOrbits != 0; }
  // Fog of war: asteroids start scanned.
  bool AsteroidsStartScanned() const { return Settings().fowAstStartScanned != 0; }
  // Fog of war: every chapter's ships start scanned (else each chapter's own only).
  bool ShipsStartScanned() const { return Settings().fowShipStartScanned == 0; }
  // Starting values: homes may have elliptic orbits (else round ones), and
  // the scales of the starting resources and ground forces, 0 high, 1
  // average, 2 low.
  bool RandomOrbits() const { return Settings().randomOrbits != 0; }
  std::uint16_t ResourceScale() const { return Settings().resourceScale; }
  std::uint16_t ForceScale() const { return Settings().forceScale; }
  bool RandomEvents() const { return Config().randomEvents != 0; }
};
