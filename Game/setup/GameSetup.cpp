#include "Game/setup/GameSetup.h"

#include "platform/core/bytes.h"

namespace {

constexpr std::array<std::uint16_t, 6> kFogPresets[3] = {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0}, {2, 2, 1, 1, 1, 1}};
constexpr std::array<std::uint16_t, 5> kRandomPresets[3] = {{0, 0, 0, 0, 0}, {1, 0, 1, 1, 1}, {1, 1, 1, 2, 2}};

std::array<std::uint16_t*, 6> FogFields(GameSettingsPacket& s) {
  return {&s.fowShowInTransit,    &s.fowShowInAsteroidal, &s.fowAstStartScanned,
          &s.fowShipStartScanned, &s.fowDispControlOfAst, &s.fowShowAsteroids};
}

std::array<std::uint16_t*, 5> RandomFields(GameSettingsPacket& s) {
  return {&s.randomSystemSize, &s.randomEconomicGrade, &s.randomOrbits, &s.resourceScale, &s.forceScale};
}

template <class Fields, class Presets>
void ApplyPreset(Fields fields, const Presets& presets, std::int16_t level) {
  for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = presets[level][i];
}

}  // namespace

std::array<std::uint8_t, kGameConfigSize> ToBytes(const GameConfigPacket& p) {
  std::array<std::uint8_t, kGameConfigSize> out{};
  plat::ByteWriter w(out);
  w.U16(p.type);
  w.U16(p.reserved);
  w.U32(p.sequence);
  w.U32(p.word8);
  w.U16(p.word12);
  for (std::uint16_t v :
       {p.chapters, p.asteroids, p.turnTimeLimit, p.victoryConditions, p.biggestIsBestTurns, p.imperatorAsteroids,
        p.imperatorVotes, p.randomEvents, p.orbitSpeed, p.researchShared, p.chaoticOrbits})
    w.U16(v);
  w.U32(p.word36);
  return out;
}

std::array<std::uint8_t, kGameSettingsSize> ToBytes(const GameSettingsPacket& p) {
  std::array<std::uint8_t, kGameSettingsSize> out{};
  plat::ByteWriter w(out);
  w.U16(p.type);
  w.U16(p.reserved);
  w.U32(p.sequence);
  for (std::uint16_t v : {p.chapterSlot, p.isSettings, p.difficulty, p.unused14}) w.U16(v);
  w.U32(p.word16);
  for (std::uint16_t v :
       {p.randomSystemSize, p.randomEconomicGrade, p.randomOrbits, p.resourceScale, p.forceScale, p.unused30})
    w.U16(v);
  w.U32(p.word32);
  for (std::uint16_t v : {p.fowShowInTransit, p.fowShowInAsteroidal, p.fowAstStartScanned, p.fowShipStartScanned,
                          p.fowDispControlOfAst, p.fowShowAsteroids})
    w.U16(v);
  w.WriteBytes(p.traits);
  return out;
}

bool FromBytes(std::span<const std::uint8_t> image, GameConfigPacket& out) {
  if (image.size() < kGameConfigSize) return false;
  plat::ByteReader r(image);
  GameConfigPacket p;
  p.type = r.U16();
  p.reserved = r.U16();
  p.sequence = r.U32();
  p.word8 = r.U32();
  p.word12 = r.U16();
  for (std::uint16_t* f :
       {&p.chapters, &p.asteroids, &p.turnTimeLimit, &p.victoryConditions, &p.biggestIsBestTurns, &p.imperatorAsteroids,
        &p.imperatorVotes, &p.randomEvents, &p.orbitSpeed, &p.researchShared, &p.chaoticOrbits})
    *f = r.U16();
  p.word36 = r.U32();
  out = p;
  return true;
}

bool FromBytes(std::span<const std::uint8_t> image, GameSettingsPacket& out) {
  if (image.size() < kGameSettingsSize) return false;
  plat::ByteReader r(image);
  GameSettingsPacket p;
  p.type = r.U16();
  p.reserved = r.U16();
  p.sequence = r.U32();
  for (std::uint16_t* f : {&p.chapterSlot, &p.isSettings, &p.difficulty, &p.unused14}) *f = r.U16();
  p.word16 = r.U32();
  for (std::uint16_t* f :
       {&p.randomSystemSize, &p.randomEconomicGrade, &p.randomOrbits, &p.resourceScale, &p.forceScale, &p.unused30})
    *f = r.U16();
  p.word32 = r.U32();
  for (std::uint16_t* f : FogFields(p)) *f = r.U16();
  r.ReadBytes(p.traits);
  out = p;
  return true;
}

void ResetSetupGroup(GameConfigPacket& config, GameSettingsPacket& settings, PlayerOptions& options, std::int16_t group,
                     std::int16_t level) {
  switch (group) {
    case SETUP_CONFIG:
      config = GameConfigPacket{};
      break;
    case SETUP_FOG:
      if (level < 0 || level > 2) return;
      ApplyPreset(FogFields(settings), kFogPresets, level);
      settings.word16 = 0;
      break;
    case SETUP_TRAITS:
      settings.traits.fill(0);
      settings.traits[1] = 20;
      settings.traits[8] = 30;
      settings.traits[17] = 15;
      break;
    case SETUP_RANDOM:
      if (level < 0 || level > 2) return;
      ApplyPreset(RandomFields(settings), kRandomPresets, level);
      settings.word16 = 0;
      break;
    case SETUP_OPTIONS:
      options = PlayerOptions{};
      break;
    default:
      break;
  }
}

std::uint16_t RateDifficulty(const GameSettingsPacket& s, std::uint16_t mode) {
  if (mode == 0) {
    std::uint16_t sum = 0;
    for (std::uint16_t v : {s.randomSystemSize, s.randomEconomicGrade, s.randomOrbits, s.resourceScale, s.forceScale,
                            s.fowShowInTransit, s.fowShowInAsteroidal, s.fowAstStartScanned, s.fowShipStartScanned,
                            s.fowDispControlOfAst, s.fowShowAsteroids})
      sum = static_cast<std::uint16_t>(sum + v);
    return sum < 5 ? DIFFICULTY_EASY : sum <= 10 ? DIFFICULTY_AVERAGE : DIFFICULTY_HARD;
  }
  if (mode != 1) return mode;
  // The fields the presets fix, in the order of the match; the second fog
  // field and the system size take no part.
  const std::array<std::uint16_t, 9> fields{s.fowShowInTransit,    s.fowAstStartScanned, s.fowShipStartScanned,
                                            s.fowDispControlOfAst, s.fowShowAsteroids,   s.randomEconomicGrade,
                                            s.randomOrbits,        s.resourceScale,      s.forceScale};
  constexpr std::array<std::uint16_t, 9> kMatch[3] = {
      {0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 0, 0, 0, 1, 1, 1}, {2, 1, 1, 1, 1, 1, 1, 2, 2}};
  for (std::uint16_t level = 0; level < 3; ++level)
    if (fields == kMatch[level]) return level;
  return DIFFICULTY_CUSTOM;
}
