// What the view base reaches in the screen's later parts: the control-panel
// state and status line, the info panel switch, turn lamps, chat light and
// frame animations, help, the order menus and modes, the popup menu and the
// in-game dialogs. Until those parts land each keeps its arguments and draws
// nothing; the calls stay where the base makes them.
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

void ReleasePopupMenu(CPopupMenu* /*menu*/) {}
void ShowHelpTopic(CDDraw* /*display*/, HWND /*parent*/, HINSTANCE /*instance*/, std::uint32_t /*topic*/, int /*x*/,
                   int /*y*/) {}
void RunInGameOptionsDialog(CDDraw* /*display*/, HWND /*window*/, HINSTANCE /*instance*/, IGameView* /*view*/) {}
void RunInGameSettingsDialog(CDDraw* /*display*/, HWND /*window*/, HINSTANCE /*instance*/, IGameView* /*view*/) {}
void ShowGameOverDialogs(std::span<const std::uint8_t> /*packet*/) {}

void CVGeneric::UpdateControlPanel() {}
void CVGeneric::LeaveReplayMode(int /*switchBack*/) {}
void CVGeneric::DrawStatusText() {}
void CVGeneric::SetStatusText(const char* /*text*/, int /*attribute*/) {}
void CVGeneric::ToggleInfoPanel() {}
void CVGeneric::DrawTurnLamps() {}
void CVGeneric::ResetTurnLamps() {}
void CVGeneric::SetChatLight(int on, int /*force*/) { g_chatLightOn = on ? 1 : 0; }
void CVGeneric::PlayFrameAnimation(std::uint32_t /*elapsedMs*/) {}
void CVGeneric::ShowOrderMenu(int /*kind*/, std::uint32_t /*id*/, int /*x*/, int /*y*/) {}
void CVGeneric::SetTurnLampCount(std::uint16_t count) {
  g_turnLampCount = count;
  DrawTurnLamps();
}
void CVGeneric::OnTurnLampPacket(std::span<const std::uint8_t> /*packet*/) {}
void CVGeneric::SaveSharedState(plat::FILE* /*file*/) {}
void CVGeneric::LoadSharedState(plat::FILE* /*file*/) {}
LRESULT CVGeneric::OnMenuCommand(std::uint32_t /*id*/) { return 0; }
void CVGeneric::DrawMenuItem(DRAWITEMSTRUCT* /*item*/) {}
void CVGeneric::OnMenuSelect(HMENU /*menu*/, std::uint32_t /*item*/) {}
int CVGeneric::SelectUnitForOrder() { return 0; }
int CVGeneric::SelectObject(int /*kind*/, std::uint32_t /*id*/) { return 0; }
int CVGeneric::PickTarget(int /*kind*/, std::uint32_t /*id*/) { return 0; }
int CVGeneric::ExecuteOrderMode(int /*kind*/, std::uint32_t /*id*/) { return 0; }
void CVGeneric::UpdateSelectionDisplay(int /*flag*/) {}
void CVGeneric::DeleteAllOrders() {}
void CVGeneric::RefreshDataPanel(int /*flag*/) {}
void CVGeneric::OnDataPanelCommand(int /*row*/, std::uint32_t /*argument*/) {}
