// Packets 200 to 312, 1308 and 1313: designs and units.
#include <memory>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetHandlers.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr std::uint16_t kNoFixedSlot = 65535;

// Where the fields of a design block lie in a packet.
struct BlockLayout {
  std::size_t id, chapter, name, hull, modules, flags;
};
constexpr BlockLayout kTemplateBlock{8, 14, 16, 46, 48, 98};
constexpr BlockLayout kUnitTemplateBlock{20, 26, 28, 58, 60, 110};
constexpr BlockLayout kResultBlock{24, 30, 32, 62, 64, 114};

// A design from a packet's block; the hull comes from the guild of
// `hullChapter`, and an index past that guild's hulls gives none.
std::unique_ptr<CGUnitTemplate> BuildTemplate(const PacketContext& p, const BlockLayout& at, std::uint8_t chapter,
                                              std::uint8_t hullChapter) {
  auto design = std::make_unique<CGUnitTemplate>(chapter, static_cast<std::int32_t>(p.U32(at.id)));
  design->SetHull(p.game->hullDB->GetHull(hullChapter >> 3, p.U8(at.hull)));
  char name[31];
  design->SetName(p.Text(at.name, at.hull - at.name, name));
  for (int i = 0; i < kTemplateSlots; ++i) {
    if (p.U8(at.flags + i) != 0)
      design->FitModule(i, static_cast<std::uint16_t>(p.At<std::int16_t>(at.modules + 2 * i)));
  }
  return design;
}

// The design equal to `built` when the chapter has one (`built` is then
// dropped), else `built` added to the chapter's designs.
CGUnitTemplate* KeepTemplate(CGameData& g, std::unique_ptr<CGUnitTemplate> built, std::uint8_t chapter) {
  if (CGUnitTemplate* found = g.templates.FindTemplate(*built, chapter)) return found;
  CGUnitTemplate* kept = built.get();
  return g.templates.AddTemplate(built.release(), chapter) != 0 ? kept : nullptr;
}

Location LocationAt(const PacketContext& p, std::size_t offset, std::uint16_t asteroid) {
  Location loc;
  loc.asteroid = asteroid;
  loc.x = p.At<std::int16_t>(offset + 2);
  loc.y = p.At<std::int16_t>(offset + 4);
  loc.z = p.At<std::int16_t>(offset + 6);
  return loc;
}

void ArrivalNotice(CGameData& g, const CGUnit& unit, std::uint16_t asteroid) {
  if (asteroid < g_numAsteroids && unit.GetChapter() != g.localChapterId &&
      g.pieces.HasSingleMovingUnit(asteroid, g.localChapterId) == 0 && unit.IsOperational())
    g.notifications->Add(g.localChapterId, notify::kGameEvent, notify::kEnemyDetected, nullptr, nullptr, asteroid, 0,
                         unit.id);
}

bool TemplateArrived(const PacketContext& p) {
  const std::uint8_t chapter = p.U8(kTemplateBlock.chapter);
  if (chapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
  auto design = BuildTemplate(p, kTemplateBlock, chapter, chapter);
  const std::uint16_t slot = p.U16(12);
  if (slot < kNoFixedSlot)
    p.game->templates.SetFixedTemplate(*design, chapter, slot);
  else
    // The server tells a design out of the fixed slots again before its
    // values or a unit of it, not knowing whether this client still holds
    // it; one it holds stays as it is, once.
    KeepTemplate(*p.game, std::move(design), chapter);
  return true;
}

bool TemplateValues(const PacketContext& p) {
  CGUnitTemplate* t = p.game->templates.FindTemplateById(p.U32(8));
  if (t == nullptr) return Refuse(p, "Unknown design");
  t->creationTurn = p.U16(12);
  t->creationTurnHigh = p.U16(14);
  t->trailingWords[0] = p.U16(16);
  t->trailingWords[1] = p.U16(18);
  for (int i = 0; i < 4; ++i) t->trailingLongs[i] = p.U32(20 + 4 * i);
  return true;
}

bool UnitEnters(const PacketContext& p) {
  CGameData& g = *p.game;
  const std::uint16_t chapter = p.U16(8);
  if (chapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
  const std::uint8_t asteroid = p.U8(16);
  if (asteroid > g_numAsteroids) return Refuse(p, "Location outside the solar system");
  const std::uint32_t id = p.U32(12);
  const Location loc = LocationAt(p, 16, asteroid);
  std::uint16_t at = 0;
  if (chapter != g.localChapterId) {
    if (CGUnit* unit = g.pieces.FindUnit(id, &at)) {
      unit->SetLocation(&loc);
      return true;
    }
  }
  CGUnitTemplate* design = g.templates.FindTemplateById(p.U32(24));
  if (design == nullptr) return Refuse(p, "Unknown design");
  g.pieces.CreateUnit(design, &loc, static_cast<std::uint8_t>(chapter), id);
  return true;
}

bool OrderArrived(const PacketContext& p) {
  std::uint16_t at = 0;
  CGUnit* unit = p.game->pieces.FindUnit(p.U32(8), &at);
  OrderPacket order;
  if (unit == nullptr || !ParseOrderPacket(p.bytes, &order)) return Refuse(p, "Unknown unit");
  unit->AddOrderFromPacket(order);
  return true;
}

bool UnitMoved(const PacketContext& p) {
  CGameData& g = *p.game;
  std::uint16_t current = 0;
  CGUnit* unit = g.pieces.FindUnit(p.U32(8), &current);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  const std::uint16_t asteroid = p.U8(12);
  if (asteroid > g_numAsteroids) return Refuse(p, "Location outside the solar system");
  if (asteroid < g_numAsteroids && asteroid != unit->location.asteroid) {
    if (unit->GetChapter() == g.localChapterId) {
      if (g.pieces.HasOperationalUnits(asteroid, g.localChapterId) == 0) g.pieces.DeleteUnitsAt(asteroid);
    } else {
      ArrivalNotice(g, *unit, asteroid);
    }
  }
  const Location loc = LocationAt(p, 12, asteroid);
  unit->SetLocation(&loc);
  return true;
}

bool OrderRemoved(const PacketContext& p) {
  std::uint16_t at = 0;
  CGUnit* unit = p.game->pieces.FindUnit(p.U32(8), &at);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->PopFirstOrder(p.At<std::int32_t>(12), 1);
  return true;
}

CGUnit* UnitAt(const PacketContext& p) { return p.game->pieces.FindUnitAt(p.U16(12), p.U32(8)); }

bool UnitStatus(const PacketContext& p) {
  CGameData& g = *p.game;
  CGUnit* unit = UnitAt(p);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->power = p.At<std::int32_t>(16);
  if (p.U32(100) != 0 && unit->IsOperational()) {
    unit->ClearOrders(true);
    g.pieces.MarkUnitUnoperational(unit);
    unit->ApplyStatusUpdate(p.bytes);
    g.notifications->Add(g.localChapterId, notify::kUnitEvent, notify::kUnitDestroyed, nullptr, nullptr, 0, 0,
                         unit->id);
  } else {
    unit->ApplyStatusUpdate(p.bytes);
  }
  return true;
}

bool ConstructeeBound(const PacketContext& p) {
  CGUnit* unit = UnitAt(p);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->BindConstructee(p.bytes);
  return true;
}

bool UnitTemplate(const PacketContext& p) {
  CGameData& g = *p.game;
  std::uint16_t at = 0;
  CGUnit* unit = g.pieces.FindUnit(p.U32(8), &at);
  CGUnitTemplate* design = g.templates.FindTemplateById(p.U32(kUnitTemplateBlock.id));
  if (design == nullptr) {
    const std::uint8_t chapter = p.U8(kUnitTemplateBlock.chapter);
    if (chapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
    design = KeepTemplate(g, BuildTemplate(p, kUnitTemplateBlock, chapter, chapter), chapter);
  }
  if (unit != nullptr && design != nullptr) unit->SetTemplate(design, false);
  return true;
}

bool TargetBound(const PacketContext& p) {
  CGUnit* unit = UnitAt(p);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->BindFirstOrderTarget(p.U32(16), static_cast<std::uint8_t>(p.U16(14)));
  return true;
}

bool UnitPower(const PacketContext& p) {
  CGUnit* unit = UnitAt(p);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->power = p.At<std::int32_t>(16);
  return true;
}

bool AtvCargo(const PacketContext& p) {
  std::uint16_t at = 0;
  CGUnit* unit = p.game->pieces.FindUnit(p.U32(8), &at);
  if (unit == nullptr) return Refuse(p, "Unknown unit");
  unit->SetAtvCargo(static_cast<std::uint8_t>(p.U16(12)), static_cast<std::uint8_t>(p.U16(14)),
                    static_cast<std::uint8_t>(p.U16(16)), static_cast<std::uint8_t>(p.U16(18)));
  return true;
}

bool UnitDeleted(const PacketContext& p) {
  p.game->pieces.DeleteUnit(p.U32(8));
  return true;
}

bool UnitResult(const PacketContext& p) {
  CGameData& g = *p.game;
  const std::uint32_t id = p.U32(8);
  const std::uint8_t hullChapter = p.U8(kResultBlock.chapter);
  const std::uint8_t chapter = static_cast<std::uint8_t>(id >> 26);
  const std::uint16_t asteroid = p.U16(140);
  if (chapter >= kMaxChapters || hullChapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
  if (asteroid > g_numAsteroids) return Refuse(p, "Location outside the solar system");
  CGUnitTemplate* design = KeepTemplate(g, BuildTemplate(p, kResultBlock, chapter, hullChapter), chapter);
  if (design == nullptr) return Refuse(p, "No room for the design");
  const Location loc = LocationAt(p, 140, asteroid);
  const bool unoperational = p.U8(12) == 1;
  std::uint16_t at = 0;
  if (CGUnit* unit = g.pieces.FindUnit(id, &at)) {
    if (unit->GetTemplate() != nullptr && unit->GetTemplate()->templateId == design->templateId) {
      ArrivalNotice(g, *unit, asteroid);
      unit->SetLocation(&loc);
      if (unoperational)
        g.pieces.MarkUnitUnoperational(unit);
      else
        unit->unoperational = 0;
      unit->statusWord = p.U8(13);
      return true;
    }
    g.pieces.DeleteUnit(id);
  }
  CGUnit* unit = g.pieces.CreateUnit(design, &loc, hullChapter, id);
  if (unit == nullptr) return true;
  if (unoperational) g.pieces.MarkUnitUnoperational(unit);
  ArrivalNotice(g, *unit, asteroid);
  unit->statusWord = p.U8(13);
  unit->hullDamage = p.U8(148);
  unit->lifeSupportDamage = p.U8(149);
  std::uint8_t states[60];
  for (int i = 0; i < 60; ++i) states[i] = p.U8(150 + i);
  unit->SetModuleStates(states);
  return true;
}

constexpr HandlerEntry kHandlers[] = {
    {PKT_TEMPLATE, kTemplatePacketSize, true, TemplateArrived},
    {PKT_TEMPLATE_VALUES, 36, true, TemplateValues},
    {PKT_UNIT, 28, true, UnitEnters},
    {PKT_ORDER, kOrderPacketSize, true, OrderArrived},
    {PKT_UNIT_MOVED, 20, true, UnitMoved},
    {PKT_ORDER_REMOVED, 16, true, OrderRemoved},
    {PKT_UNIT_STATUS, kUnitStatusRecordSize, true, UnitStatus},
    {PKT_CONSTRUCTEE_BOUND, 20, true, ConstructeeBound},
    {PKT_UNIT_WITH_TEMPLATE, 130, true, UnitTemplate},
    {PKT_ORDER_TARGET_BOUND, 20, true, TargetBound},
    {PKT_UNIT_POWER, 20, true, UnitPower},
    {PKT_ATV_CARGO, 20, true, AtvCargo},
    {PKT_UNIT_DELETED, 12, true, UnitDeleted},
    {PKT_UNIT_RESULT, 210, true, UnitResult},
};

}  // namespace

std::span<const HandlerEntry> UnitHandlers() { return kHandlers; }
