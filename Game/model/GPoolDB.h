#pragma once
// The minerals stored on each asteroid: one pool record per asteroid index,
// holding a blockade flag, the number of storage facilities (nonzero: the
// asteroid has a local pool) and four mineral amounts. The server keeps the
// pools up to date; trade and construction read and take from them.
//
// Game thread only.

#include <cstdint>

#include "Game/base/GBlockStream.h"
#include "Game/model/GWorldTypes.h"
#include "platform/core/files.h"

constexpr std::uint8_t kPoolDBVersion = 1;
constexpr std::uint8_t kPoolDBEndByte = 0xDA;

struct PoolRecord {
  std::uint32_t blockade = 0;
  std::uint8_t storageFacilities = 0;
  std::uint32_t amounts[kMineralTypes] = {};
};

// What a starting-values scale (0 high, 1 average, 2 low) makes of the
// chapters' starting resources and forces: 1.5, 1.0 or 0.5; any other value
// is average.
inline double StartingScaleFactor(int setting) { return setting == 0 ? 1.5 : setting == 2 ? 0.5 : 1.0; }

// Every operation taking an asteroid index does nothing (or answers 0) for
// an index of kMaxAsteroids or more, and for a mineral outside 0..3.
class CGPoolDB {
 public:
  CGPoolDB() = default;

  // Zeroes every pool; the local chapter's home pool gets its starting
  // minerals and the chapter its starting credits, scaled by the player's
  // starting-values setting (0: 1.5, 2: 0.5, else 1.0).
  void InitForNewGame();

  void GetMinerals(std::uint32_t asteroid, std::uint32_t out[kMineralTypes]) const;
  void SetMinerals(std::uint32_t asteroid, const std::uint32_t in[kMineralTypes]);
  std::uint32_t GetMineral(std::uint32_t asteroid, std::uint32_t mineral) const;
  void SetMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount);
  void AddMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount);
  int HasMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount) const;
  int HasMinerals(std::uint32_t asteroid, const std::uint32_t amounts[kMineralTypes]) const;
  // Subtracts when enough is held (1); else 0 and nothing changes.
  int TakeMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount);
  // All or nothing: 1 when every nonzero amount was taken.
  int TakeMinerals(std::uint32_t asteroid, const std::uint32_t amounts[kMineralTypes]);
  void SetBlockade(std::uint32_t asteroid, std::uint32_t flag);
  std::uint32_t IsBlockaded(std::uint32_t asteroid) const;
  void AddStorageFacility(std::uint32_t asteroid);
  void SetStorageFacilities(std::uint32_t asteroid, std::uint8_t count);
  std::uint8_t GetStorageFacilities(std::uint32_t asteroid) const;

  // u8 version 1, 150 pools of 21 bytes, 0xDA. Load leaves the pools as they
  // were unless the whole block reads.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  PoolRecord pools[kMaxAsteroids];
};
