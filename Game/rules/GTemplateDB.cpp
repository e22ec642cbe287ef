#include "Game/rules/GTemplateDB.h"

#include <algorithm>
#include <memory>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"

namespace {

constexpr std::size_t kPacketNameSize = kTemplateNameLimit + 1;
constexpr std::size_t kStatRangesOffset = 8;
constexpr std::uint32_t kMaxExtraTemplates = 0xFFFF;

bool ValidChapter(int chapter) { return chapter >= 0 && chapter < kTemplateChapters; }
bool ValidSlot(int slot) { return slot >= 0 && slot < kFixedTemplateSlots; }

// Where 200 names the design's hull.
constexpr std::size_t kTemplateHullAt = 46;

}  // namespace

CGTemplateDB::CGTemplateDB() = default;

CGTemplateDB::~CGTemplateDB() { DeleteAll(); }

void CGTemplateDB::DeleteAll() {
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (CGUnitTemplate*& design : fixed[c]) {
      delete design;
      design = nullptr;
    }
    while (extra[c].count > 0) delete extra[c].RemoveAt(static_cast<std::uint16_t>(extra[c].count - 1));
  }
}

CGUnitTemplate* CGTemplateDB::FindTemplate(const CGUnitTemplate& design, int chapter, std::uint16_t* slot) const {
  if (!ValidChapter(chapter)) return nullptr;
  for (int s = 0; s < kFixedTemplateSlots; ++s) {
    CGUnitTemplate* t = fixed[chapter][s];
    if (t != nullptr && t->templateId == design.templateId) {
      if (slot != nullptr) *slot = static_cast<std::uint16_t>(s);
      return t;
    }
  }
  for (std::uint16_t i = 0; i < extra[chapter].count; ++i) {
    CGUnitTemplate* t = extra[chapter].GetAt(i);
    if (t != nullptr && t->templateId == design.templateId) {
      if (slot != nullptr) *slot = kNotFixedSlot;
      return t;
    }
  }
  return nullptr;
}

CGUnitTemplate* CGTemplateDB::FindTemplateById(std::uint32_t templateId) const {
  const std::uint32_t chapter = templateId >> 26;
  if (chapter >= 32u + RulesFacts().ChaptersPerGuild() || !ValidChapter(static_cast<int>(chapter))) {
    TraceError("Error: Invalid chapter ID!", __FILE__, __LINE__);
    return nullptr;
  }
  for (CGUnitTemplate* t : fixed[chapter]) {
    if (t != nullptr && t->templateId == templateId) return t;
  }
  for (std::uint16_t i = 0; i < extra[chapter].count; ++i) {
    CGUnitTemplate* t = extra[chapter].GetAt(i);
    if (t != nullptr && t->templateId == templateId) return t;
  }
  return nullptr;
}

CGUnitTemplate* CGTemplateDB::GetTemplate(int chapter, int index, int isFixed) const {
  if (!ValidChapter(chapter) || index < 0) return nullptr;
  if (isFixed != 0) return ValidSlot(index) ? fixed[chapter][index] : nullptr;
  return index < extra[chapter].count ? extra[chapter].GetAt(static_cast<std::uint16_t>(index)) : nullptr;
}

int CGTemplateDB::GetTemplateIndex(const CGUnitTemplate& design, int chapter, int* isFixed) const {
  if (!ValidChapter(chapter)) return -1;
  for (int s = 0; s < kFixedTemplateSlots; ++s) {
    if (fixed[chapter][s] == &design) {
      if (isFixed != nullptr) *isFixed = 1;
      return s;
    }
  }
  for (std::uint16_t i = 0; i < extra[chapter].count; ++i) {
    const CGUnitTemplate* t = extra[chapter].GetAt(i);
    if (t != nullptr && (t == &design || t->HasSameContents(design))) {
      if (isFixed != nullptr) *isFixed = 0;
      return i;
    }
  }
  return -1;
}

int CGTemplateDB::AddTemplate(CGUnitTemplate* design, int chapter) {
  std::unique_ptr<CGUnitTemplate> owned(design);
  if (!ValidChapter(chapter) || extra[chapter].count >= kMaxExtraTemplates) {
    TraceError("No room for the design", __FILE__, __LINE__);
    return 0;
  }
  extra[chapter].SetAt(owned.release(), ArrayMan<CGUnitTemplate>::kAtEnd);
  return 1;
}

// The copy is made before the slot is cleared: the source may be the slot's
// own design, which clearing deletes.
int CGTemplateDB::SetFixedTemplate(const CGUnitTemplate& source, int chapter, int slot) {
  if (!ValidChapter(chapter) || !ValidSlot(slot)) return 0;
  auto copy = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(chapter),
                                               static_cast<std::int32_t>(source.templateId));
  copy->CopyDesign(source, chapter);
  ClearFixedSlot(chapter, slot);
  fixed[chapter][slot] = copy.release();
  return 1;
}

int CGTemplateDB::ClearFixedSlot(int chapter, int slot) {
  if (!ValidChapter(chapter) || !ValidSlot(slot) || fixed[chapter][slot] == nullptr) return 0;
  CGUnitTemplate* design = fixed[chapter][slot];
  fixed[chapter][slot] = nullptr;
  if (design->references > 0) {
    AddTemplate(design, chapter);
  } else {
    delete design;
  }
  return 1;
}

int CGTemplateDB::DeleteUnusedTemplate(CGUnitTemplate* design) {
  if (design == nullptr || !ValidChapter(design->chapter)) return 0;
  ArrayMan<CGUnitTemplate>& list = extra[design->chapter];
  for (int i = list.count - 1; i >= 0; --i) {
    if (list.GetAt(static_cast<std::uint16_t>(i)) == design && design->references == 0) {
      delete list.RemoveAt(static_cast<std::uint16_t>(i));
      return 1;
    }
  }
  return 0;
}

void CGTemplateDB::AddRefTemplate(std::uint32_t templateId) {
  CGUnitTemplate* design = FindTemplateById(templateId);
  if (design == nullptr) {
    TraceError("Reference to an unknown design", __FILE__, __LINE__);
    return;
  }
  design->AddRef();
}

CGUnit* CGTemplateDB::ReleaseTemplate(std::uint32_t templateId) {
  CGUnitTemplate* design = FindTemplateById(templateId);
  if (design == nullptr) return nullptr;
  if (design->references > 0) {
    if (design->Release() > 0) return nullptr;
  } else {
    TraceError("Releasing a design nothing holds", __FILE__, __LINE__);
  }
  if (CGUnit* unit = RulesFacts().FindUnitBuiltFrom(*design, design->chapter)) {
    TraceError("A unit still uses a released design", __FILE__, __LINE__);
    return unit;
  }
  DeleteUnusedTemplate(design);
  return nullptr;
}

PacketImage<kTemplatePacketSize> BuildTemplatePacket(const CGUnitTemplate& design, std::uint16_t slot,
                                                     std::uint16_t chapter) {
  PacketImage<kTemplatePacketSize> p(PKT_TEMPLATE);
  p.Put(8, design.templateId);
  p.Put(12, slot);
  p.Put(14, chapter);
  std::array<std::uint8_t, kPacketNameSize> name{};
  if (const char* text = design.GetName()) {
    for (std::size_t i = 0; i + 1 < name.size() && text[i] != '\0'; ++i) name[i] = static_cast<std::uint8_t>(text[i]);
  }
  p.PutBytes(16, name);
  p.Put(kTemplateHullAt, design.hull != nullptr ? design.hull->index : kNoHullInFile);
  for (int s = 0; s < kTemplateSlots; ++s) {
    const TemplateModuleSlot& fitting = design.slots[s];
    p.Put(48 + 2 * s, fitting.fitted != 0 ? fitting.moduleId : std::uint16_t{0});
    p.Put(98 + s, fitting.fitted);
  }
  return p;
}

void SetTemplatePacketHull(PacketImage<kTemplatePacketSize>& packet, std::uint8_t hull) {
  packet.Put(kTemplateHullAt, hull);
}

bool ParseTemplatePacket(std::span<const std::uint8_t> image, TemplatePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kTemplatePacketSize)) return false;
  r.ReadAt(8, out->templateId);
  r.ReadAt(12, out->slot);
  r.ReadAt(14, out->chapter);
  plat::ByteReader name(image, 16);
  plat::FixedText::Read(name, kPacketNameSize, out->name);
  r.ReadAt(kTemplateHullAt, out->hull);
  for (std::size_t s = 0; s < out->modules.size(); ++s) {
    r.ReadAt(48 + 2 * s, out->modules[s]);
    r.ReadAt(98 + s, out->fitted[s]);
  }
  return true;
}

void CGTemplateDB::SendTemplate(int slot, int chapter) const {
  const CGUnitTemplate* design = GetTemplate(chapter, slot, 1);
  if (design == nullptr) return;
  auto packet = BuildTemplatePacket(*design, static_cast<std::uint16_t>(slot), static_cast<std::uint16_t>(chapter));
  RulesSendToAll(packet.bytes);
}

int CGTemplateDB::SetClassStatRanges(std::span<const std::uint8_t> message) {
  if (message.size() < kStatRangesOffset + kClassStatRangesSize) return 0;
  plat::ByteReader r(message.subspan(kStatRangesOffset, kClassStatRangesSize));
  for (ClassStatRanges& record : classStatRanges) {
    for (std::uint16_t& v : record) r.Read(v);
  }
  return 1;
}

const ClassStatRanges& CGTemplateDB::GetClassStatRanges(int unitClass) const {
  return classStatRanges[unitClass >= 0 && unitClass < 11 ? unitClass : 0];
}

int CGTemplateDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w);
}

int CGTemplateDB::Save(BlockWriter& w) const {
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (const CGUnitTemplate* design : fixed[c]) {
      if (!w.Write(std::uint32_t{design != nullptr ? 1u : 0u})) return 0;
      if (design != nullptr && design->Save(w) == 0) return 0;
    }
    if (!w.Write(std::uint32_t{extra[c].count})) return 0;
    for (std::uint16_t i = 0; i < extra[c].count; ++i) {
      const CGUnitTemplate* design = extra[c].GetAt(i);
      if (design == nullptr || design->Save(w) == 0) return 0;
    }
  }
  for (const ClassStatRanges& record : classStatRanges) {
    for (std::uint16_t v : record) w.Write(v);
  }
  return w.Ok() ? 1 : 0;
}

int CGTemplateDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

int CGTemplateDB::Load(BlockReader& r) {
  DeleteAll();
  for (int c = 0; c < kTemplateChapters; ++c) {
    const auto chapter = static_cast<std::uint8_t>(c);
    for (CGUnitTemplate*& slot : fixed[c]) {
      std::uint32_t present = 0;
      if (!r.Read(present) || present > 1) return 0;
      if (present == 0) continue;
      auto design = std::make_unique<CGUnitTemplate>(chapter, 0);
      if (design->Load(r) == 0) return 0;
      slot = design.release();
    }
    std::uint32_t extras = 0;
    if (!r.Read(extras) || extras > kMaxExtraTemplates) return 0;
    for (std::uint32_t i = 0; i < extras; ++i) {
      auto design = std::make_unique<CGUnitTemplate>(chapter, 0);
      if (design->Load(r) == 0) return 0;
      extra[c].SetAt(design.release(), ArrayMan<CGUnitTemplate>::kAtEnd);
    }
  }
  for (ClassStatRanges& record : classStatRanges) {
    for (std::uint16_t& v : record) r.Read(v);
  }
  return r.Ok() ? 1 : 0;
}
