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

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "fuzz/game_start.h"
#include "fuzz/scratch.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Scratch::Get();
  // Packet 51 pauses for a second: on the virtual clock that costs nothing.
  if (!plat::IsVirtualClock()) plat::UseVirtualClock();
  auto game = std::make_unique<CGameData>(9, 8);
  g_gameData = game.get();
  for (const auto& p : fuzz::StartOfGame()) HandlePacket(nullptr, p, 0);

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
