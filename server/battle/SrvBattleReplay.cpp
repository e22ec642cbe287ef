#include "server/battle/SrvBattleReplay.h"

#include <algorithm>
#include <cstring>

#include "Game/model/GUnit.h"
#include "platform/core/bytes.h"
#include "server/battle/SrvBattlePackets.h"

namespace {

// Bytes of one shot with all its parts, and of the closing codes.
constexpr std::size_t kShotBytes = 12 + 4 + 5 + 4 + 4 + 4 + 1 + 3 * (5 + 4) + 5;
constexpr std::size_t kClosingBytes = 5 + 5 + 5;
constexpr std::size_t kDepartureBytes = 5 + 8;
constexpr std::size_t kDestroyedBytes = 5 + 4 + 8 + 5;
constexpr std::size_t kActBytes = 5 + 12;
constexpr std::size_t kUnitRecordBytes = 4 + 8 + 1 + 5 + 8;

// A growing little-endian image; the replay is written field by field.
class Writer {
 public:
  explicit Writer(std::size_t expected) { m_bytes.reserve(expected); }
  void U8(std::uint8_t v) { m_bytes.push_back(v); }
  void U16(std::uint16_t v) { Put(v); }
  void I16(std::int16_t v) { Put(v); }
  void U32(std::uint32_t v) { Put(v); }
  std::size_t Size() const { return m_bytes.size(); }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  template <class T>
  void Put(T v) {
    for (std::uint8_t b : plat::EncodeLE(v)) m_bytes.push_back(b);
  }
  std::vector<std::uint8_t> m_bytes;
};

void PutLocation(Writer& w, const Location& at) {
  w.U16(at.asteroid);
  w.I16(at.x);
  w.I16(at.y);
  w.I16(at.z);
}

void Code(Writer& w, std::uint8_t code) {
  w.U32(kReplayMarker);
  w.U8(code);
}

void PutUnitRecord(Writer& w, const CGUnit& u) {
  char abbreviation[8] = {};
  u.GetClassAbbreviation(abbreviation);
  const std::uint8_t n = static_cast<std::uint8_t>(std::min<std::size_t>(std::strlen(abbreviation), 5));
  w.U32(u.id);
  PutLocation(w, u.location);
  w.U8(n);
  for (std::uint8_t i = 0; i < n; ++i) w.U8(static_cast<std::uint8_t>(abbreviation[i]));
  w.U32(0);
  w.U32(0);
}

void PutAct(Writer& w, const SrvBattleAct& act) {
  Code(w, act.code);
  switch (act.code) {
    case kActScan:
      w.U32(act.target);
      w.U32(act.module);
      w.U32(act.unitId);
      break;
    case kActBombard:
      w.U32(act.unitId);
      w.U32(act.target);
      w.U32(act.module);
      break;
    default:
      w.U32(act.unitId);
      w.U32(act.module);
      break;
  }
}

void PutShot(Writer& w, const SrvShot& shot) {
  w.U32(shot.unitId);
  PutLocation(w, shot.from);
  w.U32(kReplayNoEngine);
  Code(w, kReplayShot);
  w.U32(shot.weapon);
  w.U32(shot.targetId);
  w.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(shot.chance)));
  w.U8(shot.effectiveRange ? 1 : 0);
  for (std::uint8_t i = 0; i < shot.partCount; ++i) {
    const SrvShotPart& part = shot.parts[i];
    Code(w, part.code);
    if (part.code == kShotShieldHeld) {
      w.U32(part.value);
    } else if (part.code == kShotHit || part.code == kShotDestroyed) {
      w.U16(part.value);
      w.U16(part.amount);
    }
  }
  Code(w, kReplayStepEnd);
}

}  // namespace

std::vector<std::uint8_t> BuildBattleReplay(std::uint16_t replay, std::span<CGUnit* const> units,
                                            const SrvSpaceBattleResult& result, std::span<CGUnit* const> joined) {
  const auto& rounds = result.rounds;
  std::size_t shots = 0;
  for (const auto& round : rounds) shots += round.size();
  // The battle section is written whole: the shots give way to it.
  const std::size_t section = kActBytes * result.acts.size() + kDestroyedBytes * result.destroyed.size() +
                              kDepartureBytes * result.retreated.size() + kUnitRecordBytes * joined.size();
  Writer w(std::min(kMaxReplayBytes,
                    64 + 32 * units.size() + kShotBytes * shots + kClosingBytes + 5 * rounds.size() + section));
  std::vector<std::uint8_t> chapters;
  for (const auto& group : {units, joined})
    for (const CGUnit* u : group)
      if (u != nullptr) chapters.push_back(static_cast<std::uint8_t>(u->GetChapter()));
  std::sort(chapters.begin(), chapters.end());
  chapters.erase(std::unique(chapters.begin(), chapters.end()), chapters.end());
  for (std::uint8_t c : chapters) w.U8(c);
  w.U8(0xFF);
  w.U16(replay);
  for (const CGUnit* u : units)
    if (u != nullptr) PutUnitRecord(w, *u);
  w.U32(kReplayMarker);
  const std::size_t reserve = kClosingBytes + section + 5 * rounds.size();
  bool full = false;
  for (const auto& round : rounds) {
    for (const SrvShot& shot : round) {
      full = full || w.Size() + kShotBytes + reserve > kMaxReplayBytes;
      if (!full) PutShot(w, shot);
    }
    Code(w, kReplayRoundEnd);
  }
  Code(w, kReplayRoundsEnd);
  // What no unit could do in a movement phase, in the order the battle began
  // and ended: the acts, the destructions, the departures, the arrivals;
  // each whole or not at all, and always the stop after them.
  const auto room = [&](std::size_t bytes) { return w.Size() + bytes + 5 <= kMaxReplayBytes; };
  for (const SrvBattleAct& act : result.acts)
    if (room(kActBytes)) PutAct(w, act);
  for (std::uint32_t id : result.destroyed) {
    if (!room(kDestroyedBytes)) break;
    Code(w, kReplayDestroyed);
    w.U32(id);
    w.U32(id);
    w.U32(1);
    w.U32(kReplayMarker);
    w.U8(kReplayStepEnd);
  }
  for (std::uint32_t id : result.retreated) {
    if (!room(kDepartureBytes)) break;
    Code(w, kReplayDeparture);
    w.U32(id);
    w.U32(kReplayNoEngine);
  }
  for (const CGUnit* u : joined) {
    if (u == nullptr || !room(kUnitRecordBytes)) continue;
    Code(w, kReplayJoined);
    PutUnitRecord(w, *u);
  }
  Code(w, kReplayStop);
  return w.Take();
}
