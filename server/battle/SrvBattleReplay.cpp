#include "server/battle/SrvBattleReplay.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "Game/model/GUnit.h"
#include "Game/net/ReplayFormat.h"
#include "server/battle/SrvBattlePackets.h"

namespace {

using replay::ReplayBuilder;

// Bytes of one shot with all its parts, and of the closing codes.
constexpr std::size_t kShotBytes =
    replay::kMoveBytes + replay::kShotHeadBytes + 3 * replay::kShotPartBytes + replay::kCodeBytes;
constexpr std::size_t kClosingBytes = 3 * replay::kCodeBytes;
constexpr std::size_t kDepartureBytes = replay::kCodeBytes + 8;
constexpr std::size_t kDestroyedBytes = replay::kCodeBytes + 4 + 8 + replay::kCodeBytes;
constexpr std::size_t kActBytes = replay::kCodeBytes + 12;
constexpr std::size_t kUnitRecordBytes = replay::kUnitRecordBytes;

void PutUnitRecord(ReplayBuilder& w, const CGUnit& u) {
  char abbreviation[8] = {};
  u.GetClassAbbreviation(abbreviation);
  const std::size_t n = std::min<std::size_t>(std::strlen(abbreviation), replay::kMostAppearanceBytes);
  w.Unit(u.id, u.location, std::string_view(abbreviation, n));
}

void PutAct(ReplayBuilder& w, const SrvBattleAct& act) {
  switch (act.code) {
    case kActScan:
      w.Scan(act.target, act.module, act.unitId);
      break;
    case kActBombard:
      w.AsteroidFire(act.unitId, act.target, act.module);
      break;
    default:
      w.Code(act.code).U32(act.unitId).U32(act.module);
      break;
  }
}

void PutShot(ReplayBuilder& w, const SrvShot& shot) {
  w.Move(shot.unitId, shot.from)
      .Shot(shot.weapon, shot.targetId, static_cast<std::uint32_t>(static_cast<std::int32_t>(shot.chance)),
            shot.effectiveRange ? 1 : 0);
  for (std::uint8_t i = 0; i < shot.partCount; ++i) {
    const SrvShotPart& part = shot.parts[i];
    switch (part.code) {
      case kShotShieldHeld:
        w.Shield(part.value);
        break;
      case kShotHit:
        w.Hit(part.value, part.amount);
        break;
      case kShotDestroyed:
        w.Kill(part.value, part.amount);
        break;
      default:
        w.U8(part.code).U32(replay::kMarker);
        break;
    }
  }
  w.End(replay::kStepEnd);
}

}  // namespace

std::vector<std::uint8_t> BuildBattleReplay(std::uint16_t number, std::span<CGUnit* const> units,
                                            const SrvSpaceBattleResult& result, std::span<CGUnit* const> joined) {
  const auto& rounds = result.rounds;
  std::size_t shots = 0;
  for (const auto& round : rounds) shots += round.size();
  // The battle section is written whole: the shots give way to it.
  const std::size_t section = kActBytes * result.acts.size() + kDestroyedBytes * result.destroyed.size() +
                              kDepartureBytes * result.retreated.size() + kUnitRecordBytes * joined.size();
  ReplayBuilder w(std::min(kMaxReplayBytes,
                           64 + 32 * units.size() + kShotBytes * shots + kClosingBytes + 5 * rounds.size() + section));
  std::vector<std::uint8_t> chapters;
  for (const auto& group : {units, joined})
    for (const CGUnit* u : group)
      if (u != nullptr) chapters.push_back(static_cast<std::uint8_t>(u->GetChapter()));
  std::sort(chapters.begin(), chapters.end());
  chapters.erase(std::unique(chapters.begin(), chapters.end()), chapters.end());
  w.Participants(chapters, number);
  for (const CGUnit* u : units)
    if (u != nullptr) PutUnitRecord(w, *u);
  w.EndUnits();
  const std::size_t reserve = kClosingBytes + section + 5 * rounds.size();
  bool full = false;
  for (const auto& round : rounds) {
    for (const SrvShot& shot : round) {
      full = full || w.size() + kShotBytes + reserve > kMaxReplayBytes;
      if (!full) PutShot(w, shot);
    }
    w.Code(replay::kPhaseEnd);
  }
  w.Code(replay::kPhasesEnd);
  // What no unit could do in a movement phase, in the order the battle began
  // and ended: the acts, the destructions, the departures, the arrivals;
  // each whole or not at all, and always the stop after them.
  const auto room = [&](std::size_t bytes) { return w.size() + bytes + 5 <= kMaxReplayBytes; };
  for (const SrvBattleAct& act : result.acts)
    if (room(kActBytes)) PutAct(w, act);
  for (std::uint32_t id : result.destroyed) {
    if (!room(kDestroyedBytes)) break;
    w.Destroyed(id, {{id, 1}});
  }
  for (std::uint32_t id : result.retreated) {
    if (!room(kDepartureBytes)) break;
    w.Departure(id);
  }
  for (const CGUnit* u : joined) {
    if (u == nullptr || !room(kUnitRecordBytes)) continue;
    w.Code(replay::kJoined);
    PutUnitRecord(w, *u);
  }
  w.Code(replay::kStop);
  return w.Take();
}
