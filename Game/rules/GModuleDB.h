#pragma once
// Ship modules: the designs of every guild's weapons, shields, drives,
// computers and the like, read from "modules.dat" when a game starts and kept
// in one block addressed by index. What changes during a game is each
// module's research state. The database also derives the display texts, the
// image and sound file names, and the effective values that depend on
// research and on the local chapter's traits.
//
// "modules.dat", little-endian, records one after another to the end of the
// file, each: char[30] name; u8 guild mask; u8; u8 type; 5 x u16 costs;
// 5 x u16; u16 successor; 2 x u8; u16 help topic; u16; u8 build points; u8;
// u8 tech level; char[6] image name; char[7] sound name; 8 x u8 defenses;
// 2 x u8; u16; u16 power use; u8 mass; then the type data of its type, packed
// (kModuleTypeDataSize bytes).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

enum ModuleType : std::uint8_t {
  MODULE_CONSTRUCTION = 0,
  MODULE_COMPUTER = 1,
  MODULE_DAMAGECONTROL = 2,
  MODULE_DEFENSE = 3,
  MODULE_POWER = 4,
  MODULE_PROPULSION = 5,
  MODULE_SCOUT = 6,
  MODULE_ECM = 7,
  MODULE_TRACKING = 8,
  MODULE_TRANSPORT = 9,
  MODULE_WEAPON = 10,
};
constexpr int kModuleTypeCount = 11;

enum AttackType : std::uint8_t {
  ATTACK_SOLID = 0,
  ATTACK_EXPLOSIVE = 1,
  ATTACK_CORROSIVE = 2,
  ATTACK_CHEMICAL = 3,
  ATTACK_HEAT = 4,
  ATTACK_RADIATION = 5,
  ATTACK_DISCHARGE = 6,
  ATTACK_NUCLEAR = 7,
};
constexpr int kAttackTypeCount = 8;

enum ComputerType : std::uint8_t {
  COMPUTER_DEFENSE = 0,
  COMPUTER_SCOUT = 1,
  COMPUTER_COMBAT = 2,
  COMPUTER_TRANSPORT = 3,
  COMPUTER_CONSTRUCTION = 4,
};
constexpr std::uint8_t kNotAComputer = 255;

enum WeaponPattern : std::uint8_t { PATTERN_MISSILE = 0, PATTERN_BEAM = 1, PATTERN_CANNON = 2 };

// Bytes of type data each module type carries in "modules.dat".
constexpr std::uint8_t kModuleTypeDataSize[kModuleTypeCount] = {1, 10, 1, 9, 6, 8, 1, 1, 1, 2, 10};

constexpr std::uint16_t kNoModule = 0xFFFF;
constexpr std::uint8_t kUnlimitedAmmo = 255;
// A weapon's rate of fire above this is the code of a special weapon.
constexpr std::uint8_t kMaxRateOfFire = 20;
// Special weapon codes: the Emerald Combine's mind weapon, armed and disarmed
// by its player (a hit stuns), and the Golden Order's bombard.
constexpr std::uint8_t kSpecialMind = 22;
constexpr std::uint8_t kSpecialBombard = 24;
constexpr std::uint32_t kMindWeaponGuild = 1;
constexpr int kWeaponRangeScale = 104;  // stored weapon ranges are the file's times this
constexpr std::uint8_t kModuleDBEndByte = 0xD5;
// The "modules.dat" image that LoadModules reads back as `records`: weapon
// ranges divided by kWeaponRangeScale and propulsion words packed as the file
// holds them; research state is not part of it. Empty when a record has an
// unknown type.
struct ModuleRecord;
std::vector<std::uint8_t> WriteModulesImage(std::span<const ModuleRecord> records);

// What the player is told when "modules.dat" cannot be used.
constexpr const char* kModulesFileDamaged =
    "The rules file modules.dat is missing or damaged. Please reinstall the game.";

struct ModuleRecord {
  // The type data as the rules read it: the n-th byte, and the n-th u16 (at
  // byte 2n). In memory every type keeps its fields at their natural places:
  // a propulsion module's three words at bytes 2, 4 and 6 and its local
  // thrust at byte 8 (the file packs them after the thrust byte).
  std::uint8_t TypeByte(int n) const { return n >= 0 && n < 10 ? typeData[n] : 0; }
  std::uint16_t TypeWord(int n) const {
    if (n < 0 || n >= kTypeWords) return 0;
    return static_cast<std::uint16_t>(typeData[2 * n] | typeData[2 * n + 1] << 8);
  }
  void SetTypeWord(int n, std::uint16_t v) {
    if (n < 0 || n >= kTypeWords) return;
    typeData[2 * n] = static_cast<std::uint8_t>(v);
    typeData[2 * n + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  static constexpr int kTypeWords = 5;

  // Weapons.
  std::uint8_t AttackKind() const { return typeData[0]; }
  std::uint8_t Strength() const { return typeData[1]; }
  std::uint16_t MaxRange() const { return TypeWord(1); }
  std::uint16_t EffectiveRange() const { return TypeWord(2); }
  std::uint8_t RateOfFire() const { return typeData[6]; }
  std::uint8_t HitPercent() const { return typeData[7]; }
  std::uint8_t MaxAmmo() const { return typeData[8]; }
  std::uint8_t Pattern() const { return typeData[9]; }
  // The special code of a weapon (its rate of fire above kMaxRateOfFire), 0
  // for an ordinary weapon and for any other module.
  std::uint8_t SpecialCode() const { return type == MODULE_WEAPON && RateOfFire() > kMaxRateOfFire ? RateOfFire() : 0; }
  // Propulsion.
  std::uint8_t DeepThrust() const { return typeData[0]; }
  std::uint8_t LocalThrust() const { return typeData[8]; }

  char name[30] = {};
  std::uint8_t guildMask = 0;  // bit g: the module belongs to guild g
  std::uint8_t spareByte2 = 0;
  std::uint8_t type = 0;                // ModuleType
  std::uint16_t costs[5] = {};          // metals, silicates, exotics, reactives, credits
  std::uint16_t secondValues[5] = {};   // carried from the file; no rule reads them
  std::uint16_t successor = kNoModule;  // the module that improves on this one
  std::uint8_t spareBytesA[2] = {};
  std::uint16_t helpTopic = 0;
  std::uint16_t spareWordA = 0;
  std::uint8_t buildPoints = 0;
  std::uint8_t spareByteB = 0;
  std::uint8_t techLevel = 0;     // 1: researched from the start
  char imageName[6] = {};         // base name of its images
  char soundName[7] = {};         // base name of its sounds; '@' first: the shared directory
  std::uint8_t defenses[8] = {};  // one flag per AttackType
  std::uint8_t spareBytesC[2] = {};
  std::uint16_t spareWordC = 0;
  std::uint16_t powerUse = 0;
  std::uint8_t mass = 0;
  std::uint8_t typeData[10] = {};
  std::uint16_t researchPoints = 0;  // 10,000: researched
  std::uint16_t researchAllocation = 0;
  std::uint16_t scienceBonus = 0;
  std::uint16_t researchWord = 0;
};

// A block of records. Its room is taken raw and each record in it is made
// once, by a copy (a record is trivially copyable and its destruction does
// nothing): a database's block is filled from a file or from kept rules, and
// making every slot first only to write it over doubled the cost of both.
// The slots past a database's count, up to its capacity, hold records as
// their definition makes them.
struct ModuleBlockDeleter {
  void operator()(ModuleRecord* block) const noexcept { ::operator delete(block); }
};
using ModuleBlock = std::unique_ptr<ModuleRecord[], ModuleBlockDeleter>;
// A block of `n` records as their definition makes them.
ModuleBlock MakeModuleBlock(std::size_t n);

class CGModuleDB {
 public:
  // A block of 20 records, then LoadModules of "%smodules.dat" in the install
  // directory. A file that is missing or cannot be read whole is named to the
  // player in an OK box and leaves the block empty: see IsLoaded. The
  // records of a file unchanged since a database was last made from it are
  // copies of that read's, in a block of the capacity it reached
  // (GKeptRules.h); the file is not read again.
  CGModuleDB();
  // The same from another file.
  explicit CGModuleDB(const char* path);
  CGModuleDB(const CGModuleDB&) = delete;
  CGModuleDB& operator=(const CGModuleDB&) = delete;

  // Appends the records of a "modules.dat" image, all or none: 1 when the
  // whole image was read cleanly and holds at least one record; 0, with the
  // block as it was, for a record that ends early, a module of
  // an unknown type (whose length cannot be known) or no record at all.
  int LoadModules(std::span<const std::uint8_t> image);
  // The constructor's file was read: a game must not start without it.
  bool IsLoaded() const { return loaded_; }

  std::uint16_t GetCount() const { return count; }
  // The record, or null for an index that is not below the count.
  const ModuleRecord* GetRecord(int index) const;
  ModuleRecord* GetRecord(int index);

  // Research and the values it scales. Every operation taking an index gives 0
  // (or the empty value it names) for an index that is not below the count.
  // 100 up to 10,000 points; beyond, lowered in single precision; 0 from 55,000.
  std::uint16_t GetCostPercent(int index) const;
  // The five costs scaled by the cost percent.
  void GetCosts(int index, std::uint16_t out[5]) const;
  std::uint16_t GetBuildPoints(int index) const;
  std::uint16_t GetBaseBuildPoints(int index) const;
  // Lowered by the local chapter's traits 19 (mass) and 18 (power use), in percent.
  std::uint16_t GetMass(int index) const;
  std::uint16_t GetPowerUse(int index) const;
  void GetDefenses(int index, std::uint8_t out[8]) const;
  int IsResearched(int index) const;
  int GetResearchPercent(int index) const;

  // The next module in name order (case ignored) from `start` (kNoModule: from
  // the first), going up when `direction` is nonzero; among equal names the
  // lowest index comes first. kNoModule when there is none.
  std::uint16_t GetNextByName(std::uint16_t start, int direction) const;

  // Texts through the game's text index, in a shared buffer.
  const char* GetTypeText(int index) const;
  static const char* GetAttackTypeText(int attackType);
  const char* GetWeaponAttackTypeText(int index) const;
  const char* GetWeaponPatternText(int index) const;

  // The ComputerType of a computer module; kNotAComputer otherwise.
  std::uint8_t GetComputerType(int index) const;
  // The lowest guild whose bit the mask holds; -1 (reported) when none of the five is set.
  int GetGuildIndex(int index) const;
  // The explosion model of a weapon; "exp100" (reported) for anything else.
  const char* GetExplosionName(int index) const;
  // Weapons: the stored range x 3.84 / 2600; 0 for other modules.
  double GetEffectiveRange(int index) const;
  double GetMaxRange(int index) const;
  // The researched propulsion module of exactly the local guild with the
  // greatest thrust (the first on ties); kNoModule when none.
  std::uint16_t FindBestPropulsion() const;
  // The successor of a module, kNoModule when it has none or it lies outside the block.
  std::uint16_t GetSuccessor(int index) const;

  // Stores the allocation and tells every player (510).
  void SetResearchAllocation(int index, std::uint16_t percent);
  // When it differs from the stored bonus: stores it and tells every player (512).
  void SetScienceBonus(int index, std::uint16_t points);
  // Takes science-bonus points back from the local guild's modules, one at a
  // time, while the free pool is above `limit`; then tells every player the
  // new bonus of each module that changed (512).
  void ReclaimScienceBonus(std::uint16_t limit);

  // File names; 1 with the name in `out`, 0 with an empty `out` when the
  // module has no such file or the name does not fit.
  // "<guild art dir><image>.ima" and "<guild art dir><image>s.ima".
  int GetImageFileName(int index, std::span<char> out, int guild) const;
  int GetSmallImageFileName(int index, std::span<char> out, int guild) const;
  const char* GetSoundName(int index) const;
  // Any module with a sound name: "<sound dir>g<guild + 1>\<sound>.wav", or
  // "<sound dir>generic\<sound>.wav" for a name beginning with '@'.
  int GetSoundFileName(int index, std::span<char> out, int guild) const;
  // The same with "_h" (weapons), "_f" (weapons) and "_s" (defense modules).
  int GetHitSoundFileName(int index, std::span<char> out, int guild) const;
  int GetFireSoundFileName(int index, std::span<char> out, int guild) const;
  int GetShieldSoundFileName(int index, std::span<char> out, int guild) const;

  // Every module's research state in index order, the u16 free pool, the end
  // byte 0xD5. Load expects the block built from the same "modules.dat"; 1
  // only when the end byte is 0xD5.
  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  int Load(plat::FILE* fp);
  int Load(BlockReader& r);

  ModuleBlock records;
  std::uint16_t count = 0;
  std::uint16_t capacity = 0;
  std::uint16_t freeSciencePool = 0;  // science-bonus points handed out

 private:
  bool Append(const ModuleRecord& record);
  // A block of `slots` records holding the current ones; never smaller.
  void Reserve(std::uint16_t slots);
  bool loaded_ = false;
  int SoundFile(int index, std::span<char> out, int guild, const char* suffix) const;
};

// The path of a module's sound file below `soundDir` (see GetSoundFileName),
// `suffix` before ".wav". 1, or 0 with an empty `out` when it does not fit.
int BuildModuleSoundPath(const char* soundDir, const char* soundName, int guild, const char* suffix,
                         std::span<char> out);
// "<dir><image>.ima", or "<dir><image>s.ima" when `small`.
int BuildModuleImagePath(const char* dir, const char* imageName, bool small, std::span<char> out);
