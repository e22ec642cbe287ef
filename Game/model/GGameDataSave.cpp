// The game data's block of a saved game: the root's own fields, then every
// database in a fixed order.
#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GPersist.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr std::uint8_t kGameDataVersion = 1;
// Room for a game of some hundreds of units before the block grows.
constexpr std::size_t kSaveStartSize = 256 * 1024;

void ForgetDesignReferences(CGTemplateDB& designs) {
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (CGUnitTemplate* t : designs.fixed[c])
      if (t != nullptr) t->references = 0;
    for (std::uint16_t i = 0; i < designs.extra[c].count; ++i)
      if (CGUnitTemplate* t = designs.extra[c].GetAt(i)) t->references = 0;
  }
}

}  // namespace

// The block is made in memory and written with one call: a saved game has
// tens of thousands of fields.
int CGameData::Save(plat::FILE* fp) const {
  BlockWriter w(kSaveStartSize);
  if (Save(w) == 0) return 0;
  const auto bytes = w.Written();
  return fp != nullptr && plat::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size() ? 1 : 0;
}

int CGameData::Save(BlockWriter& w) const {
  w.U8(kGameDataVersion);
  w.U32(turn);
  if (!w.Ok() || WriteValidityByte(w) == 0) return 0;

  w.U8(chaptersPerGuild);
  w.U8(shipDisplay);
  for (const auto& mix : resourceMix) w.WriteBytes(mix);
  w.U8(resourceMixCount);
  for (std::uint16_t v : {turnTimeLimit, victoryFlags, std::uint16_t{0}, gameLength, guildControlPercent,
                          imperatorVotePercent, randomEvents, localChapterId})
    w.U16(v);
  for (const auto& row : standings) {
    for (const ChapterStanding& c : row) {
      w.U8(c.asteroids);
      w.U8(c.presence);
      w.U8(c.votes);
      w.U16(c.ships);
      w.U16(c.scienceBonusLimit);
    }
  }
  for (std::uint32_t s : scores) w.U32(s);
  if (!w.Ok() || WriteValidityByte(w) == 0) return 0;

  // The selection and the groups are the player's convenience: a failure
  // there does not fail the save. Each selected entry closes with its own
  // validity byte; an empty selection is its count alone.
  w.U16(static_cast<std::uint16_t>(selection.size()));
  for (const SelectionEntry& e : selection) {
    w.U16(e.location);
    w.U16(e.kind);
    w.U32(e.id);
    WriteValidityByte(w);
  }
  w.U16(kUnitGroups);
  for (const auto& group : unitGroups) {
    w.U8(group ? 1 : 0);
    if (!group) continue;
    w.U16(static_cast<std::uint16_t>(group->size()));
    for (std::uint32_t id : *group) w.U32(id);
    WriteValidityByte(w);
  }

  w.U32(asteroidsHiddenUntilSeen);
  w.U32(allShipsScanned);
  w.U32(allAsteroidsScanned);
  for (const auto& row : reviewLog)
    for (std::uint32_t v : row) w.U32(v);
  w.U8(researchSharedPercent);
  w.U32(chaoticOrbits);
  w.U8(asteroidControlShown);
  if (!w.Ok() || WriteValidityByte(w) == 0) return 0;

  if (moduleDB->Save(w) == 0 || hullDB->Save(w) == 0 || !solarDB.Save(w) || templates.Save(w) == 0 ||
      pieces.Save(w) == 0 || !guildList->Save(w) || !poolDB.Save(w))
    return 0;
  return WriteValidityByte(w);
}

int CGameData::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

int CGameData::Load(BlockReader& r) {
  r.U8();  // the version: one form so far
  r.Read(turn);
  if (!r.Ok() || ReadValidityByte(r) == 0) return 0;

  std::uint8_t perGuild = 0;
  r.Read(perGuild);
  r.Read(shipDisplay);
  for (auto& mix : resourceMix) r.ReadBytes(mix);
  r.Read(resourceMixCount);
  for (std::uint16_t* v : {&turnTimeLimit, &victoryFlags, &reservedWord, &gameLength, &guildControlPercent,
                           &imperatorVotePercent, &randomEvents, &localChapterId})
    r.Read(*v);
  // The standings table (a row of 280 bytes at a time) and the scores come as
  // checked blocks, decoded in place.
  {
    constexpr std::size_t kCellBytes = 7;
    constexpr std::size_t kRowBytes = kMaxChapters * kCellBytes;
    const auto u16 = [](const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); };
    for (auto& row : standings) {
      std::uint8_t scratch[kRowBytes];
      const auto block = r.Block(scratch);
      if (block.empty()) return 0;
      const std::uint8_t* at = block.data();
      for (ChapterStanding& c : row) {
        c.asteroids = at[0];
        c.presence = at[1];
        c.votes = at[2];
        c.ships = u16(at + 3);
        c.scienceBonusLimit = u16(at + 5);
        at += kCellBytes;
      }
    }
    std::uint8_t scratch[sizeof scores];
    const auto block = r.Block(scratch);
    if (block.empty()) return 0;
    plat::DecodeLEArray<std::uint32_t>(block, scores);
  }
  if (!r.Ok() || ReadValidityByte(r) == 0) return 0;
  if (perGuild != 0) SetChaptersPerGuild(perGuild);
  // The guilds' member lists are as long as the saved game's chapters per
  // guild, which need not be the count this root was made with.
  if (guildList->GetGuild(0)->GetChaptersPerGuild() != chaptersPerGuild) {
    guildList = std::make_unique<CGuildList>(chaptersPerGuild);
    world->guilds = guildList.get();
  }

  // An entry with a wrong validity byte is kept and the load goes on: the
  // bytes after it are still in step.
  selection.clear();
  const std::uint16_t selected = r.U16();
  for (std::uint16_t i = 0; i < selected && r.Ok(); ++i) {
    SelectionEntry e;
    r.Read(e.location);
    r.Read(e.kind);
    r.Read(e.id);
    ReadValidityByte(r);
    if (r.Ok()) selection.push_back(e);
  }
  // A file may hold more slots than the game uses; the extra ones are read
  // and dropped so that the blocks after them stay in step.
  const std::uint16_t slots = r.U16();
  ClearUnitGroups();
  for (std::uint16_t s = 0; s < slots && r.Ok(); ++s) {
    if (r.U8() == 0) continue;
    const std::uint16_t n = r.U16();
    std::vector<std::uint32_t> ids;
    ids.reserve(n);
    for (std::uint16_t i = 0; i < n && r.Ok(); ++i) ids.push_back(r.U32());
    ReadValidityByte(r);
    // Stored head first, kept head first: a group selects in the same order
    // after a load as before it.
    if (s < kUnitGroups && !ids.empty()) unitGroups[s] = std::move(ids);
  }

  r.Read(asteroidsHiddenUntilSeen);
  r.Read(allShipsScanned);
  r.Read(allAsteroidsScanned);
  {
    std::uint8_t scratch[sizeof reviewLog];
    const auto block = r.Block(scratch);
    if (block.empty()) return 0;
    constexpr std::size_t kRowBytes = sizeof reviewLog[0];
    for (std::size_t row = 0; row < reviewLog.size(); ++row)
      plat::DecodeLEArray<std::uint32_t>(block.subspan(row * kRowBytes, kRowBytes), reviewLog[row]);
  }
  r.Read(researchSharedPercent);
  r.Read(chaoticOrbits);
  r.Read(asteroidControlShown);
  if (!r.Ok() || ReadValidityByte(r) == 0) return 0;

  if (moduleDB->Load(r) == 0 || hullDB->Load(r) == 0 || solarDB.Load(r) != LoadStatus::kOk || templates.Load(r) == 0)
    return 0;
  // The designs' reference counts were saved with them, and every unit read
  // next takes its reference again: start the counts from nothing so that a
  // load does not double them.
  ForgetDesignReferences(templates);
  // What was read stays on a failure, so the guilds take their blocks
  // straight, without a copy of the list to fall back on.
  if (pieces.Load(r) == 0 || guildList->ReadInto(r) != LoadStatus::kOk || poolDB.Load(r) != LoadStatus::kOk) return 0;
  return ReadValidityByte(r);
}
