#include "Game/app/AppGlobals.h"

#include <unordered_map>

CClntApp* g_app = nullptr;
plat::HWND g_mainWnd = nullptr;
plat::HHOOK g_getMessageHook = nullptr;
CDDraw* g_ddraw = nullptr;
CNetSession* g_session = nullptr;
IGameView* g_currentView = nullptr;
bool g_moviePlaying = false;
std::uint32_t g_diskWarningOff = 0;
std::uint32_t g_reloadAfterFailure = 0;

namespace {

std::unordered_map<std::uint16_t, std::uint32_t>& DispatchedPackets() {
  static std::unordered_map<std::uint16_t, std::uint32_t> counts;
  return counts;
}

}  // namespace

void NoteDispatchedPacket(std::uint16_t type) { ++DispatchedPackets()[type]; }

bool g_stillWorld = false;

std::uint32_t DispatchedPacketCount(std::uint16_t type) {
  const auto it = DispatchedPackets().find(type);
  return it == DispatchedPackets().end() ? 0 : it->second;
}
