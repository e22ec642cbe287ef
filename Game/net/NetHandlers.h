#pragma once
// The handlers behind the dispatcher, by group. Each entry names the
// shortest packet its handler can read; the dispatcher drops a shorter one
// before the handler runs, and a handler refuses whatever else it finds out
// of range (returning false) before it changes anything.
//
// Game thread only.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/core/bytes.h"

class CGameData;
class CNetSession;

struct PacketContext {
  CNetSession* session = nullptr;
  CGameData* game = nullptr;  // null outside a game
  std::span<const std::uint8_t> bytes;
  std::uint32_t from = 0;

  // A field the entry's minimum length covers (0 when it does not).
  template <plat::LEField T>
  T At(std::size_t offset) const {
    T v{};
    plat::ByteReader(bytes).ReadAt(offset, v);
    return v;
  }
  std::uint8_t U8(std::size_t o) const { return At<std::uint8_t>(o); }
  std::uint16_t U16(std::size_t o) const { return At<std::uint16_t>(o); }
  std::uint32_t U32(std::size_t o) const { return At<std::uint32_t>(o); }
  // A text field of at most `width` bytes, cut at its zero or the packet's
  // end, into `out` (width + 1 bytes) with a zero.
  const char* Text(std::size_t offset, std::size_t width, char* out) const {
    std::size_t n = 0;
    while (n < width && offset + n < bytes.size() && bytes[offset + n] != 0) ++n;
    if (n != 0) std::memcpy(out, bytes.data() + offset, n);
    out[n] = 0;
    return out;
  }
};

using PacketHandler = bool (*)(const PacketContext& p);

struct HandlerEntry {
  std::uint16_t type;
  std::uint16_t minLength;
  bool needsGame;  // a packet that arrives without game data is dropped
  PacketHandler handle;
};

std::span<const HandlerEntry> SystemHandlers();
std::span<const HandlerEntry> SolarHandlers();
std::span<const HandlerEntry> UnitHandlers();
std::span<const HandlerEntry> GuildHandlers();
std::span<const HandlerEntry> TurnHandlers();
std::span<const HandlerEntry> TerrainHandlers();

// Posts (or sends) a private message to the session's notify window.
void NotifyWindow(const PacketContext& p, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                  bool send = false);
// Sends a packet to all players through the session (nothing without one).
void SendToAll(const PacketContext& p, std::span<std::uint8_t> packet);
// The dropped packet's trace line.
bool Refuse(const PacketContext& p, const char* why);
