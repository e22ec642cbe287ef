// Power the ATVs of each guild draw from an asteroid's zones, and the mining
// output and capacity of a chapter on it.
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GWorldMath.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"

namespace {

std::uint16_t RaiseByTrait(std::uint16_t v, std::uint8_t trait) {
  return static_cast<std::uint16_t>(static_cast<long long>(v * (1.0 + trait / 100.0) + 0.5));
}

void RaiseAllByTrait(std::uint16_t out[kMineralTypes], std::uint8_t trait) {
  if (trait == 0) return;
  for (int m = 0; m < kMineralTypes; ++m) out[m] = RaiseByTrait(out[m], trait);
}

void Give(const std::uint16_t v[kMineralTypes], std::uint16_t* a, std::uint16_t* b, std::uint16_t* c,
          std::uint16_t* d) {
  *a = v[0];
  *b = v[1];
  *c = v[2];
  *d = v[3];
}

std::uint8_t MiningTraitOf(std::uint16_t chapter) {
  const CGChapter* c = World().Chapter(chapter);
  return c != nullptr ? c->GetTrait(kMiningTrait) : 0;
}

}  // namespace

std::uint32_t CGAsteroid::GetZonePowerOutput(std::uint16_t chapter, std::uint16_t zone, std::uint8_t assumed) const {
  // Only a zone that exists has a ring within the size class, so the ring
  // divisor below is never 0.
  const CGZone* z = GetZone(zone);
  const CGChapter* ch = World().Chapter(chapter);
  if (z == nullptr || ch == nullptr) return 0;
  std::uint8_t counts[kAtvKinds] = {0, 0, assumed, 0};
  if (assumed == 0) {
    if (z->owner != chapter || z->owner == kZoneNobody) return 0;
    for (int k = 0; k < kAtvKinds; ++k) counts[k] = z->atvCounts[k];
  }
  std::uint32_t a = 0;
  for (int k = 0; k < kAtvKinds; ++k) a += std::uint32_t{counts[k]} * ch->GetATVTechStats(k)[2];
  if (a == 0) return 0;
  const int ring = GetZoneRing(zone);
  const int s = sizeClass;
  const std::uint8_t* base = g_gameVariables.powerBases;
  std::uint32_t power = 0;
  switch (chapter >> 3) {
    case 0:
      power = std::uint32_t{ch->GetOwnedAsteroidCount()} * base[0] * a;
      break;
    case 1:
      power = static_cast<std::uint32_t>(base[1] * kinetic / (s - ring + 1)) * a;
      break;
    case 2:
      power = static_cast<std::uint32_t>(base[2] * thermal / (s - ring + 1)) * a;
      break;
    case 3:
      power = ring == s ? std::uint32_t{radiation} * a : 0;
      break;
    case 4:
      power = std::uint32_t{spin} * base[4] * a;
      break;
    default:
      break;
  }
  if ((z->facilities & FACILITY_POWER) != 0 && z->facilityOwner == chapter)
    power = TruncToU32(power * static_cast<double>(g_gameVariables.effectPowerFacility) * 0.01);
  return power;
}

std::uint32_t CGAsteroid::GetChapterPowerOutput(std::uint16_t chapter) const {
  std::uint32_t sum = 0;
  for (int z = 0; z < zoneCount; ++z) sum += GetZonePowerOutput(chapter, static_cast<std::uint16_t>(z), 0);
  return sum;
}

void CGAsteroid::GetChapterMiningOutput(std::uint16_t chapter, std::uint16_t* metals, std::uint16_t* silicates,
                                        std::uint16_t* exotics, std::uint16_t* reactives) const {
  std::uint16_t out[kMineralTypes] = {};
  // The centre is not mined.
  for (int i = 1; i < zoneCount; ++i) {
    const CGZone* z = zones.get(static_cast<std::uint16_t>(i));
    if (z->owner != chapter) continue;
    std::uint16_t v[kMineralTypes];
    z->GetMiningOutput(&v[0], &v[1], &v[2], &v[3]);
    for (int m = 0; m < kMineralTypes; ++m) out[m] = static_cast<std::uint16_t>(out[m] + v[m]);
  }
  if ((out[0] | out[1] | out[2] | out[3]) != 0) RaiseAllByTrait(out, MiningTraitOf(chapter));
  Give(out, metals, silicates, exotics, reactives);
}

void CGAsteroid::GetMiningCapacity(std::uint16_t chapter, std::uint16_t* metals, std::uint16_t* silicates,
                                   std::uint16_t* exotics, std::uint16_t* reactives) const {
  std::uint32_t capacity = 0;
  for (int i = 1; i < zoneCount; ++i) {
    const CGZone* z = zones.get(static_cast<std::uint16_t>(i));
    capacity += std::uint32_t{z->miningValue} * z->atvLimit;
  }
  std::uint8_t mix[kMineralTypes];
  World().ResourceMix(composition, mix);
  std::uint16_t out[kMineralTypes];
  for (int m = 0; m < kMineralTypes; ++m) out[m] = static_cast<std::uint16_t>(mix[m] * capacity / 100);
  RaiseAllByTrait(out, MiningTraitOf(chapter));
  Give(out, metals, silicates, exotics, reactives);
}
