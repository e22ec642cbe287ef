#pragma once
// What the rules data (hulls, modules, designs, default battle plans) needs to
// know of the game around them: the game's hull and module databases and text
// index, the local chapter, chapter traits and identifiers, the turn, and the
// units still built from a design. The game's world implements it and
// registers itself while a game exists; until then, and with no game at all
// (tests, tools), the default answers as noted, so the rules data work on
// their own.
//
// Game thread only.

#include <cstddef>
#include <cstdint>
#include <string>

class CGHullDB;
class CGModuleDB;
class CIDString;
class CGUnit;
class CGUnitTemplate;

class IRulesFacts {
 public:
  virtual ~IRulesFacts() = default;
  // The game's hull and module databases (null outside a game).
  virtual CGHullDB* Hulls() const { return nullptr; }
  virtual CGModuleDB* Modules() const { return nullptr; }
  // The game's text index (null: every text is empty).
  virtual const CIDString* Texts() const { return nullptr; }
  // The local player's chapter, guild x 8 + slot (0).
  virtual std::uint16_t LocalChapterId() const { return 0; }
  // CGChapter::GetTrait of a chapter; 0 for an unknown chapter or trait.
  virtual std::uint8_t ChapterTrait(std::uint8_t /*chapter*/, int /*trait*/) const { return 0; }
  // CGChapter::AllocateId: the chapter's next object id (chapter << 26).
  virtual std::uint32_t AllocateId(std::uint8_t chapter) { return std::uint32_t{chapter} << 26; }
  // The game turn (0).
  virtual std::uint32_t CurrentTurn() const { return 0; }
  // The game setup's flag that shows every chapter's designs (false).
  virtual bool AllDesignsVisible() const { return false; }
  // Chapters per guild, 1..8 (8).
  virtual std::uint8_t ChaptersPerGuild() const { return 8; }
  // A unit of `chapter` still built from `design`, in any asteroid location or
  // deep space (none).
  virtual CGUnit* FindUnitBuiltFrom(const CGUnitTemplate& /*design*/, std::uint8_t /*chapter*/) const {
    return nullptr;
  }
  // The guild's name text (empty).
  virtual std::string GuildName(int /*guild*/) const { return {}; }
};

namespace rules_facts_detail {
// The registered facts: read on every question the rules ask, so inline.
extern IRulesFacts* current;
}  // namespace rules_facts_detail

// The registered facts, or the default.
inline IRulesFacts& RulesFacts() { return *rules_facts_detail::current; }
// Registers the game's facts; null goes back to the default. The caller keeps
// the object alive while it is registered.
void RegisterRulesFacts(IRulesFacts* facts);

// The local player's guild: the local chapter over 8.
int RulesLocalGuild();

// The text of `id` through the game's text index into `buffer` (empty when
// there is no index or no such text); returns `buffer`.
const char* FetchRulesText(const char* id, char* buffer, std::size_t size);
