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
#include "Game/net/NetSession.h"
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

void InstallSaveLinks(AppLinks& links) {
  InstallApplicationSide(g_saveLinks);
  // The save request's packet (6) reaches the shell through the message's
  // pointer, the load data (7) through the session, which kept it; the
  // dispatcher passed them on only when they hold every field.
  // The save request of a packet carries its address; the player's own (the
  // view's Ctrl+S) carries none, and the name is then the player's to choose.
  links.saveGame = [](const char* packet) {
    if (!packet) return SaveGame({}, nullptr);
    return SaveGame({reinterpret_cast<const std::uint8_t*>(packet), kSavePacketSize}, nullptr);
  };
  links.autoSave = [](plat::LPARAM identifier) { return AutoSave(static_cast<std::uint32_t>(identifier)); };
  links.loading.loaderExists = [] { return KeptLoaderExists(); };
  links.loading.deleteLoader = [] { DeleteKeptLoader(); };
  // A load makes new game data: its orders go out through the session as a
  // new game's do (a game left for the main screen took the links away).
  links.loading.load = [] {
    const bool loaded = LoadKeptLoader();
    if (loaded) AttachSessionLinks(g_session);
    return loaded;
  };
  links.loading.loadData = [] {
    const std::vector<std::uint8_t> packet = g_session ? g_session->TakeKeptLoad() : std::vector<std::uint8_t>{};
    if (packet.size() < kLoadPacketSize || !LoadFromLoadPacket(packet)) return false;
    AttachSessionLinks(g_session);
    return true;
  };
  links.loading.writeClientTurnFile = [](const char* name) { return WriteEmailClientFile(name); };
  // An order that cannot reach the turn file would be lost unseen.
  links.writeEmailPacket = [](const std::uint8_t* packet, std::uint32_t length, int) {
    if (g_session && !WriteEmailPacket(*g_session, LocalChapterId(kNoChapterChosen), packet, length) && g_app)
      g_app->ShowTextBox("SAVEFAIL");
  };
}
