#pragma once
// The game's set-up as the application keeps it between the front end and the
// game: the game configuration (packet 52, 40 bytes), the game settings
// (packet 53, 68 bytes) and the player's own options, with their start values,
// the difficulty presets and the difficulty rating. Game thread only.

#include <array>
#include <cstdint>
#include <span>

constexpr std::size_t kGameConfigSize = 40;
constexpr std::size_t kGameSettingsSize = 68;
constexpr int kChapterTraits = 20;
// The chapter slot of packet 53 that names no sender.
constexpr std::uint16_t kNoChapterSlot = 40;
// The chapter the application plays before one is chosen (and while no game
// exists): not the model's owner of nobody (0xFFFF).
constexpr std::uint16_t kNoChapterChosen = 255;

enum Difficulty : std::uint16_t {
  DIFFICULTY_EASY = 0,
  DIFFICULTY_AVERAGE = 1,
  DIFFICULTY_HARD = 2,
  DIFFICULTY_CUSTOM = 3
};

struct GameConfigPacket {
  std::uint16_t type = 52;
  std::uint16_t reserved = 0;
  std::uint32_t sequence = 0;
  std::uint32_t word8 = 0;
  std::uint16_t word12 = 0;
  std::uint16_t chapters = 8;
  std::uint16_t asteroids = 150;
  std::uint16_t turnTimeLimit = 60;
  std::uint16_t victoryConditions = 9;
  std::uint16_t biggestIsBestTurns = 1000;
  std::uint16_t imperatorAsteroids = 51;
  std::uint16_t imperatorVotes = 35;
  std::uint16_t randomEvents = 0;
  std::uint16_t orbitSpeed = 2;
  std::uint16_t researchShared = 50;
  std::uint16_t chaoticOrbits = 0;
  std::uint32_t word36 = 0;
};

struct GameSettingsPacket {
  std::uint16_t type = 53;
  std::uint16_t reserved = 0;
  std::uint32_t sequence = 0;
  std::uint16_t chapterSlot = kNoChapterSlot;
  std::uint16_t isSettings = 0;  // 1 settings, 0 request
  std::uint16_t difficulty = DIFFICULTY_EASY;
  std::uint16_t unused14 = 0;
  std::uint32_t word16 = 0;  // cleared by every reset of the fog or random groups
  std::uint16_t randomSystemSize = 0;
  std::uint16_t randomEconomicGrade = 0;
  std::uint16_t randomOrbits = 0;
  std::uint16_t resourceScale = 0;
  std::uint16_t forceScale = 0;
  std::uint16_t unused30 = 0;
  std::uint32_t word32 = 0;
  std::uint16_t fowShowInTransit = 0;
  std::uint16_t fowShowInAsteroidal = 0;
  std::uint16_t fowAstStartScanned = 0;
  std::uint16_t fowShipStartScanned = 0;
  std::uint16_t fowDispControlOfAst = 0;
  std::uint16_t fowShowAsteroids = 0;
  std::array<std::uint8_t, kChapterTraits> traits{};
};

// The player's options, kept in the settings file but sent nowhere.
struct PlayerOptions {
  std::int16_t musicLevel = 1;    // 0..3
  std::int16_t effectsLevel = 2;  // 0..3
  std::uint32_t staticFacing = 1;
  std::uint32_t zoom = 1;
  std::uint32_t fogging = 1;
  std::uint32_t stars = 1;
  std::uint32_t speech = 1;
  std::uint32_t frameAnimation = 1;
};

// The packets' byte images, every byte written.
std::array<std::uint8_t, kGameConfigSize> ToBytes(const GameConfigPacket& p);
std::array<std::uint8_t, kGameSettingsSize> ToBytes(const GameSettingsPacket& p);
// False (out untouched) when the image is shorter than the packet.
bool FromBytes(std::span<const std::uint8_t> image, GameConfigPacket& out);
bool FromBytes(std::span<const std::uint8_t> image, GameSettingsPacket& out);

// The set-up groups of ResetSettings.
enum SetupGroup : std::int16_t {
  SETUP_CONFIG = 1,
  SETUP_FOG = 2,
  SETUP_TRAITS = 3,
  SETUP_RANDOM = 4,
  SETUP_OPTIONS = 5,
};

// Resets one group to its start values (levels 0..2 choose the fog and
// random presets; the configuration, traits and options have one). Another
// group or level changes nothing.
void ResetSetupGroup(GameConfigPacket& config, GameSettingsPacket& settings, PlayerOptions& options, std::int16_t group,
                     std::int16_t level);

// Mode 0 rates the settings (easy, average, hard by the sum of the fog and
// random fields); mode 1 says which preset they match, custom for none. Any
// other mode is returned as it is.
std::uint16_t RateDifficulty(const GameSettingsPacket& settings, std::uint16_t mode);
