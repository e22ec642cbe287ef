// The images of "hulls.dat" and "modules.dat" as the data builder writes
// them: the exact inverse of the databases' readers.
#include <algorithm>
#include <cstring>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "platform/core/bytes.h"

namespace {

constexpr std::uint32_t kEmptyEntry = 0xFFFFFFFF;

void WriteHull(plat::ByteWriter& w, const CGHull& h) {
  const std::size_t nameLength = ::strnlen(h.name, sizeof h.name - 1);
  w.U32(static_cast<std::uint32_t>(nameLength + 1));
  w.WriteBytes({reinterpret_cast<const std::uint8_t*>(h.name), nameLength});
  w.U8(0);
  w.U8(h.unitClass);
  w.U8(h.attribute);
  w.U32(h.mass);
  w.U32(h.massLimit);
  w.U8(h.successor);
  w.U32(h.available != 0 ? 1 : 0);
  for (std::uint16_t cost : h.costs) w.U16(cost);
  w.U16(h.structurePoints);
  std::uint8_t slots = 0;
  while (slots < kMaxHullSlots && h.slots[slots].x != kSlotListEnd) ++slots;
  w.U8(slots);
  for (int s = 0; s < slots; ++s) {
    const HullSlot& slot = h.slots[s];
    w.U32(slot.x);
    w.U32(slot.y);
    w.U32(slot.anchorX);
    w.U32(slot.anchorY);
    w.U32(slot.typeMask);
  }
}

}  // namespace

std::vector<std::uint8_t> WriteHullsImage(std::span<const CGHull* const> hulls) {
  plat::ByteWriter w;
  for (int section = 0; section < kHullSections; ++section) {
    // A section's entries by file index; an index no hull holds is an empty entry.
    const CGHull* byIndex[256] = {};
    int entries = 0;
    for (const CGHull* h : hulls) {
      if (h->section != section) continue;
      byIndex[h->index] = h;
      entries = std::max(entries, h->index + 1);
    }
    w.U8(static_cast<std::uint8_t>(entries));
    for (int i = 0; i < entries; ++i) {
      if (byIndex[i] == nullptr)
        w.U32(kEmptyEntry);
      else
        WriteHull(w, *byIndex[i]);
    }
  }
  return w.Take();
}

std::vector<std::uint8_t> CGHullDB::HullsImage() const {
  std::vector<const CGHull*> all;
  for (const ArrayMan<CGHull>& list : hulls) {
    for (std::uint16_t i = 0; i < list.count; ++i) all.push_back(list.items[i]);
  }
  return WriteHullsImage(all);
}

namespace {

template <std::size_t N>
void WriteText(plat::ByteWriter& w, const char (&text)[N]) {
  plat::FixedText::Write(w, N, plat::FixedText::Of(text));
}

template <class T, std::size_t N>
void WriteAll(plat::ByteWriter& w, const T (&values)[N]) {
  for (T v : values) w.Write(v);
}

// The type data in its packed file form (see ReadTypeData).
void WriteTypeData(plat::ByteWriter& w, const ModuleRecord& m) {
  if (m.type == MODULE_PROPULSION) {
    w.U8(m.typeData[0]);
    for (int i = 1; i <= 3; ++i) w.U16(m.TypeWord(i));
    w.U8(m.typeData[8]);
    return;
  }
  std::uint8_t packed[sizeof m.typeData];
  std::copy(std::begin(m.typeData), std::end(m.typeData), packed);
  if (m.type == MODULE_WEAPON) {
    for (int word : {1, 2}) {
      const std::uint16_t stored = static_cast<std::uint16_t>(m.TypeWord(word) / kWeaponRangeScale);
      plat::ByteWriter(packed).WriteAt(2 * static_cast<std::size_t>(word), stored);
    }
  }
  w.WriteBytes({packed, kModuleTypeDataSize[m.type]});
}

}  // namespace

std::vector<std::uint8_t> WriteModulesImage(std::span<const ModuleRecord> records) {
  plat::ByteWriter w;
  for (const ModuleRecord& m : records) {
    if (m.type >= kModuleTypeCount) return {};
    WriteText(w, m.name);
    w.U8(m.guildMask);
    w.U8(m.spareByte2);
    w.U8(m.type);
    WriteAll(w, m.costs);
    WriteAll(w, m.secondValues);
    w.U16(m.successor);
    WriteAll(w, m.spareBytesA);
    w.U16(m.helpTopic);
    w.U16(m.spareWordA);
    w.U8(m.buildPoints);
    w.U8(m.spareByteB);
    w.U8(m.techLevel);
    WriteText(w, m.imageName);
    WriteText(w, m.soundName);
    WriteAll(w, m.defenses);
    WriteAll(w, m.spareBytesC);
    w.U16(m.spareWordC);
    w.U16(m.powerUse);
    w.U8(m.mass);
    WriteTypeData(w, m);
  }
  return w.Take();
}
