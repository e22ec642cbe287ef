#include "Game/main/SaveLinks.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GInstData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketSniffer.h"
#include "Game/save/EmailTurn.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "Game/save/SaveLinks.h"
#include "platform/user/queue.h"

namespace {

std::string Formatted(const char* textId, const char* arg) {
  char text[255];
  if (arg)
    g_app->TextIndex().GetText(textId, text, sizeof text, arg);
  else
    g_app->TextIndex().GetText(textId, text, sizeof text);
  return text;
}

void InstallApplicationSide(SaveLinks& s) {
  s.saveAppState = [](plat::FILE* fp) { return g_app ? g_app->SaveState(fp) : 0; };
  s.loadAppState = [](plat::FILE* fp) { return g_app ? g_app->LoadState(fp) : 0; };
  s.showTextBox = [](const char* textId, const char* arg) {
    if (!g_app) return;
    COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, Formatted(textId, arg).c_str(),
               static_cast<std::uint32_t>(LocalGuild()));
  };
  s.showPlainBox = [](const char* text) {
    if (g_app) COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text, static_cast<std::uint32_t>(LocalGuild()));
  };
  s.askYesNo = [](const char* textId, const char* arg) {
    if (!g_app) return true;
    std::uint32_t answer = 0;
    CYesNoDlg box(g_ddraw, g_mainWnd, g_app->m_instance, Formatted(textId, arg).c_str(),
                  static_cast<std::uint32_t>(LocalGuild()), &answer);
    return answer == 1;
  };
  s.openProgress = [](const char* textId) {
    if (g_app && g_appLinks.openProgress) g_appLinks.openProgress(g_app->Text(textId).c_str(), 0);
  };
  s.closeProgress = [] {
    if (g_appLinks.closeProgress) g_appLinks.closeProgress();
  };
  s.sendToAll = [](std::span<std::uint8_t> packet) {
    if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
  };
  s.appChapterId = [] { return g_app ? g_app->m_chapter.id : std::uint16_t{0}; };
  s.playerName = [] { return g_app ? static_cast<const char*>(g_app->m_chapter.name) : ""; };
  s.deleteReplayFiles = [] {
    if (!g_app) return;
    g_app->DeleteReplayFiles();
    g_app->DeleteReviewLogs();
  };
  s.postToMainWindow = [](std::uint32_t msg) { plat::PostMessage(g_mainWnd, msg, 0, 0); };
  // The title's quick start plays the last game this player saved alone;
  // a multiplayer or e-mail game cannot go on without its other players.
  s.ownSaveWritten = [](const std::string& name) {
    if (g_app && g_app->m_role.singlePlayer && !g_app->m_role.emailGame) g_instData.SetQuickStartFile(name.c_str());
  };
}

}  // namespace

void InstallSaveLinks(AppLinks&) {
  InstallApplicationSide(g_saveLinks);
  g_netHandlerLinks.readEmailPacket = [](std::span<std::uint8_t> buffer, std::uint32_t* length) {
    return g_session ? ReadEmailPacket(*g_session, buffer, length) : kEmailNoPacket;
  };
  g_netHandlerLinks.snifferProcessing = [](std::span<const std::uint8_t> packet) {
    if (auto* sniffer = g_session ? dynamic_cast<CPacketSniffer*>(g_session->sniffer.get()) : nullptr)
      sniffer->LogReceive(packet);
  };
}
