#pragma once
// The server's side of a client-server session over the multiplayer library:
// it joins the session that started it, numbers each client's sequenced
// packets 1, 2, 3... without gaps (a client holds back a packet whose number
// it has not reached, so one counter shared by all clients would stall
// them), and hands what arrives to the game.
//
// A send never waits: what the library cannot take yet (it is busy while too
// much is on its way) waits in the addressee's own outbox and goes out, in
// order, on later pumps. A player whose outbox grows past its limit is not
// reading; it is dropped (the game hears that it left, and what it sends
// from then on is ignored), and the others play on.
//
// One thread only.

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "hvmulti/HvMulti.h"
#include "server/SrvGame.h"

class SrvNetLink : public SrvOutbox {
 public:
  // What may wait for one player: bytes (each packet counted with its
  // bookkeeping) and packets. Far above a 40-chapter game's start sequence.
  static constexpr std::size_t kMaxWaitingBytes = 4u << 20;
  static constexpr std::size_t kMaxWaitingPackets = 32768;

  SrvNetLink(CHvMulti& multi, SrvLog& log) : m_multi(multi), m_log(log) {}

  // Joins the session that started this program; 0, or the library's error
  // (HVM_ERR_NOSESSION when no library started it).
  int Join();
  // Tells the game of the players in the session it has not met yet.
  void IntroducePlayers(SrvGame& game);
  void Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) override;
  // Hands every waiting message to the game; false once the session is over
  // (its host left or the connection was lost).
  bool Pump(SrvGame& game);
  // Packets waiting for `player` in its outbox.
  std::size_t Waiting(std::uint32_t player) const;

 private:
  enum class Handed { Taken, Busy, Refused };
  struct Outbox {
    std::deque<std::vector<std::uint8_t>> packets;
    std::size_t bytes = 0;
  };
  Handed Hand(std::uint32_t player, const std::vector<std::uint8_t>& bytes);
  // Hands waiting packets to the library, one per player in turn, until it is busy.
  void Drain();
  // Tells the game of the players dropped since the last time; false when the host was one.
  bool TellDropped(SrvGame& game);

  CHvMulti& m_multi;
  SrvLog& m_log;
  std::uint32_t m_self = 0;
  std::uint32_t m_host = 0;
  bool m_lost = false;
  std::map<std::uint32_t, std::uint32_t> m_nextSequence;
  std::set<std::uint32_t> m_known;
  std::map<std::uint32_t, Outbox> m_outboxes;
  // Players dropped for not reading: `m_dropped` for good, `m_toTell` until the game knows.
  std::set<std::uint32_t> m_dropped;
  std::vector<std::uint32_t> m_toTell;
  std::vector<std::uint8_t> m_buffer = std::vector<std::uint8_t>(kMaxPacketSize);
};
