#pragma once
// The packets that start a game as the server sends them: a solar system,
// asteroids with their zones, a chapter start, a design and units of chapter
// 9, so that what follows them meets a model with something in it.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/rules/GTemplateDB.h"
#include "platform/core/bytes.h"

namespace fuzz {

inline std::vector<std::uint8_t> Make(std::uint16_t type, std::size_t size,
                                      std::initializer_list<std::pair<std::size_t, std::uint16_t>> words) {
  std::vector<std::uint8_t> p(size, 0);
  plat::ByteWriter w(p);
  w.WriteAt<std::uint16_t>(0, type);
  for (auto [offset, value] : words) w.WriteAt<std::uint16_t>(offset, value);
  return p;
}

inline const std::vector<std::vector<std::uint8_t>>& StartOfGame() {
  static const std::vector<std::vector<std::uint8_t>> start = [] {
    std::vector<std::vector<std::uint8_t>> s;
    s.push_back(Make(PKT_SOLAR_SYSTEM, 22, {{8, 2}, {12, 8}}));
    for (std::uint16_t a = 0; a < 8; ++a) {
      auto p = Make(PKT_ASTEROID_WITH_ZONES, 520, {{8, a}, {10, static_cast<std::uint16_t>(a * 5)}});
      p[57] = static_cast<std::uint8_t>(a % 5);
      for (int z = 0; z < 31; ++z) p[209 + z] = static_cast<std::uint8_t>(z % 3);
      s.push_back(p);
    }
    s.push_back(Make(PKT_CHAPTER_START, 66, {{8, 1}, {10, 1}, {64, 2}}));
    auto design = Make(PKT_TEMPLATE, kTemplatePacketSize, {{12, 65535}});
    plat::ByteWriter(design).WriteAt<std::uint32_t>(8, (9u << 26) | 5);
    design[14] = 9;
    design[98] = 1;
    s.push_back(design);
    for (std::uint32_t k = 0; k < 3; ++k) {
      auto unit = Make(PKT_UNIT, 28, {{8, 9}});
      plat::ByteWriter w(unit);
      w.WriteAt<std::uint32_t>(12, (9u << 26) | (100 + k));
      w.WriteAt<std::uint32_t>(24, (9u << 26) | 5);
      unit[16] = static_cast<std::uint8_t>(k * 3);
      s.push_back(unit);
    }
    return s;
  }();
  return start;
}

}  // namespace fuzz
