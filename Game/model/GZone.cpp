#include "Game/model/GZone.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GZonePackets.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GRulesPackets.h"

namespace {

std::uint8_t Saturate(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

std::uint8_t CountOf(const std::uint8_t counts[kAtvKinds], std::uint8_t kind) {
  if (kind == kAllAtvKinds) return static_cast<std::uint8_t>(counts[0] + counts[1] + counts[2] + counts[3]);
  return kind < kAtvKinds ? counts[kind] : 0;
}

std::uint8_t LocalChapter() { return static_cast<std::uint8_t>(RulesFacts().LocalChapterId()); }

bool WriteCountList(BlockWriter& w, const ArrayMan<ZoneAtvCount>& list) {
  w.U16(list.count);
  for (std::uint16_t i = 0; i < list.count; ++i) {
    w.U8(list.items[i]->chapter);
    for (std::uint8_t c : list.items[i]->counts) w.U8(c);
  }
  return w.Ok();
}

bool ReadCountList(BlockReader& r, ArrayMan<ZoneAtvCount>& list) {
  const std::uint16_t n = r.U16();
  ReserveForBlock(list, n, r, 5);
  for (std::uint32_t i = 0; i < n && r.Ok(); ++i) {
    auto e = std::make_unique<ZoneAtvCount>();
    r.Read(e->chapter);
    for (std::uint8_t& c : e->counts) r.Read(c);
    if (r.Ok()) AppendOwned(list, e.release());
  }
  return r.Ok();
}

// One ATV kind's facility: the bit, the ATVs it consumes and the game variable
// giving how many.
struct FacilityCost {
  std::uint32_t type;
  std::uint8_t kind;
  std::uint8_t CGameVariables::*cost;
};
constexpr FacilityCost kFacilityCosts[] = {
    {FACILITY_POWER, ATV_POWER, &CGameVariables::costPowerFacility},
    {FACILITY_MINING, ATV_MINING, &CGameVariables::costMiningFacility},
    {FACILITY_STORAGE, ATV_MINING, &CGameVariables::costStorageFacility},
    {FACILITY_ATV_CONSTRUCTION, ATV_SEED_BANK, &CGameVariables::costATVConstructionFacility},
};

// A zone block's fixed parts: index to status; the facility owner and mask
// (version 2 on); the ATV counts and entrenched flags.
constexpr std::size_t kHeadSize = 8;
constexpr std::size_t kFacilitySize = 5;
constexpr std::size_t kCountsSize = kAtvKinds + 4 * kAtvKinds;

// The lists read from a zone's block, whose elements are freed with them
// unless a zone takes them over.
struct ZoneLists {
  ZoneLists() = default;
  ZoneLists(const ZoneLists&) = delete;
  ZoneLists& operator=(const ZoneLists&) = delete;
  ~ZoneLists() {
    DeleteAllElements(atvMoves);
    DeleteAllElements(arriving);
    DeleteAllElements(attacking);
  }
  ZoneAtvMoveArray atvMoves;
  ZoneAtvCountArray arriving;
  ZoneAtvAttackArray attacking;
};

// The three list counts of a zone with no lists.
constexpr std::size_t kNoListsSize = 6;
// The fixed part at its longest: the version with every field and the
// ATV-construction block present.
constexpr std::size_t kMostFixedSize = kHeadSize + kFacilitySize + 4 + kCountsSize + 4;

// A zone block's fixed fields as read, under the zone's own names.
struct ZoneFixed {
  std::uint8_t index = 0;
  std::uint8_t dirty = 0;
  std::uint16_t asteroidId = 0;
  std::uint8_t atvLimit = 0;
  std::uint8_t owner = 0;
  std::uint8_t miningValue = 0;
  std::uint8_t status = 0;
  std::uint8_t facilityOwner = 0;
  std::uint32_t facilities = 0;
  AtvConstructionBlock atvConstruction;
  std::uint8_t atvCounts[kAtvKinds] = {};
  std::uint32_t entrenched[kAtvKinds] = {};
  std::uint32_t zoneWord = 0;
};

template <class T>
T At(const std::uint8_t* p) {
  return plat::DecodeLE<T>(std::span<const std::uint8_t, sizeof(T)>(p, sizeof(T)));
}

// The facility mask of the head at `p`; none before version 2.
std::uint32_t FacilitiesAt(const std::uint8_t* p, std::uint8_t version) {
  return version >= 2 ? At<std::uint32_t>(p + 9) : 0;
}

// Decodes the head (index to status, and the facility owner and mask from
// version 2 on, else none) from `p` into `z`, a ZoneFixed or the zone itself.
template <class Z>
void DecodeHead(const std::uint8_t* p, std::uint8_t version, Z& z) {
  z.index = p[0];
  z.dirty = p[1];
  z.asteroidId = At<std::uint16_t>(p + 2);
  z.atvLimit = p[4];
  z.owner = p[5];
  z.miningValue = p[6];
  z.status = p[7];
  z.facilityOwner = version >= 2 ? p[8] : 0;
  z.facilities = FacilitiesAt(p, version);
}

// The bytes of the fixed part for a version and a facility mask.
std::size_t FixedSize(std::uint8_t version, std::uint32_t facilities) {
  return kHeadSize + (version >= 2 ? kFacilitySize : 0) + ((facilities & FACILITY_ATV_CONSTRUCTION) != 0 ? 4 : 0) +
         kCountsSize + (version >= 4 ? 4 : 0);
}

// Decodes what follows the head, from `p`, into `z` (its head decoded
// already): the ATV-construction block when the mask has it (a fresh one,
// its saved four bytes first), the counts and entrenched flags, the zone
// word (version 4 on, else 0).
template <class Z>
void DecodeTail(const std::uint8_t* p, std::uint8_t version, Z& z) {
  z.atvConstruction.reset();
  if ((z.facilities & FACILITY_ATV_CONSTRUCTION) != 0) {
    z.atvConstruction.Make();
    std::memcpy(z.atvConstruction.get(), p, 4);
    p += 4;
  }
  std::memcpy(z.atvCounts, p, kAtvKinds);
  p += kAtvKinds;
  for (std::uint32_t& e : z.entrenched) {
    e = At<std::uint32_t>(p);
    p += 4;
  }
  z.zoneWord = version >= 4 ? At<std::uint32_t>(p) : 0;
}

std::uint16_t RoundToU16(double v) { return static_cast<std::uint16_t>(static_cast<long long>(v + 0.5)); }

}  // namespace

CGZone::CGZone(std::uint8_t zoneIndex, std::uint16_t asteroid) : CGZone(zoneIndex, asteroid, InitialZoneOwner()) {}

CGZone::CGZone(std::uint8_t zoneIndex, std::uint16_t asteroid, std::uint8_t firstOwner)
    : index(zoneIndex), asteroidId(asteroid), owner(firstOwner) {}

std::uint8_t CGZone::InitialZoneOwner() {
  const bool scanned = World().AllAsteroidsScanned();
  return scanned ? kZoneNobody : kZoneUnknown;
}

CGZone::~CGZone() { ClearLists(); }

void CGZone::ClearLists() {
  // Most zones never hold a list.
  if ((atvMoves.capacity | arriving.capacity | attacking.capacity) == 0) return;
  DeleteAllElements(atvMoves);
  DeleteAllElements(arriving);
  DeleteAllElements(attacking);
}

void CGZone::Reset() {
  std::fill(std::begin(atvCounts), std::end(atvCounts), 0);
  std::fill(std::begin(entrenched), std::end(entrenched), 0);
  zoneWord = 0;
  ClearLists();
  dirty = 0;
}

int CGZone::SetAtvLimit(std::uint8_t limit) {
  if (limit > kMaxZoneValue) return 0;
  atvLimit = limit;
  return 1;
}

int CGZone::SetMiningValue(std::uint8_t value) {
  if (value > kMaxZoneValue) return 0;
  miningValue = value;
  return 1;
}

void CGZone::SetAtvCounts(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3) {
  atvCounts[0] = c0;
  atvCounts[1] = c1;
  atvCounts[2] = c2;
  atvCounts[3] = c3;
}

std::uint8_t CGZone::GetAtvCount(std::uint8_t kind) const { return CountOf(atvCounts, kind); }

std::uint8_t CGZone::GetArrivingAtvCount(std::uint16_t i, std::uint8_t kind) const {
  const ZoneAtvCount* e = arriving.GetAt(i);
  return e != nullptr ? CountOf(e->counts, kind) : 0;
}

std::uint8_t CGZone::GetChapterAtvCount(std::uint8_t chapter, std::uint8_t kind) const {
  std::uint8_t n = owner == chapter ? GetAtvCount(kind) : 0;
  for (std::uint16_t i = 0; i < arriving.count; ++i)
    if (arriving.items[i]->chapter == chapter) {
      n = static_cast<std::uint8_t>(n + CountOf(arriving.items[i]->counts, kind));
      break;
    }
  return n;
}

int CGZone::HasArrivingAtvs(std::uint8_t chapter) const {
  for (std::uint16_t i = 0; i < arriving.count; ++i)
    if (arriving.items[i]->chapter == chapter) return 1;
  return 0;
}

void CGZone::SetAtvKindEntrenched(std::uint8_t kind, std::uint32_t flag) {
  if (kind < kAtvKinds) entrenched[kind] = flag;
}

std::uint32_t CGZone::IsAtvKindEntrenched(std::uint8_t kind) const { return kind < kAtvKinds ? entrenched[kind] : 0; }

void CGZone::SetFacilities(std::uint32_t mask) {
  facilities = mask;
  if ((mask & FACILITY_ATV_CONSTRUCTION) != 0) {
    atvConstruction.Make();
  } else {
    atvConstruction.reset();
  }
}

void CGZone::ChangeAtvCount(std::uint8_t kind, int delta) {
  if (kind >= kAtvKinds) return;
  atvCounts[kind] = Saturate(atvCounts[kind] + delta);
  for (int k = 0; k < kAtvKinds; ++k)
    if (atvCounts[k] == 0) entrenched[k] = 0;
  if ((atvCounts[0] | atvCounts[1] | atvCounts[2] | atvCounts[3]) == 0) owner = kZoneNobody;
  dirty = 1;
}

void CGZone::AddAtvs(std::uint8_t kind, std::int8_t n, int send) {
  ChangeAtvCount(kind, n);
  if (send == 0) return;
  PacketImage<24> p(PKT_ZONE_ATVS);
  p.Put<std::uint16_t>(8, asteroidId);
  p.Put<std::uint16_t>(10, index);
  p.Put<std::uint16_t>(12, owner);
  for (int k = 0; k < kAtvKinds; ++k) p.Put<std::uint16_t>(14 + 2 * k, atvCounts[k]);
  RulesSendToAll(p.bytes);
}

void CGZone::AddAtvMoves(std::uint8_t kind, int n, std::uint8_t sourceZone) {
  for (int i = 0; i < n; ++i) AppendOwned(atvMoves, new ZoneAtvMove{LocalChapter(), sourceZone, kind});
}

void CGZone::RemoveAtvMove(std::uint8_t kind, std::uint8_t sourceZone) {
  for (std::uint16_t i = 0; i < atvMoves.count; ++i)
    if (atvMoves.items[i]->kind == kind && atvMoves.items[i]->sourceZone == sourceZone) {
      delete atvMoves.RemoveAt(i);
      return;
    }
}

void CGZone::AddToCountList(ZoneAtvCountArray& list, std::uint8_t kind, std::uint8_t n) {
  if (kind >= kAtvKinds) return;
  const std::uint8_t local = LocalChapter();
  std::uint16_t i = 0;
  while (i < list.count && list.items[i]->chapter != local) ++i;
  if (i == list.count) {
    auto* e = new ZoneAtvCount{};
    e->chapter = local;
    if (!AppendOwned(list, e)) return;
  }
  // Callers take vehicles away by adding the 8-bit complement.
  ZoneAtvCount* e = list.items[i];
  e->counts[kind] = static_cast<std::uint8_t>(e->counts[kind] + n);
  if (e->counts[0] == 0 && e->counts[1] == 0 && e->counts[2] == 0 && e->counts[3] == 0) delete list.RemoveAt(i);
}

void CGZone::SendCountPacket(std::uint16_t type, std::uint16_t sourceZone, std::uint8_t kind, std::uint8_t n) const {
  ZoneAtvMovePacket p;
  p.attacking = type == PKT_ZONE_ATTACKING_ATVS;
  p.asteroid = asteroidId;
  p.zone = index;
  p.sourceZone = sourceZone;
  p.chapter = RulesFacts().LocalChapterId();
  p.kind = kind;
  p.count = n;
  auto image = p.Build();
  RulesSendToAll(image.bytes);
}

void CGZone::AddArrivingAtvs(std::uint8_t kind, std::uint8_t n, std::uint16_t sourceZone, int send) {
  AddToCountList(arriving, kind, n);
  if (send != 0) SendCountPacket(PKT_ZONE_ARRIVING_ATVS, sourceZone, kind, n);
}

void CGZone::AddAttackingAtvs(std::uint8_t kind, std::uint8_t n, std::uint16_t sourceZone) {
  AddToCountList(attacking, kind, n);
  SendCountPacket(PKT_ZONE_ATTACKING_ATVS, sourceZone, kind, n);
}

int CGZone::BuildFacility(std::uint32_t type) {
  const FacilityCost* f = std::find_if(std::begin(kFacilityCosts), std::end(kFacilityCosts),
                                       [type](const FacilityCost& c) { return c.type == type; });
  if (f == std::end(kFacilityCosts)) {
    TraceError("Trying to build facility of unknown type!", __FILE__, __LINE__);
    return 0;
  }
  // A cost above the ATVs held would wrap the 8-bit count: such a facility
  // cannot be paid for, and nothing is built.
  const std::uint8_t cost = g_gameVariables.*(f->cost);
  if (atvCounts[f->kind] < cost) return 0;
  facilityOwner = owner;
  SetFacilities(facilities | type);
  if (type == FACILITY_ATV_CONSTRUCTION) std::fill_n(atvConstruction.get(), kAtvConstructionBlockSize, 0);
  ChangeAtvCount(f->kind, -static_cast<int>(cost));
  if (type == FACILITY_STORAGE && World().pools != nullptr) World().pools->AddStorageFacility(asteroidId);
  return 1;
}

void CGZone::GetMiningOutput(std::uint16_t* metals, std::uint16_t* silicates, std::uint16_t* exotics,
                             std::uint16_t* reactives) const {
  std::uint16_t out[kMineralTypes] = {};
  const CGAsteroid* asteroid = World().Asteroid(asteroidId);
  const CGChapter* chapter = owner < kMaxChapters ? World().Chapter(owner) : nullptr;
  if (owner != kZoneNobody && asteroid != nullptr && chapter != nullptr) {
    std::uint8_t mix[kMineralTypes];
    World().ResourceMix(asteroid->GetCompositionType(), mix);
    double base[kMineralTypes];
    for (int m = 0; m < kMineralTypes; ++m) base[m] = mix[m] * static_cast<double>(miningValue) * 0.01;
    static constexpr std::uint8_t kOrder[kAtvKinds] = {ATV_MINING, ATV_COMBAT, ATV_POWER, ATV_SEED_BANK};
    for (std::uint8_t kind : kOrder) {
      const std::uint8_t* tech = chapter->GetATVTechStats(kind);
      const double t = tech != nullptr ? tech[1] : 0;
      for (int m = 0; m < kMineralTypes; ++m)
        out[m] = static_cast<std::uint16_t>(out[m] + RoundToU16(atvCounts[kind] * base[m] * t));
    }
    if ((out[0] | out[1] | out[2] | out[3]) != 0 && (facilities & FACILITY_MINING) != 0) {
      const double effect = g_gameVariables.effectMiningFacility;
      for (std::uint16_t& v : out) v = RoundToU16(v * effect * 0.01);
    }
  }
  *metals = out[0];
  *silicates = out[1];
  *exotics = out[2];
  *reactives = out[3];
}

int CGZone::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGZone::Load(plat::FILE* fp, std::uint8_t version) {
  BlockReader r(fp);
  return LoadResult(Load(r, version));
}

bool CGZone::Save(BlockWriter& w) const {
  w.U8(index);
  w.U8(dirty);
  w.U16(asteroidId);
  w.U8(atvLimit);
  w.U8(owner);
  w.U8(miningValue);
  w.U8(status);
  w.U8(facilityOwner);
  w.U32(facilities);
  if ((facilities & FACILITY_ATV_CONSTRUCTION) != 0) {
    for (int i = 0; i < 4; ++i) w.U8(atvConstruction ? atvConstruction[i] : 0);
  }
  for (std::uint8_t c : atvCounts) w.U8(c);
  for (std::uint32_t e : entrenched) w.U32(e);
  w.U32(zoneWord);
  w.U16(atvMoves.count);
  for (std::uint16_t i = 0; i < atvMoves.count; ++i) {
    w.U8(atvMoves.items[i]->chapter);
    w.U8(atvMoves.items[i]->sourceZone);
    w.U8(atvMoves.items[i]->kind);
  }
  WriteCountList(w, arriving);
  WriteCountList(w, attacking);
  w.U8(kZoneEndByte);
  return w.Ok();
}

LoadStatus CGZone::Load(BlockReader& r, std::uint8_t version) { return ReadBlock<false>(r, version); }

LoadStatus CGZone::MakeFromBlock(void* at, BlockReader& r, std::uint8_t version) {
  // A zone as made holds no lists: the block is read without looking at lists
  // whose memory may not even be in the cache yet.
  CGZone* zone = ::new (at) CGZone;
  const LoadStatus s = zone->ReadBlock<true>(r, version);
  if (s != LoadStatus::kOk) zone->~CGZone();
  return s;
}

template <bool kNew>
LoadStatus CGZone::ReadBlock(BlockReader& r, std::uint8_t version) {
  // The zone takes the fixed fields only once the whole block has been read.
  // A saved game holds thousands of zones, most of them with empty lists: six
  // zero bytes for their counts before the end byte. From memory (a saved
  // game) such a zone is checked whole in the source's own bytes and decoded
  // from them straight into the zone. Otherwise the fixed fields are decoded
  // into locals first: from memory out of the source's bytes, from a file out
  // of two reads, the second sized by the facility mask.
  constexpr std::uint8_t kNoLists[kNoListsSize] = {};
  const std::size_t headSize = kHeadSize + (version >= 2 ? kFacilitySize : 0);
  ZoneFixed fixed;
  std::optional<ZoneLists> lists;
  // The zone's old lists, if it has any, go with `lists`: fresh empty ones,
  // or those read.
  const auto takeLists = [&]() __attribute__((always_inline)) {
    if constexpr (!kNew) {
      if (!lists && (atvMoves.capacity | arriving.capacity | attacking.capacity) != 0) lists.emplace();
    }
    if (lists) {
      SwapArrays(atvMoves, lists->atvMoves);
      SwapArrays(arriving, lists->arriving);
      SwapArrays(attacking, lists->attacking);
    }
    return LoadStatus::kOk;
  };
  // The zone takes what was read into `fixed`, and the lists.
  const auto take = [&]() __attribute__((always_inline)) {
    index = fixed.index;
    dirty = fixed.dirty;
    asteroidId = fixed.asteroidId;
    atvLimit = fixed.atvLimit;
    owner = fixed.owner;
    miningValue = fixed.miningValue;
    status = fixed.status;
    facilityOwner = fixed.facilityOwner;
    facilities = fixed.facilities;
    atvConstruction = fixed.atvConstruction;
    std::copy(std::begin(fixed.atvCounts), std::end(fixed.atvCounts), atvCounts);
    std::copy(std::begin(fixed.entrenched), std::end(fixed.entrenched), entrenched);
    zoneWord = fixed.zoneWord;
    return takeLists();
  };

  std::span<const std::uint8_t> rest = r.Rest();
  if (rest.size() >= kMostFixedSize + kNoListsSize + 1) {
    const std::uint8_t* bytes = rest.data();
    const std::size_t size = FixedSize(version, FacilitiesAt(bytes, version));
    const std::uint8_t* after = bytes + size;
    if (std::memcmp(after, kNoLists, kNoListsSize) == 0) {
      r.Skip(size + kNoListsSize + 1);
      if (after[kNoListsSize] != kZoneEndByte) return LoadStatus::kBadEndByte;
      DecodeHead(bytes, version, *this);
      DecodeTail(bytes + headSize, version, *this);
      return takeLists();
    }
    DecodeHead(bytes, version, fixed);
    DecodeTail(bytes + headSize, version, fixed);
    r.Skip(size);
  } else {
    std::uint8_t scratch[kMostFixedSize];
    const auto head = r.Block({scratch, headSize});
    if (head.empty()) return LoadStatus::kTruncated;
    if (head.data() != scratch) std::memcpy(scratch, head.data(), headSize);
    const std::size_t size = FixedSize(version, FacilitiesAt(scratch, version));
    if (!r.ReadBytes({scratch + headSize, size - headSize})) return LoadStatus::kTruncated;
    DecodeHead(scratch, version, fixed);
    DecodeTail(scratch + headSize, version, fixed);
    rest = r.Rest();
    if (rest.size() >= kNoListsSize && std::memcmp(rest.data(), kNoLists, kNoListsSize) == 0) {
      r.Skip(kNoListsSize);
      const LoadStatus end = r.EndByte(kZoneEndByte);
      return end == LoadStatus::kOk ? take() : end;
    }
  }
  lists.emplace();
  const std::uint16_t moves = r.U16();
  ReserveForBlock(lists->atvMoves, moves, r, 3);
  for (std::uint32_t i = 0; i < moves && r.Ok(); ++i) {
    auto m = std::make_unique<ZoneAtvMove>();
    r.Read(m->chapter);
    r.Read(m->sourceZone);
    r.Read(m->kind);
    if (r.Ok()) AppendOwned(lists->atvMoves, m.release());
  }
  ReadCountList(r, lists->arriving);
  ReadCountList(r, lists->attacking);
  if (!r.Ok()) return LoadStatus::kTruncated;
  const LoadStatus end = r.EndByte(kZoneEndByte);
  return end == LoadStatus::kOk ? take() : end;
}
