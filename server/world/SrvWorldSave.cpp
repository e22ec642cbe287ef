#include "server/world/SrvWorldSave.h"

#include <memory>

#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr std::uint8_t kEndByte = 0xFB;
constexpr std::uint16_t kNoSlot = 0xFFFF;
constexpr std::uint8_t kNoHull = 255;
// No game holds more: 40 chapters of 15 fixed designs and their old ones,
// and at most 65,535 units per cell.
constexpr std::uint32_t kMaxDesigns = 40u * 1000u;
constexpr std::uint32_t kMaxUnits = 1u << 20;
constexpr std::uint32_t kMaxTransfers = 1u << 16;
constexpr std::uint16_t kMaxOrders = 1000;

void WriteDesign(BlockWriter& w, const CGUnitTemplate& t, std::uint16_t slot) {
  w.Write(t.chapter);
  w.Write(slot);
  w.Write(t.templateId);
  w.Write(t.hull != nullptr ? t.hull->section : kNoHull);
  w.Write(t.hull != nullptr ? t.hull->index : kNoHull);
  w.Name(t.GetName());
  for (const TemplateModuleSlot& s : t.slots) {
    w.Write(s.moduleId);
    w.Write(s.fitted);
  }
}

bool ReadDesign(SrvWorld& world, BlockReader& r) {
  std::uint8_t chapter = 0, section = 0, index = 0;
  std::uint16_t slot = 0;
  std::uint32_t id = 0;
  std::unique_ptr<char[]> name;
  r.Read(chapter);
  r.Read(slot);
  r.Read(id);
  r.Read(section);
  r.Read(index);
  if (!r.Name(name) || chapter >= kTemplateChapters) return false;
  auto t = std::make_unique<CGUnitTemplate>(chapter, static_cast<std::int32_t>(id));
  if (section != kNoHull) t->SetHull(world.hulls->FindHull(section, index));
  t->SetName(name.get());
  for (int s = 0; s < kTemplateSlots; ++s) {
    std::uint16_t module = 0;
    std::uint8_t fitted = 0;
    r.Read(module);
    r.Read(fitted);
    if (fitted != 0) t->FitModule(s, module);
  }
  if (!r.Ok()) return false;
  if (slot == kNoSlot) return world.templates->AddTemplate(t.release(), chapter) != 0;
  return slot < kFixedTemplateSlots && world.templates->SetFixedTemplate(*t, chapter, slot) != 0;
}

// Every design in the order the block keeps them: each chapter's fixed
// slots, then its other designs.
template <class Templates, class Visit>
void ForEachDesign(Templates& templates, Visit visit) {
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (int s = 0; s < kFixedTemplateSlots; ++s)
      if (auto* t = templates.fixed[c][s]) visit(*t, static_cast<std::uint16_t>(s));
    for (std::uint16_t i = 0; i < templates.extra[c].count; ++i) visit(*templates.extra[c].items[i], kNoSlot);
  }
}

// The counters the server keeps on a design (201 carries them), in the
// block's order, for reading and writing alike.
template <class Design, class Each>
void ForEachCounter(Design& d, Each each) {
  each(d.creationTurn);
  each(d.creationTurnHigh);
  for (auto& v : d.trailingWords) each(v);
  for (auto& v : d.trailingLongs) each(v);
}

void WriteOrder(BlockWriter& w, const UnitOrder& o) {
  w.Write(o.type);
  w.Write(o.flag);
  w.WriteBytes(o.head);
  w.Write(o.target != nullptr ? o.target->id : o.savedTargetId);
  w.Write(static_cast<std::uint8_t>((o.construction ? 1 : 0) | (o.landing ? 2 : 0) | (o.recovery ? 4 : 0)));
  if (o.construction)
    for (std::uint16_t v : o.construction->words) w.Write(v);
  if (o.landing) w.WriteBytes(o.landing->bytes);
  if (o.recovery)
    for (std::uint16_t v : o.recovery->words) w.Write(v);
}

std::unique_ptr<UnitOrder> ReadOrder(BlockReader& r) {
  auto o = std::make_unique<UnitOrder>();
  std::uint8_t blocks = 0;
  r.Read(o->type);
  r.Read(o->flag);
  r.ReadBytes(o->head);
  r.Read(o->savedTargetId);
  r.Read(blocks);
  if (o->type >= kOrderTypeCount) return nullptr;
  if (blocks & 1) {
    o->construction = std::make_unique<ConstructionBlock>();
    for (std::uint16_t& v : o->construction->words) r.Read(v);
  }
  if (blocks & 2) {
    o->landing = std::make_unique<LandingBlock>();
    r.ReadBytes(o->landing->bytes);
  }
  if (blocks & 4) {
    o->recovery = std::make_unique<RecoveryBlock>();
    for (std::uint16_t& v : o->recovery->words) r.Read(v);
  }
  return r.Ok() ? std::move(o) : nullptr;
}

void WriteUnit(BlockWriter& w, const CGUnit& u) {
  w.Write(u.id);
  w.Write(u.design != nullptr ? u.design->templateId : 0xFFFFFFFFu);
  for (std::uint16_t v : {u.location.asteroid, static_cast<std::uint16_t>(u.location.x),
                          static_cast<std::uint16_t>(u.location.y), static_cast<std::uint16_t>(u.location.z)})
    w.Write(v);
  w.Write(u.stage);
  w.WriteBytes(u.targeting);
  w.WriteBytes(u.retreat);
  for (const ModuleSlotState& m : u.modules) {
    w.Write(m.damage);
    w.Write(m.flags);
    w.Write(m.ammo);
  }
  w.Write(u.unoperational);
  w.Write(u.statusWord);
  w.Write(u.hullDamage);
  w.Write(u.lifeSupportDamage);
  w.Write(u.power);
  w.Write(u.receivedPoints);
  w.WriteBytes(u.atvCargo);
  w.Name(u.GetName());
  w.Write(u.GetOrderCount());
  for (std::uint16_t i = 0; i < u.GetOrderCount(); ++i) WriteOrder(w, *u.GetOrder(i));
}

bool ReadUnit(SrvWorld& world, BlockReader& r) {
  std::uint32_t id = 0, designId = 0;
  std::uint16_t loc[4] = {};
  r.Read(id);
  r.Read(designId);
  for (std::uint16_t& v : loc) r.Read(v);
  const Location at{loc[0], static_cast<std::int16_t>(loc[1]), static_cast<std::int16_t>(loc[2]),
                    static_cast<std::int16_t>(loc[3])};
  CGUnitTemplate* design = world.templates->FindTemplateById(designId);
  const std::uint32_t chapter = GetChapterFromId(id);
  if (!r.Ok() || design == nullptr || chapter >= kMaxChapters || at.asteroid > CGSolarDB::GetAsteroidCount())
    return false;
  CGUnit* u = world.pieces->CreateUnit(design, &at, static_cast<std::uint8_t>(chapter), id);
  if (u == nullptr) return false;
  r.Read(u->stage);
  r.ReadBytes(u->targeting);
  r.ReadBytes(u->retreat);
  for (ModuleSlotState& m : u->modules) {
    r.Read(m.damage);
    r.Read(m.flags);
    r.Read(m.ammo);
  }
  std::uint32_t unoperational = 0;
  r.Read(unoperational);
  r.Read(u->statusWord);
  r.Read(u->hullDamage);
  r.Read(u->lifeSupportDamage);
  r.Read(u->power);
  r.Read(u->receivedPoints);
  r.ReadBytes(u->atvCargo);
  std::unique_ptr<char[]> name;
  if (!r.Name(name)) return false;
  if (name) u->SetName(name.get());
  std::uint16_t orders = 0;
  if (!r.Read(orders) || orders > kMaxOrders) return false;
  for (std::uint16_t i = 0; i < orders; ++i) {
    if (!u->AppendLoadedOrder(ReadOrder(r))) return false;
  }
  u->RecomputeStats();
  if (unoperational != 0) world.pieces->MarkUnitUnoperational(u);
  return r.Ok();
}

}  // namespace

bool SrvSaveWorldState(const SrvWorld& world, BlockWriter& w) {
  world.poolDB.Save(w);
  std::uint32_t designs = 0;
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (int s = 0; s < kFixedTemplateSlots; ++s) designs += world.templates->fixed[c][s] != nullptr ? 1 : 0;
    designs += world.templates->extra[c].count;
  }
  w.Write(designs);
  ForEachDesign(*world.templates, [&](const CGUnitTemplate& t, std::uint16_t slot) { WriteDesign(w, t, slot); });
  std::vector<const CGUnit*> units;
  world.ForEachUnit([&](const CGUnit& u) { units.push_back(&u); });
  w.Write(static_cast<std::uint32_t>(units.size()));
  for (const CGUnit* u : units) WriteUnit(w, *u);
  for (const SrvGuildResearch& g : world.research) {
    for (const auto* list : {&g.modulePercent, &g.hullPercent}) {
      const auto& points = list == &g.modulePercent ? g.modulePoints : g.hullPoints;
      w.Write(static_cast<std::uint16_t>(list->size()));
      for (std::size_t i = 0; i < list->size(); ++i) {
        w.Write((*list)[i]);
        w.Write(points[i]);
      }
    }
    for (const auto* given : {&g.moduleBonus, &g.hullBonus})
      for (const auto& member : *given)
        for (std::uint16_t v : member) w.Write(v);
  }
  w.Write(static_cast<std::uint32_t>(world.autoTransfers.size()));
  for (const SrvAutoTransfer& t : world.autoTransfers) {
    for (std::uint8_t b : {t.chapter, t.source, t.destination, t.mineral}) w.Write(b);
    w.Write(t.amount);
    w.Write(t.transitTurns);
  }
  w.Write(static_cast<std::uint32_t>(world.inTransit.size()));
  for (const SrvTransferInTransit& t : world.inTransit) {
    w.Write(t.destination);
    w.Write(t.mineral);
    w.Write(t.amount);
    w.Write(t.arrivalTurn);
    w.Write(t.sender);
    w.Write(t.source);
  }
  w.Write(static_cast<std::uint32_t>(world.shipBids.size()));
  for (const SrvShipBid& b : world.shipBids) {
    w.Write(b.bidder);
    w.Write(b.unitId);
    w.Write(b.pool);
    for (std::uint32_t v : b.bid) w.Write(v);
  }
  w.Write(static_cast<std::uint32_t>(world.voteBids.size()));
  for (const SrvVoteBid& b : world.voteBids) {
    for (std::uint8_t v : {b.bidder, b.asteroid}) w.Write(v);
    w.Write(b.pool);
    for (std::uint32_t v : b.bid) w.Write(v);
  }
  w.Write(static_cast<std::uint32_t>(world.soldVotes.size()));
  for (const SrvSoldVote& s : world.soldVotes)
    for (std::uint8_t v : {s.asteroid, s.seller, s.buyer}) w.Write(v);
  w.Write(designs);
  ForEachDesign(*world.templates,
                [&](const CGUnitTemplate& t, std::uint16_t) { ForEachCounter(t, [&](const auto& v) { w.Write(v); }); });
  w.Write(kEndByte);
  return w.Ok();
}

bool SrvLoadWorldState(SrvWorld& world, BlockReader& r, std::uint8_t fileVersion) {
  const bool withScienceBonus = fileVersion > kSrvFileVersionWithoutBonus;
  world.pieces = std::make_unique<CGGamePieceDB>();
  world.templates = std::make_unique<CGTemplateDB>();
  world.RegisterWorld();
  if (world.poolDB.Load(r) != LoadStatus::kOk) return false;
  std::uint32_t designs = 0;
  if (!r.Read(designs) || designs > kMaxDesigns) return false;
  for (std::uint32_t i = 0; i < designs; ++i)
    if (!ReadDesign(world, r)) return false;
  std::uint32_t units = 0;
  if (!r.Read(units) || units > kMaxUnits) return false;
  for (std::uint32_t i = 0; i < units; ++i)
    if (!ReadUnit(world, r)) return false;
  for (int g = 0; g < kGuildCount; ++g) {
    SrvGuildResearch& research = world.research[static_cast<std::size_t>(g)];
    for (auto* list : {&research.modulePercent, &research.hullPercent}) {
      auto& points = list == &research.modulePercent ? research.modulePoints : research.hullPoints;
      std::uint16_t n = 0;
      if (!r.Read(n)) return false;
      list->assign(n, 0);
      points.assign(n, 0);
      for (std::uint16_t i = 0; i < n; ++i) {
        r.Read((*list)[i]);
        r.Read(points[i]);
      }
    }
    if (research.modulePercent.size() != world.modules->GetCount() ||
        research.hullPercent.size() != static_cast<std::size_t>(world.hulls->GetHullCount(g)))
      return false;
    for (auto* given : {&research.moduleBonus, &research.hullBonus})
      for (auto& member : *given) {
        member.assign((given == &research.moduleBonus ? research.modulePercent : research.hullPercent).size(), 0);
        if (withScienceBonus)
          for (std::uint16_t& v : member) r.Read(v);
      }
  }
  std::uint32_t n = 0;
  if (!r.Read(n) || n > kMaxTransfers) return false;
  world.autoTransfers.assign(n, {});
  for (SrvAutoTransfer& t : world.autoTransfers) {
    for (std::uint8_t* b : {&t.chapter, &t.source, &t.destination, &t.mineral}) r.Read(*b);
    r.Read(t.amount);
    r.Read(t.transitTurns);
  }
  if (!r.Read(n) || n > kMaxTransfers) return false;
  world.inTransit.assign(n, {});
  for (SrvTransferInTransit& t : world.inTransit) {
    r.Read(t.destination);
    r.Read(t.mineral);
    r.Read(t.amount);
    r.Read(t.arrivalTurn);
    if (fileVersion > kSrvFileVersionWithoutSenders) {
      r.Read(t.sender);
      r.Read(t.source);
    }
  }
  if (!r.Read(n) || n > kMaxTransfers) return false;
  world.shipBids.assign(n, {});
  for (SrvShipBid& b : world.shipBids) {
    r.Read(b.bidder);
    r.Read(b.unitId);
    r.Read(b.pool);
    for (std::uint32_t& v : b.bid) r.Read(v);
  }
  world.voteBids.clear();
  world.soldVotes.clear();
  if (fileVersion > kSrvFileVersionWithoutVoteTrade) {
    if (!r.Read(n) || n > kMaxTransfers) return false;
    world.voteBids.assign(n, {});
    for (SrvVoteBid& b : world.voteBids) {
      for (std::uint8_t* v : {&b.bidder, &b.asteroid}) r.Read(*v);
      r.Read(b.pool);
      for (std::uint32_t& v : b.bid) r.Read(v);
    }
    if (!r.Read(n) || n > kMaxAsteroids) return false;
    world.soldVotes.assign(n, {});
    for (SrvSoldVote& s : world.soldVotes)
      for (std::uint8_t* v : {&s.asteroid, &s.seller, &s.buyer}) r.Read(*v);
  }
  if (fileVersion > kSrvFileVersionWithoutDesignCounts) {
    // The counters follow the designs as they were read back, one for one.
    std::uint32_t loaded = 0;
    ForEachDesign(*world.templates, [&](CGUnitTemplate&, std::uint16_t) { ++loaded; });
    if (!r.Read(n) || n != loaded) return false;
    ForEachDesign(*world.templates,
                  [&](CGUnitTemplate& t, std::uint16_t) { ForEachCounter(t, [&](auto& v) { r.Read(v); }); });
  }
  // Orders name their targets by id until every unit is back.
  world.ForEachUnit([](CGUnit& u) { u.ResolveOrderTargets(); });
  return r.EndByte(kEndByte) == LoadStatus::kOk;
}
