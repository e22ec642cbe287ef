#include "server/orders/SrvDesigns.h"

#include <memory>

#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr unsigned kIdChapterShift = 26;
constexpr std::uint32_t kLastSerial = (1u << kIdChapterShift) - 1;

bool Researched(const std::vector<std::uint16_t>& points, std::size_t index) {
  return index < points.size() && points[index] >= kResearched;
}

}  // namespace

SrvOrderVerdict SrvTakeDesign(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  TemplatePacket sent;
  if (!ParseTemplatePacket(packet, &sent)) return SrvOrderVerdict::kTooShort;
  if (!world.HasChapter(chapter)) return SrvOrderVerdict::kNoChapter;
  const std::uint32_t id = sent.templateId;
  const std::uint16_t slot = sent.slot;
  // The id names its chapter: another chapter's would be looked up among that one's designs.
  if (sent.chapter != chapter || (id >> kIdChapterShift) != chapter) return SrvOrderVerdict::kNotOwner;
  if (slot >= kFixedTemplateSlots || sent.name.empty()) return SrvOrderVerdict::kBadOrder;
  const int guild = chapter >> 3;
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  CGHull* hull = world.hulls->GetHull(guild, sent.hull);
  if (hull == nullptr || !Researched(research.hullPoints, sent.hull)) return SrvOrderVerdict::kBadTarget;

  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>(id));
  design->SetHull(hull);
  design->SetName(sent.name.c_str());
  bool anyModule = false;
  for (int s = 0; s < kTemplateSlots; ++s) {
    if (sent.fitted[static_cast<std::size_t>(s)] == 0) continue;
    const std::uint16_t module = sent.modules[static_cast<std::size_t>(s)];
    const ModuleRecord* record = world.modules->GetRecord(module);
    if (record == nullptr || (record->guildMask & (1u << guild)) == 0 || !Researched(research.modulePoints, module))
      return SrvOrderVerdict::kBadTarget;
    if (s >= hull->GetSlotCount() || hull->SlotAcceptsModuleType(s, record->type) == 0)
      return SrvOrderVerdict::kBadOrder;
    design->FitModule(s, module);
    anyModule = true;
  }
  if (!anyModule || design->mass > hull->massLimit) return SrvOrderVerdict::kBadOrder;
  // A client numbers its designs from its own copy of the chapter's counter,
  // which never saw the ids the server gave the chapter's designs and units:
  // an id another design holds would make lookups by id find that one. It
  // gets a fresh id; an unused one is kept, and the server's counter moves
  // past it so that nothing the server makes takes it later.
  CGChapter* owner = world.Chapter(chapter);
  if (world.templates->FindTemplateById(id) != nullptr || GetSerialFromId(id) == kLastSerial)
    design->templateId = owner->AllocateId();
  else if (id >= owner->nextObjectId)
    owner->nextObjectId = id + 1;
  world.templates->SetFixedTemplate(*design, chapter, slot);
  return SrvOrderVerdict::kAccepted;
}
