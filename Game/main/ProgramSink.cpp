#include "Game/main/ProgramSink.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/SavedGames.h"
#include "Game/net/NetSession.h"

void CProgramSink::SendToAll(std::span<std::uint8_t> packet) {
  if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

void CProgramSink::WriteEmailPacket(std::span<const std::uint8_t> packet, int) {
  WriteTurnFilePacket(packet.data(), static_cast<std::uint32_t>(packet.size()));
}
