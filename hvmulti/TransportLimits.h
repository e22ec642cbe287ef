#pragma once
// Time and count limits of the library's transport. Every connection that is
// not yet a player, and every player that stops completing frames, is bounded
// by them, so no silent, slow or hostile peer holds a slot for ever. The
// defaults serve play; tests shorten them.

#include <cstddef>

namespace hvm {

struct TransportLimits {
  // A new connection must complete its hello within this time.
  int helloTimeoutMs = 5000;
  // Connections still waiting for their hello, in all and from one address.
  // A new connection past either count pushes out the oldest waiting one (of
  // its address when that count is the one reached) that has had
  // pendingGraceMs to say hello, so a real joiner, who says hello at once,
  // always gets through. Hellos already received are taken before anyone is
  // pushed out. While all of maxPending are younger than that, newcomers wait
  // in the system's queue of connections; past maxPendingPerAddress, young
  // ones of one address are bounded by maxPending alone.
  std::size_t maxPending = 16;
  std::size_t maxPendingPerAddress = 4;
  int pendingGraceMs = 250;
  // A joined connection that completes no frame for this long is dropped (its
  // player leaves, with a leave notice), whatever the game's own keep-alive
  // setting. The time does not run while the library itself stops reading
  // because the game has not taken its messages. A connection whose socket
  // takes none of our bytes for as long, while the game's sends to it are
  // refused as busy, is dropped the same way: its reader has stopped, and the
  // game would otherwise wait on it for ever.
  int idleLimitMs = 30000;
  // Every connection sends a keep-alive frame this often, so that a live but
  // quiet player never reaches the idle limit.
  int keepAliveMs = 5000;
  // Packets a member may send the server program of a client-server session:
  // a burst of requestBurst, and requestsPerSecond on and on. A player's own
  // bursts (a turn's orders, a design's templates) stay far below; a member
  // past it is flooding, and is dropped before its requests and the server's
  // answers to them hold up everyone else's.
  int requestBurst = 4096;
  int requestsPerSecond = 2048;
};

}  // namespace hvm
