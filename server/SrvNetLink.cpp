#include "server/SrvNetLink.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "platform/core/bytes.h"
#include "server/orders/SrvPacketRead.h"

namespace {

// What one waiting packet costs beside its bytes (its buffer and its place in the queue).
constexpr std::size_t kWaitingOverhead = 48;
// Messages handled in one pump, so that a flood leaves room for the turn's
// clock and the waiting sends.
constexpr int kMaxMessagesPerPump = 4096;

std::uint16_t TypeOf(const std::vector<std::uint8_t>& bytes) {
  return static_cast<std::uint16_t>(bytes.size() >= 2 ? bytes[0] | bytes[1] << 8 : 0);
}

}  // namespace

int SrvNetLink::Join() {
  HvMPlayer_Struct me;
  plat::FixedText::Set(me.shortName, "QuenSrvr");
  const int result = m_multi.JoinAsServer(kApplicationGuid, &me);
  if (result != 0) return result;
  m_self = me.id;
  return 0;
}

void SrvNetLink::IntroducePlayers(SrvGame& game) {
  for (const HvMPlayerInfo& p : m_multi.GetPlayers()) {
    if (p.isServer || p.id == m_self || m_dropped.count(p.id) != 0 || !m_known.insert(p.id).second) continue;
    game.PlayerJoined(p.id);
    if (p.isHost) {
      m_host = p.id;
      game.SetHost(p.id);
    }
  }
}

void SrvNetLink::Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) {
  if (m_dropped.count(player) != 0) return;
  std::vector<std::uint8_t> bytes = packet;
  WritePacketSequence(bytes, sequenced ? m_nextSequence.try_emplace(player, 1).first->second++ : 0);
  Outbox& box = m_outboxes[player];
  // Behind packets already waiting, a packet waits too: each player's arrive in order.
  if (box.packets.empty() && Hand(player, bytes) != Handed::Busy) return;
  box.bytes += bytes.size() + kWaitingOverhead;
  box.packets.push_back(std::move(bytes));
  if (box.bytes <= kMaxWaitingBytes && box.packets.size() <= kMaxWaitingPackets) return;
  m_log.Line("player %u takes nothing sent to it (%zu packets, %zu bytes waiting): dropped", player, box.packets.size(),
             box.bytes);
  m_outboxes.erase(player);
  m_dropped.insert(player);
  m_toTell.push_back(player);
}

std::size_t SrvNetLink::Waiting(std::uint32_t player) const {
  const auto it = m_outboxes.find(player);
  return it == m_outboxes.end() ? 0 : it->second.packets.size();
}

SrvNetLink::Handed SrvNetLink::Hand(std::uint32_t player, const std::vector<std::uint8_t>& bytes) {
  const int result = m_multi.Send(m_self, player, bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0, 1);
  if (result == 0) return Handed::Taken;
  if (result == HVM_ERR_BUSY) return Handed::Busy;
  if (result == HVM_ERR_CONNECTIONLOST) m_lost = true;
  m_log.Line("packet %u to player %u could not be sent (%d)", TypeOf(bytes), player, result);
  return Handed::Refused;
}

void SrvNetLink::Drain() {
  std::set<std::uint32_t> busy;
  for (bool progress = true; progress;) {
    progress = false;
    for (auto& [player, box] : m_outboxes) {
      if (box.packets.empty() || busy.count(player) != 0) continue;
      if (Hand(player, box.packets.front()) == Handed::Busy) {
        busy.insert(player);
        continue;
      }
      box.bytes -= box.packets.front().size() + kWaitingOverhead;
      box.packets.pop_front();
      progress = true;
    }
  }
  std::erase_if(m_outboxes, [](const auto& entry) { return entry.second.packets.empty(); });
}

bool SrvNetLink::TellDropped(SrvGame& game) {
  bool hostStays = true;
  for (const std::uint32_t player : m_toTell) {
    if (m_known.erase(player) == 0) continue;
    game.PlayerLeft(player);
    m_nextSequence.erase(player);
    if (player == m_host) hostStays = false;
  }
  m_toTell.clear();
  return hostStays;
}

bool SrvNetLink::Pump(SrvGame& game) {
  if (!TellDropped(game)) return false;
  Drain();
  for (int handled = 0; handled < kMaxMessagesPerPump && m_multi.CheckMessages() > 0; ++handled) {
    std::uint32_t length = static_cast<std::uint32_t>(m_buffer.size()), from = 0, to = 0, extra = 0;
    const int kind = m_multi.GetTop(m_buffer.data(), &length, &from, &to, &extra);
    if (kind == HVM_ERR_NOMESSAGE) break;
    if (kind == HVM_ERR_BUFFERSMALL) {
      m_log.Line("a message of %u bytes from player %u is too long: dropped", length, from);
      continue;
    }
    if (kind == HVM_MSG_PACKET) {
      if (m_dropped.count(from) != 0) continue;
      // A member's packet can come before the library's list shows it here.
      if (m_known.count(from) == 0) IntroducePlayers(game);
      game.Receive(from, std::span(m_buffer.data(), std::min<std::size_t>(length, m_buffer.size())));
      if (!TellDropped(game)) return false;
    } else if (kind == HVM_MSG_SYSTEM && length >= 8) {
      const auto notice = static_cast<std::int32_t>(ReadU32(m_buffer, 0));
      const std::uint32_t player = ReadU32(m_buffer, 4);
      if (notice == HVM_NOTICE_JOINED && m_dropped.count(player) == 0 && m_known.insert(player).second)
        game.PlayerJoined(player);
      // The library may report a leave of a member this side never met (one
      // that left while this program joined): nothing to tell the game then.
      if (notice == HVM_NOTICE_LEFT) {
        m_outboxes.erase(player);
        if (m_known.erase(player) != 0) {
          game.PlayerLeft(player);
          m_nextSequence.erase(player);
          if (player == m_host) return false;
        }
      }
    }
  }
  Drain();
  m_multi.Flush();
  return !m_lost;
}
