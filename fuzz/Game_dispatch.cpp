// The packet dispatcher fed sequences of packets from any bytes: each packet
// is a u16 length followed by that many bytes (a length past the input takes
// what is left). A fixed start of a game (solar system, asteroids with their
// zones, chapters, a design and units) is applied first, so that the
// sequence meets a model with something in it. Whatever the packets, the
// model that results saves, and what it saves loads again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/base/Packets.h"
#include "fuzz/scratch.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"

namespace {

std::vector<std::uint8_t> Make(std::uint16_t type, std::size_t size, std::initializer_list<std::pair<std::size_t, std::uint16_t>> words) {
  std::vector<std::uint8_t> p(size, 0);
  plat::ByteWriter w(p);
  w.WriteAt<std::uint16_t>(0, type);
  for (auto [offset, value] : words) w.WriteAt<std::uint16_t>(offset, value);
  return p;
}

const std::vector<std::vector<std::uint8_t>>& StartOfGame() {
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
    auto design = Make(PKT_TEMPLATE, 118, {{12, 65535}});
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Scratch::Get();
  // Packet 51 pauses for a second: on the virtual clock that costs nothing.
  if (!plat::IsVirtualClock()) plat::UseVirtualClock();
  // Nobody to post to: the messages go nowhere.
  g_netHandlerLinks.notify = [](std::uint32_t, std::uintptr_t, std::intptr_t, bool) {};
  auto game = std::make_unique<CGameData>(9, 8);
  g_gameData = game.get();
  for (const auto& p : StartOfGame()) HandlePacket(nullptr, p, 0);

  std::span<const std::uint8_t> rest(data, size);
  while (rest.size() >= 2) {
    const std::size_t n = std::min<std::size_t>(rest[0] | (rest[1] << 8), rest.size() - 2);
    HandlePacket(nullptr, rest.subspan(2, n), 0);
    rest = rest.subspan(2 + n);
  }

  plat::FILE* fp = plat::fopen("Q:\\dispatch.sav", "w+b");
  if (fp == nullptr || game->Save(fp) == 0) __builtin_trap();
  plat::rewind(fp);
  game = std::make_unique<CGameData>(9, 8);
  g_gameData = game.get();
  if (game->Load(fp) == 0) __builtin_trap();
  plat::fclose(fp);
  g_gameData = nullptr;
  return 0;
}
