#include "Game/model/GStar.h"

#include <cmath>
#include <cstring>

#include "Game/base/GPersist.h"
#include "Game/model/GWorldMath.h"
#include "platform/core/random.h"

CGStar::CGStar(std::uint8_t starIndex) : index(starIndex), kind(starIndex) {}

CGStar::CGStar(plat::FILE* fp, std::uint32_t* ok) {
  const int result = Load(fp);
  if (ok != nullptr) *ok = static_cast<std::uint32_t>(result);
}

std::unique_ptr<CGStar> CGStar::CreateFromBlock(BlockReader& r, LoadStatus* status) {
  auto star = std::make_unique<CGStar>(0);
  *status = star->Load(r);
  return star;
}

int CGStar::GetModelName(char* out) const {
  if (out == nullptr || index > 1) return 0;
  std::memcpy(out, index == 0 ? "sun0" : "sun1", 5);
  return 1;
}

const char* CGStar::GetName() {
  if (!name) name.Assign(kind != 0 ? "Diantos" : "Quenbar");
  return name.get();
}

void CGStar::SetName(const char* text) { name.Assign(text); }

void CGStar::SetRadiationCycle(double peak, double fluctuationValue) {
  cyclePeak = peak;
  fluctuation = fluctuationValue;
}

int CGStar::GetRadiation() const { return TruncToInt(baseRadiation + fluctuation); }

void CGStar::UpdateRadiation() {
  // A cycle without a peak has no swing (its phase would divide by 0).
  const double d = cyclePeak != 0.0 ? 64.0 * std::sin(fluctuation * 3.14 / cyclePeak) : 0.0;
  if (rising != 0)
    fluctuation = fluctuation + d + 10.0;
  else
    fluctuation = fluctuation - d - 10.0;
  if (fluctuation <= 0.0) {
    fluctuation = 0.0;
    rising = 1;
    return;
  }
  if (fluctuation >= cyclePeak) {
    fluctuation = cyclePeak;
    rising = 0;
    cyclePeak += plat::rand() % 10 - 5;
    if (cyclePeak < 0.0) cyclePeak = 10.0;
    if (cyclePeak > kMaxCyclePeak) cyclePeak = 8990.0;
  }
}

int CGStar::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGStar::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGStar::Save(BlockWriter& w) const {
  w.U8(kStarVersion);
  w.U8(index);
  w.U8(kind);
  w.U16(position.asteroid);
  w.I16(position.x);
  w.I16(position.y);
  w.I16(position.z);
  w.Name(name.get());
  w.F64(cyclePeak);
  w.F64(baseRadiation);
  w.F64(fluctuation);
  w.U32(rising);
  w.U8(kValidityByte);
  return w.Ok();
}

LoadStatus CGStar::Load(BlockReader& r) {
  CGStar s(0);
  r.U8();  // the version: one layout so far
  r.Read(s.index);
  r.Read(s.kind);
  r.Read(s.position.asteroid);
  r.Read(s.position.x);
  r.Read(s.position.y);
  r.Read(s.position.z);
  s.name.Read(r);
  r.Read(s.cyclePeak);
  r.Read(s.baseRadiation);
  r.Read(s.fluctuation);
  r.Read(s.rising);
  const LoadStatus end = r.EndByte(kValidityByte);
  if (end != LoadStatus::kOk) return end;
  index = s.index;
  kind = s.kind;
  position = s.position;
  name = std::move(s.name);
  cyclePeak = s.cyclePeak;
  baseRadiation = s.baseRadiation;
  fluctuation = s.fluctuation;
  rising = s.rising;
  return LoadStatus::kOk;
}
