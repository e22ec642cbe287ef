#include "Game/rules/GHullDB.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GDataFile.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GKeptRules.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitClass.h"

namespace {

constexpr std::uint32_t kEmptyEntry = 0xFFFFFFFF;
constexpr int kSlotBox = 30;

// A hull as its definition makes it, padding cleared (so that equal hulls
// compare equal byte for byte). The hull is copied whole into fresh storage,
// where making it first and then copying over it would write it twice.
std::unique_ptr<CGHull> NewHull() {
  static_assert(std::is_trivially_copyable_v<CGHull> && std::is_aggregate_v<CGHull> &&
                std::is_trivially_destructible_v<CGHull>);
  static const CGHull kCleared{};
  void* storage = ::operator new(sizeof(CGHull));
  return std::unique_ptr<CGHull>(static_cast<CGHull*>(std::memcpy(storage, &kCleared, sizeof kCleared)));
}

// The fixed fields of a hull entry after its name, and one slot's.
constexpr std::size_t kHullFieldBytes = 26;
constexpr std::size_t kSlotBytes = 20;

// One hull entry after its name length; false when the image ends inside it.
bool ReadHullBody(plat::ByteReader& r, CGHull& hull) {
  const auto fields = r.Bytes(kHullFieldBytes);
  if (!r.Ok()) return false;
  FixedFields<kHullFieldBytes> f(fields.first<kHullFieldBytes>());
  f.Read(hull.unitClass);
  f.Read(hull.attribute);
  f.Read(hull.mass);
  f.Read(hull.massLimit);
  f.Read(hull.successor);
  const std::uint32_t researchedAtStart = f.U32();
  for (std::uint16_t& cost : hull.costs) f.Read(cost);
  f.Read(hull.structurePoints);
  const std::uint8_t slotCount = f.U8();
  if (slotCount > kMaxHullSlots) TraceError("Hull with more than twenty slots", __FILE__, __LINE__);
  const auto slots = r.Bytes(kSlotBytes * slotCount);
  if (!r.Ok()) return false;
  for (int s = 0; s < slotCount && s < kMaxHullSlots; ++s) {
    FixedFields<kSlotBytes> field(slots.subspan(kSlotBytes * static_cast<std::size_t>(s)).first<kSlotBytes>());
    HullSlot& slot = hull.slots[s];
    slot.x = static_cast<std::uint16_t>(field.U32());
    slot.y = static_cast<std::uint16_t>(field.U32());
    slot.anchorX = static_cast<std::uint16_t>(field.U32());
    slot.anchorY = static_cast<std::uint16_t>(field.U32());
    slot.typeMask = field.U32();
  }
  hull.researchPoints = researchedAtStart != 0 ? kResearched : 0;
  hull.available = researchedAtStart != 0 ? 1 : 0;
  return true;
}

// The name of an entry: L bytes, taken up to the first NUL and cut to fit,
// into a new hull's name (all zeros). Names are short: one pass that stops
// at the NUL costs less than a search and a copy of varying length.
bool ReadHullName(plat::ByteReader& r, std::uint32_t length, CGHull& hull) {
  if (length > r.Remaining()) {
    TraceError("Hull name runs past the end of hulls.dat", __FILE__, __LINE__);
    return false;
  }
  const auto text = r.Bytes(length);
  if (!r.Ok()) return false;
  const std::size_t limit = std::min(text.size(), sizeof hull.name - 1);
  for (std::size_t i = 0; i < limit && text[i] != 0; ++i) hull.name[i] = static_cast<char>(text[i]);
  return true;
}

std::string DefaultHullsPath() { return std::string(g_instData.GetInstallPath()) + "hulls.dat"; }

// The hulls of the last "hulls.dat" read, section after section, as read.
struct ParsedHulls {
  std::vector<CGHull> hulls;
  std::uint16_t counts[kHullSections] = {};
};

KeptRules<ParsedHulls>& KeptHulls() {
  static KeptRules<ParsedHulls> kept;
  return kept;
}

// Hulls are copied whole, padding included, so that a copy compares equal to
// its original byte for byte.
void CopyHull(CGHull& to, const CGHull& from) { std::memcpy(static_cast<void*>(&to), &from, sizeof from); }

std::shared_ptr<const ParsedHulls> Snapshot(const ArrayMan<CGHull> (&lists)[kHullSections]) {
  auto parsed = std::make_shared<ParsedHulls>();
  std::size_t total = 0;
  for (const ArrayMan<CGHull>& list : lists) total += list.count;
  parsed->hulls.resize(total);
  std::size_t at = 0;
  for (int section = 0; section < kHullSections; ++section) {
    const ArrayMan<CGHull>& list = lists[section];
    parsed->counts[section] = list.count;
    for (std::uint16_t i = 0; i < list.count; ++i) CopyHull(parsed->hulls[at++], *list.items[i]);
  }
  return parsed;
}

}  // namespace

int CGHull::GetSlotCount() const {
  int n = 0;
  while (n < kMaxHullSlots && slots[n].x != kSlotListEnd) ++n;
  return n;
}

int CGHull::SlotAcceptsModuleType(int slot, int moduleType) const {
  if (slot < 0 || slot >= GetSlotCount() || moduleType < 0 || moduleType >= 32) return 0;
  const std::uint32_t mask = slots[slot].typeMask;
  return (mask == kSlotAcceptsAny || (mask & (1u << moduleType)) != 0) ? 1 : 0;
}

int CGHull::FindSlotAt(int px, int py) const {
  const int n = GetSlotCount();
  for (int s = 0; s < n; ++s) {
    const int x = slots[s].x;
    const int y = slots[s].y;
    if (x <= px && px < x + kSlotBox && y <= py && py < y + kSlotBox) return s;
  }
  return -1;
}

const char* CGHull::GetModelName() const { return GetHullModelNameOfClass(unitClass); }

const char* CGHull::GetClassText() const { return CGHullDB::GetHullClassText(unitClass); }

std::uint16_t CGHull::GetCostPercent() const {
  if (researchPoints <= kResearched) return 100;
  const double percent = 100.0 - (researchPoints - kResearched) * 0.0001 * 100.0;
  return percent <= 0.0 ? 0 : static_cast<std::uint16_t>(percent);
}

void CGHull::GetCosts(std::uint16_t out[4]) const {
  const std::uint32_t percent = GetCostPercent();
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint16_t>(costs[i] * percent / 100);
}

std::uint16_t CGHull::GetBuildPoints() const {
  return static_cast<std::uint16_t>(structurePoints * std::uint32_t{GetCostPercent()} / 100);
}

void CGHull::SetResearchAllocation(std::uint16_t percent) {
  researchAllocation = percent;
  auto packet = BuildHullAllocationPacket(section, RulesFacts().LocalChapterId() & 7, index, percent);
  RulesSendToAll(packet.bytes);
}

void CGHull::SetScienceBonus(std::uint16_t points) {
  if (points == scienceBonus) return;
  scienceBonus = points;
  const std::uint16_t pool = RulesFacts().Modules() != nullptr ? RulesFacts().Modules()->freeSciencePool : 0;
  auto packet = BuildHullBonusPacket(section, RulesFacts().LocalChapterId() & 7, index, points, pool);
  RulesSendToAll(packet.bytes);
}

int CGHull::SaveResearchState(plat::FILE* fp) const {
  BlockWriter w(fp);
  return SaveResearchState(w);
}

int CGHull::SaveResearchState(BlockWriter& w) const {
  w.Write(researchPoints);
  w.Write(researchWord);
  w.Write(researchAllocation);
  w.Write(scienceBonus);
  return w.Ok() ? 1 : 0;
}

int CGHull::LoadResearchState(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResearchState(r);
}

int CGHull::LoadResearchState(BlockReader& r) {
  std::uint8_t scratch[kResearchStateSize];
  const auto block = r.Block(scratch);
  if (block.empty()) return 0;
  TakeResearchState(block.first<kResearchStateSize>());
  return 1;
}

void CGHull::TakeResearchState(std::span<const std::uint8_t, kResearchStateSize> state) {
  FixedFields<kResearchStateSize> f(state);
  researchPoints = f.U16();
  researchWord = f.U16();
  researchAllocation = f.U16();
  scienceBonus = f.U16();
}

CGHullDB::CGHullDB() : CGHullDB(DefaultHullsPath().c_str()) {}

CGHullDB::CGHullDB(const char* path) {
  const auto stamped = g_instData.StampDataFile(path);
  if (stamped) {
    if (const auto kept = KeptHulls().Find(*stamped)) {
      // All the hulls in one block, copied in one go.
      const std::vector<CGHull>& from = kept->hulls;
      keptBlock_.reset(static_cast<CGHull*>(::operator new(sizeof(CGHull) * from.size())));
      keptCount_ = from.size();
      std::memcpy(static_cast<void*>(keptBlock_.get()), from.data(), sizeof(CGHull) * from.size());
      CGHull* next = keptBlock_.get();
      for (int section = 0; section < kHullSections; ++section) {
        hulls[section].Reserve(kept->counts[section]);
        for (std::uint16_t i = 0; i < kept->counts[section]; ++i)
          hulls[section].SetAt(next++, ArrayMan<CGHull>::kAtEnd);
      }
      loaded_ = true;
      return;
    }
  }
  // The file stamped is read where the stamp found it, its name not resolved
  // a second time.
  const auto image = stamped ? plat::ReadHostFile(stamped->host) : ReadBinaryDataFile(path);
  loaded_ = image && LoadHulls(*image) != 0;
  if (!loaded_) {
    KeptHulls().Forget();
    RulesShowMessage(kHullsFileDamaged);
  } else if (stamped && stamped->settled) {
    KeptHulls().Keep(*stamped, Snapshot(hulls));
  }
}

CGHullDB::~CGHullDB() {
  for (ArrayMan<CGHull>& list : hulls) {
    for (std::uint16_t i = 0; i < list.count; ++i) {
      if (!InKeptBlock(list.items[i])) delete list.items[i];
    }
  }
}

int CGHullDB::LoadHulls(std::span<const std::uint8_t> image) {
  // Half the rules is worse than none: nothing joins the lists before the
  // whole image has been read.
  std::vector<std::unique_ptr<CGHull>> read[kHullSections];
  std::size_t total = 0;
  plat::ByteReader r(image);
  for (int section = 0; section < kHullSections; ++section) {
    std::uint8_t count = 0;
    if (!r.Read(count)) return 0;
    read[section].reserve(count);
    for (int i = 0; i < count; ++i) {
      std::uint32_t length = 0;
      if (!r.Read(length)) return 0;
      if (length == kEmptyEntry) continue;
      auto hull = NewHull();
      hull->section = static_cast<std::uint8_t>(section);
      hull->index = static_cast<std::uint8_t>(i);
      if (!ReadHullName(r, length, *hull) || !ReadHullBody(r, *hull)) {
        TraceError("hulls.dat ends inside a hull", __FILE__, __LINE__);
        return 0;
      }
      read[section].push_back(std::move(hull));
      ++total;
    }
  }
  if (r.Remaining() != 0 || total == 0) {
    TraceError("hulls.dat holds no hulls or more than its sections", __FILE__, __LINE__);
    return 0;
  }
  for (int section = 0; section < kHullSections; ++section) {
    for (auto& hull : read[section]) hulls[section].SetAt(hull.release(), ArrayMan<CGHull>::kAtEnd);
  }
  return 1;
}

int CGHullDB::GetHullCount(int section) const {
  return section >= 0 && section < kHullSections ? hulls[section].count : 0;
}

CGHull* CGHullDB::GetHull(int section, int position) const {
  if (section < 0 || section >= kHullSections || position < 0 || position >= hulls[section].count) return nullptr;
  return hulls[section].GetAt(static_cast<std::uint16_t>(position));
}

CGHull* CGHullDB::FindHull(int section, int index) const {
  for (int i = 0; i < GetHullCount(section); ++i) {
    CGHull* hull = GetHull(section, i);
    if (hull->index == index) return hull;
  }
  return nullptr;
}

CGHull* CGHullDB::FindResearchedHullOfClass(int section, int unitClass) const {
  for (int i = 0; i < GetHullCount(section); ++i) {
    CGHull* hull = GetHull(section, i);
    if (hull->unitClass == unitClass && hull->available != 0) return hull;
  }
  return nullptr;
}

CGHull* CGHullDB::GetSuccessor(const CGHull& hull) const {
  if (hull.successor == kNoSuccessorHull) return nullptr;
  return FindHull(hull.section, hull.successor);
}

const char* CGHullDB::GetHullModelName(int unitClass) { return GetHullModelNameOfClass(unitClass); }

const char* CGHullDB::GetHullClassText(int unitClass) { return GetUnitClassName(unitClass); }

// One walk over the local guild's hulls: a hull holding points gives back as
// many as the pool stands above the limit. A walk that finds too few points
// ends there rather than walking again and again.
void CGHullDB::ReclaimScienceBonus(std::uint16_t limit) {
  CGModuleDB* modules = RulesFacts().Modules();
  const int guild = RulesLocalGuild();
  if (modules == nullptr || guild >= kHullSections) return;
  for (int i = 0; i < GetHullCount(guild) && modules->freeSciencePool > limit; ++i) {
    CGHull* hull = GetHull(guild, i);
    if (hull->scienceBonus == 0) continue;
    const std::uint16_t taken =
        std::min<std::uint16_t>(hull->scienceBonus, static_cast<std::uint16_t>(modules->freeSciencePool - limit));
    modules->freeSciencePool = static_cast<std::uint16_t>(modules->freeSciencePool - taken);
    hull->SetScienceBonus(static_cast<std::uint16_t>(hull->scienceBonus - taken));
  }
}

int CGHullDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w);
}

int CGHullDB::Save(BlockWriter& w) const {
  for (int section = 0; section < kHullSections; ++section) {
    for (int i = 0; i < GetHullCount(section); ++i) {
      if (GetHull(section, i)->SaveResearchState(w) == 0) return 0;
    }
  }
  return w.Write(kHullDBEndByte) ? 1 : 0;
}

int CGHullDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

int CGHullDB::Load(BlockReader& r) {
  // A section's hulls' states come as checked blocks of some hulls each,
  // rather than as four checked reads a hull.
  constexpr std::size_t kStateBytes = CGHull::kResearchStateSize;
  constexpr std::size_t kPerBlock = 64;
  for (int section = 0; section < kHullSections; ++section) {
    const ArrayMan<CGHull>& list = hulls[section];
    std::uint8_t scratch[kPerBlock * kStateBytes];
    for (std::size_t first = 0; first < list.count; first += kPerBlock) {
      const std::size_t n = std::min<std::size_t>(kPerBlock, list.count - first);
      const auto block = r.Block({scratch, n * kStateBytes});
      if (block.empty()) return 0;
      for (std::size_t i = 0; i < n; ++i) {
        CGHull* hull = list.items[first + i];
        if (hull == nullptr) return 0;
        hull->TakeResearchState(block.subspan(i * kStateBytes).first<kStateBytes>());
      }
    }
  }
  std::uint8_t end = 0;
  return r.Read(end) && end == kHullDBEndByte ? 1 : 0;
}
