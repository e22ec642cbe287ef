#include "Game/main/ClientShellImpl.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBattlePlanDlg.h"
#include "Game/dialogs/CDGroupBattlePlanDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/frontend/CDLoadDlg.h"
#include "Game/frontend/CLoginDlg.h"
#include "Game/frontend/FrontEnd.h"
#include "Game/frontend/ScreenFlow.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketSniffer.h"
#include "Game/save/EmailTurn.h"
#include "media/MediaMessage.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace {

std::string Formatted(const char* textId, const char* arg) {
  char text[255];
  if (arg)
    g_app->TextIndex().GetText(textId, text, sizeof text, arg);
  else
    g_app->TextIndex().GetText(textId, text, sizeof text);
  return text;
}

}  // namespace

bool CProgramShell::AskYesNo(const char* textId, const char* arg) {
  if (!g_app) return true;
  std::uint32_t answer = 0;
  CYesNoDlg box(g_ddraw, g_mainWnd, g_app->m_instance, Formatted(textId, arg).c_str(),
                static_cast<std::uint32_t>(LocalGuild()), &answer);
  return answer == 1;
}

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
  if (GameExists()) g_app->RequestFullRedraw();
  return answer == 1;
}

void CProgramShell::ShowTextBox(const char* textId, const char* arg) {
  if (!g_app) return;
  COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, Formatted(textId, arg).c_str(),
             static_cast<std::uint32_t>(LocalGuild()));
}

void CProgramShell::ShowPlainBox(const char* text) {
  if (g_app) COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text, static_cast<std::uint32_t>(LocalGuild()));
}

void CProgramShell::ShowSystemBox(const char* text, const char* caption) {
  plat::MessageBox(g_mainWnd, text, caption, plat::MB_OK);
}

void CProgramShell::ShowRulesMessage(const char* text) {
  if (g_mediaMessageBox) g_mediaMessageBox(text);
}

bool CProgramShell::RunBattlePlanDialog(BattlePlanPacket& plan) { return ::RunBattlePlanDialog(plan); }

bool CProgramShell::RunGroupBattlePlanDialog(BattlePlanPacket& plan) { return ::RunGroupBattlePlanDialog(plan); }

bool CProgramShell::RunDefaultBattlePlanDialog(DefaultBattlePlanTable& plans) {
  return ::RunDefaultBattlePlanDialog(plans);
}

void CProgramShell::PlayMovie(const char* file) {
  if (g_app) g_app->PlayMovie(file);
}

std::optional<int> CProgramShell::RunScreenFlow(int startScreen) {
  if (!g_app) return std::nullopt;
  return ::RunScreenFlow(*g_app, startScreen);
}

void CProgramShell::OpenProgress(const char* textId, int animation) {
  if (g_app) OpenProgressWindow(g_app->Text(textId).c_str(), animation);
}

void CProgramShell::CloseProgress() { CloseProgressWindow(); }

void CProgramShell::SetPendingEscape() {
  if (g_app) g_app->DeferEscape();
}

int CProgramShell::SaveAppState(plat::FILE* file) { return g_app ? g_app->SaveState(file) : 0; }

int CProgramShell::LoadAppState(plat::FILE* file) { return g_app ? g_app->LoadState(file) : 0; }

void CProgramShell::ReleaseGameScreen() {
  if (g_app) g_app->ReleaseViews();
}

bool CProgramShell::ChooseSaveName(std::string* name) {
  std::string directory;
  return RunSaveDialog(SAVE_GAME, &directory, name);
}

int CProgramShell::AnswerLoadRequest(std::uint32_t loadMode) { return ::AnswerLoadRequest(loadMode); }

// The front end's load screen chooses for the in-game dialogs too.
bool CProgramShell::ChooseLoadFile(int mode, std::string* directory, std::string* name) {
  if (!g_app) return false;
  LoadChoice choice;
  choice.mode = static_cast<std::uint16_t>(mode);
  choice.inGame = true;
  if (RunLoadDlg(*g_app, choice) != 1 || choice.fileName.empty()) return false;
  *directory = choice.directory;
  *name = choice.fileName;
  return true;
}

// The title's quick start plays the last game this player saved alone; a
// multiplayer or e-mail game cannot go on without its other players.
void CProgramShell::OwnSaveWritten(const std::string& name) {
  if (g_app && g_app->Role().singlePlayer && !g_app->Role().emailGame) g_instData.SetQuickStartFile(name.c_str());
}

void CProgramShell::DeleteReplayFiles() {
  if (!g_app) return;
  g_app->DeleteReplayFiles();
  g_app->DeleteReviewLogs();
}

std::uint16_t CProgramShell::AppChapterId(std::uint16_t) { return g_app ? g_app->Chapter().id : std::uint16_t{0}; }

const char* CProgramShell::PlayerName() { return g_app ? static_cast<const char*>(g_app->Chapter().name) : ""; }

void CProgramShell::PostToMainWindow(std::uint32_t msg) { plat::PostMessage(g_mainWnd, msg, 0, 0); }

std::span<std::uint8_t> CProgramShell::GameConfigBlock() {
  // The handler reads and sends the block at once; the screen's changes go
  // back into the application's own packet (RunConfigScreen).
  static std::array<std::uint8_t, kGameConfigSize> block{};
  if (!g_app || !g_app->GameConfig()) return {};
  block = ToBytes(*g_app->GameConfig());
  return block;
}

void CProgramShell::RunConfigScreen(std::span<std::uint8_t> block) {
  GameConfigPacket config;
  if (!g_app || !FromBytes(block, config)) return;
  RunConfigDlg(*g_app, g_app->Role().lobbyLaunch == 0, false, config);
  g_app->ReplaceConfig(config);
  const auto bytes = ToBytes(config);
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), block.size())),
            block.begin());
}

bool CProgramShell::LobbyLaunch() { return g_app && g_app->Role().lobbyLaunch != 0; }

void CProgramShell::ApplyReceivedSettings(std::span<const std::uint8_t> packet) {
  GameSettingsPacket settings;
  if (g_app && FromBytes(packet, settings)) g_app->ApplyReceivedSettings(settings);
}

void CProgramShell::PostQuit(int code) { plat::PostQuitMessage(code); }

void CProgramShell::RunLogin(HvMServiceEx_Struct& settings) { RunLoginDlg(settings); }

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
