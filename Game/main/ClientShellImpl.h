#pragma once
// The program's side of the game core's shell: the application's boxes and
// questions, its progress dialog, movies and configuration screen, its
// windows and the session's e-mail input and sniffer. quenbar registers one
// at start. Game thread only.

#include "Game/base/ClientShell.h"

class CProgramShell : public IClientShell {
 public:
  bool AskInPlay(const char* textId) override;
  void ShowTextBox(const char* textId, const char* arg) override;
  void PlayMovie(const char* file) override;
  void CloseProgress() override;
  void SetPendingEscape() override;
  std::span<std::uint8_t> GameConfigBlock() override;
  void RunConfigScreen(std::span<std::uint8_t> block) override;
  bool LobbyLaunch() override;
  void ApplyReceivedSettings(std::span<const std::uint8_t> packet) override;
  void PostQuit(int code) override;
  void NotifySession(plat::HWND notifyWindow, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                     bool send) override;
  bool NextEmailPacket(std::span<std::uint8_t> buffer, std::uint32_t* length) override;
  void PacketProcessing(std::span<const std::uint8_t> packet) override;
  void PacketHandled(std::uint16_t type) override;
};
