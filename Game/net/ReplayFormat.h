#pragma once
// The replay of one space battle place, as the server writes it, packet 503
// carries it, the client stores it (".rpl", see ReplayFile.h) and the replay
// view and the review log read it; little-endian throughout:
//   the chapters taking part (u8 each), 0xFF; u16 replay number (the battle
//     asteroid);
//   start units: unit records (u32 id, Location (u16 asteroid, i16 x, y, z),
//     u8 n, n appearance bytes (the class abbreviation, n at most 5), u32
//     presence (0: present), u32 0), then u32 0xFFFFFFFF;
//   movement phases (one per round): move records (u32 unit id, its Location,
//     u32 engine module or 0xFFFFFFFE for none), each followed by a marker
//     and a code: 'e' (101) starts the unit's shot (u32 weapon module, u32
//     target id, u32 chance, u8 1 within effective range), then its parts,
//     each a marker and a code (102 miss; 103 shield held + u32 shield module;
//     105 hit, 106 destroying hit + u16 kind + u16 amount; 101 a further shot
//     of the same unit), and marker + 10 ends the step; a phase ends with
//     marker + 1, the phases with marker + 11;
//   the battle section: items, each a marker, a code and its payload: 3
//     destroyed (u32 id, its wreck list of (u32 id, u32 flag) pairs, u32
//     0xFFFFFFFF, code 10); 4 scan (u32 unit scanned, u32 scanner module, u32
//     scanning unit); 5, 6 transport out, in (u32 unit, u32 transport module);
//     7 departure (u32 unit, u32 engine); 8 joined (a unit record); 9 fire on
//     the asteroid (u32 unit, u32 asteroid as 0xFFFF0000 | index, u32 weapon
//     module); then marker + 12.
// A marker is u32 0xFFFFFFFF. A replay is sent in at most 255 parts of one
// packet's data each, which bounds a file.
//
// Any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GLocation.h"
#include "Game/net/ReplayFile.h"
#include "platform/core/bytes.h"

namespace replay {

constexpr std::size_t kMostReplayParts = 255;
constexpr std::size_t kReplayPartBytes = kMaxPacketSize - kReplayDataOffset;
constexpr std::size_t kMostReplayBytes = kMostReplayParts * kReplayPartBytes;

constexpr std::uint8_t kPreambleEnd = 0xFF;
constexpr std::uint32_t kMarker = 0xFFFFFFFFu;
constexpr std::uint32_t kNoEngine = 0xFFFFFFFEu;
constexpr std::size_t kMostAppearanceBytes = 5;

// Codes after a marker.
enum Code : std::uint8_t {
  kPhaseEnd = 1,
  kDestroyed = 3,
  kScan = 4,
  kTransportOut = 5,
  kTransportIn = 6,
  kDeparture = 7,
  kJoined = 8,
  kAsteroidFire = 9,
  kStepEnd = 10,
  kPhasesEnd = 11,
  kStop = 12,
  kReadOn = 13,   // never in a file: a step ended, the phase goes on
  kShot = 101,    // 'e'
  kMiss = 102,    // 'f'
  kShield = 103,  // 'g'
  kHit = 105,     // 'i'
  kKill = 106,    // 'j'
};

// Kinds of a hit that are not modules: they name what the amount hurt. A
// leech's drain is summed apart and shown as such; a mind weapon's stun names
// no module of the table (its amount the turns the target stays stunned), so
// the replay shows a hull and the review log a stunned ship.
constexpr std::uint16_t kLeechModule = 1252;
constexpr std::uint16_t kHullModule = 1253;
constexpr std::uint16_t kLifeModule = 1254;
constexpr std::uint16_t kStunModule = 1255;

// Bytes of the records, for writers that keep a replay within its bound.
constexpr std::size_t kCodeBytes = 4 + 1;
constexpr std::size_t kUnitRecordBytes = 4 + 8 + 1 + kMostAppearanceBytes + 8;
constexpr std::size_t kMoveBytes = 4 + 8 + 4;
constexpr std::size_t kShotHeadBytes = kCodeBytes + 4 + 4 + 4 + 1;
constexpr std::size_t kShotPartBytes = kCodeBytes + 4;

struct UnitRecord {
  std::uint32_t id = 0;
  Location location;
  std::uint8_t count = 0;  // appearance bytes used, at most kMostAppearanceBytes
  std::array<std::uint8_t, kMostAppearanceBytes> appearance{};
  std::uint32_t a = 0;  // presence: 0 when the unit is there
  std::uint32_t b = 0;
};

enum class UnitRead {
  kRecord,    // `out` holds the record
  kEnd,       // the terminator (or nothing at all) where the id belongs
  kCutShort,  // the record ends early
  kTooLong,   // more appearance bytes than a record holds
};

// One unit record from a file or an image; `out` is filled as far as it was read.
template <class Derived>
UnitRead ReadUnitRecord(plat::FieldReader<Derived>& in, UnitRecord& out) {
  if (!in.Read(out.id) || out.id == kMarker) return UnitRead::kEnd;
  if (!in.Read(out.location.asteroid) || !in.Read(out.location.x) || !in.Read(out.location.y) ||
      !in.Read(out.location.z) || !in.Read(out.count))
    return UnitRead::kCutShort;
  if (out.count > kMostAppearanceBytes) return UnitRead::kTooLong;
  out.appearance.fill(0);
  if (!in.ReadBytes(std::span(out.appearance.data(), out.count))) return UnitRead::kCutShort;
  if (!in.Read(out.a) || !in.Read(out.b)) return UnitRead::kCutShort;
  return UnitRead::kRecord;
}

// Writes a replay record by record, in file order. Nothing is checked: the
// writer keeps its replay within kMostReplayBytes, and tests make damaged
// files by writing what a sound one would not.
//   ReplayBuilder r;
//   r.Participants({9, 17}, 4).Unit(kOwn, {4, 10, 0, 0}, "FF").EndUnits();
//   r.Move(kOwn, {4, 12, 0, 0}).Shot(0, kEnemy, 70, 1).Hit(1253, 5).Kill(1253, 3).Code(kPhaseEnd);
//   r.Code(kPhasesEnd).Destroyed(kEnemy, {{kEnemy, 1}}).Code(kStop);
class ReplayBuilder {
 public:
  ReplayBuilder() = default;
  explicit ReplayBuilder(std::size_t expected) { m_bytes.reserve(expected); }

  ReplayBuilder& U8(std::uint8_t v) { return m_bytes.push_back(v), *this; }
  ReplayBuilder& U16(std::uint16_t v) { return U8(v & 0xFF).U8(static_cast<std::uint8_t>(v >> 8)); }
  ReplayBuilder& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(static_cast<std::uint16_t>(v >> 16)); }
  ReplayBuilder& At(const Location& at) {
    return U16(at.asteroid)
        .U16(static_cast<std::uint16_t>(at.x))
        .U16(static_cast<std::uint16_t>(at.y))
        .U16(static_cast<std::uint16_t>(at.z));
  }
  // A marker and its code.
  ReplayBuilder& Code(std::uint8_t code) { return U32(kMarker).U8(code); }

  // The preamble (the chapters taking part), its end, and the replay number.
  ReplayBuilder& Participants(std::span<const std::uint8_t> chapters, std::uint16_t replay) {
    for (std::uint8_t c : chapters) U8(c);
    return U8(kPreambleEnd).U16(replay);
  }
  ReplayBuilder& Participants(std::initializer_list<std::uint8_t> chapters, std::uint16_t replay) {
    return Participants(std::span(chapters.begin(), chapters.size()), replay);
  }
  // A unit record: its class abbreviation as the appearance bytes, then the
  // presence word and the second value.
  ReplayBuilder& Unit(std::uint32_t id, const Location& at, std::string_view appearance, std::uint32_t presence = 0,
                      std::uint32_t b = 0) {
    U32(id).At(at).U8(static_cast<std::uint8_t>(appearance.size()));
    for (char c : appearance) U8(static_cast<std::uint8_t>(c));
    return U32(presence).U32(b);
  }
  ReplayBuilder& EndUnits() { return U32(kMarker); }

  // A move record; the shots of the step follow (Shot ... End(kStepEnd)), or a code.
  ReplayBuilder& Move(std::uint32_t id, const Location& to, std::uint32_t engine = kNoEngine) {
    return U32(id).At(to).U32(engine);
  }
  // 'e' and a shot's fields up to its first part's marker; then its parts.
  ReplayBuilder& Shot(std::uint32_t weapon, std::uint32_t target, std::uint32_t chance = 0,
                      std::uint8_t effective = 1) {
    return Code(kShot).U32(weapon).U32(target).U32(chance).U8(effective).U32(kMarker);
  }
  // Parts, each after the marker that the shot or the part before left open.
  ReplayBuilder& Miss() { return U8(kMiss).U32(kMarker); }
  ReplayBuilder& Shield(std::uint32_t module) { return U8(kShield).U32(module).U32(kMarker); }
  ReplayBuilder& Hit(std::uint16_t module, std::uint16_t amount) {
    return U8(kHit).U16(module).U16(amount).U32(kMarker);
  }
  ReplayBuilder& Kill(std::uint16_t module, std::uint16_t amount) {
    return U8(kKill).U16(module).U16(amount).U32(kMarker);
  }
  // A further shot of the same unit nested among the parts ('e' after the open marker).
  ReplayBuilder& Again(std::uint32_t weapon, std::uint32_t target, std::uint32_t chance = 0,
                       std::uint8_t effective = 1) {
    return U8(kShot).U32(weapon).U32(target).U32(chance).U8(effective).U32(kMarker);
  }
  // Closes a shot's open marker with a code below the parts (kStepEnd, kPhaseEnd).
  ReplayBuilder& End(std::uint8_t code) { return U8(code); }

  // Battle-section items.
  ReplayBuilder& Destroyed(std::uint32_t id, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> wrecks) {
    Code(kDestroyed).U32(id);
    for (const auto& [unit, flag] : wrecks) U32(unit).U32(flag);
    return U32(kMarker).U8(kStepEnd);
  }
  ReplayBuilder& Scan(std::uint32_t scanned, std::uint32_t module, std::uint32_t scanner) {
    return Code(kScan).U32(scanned).U32(module).U32(scanner);
  }
  ReplayBuilder& Transport(bool in, std::uint32_t unit, std::uint32_t module) {
    return Code(in ? kTransportIn : kTransportOut).U32(unit).U32(module);
  }
  ReplayBuilder& Departure(std::uint32_t unit, std::uint32_t engine = kNoEngine) {
    return Code(kDeparture).U32(unit).U32(engine);
  }
  ReplayBuilder& Joined(std::uint32_t id, const Location& at, std::string_view appearance) {
    return Code(kJoined).Unit(id, at, appearance);
  }
  ReplayBuilder& AsteroidFire(std::uint32_t unit, std::uint32_t asteroid, std::uint32_t weapon) {
    return Code(kAsteroidFire).U32(unit).U32(asteroid).U32(weapon);
  }

  std::size_t size() const { return m_bytes.size(); }
  const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace replay
