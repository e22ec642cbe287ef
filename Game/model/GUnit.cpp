// The unit's life, identity, place, module states, battle plan, cargo and its
// saved form.
#include "Game/model/GUnit.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GPersist.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"

void AddRefDesignById(std::uint32_t templateId, CGUnitTemplate* fallback) {
  // One search: a saved game takes a reference for each of its units.
  if (CGUnitTemplate* held = World().templates != nullptr ? World().templates->FindTemplateById(templateId) : nullptr) {
    held->AddRef();
  } else if (fallback != nullptr) {
    fallback->AddRef();
  }
}

void DesignRefs::AddRef(CGUnitTemplate& design) {
  if (&design != m_design) {
    CGUnitTemplate* held =
        World().templates != nullptr ? World().templates->FindTemplateById(design.templateId) : nullptr;
    m_held = held != nullptr ? held : &design;
    m_design = &design;
  }
  m_held->AddRef();
}

void ReleaseDesignById(std::uint32_t templateId, CGUnitTemplate* fallback) {
  if (World().templates != nullptr && World().templates->FindTemplateById(templateId) != nullptr) {
    World().templates->ReleaseTemplate(templateId);
  } else if (fallback != nullptr) {
    fallback->Release();
  }
}

CGUnit::CGUnit(CGUnitTemplate* newDesign, const Location* loc, std::uint8_t owner, std::uint32_t unitId)
    : id(unitId), design(newDesign) {
  orders.growStep = 2;
  if (loc != nullptr) location = *loc;
  char abbreviation[8] = {};
  GetClassAbbreviation(abbreviation);
  char text[64];
  std::snprintf(text, sizeof text, "%s %u-%u", abbreviation, unsigned{owner}, unsigned{GetSerialFromId(unitId)});
  name = text;
  const int unitClass = design != nullptr ? design->unitClass : 0;
  if (const std::uint8_t* t = GetDefaultTargetingPlan(unitClass)) std::copy_n(t, 5, targeting.begin());
  if (const std::uint8_t* r = GetDefaultRetreatPlan(unitClass)) std::copy_n(r, 3, retreat.begin());
  ResetModuleStates();
  ResetSpecialWeaponLevels(false);
  if (design != nullptr) AddRefDesignById(design->templateId, design);
}

CGUnit::CGUnit() { orders.growStep = 10; }

CGUnit::~CGUnit() {
  ClearOrders(true);
  if (design != nullptr && design != ownedDesign.get()) ReleaseDesignById(design->templateId, design);
}

void CGUnit::SetName(const char* text) { name = text != nullptr ? text : ""; }

int CGUnit::GetClassAbbreviation(char* out) const {
  out[0] = '\0';
  const char* a = design != nullptr ? design->GetClassAbbreviation() : nullptr;
  if (a == nullptr || a[0] == '\0') return 0;
  std::snprintf(out, 5, "%s", a);
  return 1;
}

void CGUnit::SetLocation(const Location* loc) {
  if (loc == nullptr) return;
  if (loc->asteroid != location.asteroid) {
    World().SelectedUnitMoved(id, loc->asteroid);
    if (CGAsteroid* there = World().Asteroid(loc->asteroid)) there->GetLastScanTurn();
    if (World().pieces != nullptr) World().pieces->MoveUnit(this, &loc->asteroid);
  }
  location = *loc;
}

void CGUnit::SetTemplate(CGUnitTemplate* newDesign, bool recompute) {
  if (newDesign != design) {
    if (design != nullptr) ReleaseDesignById(design->templateId, design);
    design = newDesign;
    if (design != nullptr) AddRefDesignById(design->templateId, design);
    ResetSpecialWeaponLevels(false);
  }
  if (recompute) RecomputeStats();
}

void CGUnit::ResetModuleStates() {
  modules.fill(ModuleSlotState{});
  for (int s = 0; s < kUnitSlots; ++s) {
    if (SlotFitted(design, s) == 0) continue;
    const ModuleRecord* m = SlotModule(design, s);
    modules[s].SetFiringLevel(2);
    modules[s].ammo = IsWeapon(m) ? m->MaxAmmo() : 255;
  }
  RecomputeStats();
}

void CGUnit::SetModuleStates(const std::uint8_t states[60]) {
  for (int s = 0; s < kUnitSlots; ++s) modules[s] = {states[3 * s], states[3 * s + 1], states[3 * s + 2]};
}

std::uint8_t CGUnit::GetFiringLevel(int slot) const {
  return slot >= 0 && slot < kUnitSlots ? modules[slot].FiringLevel() : 0;
}

PacketImage<48> BattlePlanPacket::Build() const {
  PacketImage<48> p(PKT_BATTLE_PLAN);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  p.PutBytes(14, firingLevels);
  p.PutBytes(39, std::span<const std::uint8_t>(targeting).first(4));
  p.Put(43, targeting[4]);
  p.Put(44, retreat[0]);
  p.Put(45, retreat[1]);
  p.Put(46, retreat[2]);
  return p;
}

bool BattlePlanPacket::Parse(std::span<const std::uint8_t> image, BattlePlanPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, 48)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, std::span<std::uint8_t>(out->firingLevels));
  r.ReadAt(39, std::span<std::uint8_t>(out->targeting).first(4));
  r.ReadAt(43, out->targeting[4]);
  r.ReadAt(44, out->retreat[0]);
  r.ReadAt(45, out->retreat[1]);
  r.ReadAt(46, out->retreat[2]);
  return true;
}

void CGUnit::ApplyBattlePlanPacket(const BattlePlanPacket& plan) {
  for (int s = 0; s < kUnitSlots; ++s) modules[s].SetFiringLevel(plan.firingLevels[s]);
  targeting = plan.targeting;
  retreat = plan.retreat;
  RecomputeStats();
}

void CGUnit::BuildBattlePlanPacket(BattlePlanPacket* out) const {
  out->unitId = id;
  out->asteroid = location.asteroid;
  for (int s = 0; s < kUnitSlots; ++s) out->firingLevels[s] = modules[s].FiringLevel();
  out->targeting = targeting;
  out->retreat = retreat;
}

void CGUnit::SendBattlePlanPacket(const BattlePlanPacket& plan) {
  auto image = plan.Build();
  RulesSendToAll(image.bytes);
}

void CGUnit::EditBattlePlan() {
  BattlePlanPacket plan;
  BuildBattlePlanPacket(&plan);
  if (!ClientShell().RunBattlePlanDialog(plan)) return;
  ApplyBattlePlanPacket(plan);
  SendBattlePlanPacket(plan);
}

namespace {

std::uint8_t SpecialCode(const ModuleRecord* m) { return m != nullptr ? m->SpecialCode() : 0; }

}  // namespace

int CGUnit::HasSpecialWeapon(std::uint32_t* outOrderType) const {
  if (GetGuild() == 2) return 0;
  for (int s = 1; s < kUnitSlots; ++s) {
    const std::uint8_t code = SpecialCode(SlotModule(design, s));
    if (code == 0 || GetSlotDamagePercent(s) >= 100) continue;
    if (code == kSpecialBombard && outOrderType != nullptr) *outOrderType = ORDER_BOMBARD;
    return 1;
  }
  return 0;
}

int CGUnit::IsSpecialWeaponArmed() const {
  if (GetGuild() != kMindWeaponGuild) return 0;
  for (int s = 0; s < kUnitSlots; ++s) {
    if (SpecialCode(SlotModule(design, s)) == kSpecialMind && modules[s].FiringLevel() != 0) return 1;
  }
  return 0;
}

void CGUnit::ResetSpecialWeaponLevels(bool send) {
  if (GetGuild() != kMindWeaponGuild) return;
  for (int s = 0; s < kUnitSlots; ++s) {
    if (SpecialCode(SlotModule(design, s)) == kSpecialMind) modules[s].SetFiringLevel(0);
  }
  if (send) {
    BattlePlanPacket plan;
    BuildBattlePlanPacket(&plan);
    SendBattlePlanPacket(plan);
  }
}

void CGUnit::ArmSpecialWeapons(bool send) {
  if (GetGuild() != kMindWeaponGuild) return;
  for (int s = 0; s < kUnitSlots; ++s) {
    if (SpecialCode(SlotModule(design, s)) == kSpecialMind) modules[s].SetFiringLevel(2);
  }
  if (send) {
    BattlePlanPacket plan;
    BuildBattlePlanPacket(&plan);
    SendBattlePlanPacket(plan);
  }
}

void CGUnit::SetAtvCargo(std::uint8_t k0, std::uint8_t k1, std::uint8_t k2, std::uint8_t k3) {
  atvCargo = {k0, k1, k2, k3};
}

void CGUnit::AddAtvs(int kind, std::uint32_t n) {
  if (kind < 0 || kind >= kAtvKinds) return;
  n = std::min<std::uint32_t>(n, static_cast<std::uint32_t>(GetFreeAtvCapacity()));
  atvCargo[kind] = static_cast<std::uint8_t>(std::min<std::uint32_t>(atvCargo[kind] + n, 255));
}

void CGUnit::AddConstructionPoints(std::uint32_t n) { receivedPoints = static_cast<std::uint16_t>(receivedPoints + n); }

void CGUnit::UseConstructionPoints(std::uint32_t n, bool rebind) {
  if (receivedPoints > n) {
    receivedPoints = static_cast<std::uint16_t>(receivedPoints - n);
    return;
  }
  receivedPoints = 0;
  UnitOrder* first = orders.GetAt(0);
  if (rebind && first != nullptr && (first->type == ORDER_BE_CONSTRUCTED || first->type == ORDER_GET_REPAIRED) &&
      GetConstructionCapacity() != 0) {
    first->target = this;
  }
}

bool CGUnit::ApplyStatusUpdate(std::span<const std::uint8_t> record) {
  plat::ByteReader r(record);
  if (!r.Has(0, kUnitStatusRecordSize)) return false;
  r.ReadAt(14, hullDamage);
  r.ReadAt(15, lifeSupportDamage);
  std::uint8_t states[60];
  r.ReadAt(20, std::span<std::uint8_t>(states));
  SetModuleStates(states);
  r.ReadAt(96, receivedPoints);
  r.ReadAt(100, unoperational);
  r.ReadAt(104, statusWord);
  RecomputeStats();
  return true;
}

CGUnit* CGUnit::FindNear(std::uint32_t unitId) const {
  CGGamePieceDB* pieces = World().pieces;
  if (pieces == nullptr || unitId == kNoTargetId) return nullptr;
  if (CGUnit* u = pieces->FindUnitAt(location.asteroid, unitId)) return u;
  return pieces->FindUnit(unitId, nullptr);
}

void CGUnit::ResolveOrderTargets() {
  for (std::uint16_t i = 0; i < orders.count; ++i) {
    UnitOrder* order = orders.GetAt(i);
    if (order == nullptr) continue;
    order->target = FindNear(order->savedTargetId);
  }
}

namespace {

// The battle plan's saved order: targeting 1, 0, 2, 3, 4, then retreat 0-2.
constexpr int kSavedTargetingOrder[5] = {1, 0, 2, 3, 4};

bool RevalidatesTargetBeforeSave(std::uint32_t type) {
  return type == ORDER_SCAN_SHIP || type == ORDER_ATTACK_UNIT || type == ORDER_GO_TO_UNIT ||
         type == ORDER_REBUILD_UNIT || type == ORDER_MENTAL_ATTACK || type == ORDER_SPECIAL_ATTACK;
}

}  // namespace

int CGUnit::Save(plat::FILE* fp) {
  BlockWriter w(fp);
  return Save(w);
}

int CGUnit::Save(BlockWriter& w) {
  if (UnitOrder* first = orders.GetAt(0); first != nullptr && RevalidatesTargetBeforeSave(first->type)) {
    first->target = World().pieces != nullptr ? World().pieces->FindUnit(first->Word(0), nullptr) : nullptr;
    if (first->target == nullptr) ClearOrders(false);
  }
  // The version and the fixed fields before the design's index go out as one
  // block, the mirror of the load.
  std::array<std::uint8_t, 1 + kUnitHeadSize - 4> block;
  plat::ByteWriter h{std::span<std::uint8_t>(block)};
  h.U8(kUnitVersion);
  h.U32(id);
  h.U8(reservedByte1);
  h.U8(stage);
  for (int i : kSavedTargetingOrder) h.U8(targeting[i]);
  for (std::uint8_t b : retreat) h.U8(b);
  for (const ModuleSlotState& m : modules) {
    h.U8(m.damage);
    h.U8(m.flags);
    h.U8(m.ammo);
  }
  h.U16(location.asteroid);
  h.U16(static_cast<std::uint16_t>(location.x));
  h.U16(static_cast<std::uint16_t>(location.y));
  h.U16(static_cast<std::uint16_t>(location.z));
  h.U32(unoperational);
  h.U32(statusWord);
  h.U8(reservedByte2);
  h.U8(hullDamage);
  h.U8(lifeSupportDamage);
  h.I32(power);
  h.U16(receivedPoints);
  h.WriteBytes(atvCargo);
  h.U16(reservedWord);
  if (!h.Ok() || h.Size() != block.size() || !w.WriteBytes(block)) return 0;
  int fixedSlot = 0;
  const int index = design != nullptr && World().templates != nullptr
                        ? World().templates->GetTemplateIndex(*design, static_cast<int>(GetChapter()), &fixedSlot)
                        : -1;
  if (index >= 0) {
    w.U32(static_cast<std::uint32_t>(index));
    w.U32(fixedSlot != 0 ? 1 : 0);
  } else {
    w.U32(0xFFFFFFFFu);
    if (!w.Ok()) return 0;
    if (design == nullptr) {
      CGUnitTemplate empty(static_cast<std::uint8_t>(GetChapter()), 0);
      if (empty.Save(w) == 0) return 0;
    } else if (design->Save(w) == 0) {
      return 0;
    }
  }
  w.U8(kValidityByte);
  w.U16(orders.count);
  for (std::uint16_t i = 0; i < orders.count && w.Ok(); ++i) {
    const UnitOrder* order = orders.GetAt(i);
    if (order == nullptr || WriteUnitOrder(w, *order, kUnitVersion) == 0) return 0;
  }
  const std::size_t length = std::min<std::size_t>(name.size(), 255);
  w.U8(static_cast<std::uint8_t>(length));
  w.Chars(std::string_view(name).substr(0, length));
  w.U8(kUnitEndByte);
  return w.Ok() ? 1 : 0;
}

int CGUnit::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

int CGUnit::Load(BlockReader& r, DesignRefs* refs) {
  const std::uint8_t version = r.U8();
  if (!r.Ok() || version > kUnitVersion) {
    TraceError("Unit block of a later version", __FILE__, __LINE__);
    return 0;
  }
  // The fixed fields up to the design's index come as one block, so that a
  // saved game of thousands of units is not read a byte at a time.
  std::array<std::uint8_t, kUnitHeadSize> scratch;
  const auto block = r.Block(scratch);
  if (block.empty()) return 0;
  FixedFields<kUnitHeadSize> h(block.first<kUnitHeadSize>());
  id = h.U32();
  reservedByte1 = h.U8();
  stage = h.U8();
  // The byte runs are taken whole and decoded from their own span: a byte
  // stored through the decoder one at a time may alias its position, which
  // the compiler then reloads for every byte.
  const auto plan = h.Take<8>();
  for (int i = 0; i < 5; ++i) targeting[kSavedTargetingOrder[i]] = plan[i];
  for (int i = 0; i < 3; ++i) retreat[i] = plan[5 + i];
  // A slot's state is its three saved bytes in their saved order.
  static_assert(sizeof(ModuleSlotState) == 3 && offsetof(ModuleSlotState, damage) == 0 &&
                offsetof(ModuleSlotState, flags) == 1 && offsetof(ModuleSlotState, ammo) == 2 &&
                std::is_trivially_copyable_v<ModuleSlotState>);
  const auto states = h.Take<3 * kUnitSlots>();
  std::memcpy(modules.data(), states.data(), states.size());
  h.Read(location.asteroid);
  h.Read(location.x);
  h.Read(location.y);
  h.Read(location.z);
  unoperational = h.U32();
  statusWord = h.U32();
  reservedByte2 = h.U8();
  hullDamage = h.U8();
  lifeSupportDamage = h.U8();
  power = h.I32();
  receivedPoints = h.U16();
  h.Bytes(atvCargo);
  reservedWord = h.U16();
  const std::uint32_t index = h.U32();
  const auto chapter = static_cast<std::uint8_t>(GetChapter());
  // A design the database holds is named by its slot, and the slot, the
  // validity byte and the order count then come as one block.
  std::uint16_t count = 0;
  if (index != 0xFFFFFFFFu) {
    std::array<std::uint8_t, kUnitDesignSlotSize> slotScratch;
    const auto slotBlock = r.Block(slotScratch);
    if (slotBlock.empty()) return 0;
    FixedFields<kUnitDesignSlotSize> slot(slotBlock.first<kUnitDesignSlotSize>());
    const std::uint32_t fixedSlot = slot.U32();
    if (slot.U8() != kValidityByte) return 0;
    count = slot.U16();
    design = World().templates != nullptr
                 ? World().templates->GetTemplate(chapter, static_cast<int>(index), fixedSlot == 1 ? 1 : 0)
                 : nullptr;
    if (design == nullptr) TraceError("A unit's design is missing", __FILE__, __LINE__);
  } else {
    auto loaded = std::make_unique<CGUnitTemplate>(chapter, 0);
    if (loaded->Load(r) == 0) return 0;
    design = loaded.get();
    if (World().templates == nullptr) {
      ownedDesign = std::move(loaded);
    } else if (World().templates->AddTemplate(loaded.release(), chapter) == 0) {
      design = nullptr;  // refused and deleted by the database
    }
  }
  if (design != nullptr) {
    if (refs != nullptr)
      refs->AddRef(*design);
    else
      AddRefDesignById(design->templateId, design);
  }
  if (index == 0xFFFFFFFFu) {
    if (r.U8() != kValidityByte || !r.Ok()) return 0;
    count = r.U16();
    if (!r.Ok()) return 0;
  }
  // An order is its 16-byte head, target id, type and flag at the least.
  ReserveForBlock(orders, count, r, 25);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!AppendLoadedOrder(ReadUnitOrder(r, version))) return 0;
  }
  // The name and the end byte after it come as one block.
  const std::uint8_t length = r.U8();
  std::uint8_t nameScratch[256];
  const auto text = r.Block({nameScratch, std::size_t{length} + 1});
  if (text.empty() || text[length] != kUnitEndByte) return 0;
  // One copy of the known length: a name is short, and the iterator form
  // goes through the string's general replace.
  const void* zero = std::memchr(text.data(), 0, length);
  const auto kept = zero != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - text.data())
                                    : std::size_t{length};
  name.resize(kept);
  if (kept != 0) std::memcpy(name.data(), text.data(), kept);
  return 1;
}
