#pragma once
// The game screen's answer to what the game data, the handlers and the
// application tell it: the one object registered for both notice interfaces
// (RegisterAppViewNotices), forwarding to the current view and the shared
// panels when they exist. Game thread only.

#include "Game/app/AppViewNotices.h"

class CViewNotices : public IAppViewNotices {
 public:
  void* CreateHelpLibrary() override;
  void ReleaseHelpLibrary(void* library) override;
  void ControlCommand(std::uint32_t id) override;
  void SetTurnLampCount(std::uint16_t count) override;
  void TurnLampPacket(std::span<const std::uint8_t> packet) override;
  void InfoPanelOwnerChanged() override;
  bool InfoPanelShowsChat() override;
  void ChatLight(int on, int sound) override;
  void InvalidateView() override;
  void GameOverDialogs(std::span<const std::uint8_t> packet) override;
  void AsteroidNotice(CGAsteroid* a, CGAsteroid* b) override;
  void NotificationPanelNewLine() override;
  void SelectionFull() override;
  void ScrollNotificationsToTop() override;
  void ZoneAtvsReturned() override;

  std::int32_t TurnMarker() override;
  void ClearNotificationLines() override;
  void SetTurnMarker(std::int32_t turn) override;
  void SaveSharedState(plat::FILE* file) override;
  void LoadSharedState(plat::FILE* file) override;
  void SuspendScreenFlush(int suspend) override;
  bool ScreenFlushSuspended() override;
  void ShowHelp(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::uint32_t topic) override;
  void RunOptions(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, IGameView* view) override;
};
