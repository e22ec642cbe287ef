#pragma once
// The server's side of a client-server session over the multiplayer library:
// it joins the session that started it, numbers each client's sequenced
// packets 1, 2, 3... without gaps (a client holds back a packet whose number
// it has not reached, so one counter shared by all clients would stall
// them), and hands what arrives to the game.
//
// One thread only.

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "hvmulti/HvMulti.h"
#include "server/SrvGame.h"

class SrvNetLink : public SrvOutbox {
 public:
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

 private:
  CHvMulti& m_multi;
  SrvLog& m_log;
  std::uint32_t m_self = 0;
  std::uint32_t m_host = 0;
  bool m_lost = false;
  std::map<std::uint32_t, std::uint32_t> m_nextSequence;
  std::set<std::uint32_t> m_known;
  std::vector<std::uint8_t> m_buffer = std::vector<std::uint8_t>(kMaxPacketSize);
};
