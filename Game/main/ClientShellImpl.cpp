#include "Game/main/ClientShellImpl.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketSniffer.h"
#include "Game/save/EmailTurn.h"
#include "platform/user/queue.h"

bool CProgramShell::AskInPlay(const char* textId) {
  if (!g_app) return true;
  const std::string text = g_app->Text(textId);
  std::uint32_t answer = 0;
  {
    CYesNoDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text.c_str(), static_cast<std::uint32_t>(LocalGuild()),
                  &answer);
  }
  // Asked in play (another player's load or restart), the box lay over the
  // view; answered No, nothing else draws the view again and the box would
  // stay on the screen.
  if (GameExists()) g_app->m_fullRedraw = 1;
  return answer == 1;
}

void CProgramShell::ShowTextBox(const char* textId, const char* arg) {
  if (!g_app) return;
  char text[255];
  if (arg)
    g_app->TextIndex().GetText(textId, text, sizeof text, arg);
  else
    g_app->TextIndex().GetText(textId, text, sizeof text);
  COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text, static_cast<std::uint32_t>(LocalGuild()));
}

void CProgramShell::PlayMovie(const char* file) {
  if (g_app) g_app->PlayMovie(file);
}

void CProgramShell::CloseProgress() {
  if (g_appLinks.closeProgress) g_appLinks.closeProgress();
}

void CProgramShell::SetPendingEscape() {
  if (g_app) g_app->m_pendingEscape = 1;
}

std::span<std::uint8_t> CProgramShell::GameConfigBlock() {
  // The handler reads and sends the block at once; the screen's changes go
  // back into the application's own packet (RunConfigScreen).
  static std::array<std::uint8_t, kGameConfigSize> block{};
  if (!g_app || !g_app->m_gameConfig) return {};
  block = ToBytes(*g_app->m_gameConfig);
  return block;
}

void CProgramShell::RunConfigScreen(std::span<std::uint8_t> block) {
  GameConfigPacket config;
  if (!g_app || !g_appLinks.runConfigScreen || !FromBytes(block, config)) return;
  g_appLinks.runConfigScreen(config, g_app->m_role.lobbyLaunch == 0);
  if (g_app->m_gameConfig) *g_app->m_gameConfig = config;
  const auto bytes = ToBytes(config);
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), block.size())),
            block.begin());
}

bool CProgramShell::LobbyLaunch() { return g_app && g_app->m_role.lobbyLaunch != 0; }

void CProgramShell::ApplyReceivedSettings(std::span<const std::uint8_t> packet) {
  GameSettingsPacket settings;
  if (g_app && FromBytes(packet, settings)) g_app->ApplyReceivedSettings(settings);
}

void CProgramShell::PostQuit(int code) { plat::PostQuitMessage(code); }

void CProgramShell::NotifySession(plat::HWND notifyWindow, std::uint32_t msg, std::uintptr_t wParam,
                                  std::intptr_t lParam, bool send) {
  if (notifyWindow == nullptr) return;
  if (send)
    plat::SendMessage(notifyWindow, msg, wParam, lParam);
  else
    plat::PostMessage(notifyWindow, msg, wParam, lParam);
}

bool CProgramShell::NextEmailPacket(std::span<std::uint8_t> buffer, std::uint32_t* length) {
  return g_session && ReadEmailPacket(*g_session, buffer, length) == 0;
}

void CProgramShell::PacketProcessing(std::span<const std::uint8_t> packet) {
  if (auto* sniffer = g_session ? dynamic_cast<CPacketSniffer*>(g_session->sniffer.get()) : nullptr)
    sniffer->LogReceive(packet);
}

void CProgramShell::PacketHandled(std::uint16_t type) { NoteDispatchedPacket(type); }
