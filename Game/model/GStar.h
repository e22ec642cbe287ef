#pragma once
// A star of the solar system: its place, its name and its radiation cycle,
// which rises and falls a little every turn and feeds the asteroids'
// radiation coefficients.
//
// Game thread only.

#include <cstdint>
#include <memory>

#include "Game/base/GBlockStream.h"
#include "Game/model/GLocation.h"
#include "Game/model/GNameText.h"
#include "platform/core/files.h"

constexpr std::uint8_t kStarVersion = 1;
constexpr double kMaxCyclePeak = 9000.0;

class CGStar {
 public:
  // Index and kind = index, no name, rising.
  explicit CGStar(std::uint8_t index);
  // Builds the star and reads it with Load; *ok receives the result.
  CGStar(plat::FILE* fp, std::uint32_t* ok);
  static std::unique_ptr<CGStar> CreateFromBlock(BlockReader& r, LoadStatus* status);
  CGStar(const CGStar&) = delete;
  CGStar& operator=(const CGStar&) = delete;

  void GetLocation(Location* out) const { *out = position; }
  void SetLocation(const Location* loc) { position = *loc; }
  // "sun0" for star 0, "sun1" for star 1 (result 1); 0 for other stars or a
  // null buffer. `out` holds at least 5 characters.
  int GetModelName(char* out) const;
  // The name; when none is set it becomes "Quenbar" (kind 0) or "Diantos".
  const char* GetName();
  void SetName(const char* text);
  void SetRadiationCycle(double peak, double fluctuationValue);
  // trunc(base radiation + fluctuation).
  int GetRadiation() const;
  // One turn of the cycle; at the peak the peak takes a random step (rand).
  void UpdateRadiation();

  // u8 version 1, index, kind, Location, name, three f64, u32 rising, 0xFE.
  // An unnamed star saves the empty name. Load leaves the star as it was
  // unless the whole block reads.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  std::uint8_t index = 0;
  std::uint8_t kind = 0;
  Location position;
  NameText name;
  double cyclePeak = 0.0;
  double baseRadiation = 0.0;
  double fluctuation = 0.0;
  std::uint32_t rising = 1;
};
