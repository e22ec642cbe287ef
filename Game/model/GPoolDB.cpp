#include "Game/model/GPoolDB.h"

#include <algorithm>

#include "Game/base/TraceError.h"
#include "Game/model/GChapter.h"
#include "Game/model/GWorldMath.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesFacts.h"

namespace {

bool Valid(std::uint32_t asteroid, std::uint32_t mineral = 0) {
  return asteroid < kMaxAsteroids && mineral < kMineralTypes;
}

constexpr int kCreditsResource = 4;

}  // namespace

void CGPoolDB::InitForNewGame() {
  std::fill(std::begin(pools), std::end(pools), PoolRecord{});
  const int setting = World().StartingResources();
  const double factor = StartingScaleFactor(setting);
  CGChapter* local = World().Chapter(RulesFacts().LocalChapterId());
  if (local == nullptr) return;
  if (local->homeAsteroid < kMaxAsteroids) {
    PoolRecord& home = pools[local->homeAsteroid];
    home.storageFacilities = 1;
    home.blockade = 0;
    for (int m = 0; m < kMineralTypes; ++m)
      home.amounts[m] = TruncToU32(g_gameVariables.GetChapterStartingResource(m) * factor);
  }
  local->credits = TruncToU32(g_gameVariables.GetChapterStartingResource(kCreditsResource) * factor);
}

void CGPoolDB::GetMinerals(std::uint32_t asteroid, std::uint32_t out[kMineralTypes]) const {
  if (Valid(asteroid)) std::copy_n(pools[asteroid].amounts, kMineralTypes, out);
}

void CGPoolDB::SetMinerals(std::uint32_t asteroid, const std::uint32_t in[kMineralTypes]) {
  if (Valid(asteroid)) std::copy_n(in, kMineralTypes, pools[asteroid].amounts);
}

std::uint32_t CGPoolDB::GetMineral(std::uint32_t asteroid, std::uint32_t mineral) const {
  return Valid(asteroid, mineral) ? pools[asteroid].amounts[mineral] : 0;
}

void CGPoolDB::SetMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount) {
  if (Valid(asteroid, mineral)) pools[asteroid].amounts[mineral] = amount;
}

void CGPoolDB::AddMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount) {
  if (Valid(asteroid, mineral)) pools[asteroid].amounts[mineral] += amount;
}

int CGPoolDB::HasMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount) const {
  return Valid(asteroid, mineral) && pools[asteroid].amounts[mineral] >= amount ? 1 : 0;
}

int CGPoolDB::HasMinerals(std::uint32_t asteroid, const std::uint32_t amounts[kMineralTypes]) const {
  for (std::uint32_t m = 0; m < kMineralTypes; ++m)
    if (HasMineral(asteroid, m, amounts[m]) == 0) return 0;
  return 1;
}

int CGPoolDB::TakeMineral(std::uint32_t asteroid, std::uint32_t mineral, std::uint32_t amount) {
  if (HasMineral(asteroid, mineral, amount) == 0) return 0;
  pools[asteroid].amounts[mineral] -= amount;
  return 1;
}

int CGPoolDB::TakeMinerals(std::uint32_t asteroid, const std::uint32_t amounts[kMineralTypes]) {
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) {
    if (amounts[m] == 0 || TakeMineral(asteroid, m, amounts[m]) != 0) continue;
    for (std::uint32_t back = 0; back < m; ++back) AddMineral(asteroid, back, amounts[back]);
    return 0;
  }
  return 1;
}

void CGPoolDB::SetBlockade(std::uint32_t asteroid, std::uint32_t flag) {
  if (Valid(asteroid)) pools[asteroid].blockade = flag;
}

std::uint32_t CGPoolDB::IsBlockaded(std::uint32_t asteroid) const {
  return Valid(asteroid) ? pools[asteroid].blockade : 0;
}

void CGPoolDB::AddStorageFacility(std::uint32_t asteroid) {
  if (Valid(asteroid)) ++pools[asteroid].storageFacilities;
}

void CGPoolDB::SetStorageFacilities(std::uint32_t asteroid, std::uint8_t count) {
  if (Valid(asteroid)) pools[asteroid].storageFacilities = count;
}

std::uint8_t CGPoolDB::GetStorageFacilities(std::uint32_t asteroid) const {
  return Valid(asteroid) ? pools[asteroid].storageFacilities : 0;
}

int CGPoolDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGPoolDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGPoolDB::Save(BlockWriter& w) const {
  w.U8(kPoolDBVersion);
  for (const PoolRecord& p : pools) {
    w.U32(p.blockade);
    w.U8(p.storageFacilities);
    for (std::uint32_t a : p.amounts) w.U32(a);
  }
  w.U8(kPoolDBEndByte);
  return w.Ok();
}

LoadStatus CGPoolDB::Load(BlockReader& r) {
  const std::uint8_t version = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version > kPoolDBVersion) {
    TraceError("Load Error", __FILE__, __LINE__);
    return LoadStatus::kBadVersion;
  }
  PoolRecord loaded[kMaxAsteroids];
  for (PoolRecord& p : loaded) {
    r.Read(p.blockade);
    r.Read(p.storageFacilities);
    for (std::uint32_t& a : p.amounts) r.Read(a);
  }
  const LoadStatus end = r.EndByte(kPoolDBEndByte);
  if (end != LoadStatus::kOk) return end;
  std::copy(std::begin(loaded), std::end(loaded), pools);
  return LoadStatus::kOk;
}
