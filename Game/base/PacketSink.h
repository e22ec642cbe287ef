#pragma once
// Where the game core's own packets go out: the program's session, and the
// e-mail turn file that the session writes in an e-mail game. The
// program implements it and registers it once; until then, and with no
// program at all (tests, the fuzz targets, the tools), the default sends
// nothing, so the core runs on its own.
//
// Game thread only.

#include <cstdint>
#include <span>

class IPacketSink {
 public:
  virtual ~IPacketSink() = default;
  // A sequenced packet to every player; the session numbers it in place.
  virtual void SendToAll(std::span<std::uint8_t> /*packet*/) {}
  // The game's packets, header first, to a player slot (-1: all), sequenced
  // or not; false when nothing was sent (false).
  virtual bool Send(int /*slot*/, std::span<std::uint8_t> /*packet*/) { return false; }
  virtual bool BroadcastUnsequenced(int /*slot*/, std::span<std::uint8_t> /*packet*/) { return false; }
  // Appends a packet, header first, to the e-mail turn file; `slot` is the
  // player slot it was sent to (-1: all) (nothing written).
  virtual void WriteEmailPacket(std::span<const std::uint8_t> /*packet*/, int /*slot*/) {}
};

// The registered sink, or the default that sends nothing.
IPacketSink& PacketSink();
// Registers the program's sink; null goes back to the default. The caller
// keeps the object alive while it is registered.
void RegisterPacketSink(IPacketSink* sink);
