#include "server/SrvNetLink.h"

#include <chrono>
#include <thread>

#include "Game/net/NetSession.h"
#include "Game/base/Packets.h"
#include "platform/core/bytes.h"
#include "server/orders/SrvPacketRead.h"

namespace {

// A busy library is given this many short waits before a packet counts as lost.
constexpr int kBusyRetries = 400;
constexpr auto kBusyWait = std::chrono::milliseconds(5);

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
    if (p.isServer || p.id == m_self || !m_known.insert(p.id).second) continue;
    game.PlayerJoined(p.id);
    if (p.isHost) {
      m_host = p.id;
      game.SetHost(p.id);
    }
  }
}

void SrvNetLink::Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) {
  std::vector<std::uint8_t> bytes = packet;
  WritePacketSequence(bytes, sequenced ? m_nextSequence.try_emplace(player, 1).first->second++ : 0);
  for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
    const int result =
        m_multi.Send(m_self, player, bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0, 1);
    if (result == 0) return;
    if (result == HVM_ERR_CONNECTIONLOST) {
      m_lost = true;
      break;
    }
    if (result != HVM_ERR_BUSY) break;
    m_multi.Flush();
    std::this_thread::sleep_for(kBusyWait);
  }
  m_log.Line("packet %u to player %u could not be sent", bytes.size() >= 2 ? bytes[0] | bytes[1] << 8 : 0,
             player);
}

bool SrvNetLink::Pump(SrvGame& game) {
  while (m_multi.CheckMessages() > 0) {
    std::uint32_t length = static_cast<std::uint32_t>(m_buffer.size()), from = 0, to = 0, extra = 0;
    const int kind = m_multi.GetTop(m_buffer.data(), &length, &from, &to, &extra);
    if (kind == HVM_ERR_NOMESSAGE) break;
    if (kind == HVM_ERR_BUFFERSMALL) {
      m_log.Line("a message of %u bytes from player %u is too long: dropped", length, from);
      continue;
    }
    if (kind == HVM_MSG_PACKET) {
      // A member's packet can come before the library's list shows it here.
      if (m_known.count(from) == 0) IntroducePlayers(game);
      game.Receive(from, std::span(m_buffer.data(), std::min<std::size_t>(length, m_buffer.size())));
    } else if (kind == HVM_MSG_SYSTEM && length >= 8) {
      const auto notice = static_cast<std::int32_t>(ReadU32(m_buffer, 0));
      const std::uint32_t player = ReadU32(m_buffer, 4);
      if (notice == HVM_NOTICE_JOINED && m_known.insert(player).second) game.PlayerJoined(player);
      // The library may report a leave of a member this side never met (one
      // that left while this program joined): nothing to tell the game then.
      if (notice == HVM_NOTICE_LEFT && m_known.erase(player) != 0) {
        game.PlayerLeft(player);
        m_nextSequence.erase(player);
        if (player == m_host) return false;
      }
    }
  }
  m_multi.Flush();
  return !m_lost;
}
