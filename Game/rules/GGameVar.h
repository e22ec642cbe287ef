#pragma once
// The rules numbers a designer tunes without rebuilding the program, read
// once at program start from "gamevar.dat" (key=value lines, see
// GKeyValueReader.h). A key missing from the file keeps its default, so a file
// cut at a line end is a valid shorter file and reads without a word. Fields
// without a getter are read directly by their users.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/core/files.h"

// ATV types, in the order of every ATV table here.
constexpr int kATVTypes = 4;  // combat, mining, power, seed bank

// One entry of the ATV technology table: four numbers, then two characters.
using ATVTechEntry = std::array<std::uint8_t, 6>;

// What the player is told of "gamevar.dat".
constexpr const char* kGameVarNotFound = "gamevar.dat file not found";
constexpr const char* kGameVarDamaged = "The rules file gamevar.dat is damaged: default values are used.";

class CGameVariables {
 public:
  // Sets the defaults, then reads "gamevar.dat" (else "..\gamevar.dat"). For
  // the player (GStartupMessage.h): kGameVarNotFound when neither opens;
  // kGameVarDamaged, with every value left at its default, when the file holds
  // what the format cannot: a control character other than the tab, CR and
  // LF, or a key or value past the format's lengths. Fewer keys, none,
  // or a last line without its line end (which is not used) are no damage.
  CGameVariables();
  // Sets the defaults, then reads `text` as the content of "gamevar.dat".
  explicit CGameVariables(std::string_view text);
  // A key of "gamevar.dat" (the reader passes over any other).
  static bool IsKey(std::string_view key);

  // The five costs of an ATV type 0..3; another type leaves `out` untouched.
  void GetATVCosts(int type, std::span<std::int16_t, 5> out) const;
  // Build points of an ATV type 0..3; another type is reported and gives 0.
  std::uint16_t GetATVBuildPoints(int type) const;
  // Copies entry [guild 0..4][level 0..3][type 0..3]; an index out of range is
  // reported and leaves `out` untouched.
  void GetATVTechEntry(int guild, int level, int type, ATVTechEntry* out) const;
  // 0 metals, 1 silicates, 2 exotics, 3 reactives, 4 credits; another index is
  // reported and gives 0.
  std::uint32_t GetChapterStartingResource(int index) const;

  std::int16_t atvCosts[kATVTypes][5] = {};
  std::uint16_t atvBuildPoints[kATVTypes] = {};
  ATVTechEntry atvTechLevels[5][4][kATVTypes];  // [guild][level][type]
  std::uint8_t costStorageFacility = 255;
  std::uint8_t costMiningFacility = 255;
  std::uint8_t costPowerFacility = 255;
  std::uint8_t costATVConstructionFacility = 255;
  std::uint32_t effectMiningFacility = 100;
  std::uint32_t effectPowerFacility = 100;
  std::uint8_t facilityDestruction[5] = {100, 100, 100, 100, 100};
  std::uint32_t chapterStartingResources[5] = {};  // metals, silicates, exotics, reactives, credits
  std::uint8_t powerBases[5] = {};                 // ruby, emerald, sapphire, topaz, diamond
  std::uint32_t creditsPerAsteroid = 50;
  std::uint16_t leechAmount = 0;
  std::uint32_t asteroidCollisionRange = 9000;

 private:
  void SetDefaults();
  // False, having stored nothing, for a file the format cannot hold.
  bool ReadFile(plat::FILE* fp);
  void Store(std::string_view key, std::string_view value);
  void StoreATVTechLevels(std::string_view value);
};

// A whole "gamevar.dat" that reads back as `vars`: every key, the ATV
// technology entries that differ from the default, CR LF line ends.
std::string GameVariablesText(const CGameVariables& vars);

// The game variables of the whole run, built after g_instData (GGlobals.cpp).
extern CGameVariables g_gameVariables;
