#pragma once
// What the rules data (hulls, modules, designs, default battle plans) needs of
// the game around it: the game's databases and text index, the local chapter,
// chapter traits and identifiers, the turn. The game-data root and
// the application fill these in when a game starts and clear them when it
// ends; an empty link gives the value noted beside it, so that the rules data
// also works with no game around (tests, tools).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

class CGHullDB;
class CGModuleDB;
class CIDString;
class CGUnit;
class CGUnitTemplate;

struct RulesLinks {
  // The game's hull and module databases (null outside a game).
  CGHullDB* hullDB = nullptr;
  CGModuleDB* moduleDB = nullptr;
  // The game's text index (null: every text is empty).
  const CIDString* textIndex = nullptr;

  // The local player's chapter, guild x 8 + slot (0).
  std::function<std::uint16_t()> localChapterId;
  // CGChapter::GetTrait of a chapter; 0 for an unknown chapter or trait (0).
  std::function<std::uint8_t(std::uint8_t chapter, int trait)> chapterTrait;
  // CGChapter::AllocateId: the chapter's next object id (chapter << 26).
  std::function<std::uint32_t(std::uint8_t chapter)> allocateId;
  // The game turn (0).
  std::function<std::uint32_t()> currentTurn;
  // The game setup's flag that shows every chapter's designs (false).
  std::function<bool()> allDesignsVisible;
  // Chapters per guild, 1..8 (8).
  std::function<std::uint8_t()> chaptersPerGuild;
  // A unit of `chapter` still built from `design`, in any asteroid location or
  // deep space (none).
  std::function<CGUnit*(const CGUnitTemplate& design, std::uint8_t chapter)> findUnitBuiltFrom;
  // The guild's name text (empty).
  std::function<std::string(int guild)> guildName;
};

extern RulesLinks g_rulesLinks;

// The links with their empty-link values.
std::uint16_t RulesLocalChapterId();
int RulesLocalGuild();
std::uint8_t RulesChapterTrait(std::uint8_t chapter, int trait);
std::uint32_t RulesCurrentTurn();
std::uint8_t RulesChaptersPerGuild();
// Sends to all players through the packet sink, sequenced; false when
// nothing could be sent.
bool RulesSendToAll(std::span<std::uint8_t> packet);
// The rules' complaint in the client shell's OK box.
void RulesShowMessage(const char* text);

// The text of `id` through the game's text index into `buffer` (empty when
// there is no index or no such text); returns `buffer`.
const char* FetchRulesText(const char* id, char* buffer, std::size_t size);
