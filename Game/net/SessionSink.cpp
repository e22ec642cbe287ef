#include "Game/net/SessionSink.h"

#include "Game/net/NetSession.h"

namespace {

CNetSession* g_attached = nullptr;

}  // namespace

CNetSession* AttachedSession() { return g_attached; }

void SetAttachedSession(CNetSession* session) { g_attached = session; }

bool CSessionSink::Send(int slot, std::span<std::uint8_t> packet) {
  return g_attached != nullptr && g_attached->Send(slot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

bool CSessionSink::BroadcastUnsequenced(int slot, std::span<std::uint8_t> packet) {
  return g_attached != nullptr &&
         g_attached->BroadcastUnsequenced(slot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}
