#pragma once
// The ship designs of every chapter: 15 fixed slots per chapter, which the
// player edits and the ship list offers, and a list of further designs taken
// out of their slot while units still use them. Also the per-class stat ranges
// the server sends for display.
//
// Saved form: for each chapter 0..39, fifteen times a u32 present flag (1 or
// 0) followed, when 1, by the design's template-file form, then a u32 number
// of extra designs and each of them; then the 11 class stat-range records of
// 44 u16. No end byte.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Game/arrayman/ArrayMan.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

class CGUnit;

constexpr int kTemplateChapters = 40;
constexpr int kFixedTemplateSlots = 15;
// Longest design name that message 200 carries to the other players.
constexpr int kTemplateNameLimit = 29;
constexpr int kClassStatCount = 44;
constexpr std::uint16_t kNotFixedSlot = 0xFFFF;
constexpr std::size_t kClassStatRangesSize = 968;  // bytes of the 11 records in message 508

// The u16 minima and maxima of the stats of one unit class.
using ClassStatRanges = std::array<std::uint16_t, kClassStatCount>;

class CGTemplateDB {
 public:
  CGTemplateDB();
  // Deletes every fixed and listed design.
  ~CGTemplateDB();
  CGTemplateDB(const CGTemplateDB&) = delete;
  CGTemplateDB& operator=(const CGTemplateDB&) = delete;

  // The chapter's design with the same template id as `design`: fixed slots
  // first (*slot = its slot), then the extra list (*slot = 0xFFFF); null when none.
  CGUnitTemplate* FindTemplate(const CGUnitTemplate& design, int chapter, std::uint16_t* slot = nullptr) const;
  // The design of that id in its chapter (id >> 26); an id of no chapter in
  // play is reported and gives null.
  CGUnitTemplate* FindTemplateById(std::uint32_t templateId) const;
  // fixed: the design in slot `index`; otherwise the index-th extra design; null when none.
  CGUnitTemplate* GetTemplate(int chapter, int index, int fixed) const;
  // The slot holding this very design (*fixed = 1), else the index of an
  // extra design with the same contents (*fixed = 0), else -1.
  int GetTemplateIndex(const CGUnitTemplate& design, int chapter, int* fixed) const;
  // Appends `design` (owned from here) to the chapter's extra list; 1, or 0
  // (and `design` deleted) for a chapter outside 0..39 or a full list.
  int AddTemplate(CGUnitTemplate* design, int chapter);
  // Puts a new design of `source`'s id, holding a copy of its design, into the
  // slot, clearing the slot first; 1, or 0 for a chapter or slot out of range.
  // The source stays the caller's and may be the slot's own design.
  int SetFixedTemplate(const CGUnitTemplate& source, int chapter, int slot);
  // Empties the slot: a design still used by units moves to the extra list,
  // any other is deleted. 0 when the slot was empty (or does not exist), else 1.
  int ClearFixedSlot(int chapter, int slot);
  // Removes and deletes `design` from its chapter's extra list when it is there
  // and nothing uses it; 1 when it was removed.
  int DeleteUnusedTemplate(CGUnitTemplate* design);
  // Adds one reference to the design of that id (an unknown id is reported).
  void AddRefTemplate(std::uint32_t templateId);
  // Releases one reference; when none remain and no unit of the chapter is
  // still built from the design, deletes it from the extra list. Returns such
  // a unit when one exists (reported), else null.
  CGUnit* ReleaseTemplate(std::uint32_t templateId);
  // Sends the design in the slot to every player (200); nothing for an empty slot.
  void SendTemplate(int slot, int chapter) const;
  // Takes the 11 records from message 508 (968 bytes from offset 8); 0 when the
  // message is too short.
  int SetClassStatRanges(std::span<const std::uint8_t> message);
  const ClassStatRanges& GetClassStatRanges(int unitClass) const;

  // Load replaces the whole contents; 0 as soon as a design fails to load or
  // a count cannot be right (the designs read before it stay).
  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  int Load(plat::FILE* fp);
  int Load(BlockReader& r);

  CGUnitTemplate* fixed[kTemplateChapters][kFixedTemplateSlots] = {};
  ArrayMan<CGUnitTemplate> extra[kTemplateChapters];
  ClassStatRanges classStatRanges[11] = {};

 private:
  void DeleteAll();
};

// Message 200, 124 bytes: u32 template id at 8, u16 slot at 12, u16 chapter at
// 14, char[30] name (NUL-terminated) at 16, u8 hull index at 46 (255 without a
// hull), 20 x u16 module ids at 48 (0 where no module is fitted), 20 x u8
// fitted flags at 98, zeros to the end.
constexpr std::size_t kTemplatePacketSize = 124;
PacketImage<kTemplatePacketSize> BuildTemplatePacket(const CGUnitTemplate& design, std::uint16_t slot,
                                                     std::uint16_t chapter);
// Names another hull in a built 200: a design view's own 200 names its hull
// by its place in the view's list rather than by its file index.
void SetTemplatePacketHull(PacketImage<kTemplatePacketSize>& packet, std::uint8_t hull);
// Message 200 read back.
struct TemplatePacket {
  std::uint32_t templateId = 0;
  std::uint16_t slot = 0;
  std::uint16_t chapter = 0;
  std::string name;  // up to its NUL or the field's end
  std::uint8_t hull = 0;
  std::array<std::uint16_t, kTemplateSlots> modules{};
  std::array<std::uint8_t, kTemplateSlots> fitted{};
};
// False when the image is shorter than 124 bytes.
bool ParseTemplatePacket(std::span<const std::uint8_t> image, TemplatePacket* out);
