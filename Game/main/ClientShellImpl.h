#pragma once
// The program's side of the game core's shell: the application's boxes and
// questions, the front end's screens, the battle-plan dialogs, its progress dialog, movies and configuration screen,
// its block of a saved game, the save dialog and the load screen, its windows and the session's login box, e-mail input
// and sniffer. quenbar registers one at start. Game thread only.

#include "Game/base/ClientShell.h"

class CProgramShell : public IClientShell {
 public:
  bool AskYesNo(const char* textId, const char* arg) override;
  bool AskInPlay(const char* textId) override;
  void ShowTextBox(const char* textId, const char* arg) override;
  void ShowPlainBox(const char* text) override;
  void ShowSystemBox(const char* text, const char* caption) override;
  void ShowRulesMessage(const char* text) override;
  bool RunBattlePlanDialog(BattlePlanPacket& plan) override;
  bool RunGroupBattlePlanDialog(BattlePlanPacket& plan) override;
  bool RunDefaultBattlePlanDialog(DefaultBattlePlanTable& plans) override;
  void PlayMovie(const char* file) override;
  std::optional<int> RunScreenFlow(int startScreen) override;
  void OpenProgress(const char* textId, int animation) override;
  void CloseProgress() override;
  void SetPendingEscape() override;
  int SaveAppState(plat::FILE* file) override;
  int LoadAppState(plat::FILE* file) override;
  void ReleaseGameScreen() override;
  bool ChooseSaveName(std::string* name) override;
  int AnswerLoadRequest(std::uint32_t loadMode) override;
  bool ChooseLoadFile(int mode, std::string* directory, std::string* name) override;
  void OwnSaveWritten(const std::string& name) override;
  void DeleteReplayFiles() override;
  std::uint16_t AppChapterId(std::uint16_t noApp) override;
  const char* PlayerName() override;
  void PostToMainWindow(std::uint32_t msg) override;
  std::span<std::uint8_t> GameConfigBlock() override;
  void RunConfigScreen(std::span<std::uint8_t> block) override;
  bool LobbyLaunch() override;
  void ApplyReceivedSettings(std::span<const std::uint8_t> packet) override;
  void PostQuit(int code) override;
  void RunLogin(HvMServiceEx_Struct& settings) override;
  void NotifySession(plat::HWND notifyWindow, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                     bool send) override;
  bool NextEmailPacket(std::span<std::uint8_t> buffer, std::uint32_t* length) override;
  void PacketProcessing(std::span<const std::uint8_t> packet) override;
  void PacketHandled(std::uint16_t type) override;
};
