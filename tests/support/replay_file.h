#pragma once
// Space-battle replay files (".rpl") made from records, byte for byte as the
// server's writer and the client store them, for the readers' tests and the
// fuzz seeds:
//   ReplayFile r;
//   r.Participants({9, 17}, 4).Unit(kOwn, {4, 10, 0, 0}, "FF").EndUnits();
//   r.Move(kOwn, {4, 12, 0, 0}).Shot(0, kEnemy, 70, 1).Hit(1253, 5).Kill(1253, 3).Code(1);
//   r.Code(11).Destroyed(kEnemy, {{kEnemy, 1}}).Code(12);
// Nothing is checked: damaged files are made by writing what a sound one
// would not, or by cutting `bytes()`.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "Game/model/GLocation.h"

namespace test_support {

class ReplayFile {
 public:
  static constexpr std::uint32_t kMarker = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoEngine = 0xFFFFFFFEu;

  ReplayFile& U8(std::uint8_t v) { return m_bytes.push_back(v), *this; }
  ReplayFile& U16(std::uint16_t v) { return U8(v & 0xFF).U8(static_cast<std::uint8_t>(v >> 8)); }
  ReplayFile& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(static_cast<std::uint16_t>(v >> 16)); }
  ReplayFile& At(const Location& at) {
    return U16(at.asteroid)
        .U16(static_cast<std::uint16_t>(at.x))
        .U16(static_cast<std::uint16_t>(at.y))
        .U16(static_cast<std::uint16_t>(at.z));
  }
  // A marker and its code.
  ReplayFile& Code(std::uint8_t code) { return U32(kMarker).U8(code); }

  // The preamble (the chapters taking part), its 0xFF, and the asteroid.
  ReplayFile& Participants(std::initializer_list<std::uint8_t> chapters, std::uint16_t asteroid) {
    for (std::uint8_t c : chapters) U8(c);
    return U8(0xFF).U16(asteroid);
  }
  // A unit record: its class abbreviation as the appearance bytes, then the
  // presence word and the second value.
  ReplayFile& Unit(std::uint32_t id, const Location& at, std::string_view appearance, std::uint32_t presence = 0,
                   std::uint32_t b = 0) {
    U32(id).At(at).U8(static_cast<std::uint8_t>(appearance.size()));
    for (char c : appearance) U8(static_cast<std::uint8_t>(c));
    return U32(presence).U32(b);
  }
  ReplayFile& EndUnits() { return U32(kMarker); }

  // A move record; the shots of the step follow (Shot ... Code(10)), or a code.
  ReplayFile& Move(std::uint32_t id, const Location& to, std::uint32_t engine = kNoEngine) {
    return U32(id).At(to).U32(engine);
  }
  // 'e' and a shot's fields up to its first sub-code's marker; then its parts.
  ReplayFile& Shot(std::uint32_t weapon, std::uint32_t target, std::uint32_t extra = 0, std::uint8_t extraByte = 1) {
    return Code(101).U32(weapon).U32(target).U32(extra).U8(extraByte).U32(kMarker);
  }
  // Sub-codes, each after the marker that the header or the part before left open.
  ReplayFile& Miss() { return U8(102).U32(kMarker); }
  ReplayFile& Shield(std::uint32_t module) { return U8(103).U32(module).U32(kMarker); }
  ReplayFile& Hit(std::uint16_t module, std::uint16_t amount) { return U8(105).U16(module).U16(amount).U32(kMarker); }
  ReplayFile& Kill(std::uint16_t module, std::uint16_t amount) {
    return U8(106).U16(module).U16(amount).U32(kMarker);
  }
  // A further shot of the same unit nested among the parts ('e' after the open marker).
  ReplayFile& Again(std::uint32_t weapon, std::uint32_t target, std::uint32_t extra = 0, std::uint8_t extraByte = 1) {
    return U8(101).U32(weapon).U32(target).U32(extra).U8(extraByte).U32(kMarker);
  }
  // Closes a shot's open marker with a code below the sub-codes (10: step end, 1: phase end).
  ReplayFile& End(std::uint8_t code) { return U8(code); }

  // Battle-section items.
  ReplayFile& Destroyed(std::uint32_t id, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> wrecks) {
    Code(3).U32(id);
    for (const auto& [unit, flag] : wrecks) U32(unit).U32(flag);
    return U32(kMarker).U8(10);
  }
  ReplayFile& Scan(std::uint32_t scanned, std::uint32_t module, std::uint32_t scanner) {
    return Code(4).U32(scanned).U32(module).U32(scanner);
  }
  ReplayFile& Transport(bool in, std::uint32_t unit, std::uint32_t module) {
    return Code(in ? 6 : 5).U32(unit).U32(module);
  }
  ReplayFile& Departure(std::uint32_t unit, std::uint32_t engine = kNoEngine) {
    return Code(7).U32(unit).U32(engine);
  }
  ReplayFile& Joined(std::uint32_t id, const Location& at, std::string_view appearance) {
    return Code(8).Unit(id, at, appearance);
  }
  ReplayFile& AsteroidFire(std::uint32_t unit, std::uint32_t asteroid, std::uint32_t weapon) {
    return Code(9).U32(unit).U32(asteroid).U32(weapon);
  }

  const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace test_support
