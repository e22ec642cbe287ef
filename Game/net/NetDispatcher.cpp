#include "Game/net/NetDispatcher.h"

#include <array>

#include "Game/base/ClientShell.h"
#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetHandlers.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "Game/net/SessionSink.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMTypes.h"
#include "hvmulti/HvPlayerList.h"

namespace {

constexpr std::uint16_t kLastHandledType = PKT_CHAT;

// Built once: the handler of each type, null for none.
const std::array<const HandlerEntry*, kLastHandledType + 1>& HandlerTable() {
  static const auto table = [] {
    std::array<const HandlerEntry*, kLastHandledType + 1> t{};
    for (auto group :
         {SystemHandlers(), SolarHandlers(), UnitHandlers(), GuildHandlers(), TurnHandlers(), TerrainHandlers()})
      for (const HandlerEntry& e : group) t[e.type] = &e;
    return t;
  }();
  return table;
}

}  // namespace

bool Refuse(const PacketContext& p, const char* why) {
  (void)p;
  TraceError(why, "NetDispatcher.cpp", __LINE__);
  return false;
}

void NotifyWindow(const PacketContext& p, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool send) {
  ClientShell().NotifySession(p.session != nullptr ? p.session->notifyWindow : nullptr, msg, wParam, lParam, send);
}

void SendToAll(const PacketContext& p, std::span<std::uint8_t> packet) {
  if (p.session != nullptr) p.session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

bool HandlePacket(CNetSession* session, std::span<const std::uint8_t> packet, std::uint32_t from) {
  PacketContext p{session, g_gameData, packet, from};
  if (packet.size() < kPacketHeaderSize) return Refuse(p, "Packet shorter than its header");
  if (packet.size() > kMaxPacketSize) return Refuse(p, "Packet longer than the largest packet");
  const std::uint16_t type = p.U16(0);
  if (type > kLastHandledType || HandlerTable()[type] == nullptr) return true;
  const HandlerEntry& e = *HandlerTable()[type];
  if (packet.size() < e.minLength) return Refuse(p, "Packet too short for its fields");
  if (e.needsGame && p.game == nullptr) return Refuse(p, "Game packet without a game");
  return e.handle(p);
}

namespace {

void NoteHandled(std::span<const std::uint8_t> packet) {
  PacketHeader header;
  if (ReadPacketHeader(packet, header)) ClientShell().PacketHandled(header.type);
}

}  // namespace

std::uint32_t DispatchPacket(CNetSession& session) {
  if (session.emailMode != 0) {
    std::array<std::uint8_t, kMaxPacketSize> buffer;
    std::uint32_t length = 0;
    if (!ClientShell().NextEmailPacket(buffer, &length)) return 0;
    if (!ClientShell().HearsSession(session.notifyWindow)) return 0;
    const std::span<const std::uint8_t> packet(buffer.data(), std::min<std::size_t>(length, buffer.size()));
    ClientShell().PacketProcessing(packet);
    HandlePacket(&session, packet, 0);
    NoteHandled(packet);
    return 1;
  }

  session.Pump(200);
  if (!session.queue) return 0;
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0, from = 0, to = 0, extra = 0;
  PacketNode* node = nullptr;
  const int result = session.queue->GetNext(&data, &length, &from, &to, &extra, &node);
  std::uint32_t dispatched = 1;
  switch (result) {
    case kQueueEmpty:
      dispatched = 0;
      break;
    case HVM_MSG_SYSTEM: {
      HvMNotice notice;
      const bool read = data != nullptr && HvMNotice::Read({data, length}, notice);
      // Who is in the session changed: the player list is read again.
      if (read && (notice.code == HVM_NOTICE_JOINED || notice.code == HVM_NOTICE_LEFT) && session.players)
        session.players->UpdatePlayerList(session.multi.get());
      // Released first: the lost-connection box dispatches again while it is up.
      if (node != nullptr) {
        node->taken = 0;
        session.queue->ReleaseNode(node);
        node = nullptr;
      }
      if (read && notice.code == HVM_NOTICE_LEFT) session.NoteLeft(notice.playerId);
      dispatched = 0;
      break;
    }
    case HVM_MSG_CHAT:
      dispatched = 0;
      break;
    case HVM_MSG_PACKET:
      if (!ClientShell().HearsSession(session.notifyWindow)) {
        dispatched = 0;
        break;
      }
      if (data != nullptr) {
        const std::span<const std::uint8_t> packet(data, std::min<std::uint32_t>(length, kMaxPacketSize));
        ClientShell().PacketProcessing(packet);
        HandlePacket(&session, packet, from);
        NoteHandled(packet);
      }
      break;
    default:
      break;
  }
  if (node != nullptr) {
    node->taken = 0;
    session.queue->ReleaseNode(node);
  }
  return dispatched;
}

void AttachSessionLinks(CNetSession* session) {
  SetAttachedSession(session);
  if (session == nullptr) return;
  if (g_gameData != nullptr) g_gameData->emailGame = session->emailMode != 0;
}
