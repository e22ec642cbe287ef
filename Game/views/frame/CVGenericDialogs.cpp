// The in-game dialogs the view base opens: the options menu (its save
// recentres the view's camera first, its restart asks the server) and, when
// the server says the game is over, the summary and the high scores.
#include <utility>

#include "Game/dialogs/CDGameSummaryDlg.h"
#include "Game/dialogs/CDInGameOptionsDlg.h"
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

void RunInGameOptionsDialog(CDDraw* display, HWND window, HINSTANCE instance, IGameView* view) {
  OptionsActions actions;
  CVGeneric* generic = dynamic_cast<CVGeneric*>(view);
  actions.recenterCamera = [generic] {
    if (generic) generic->RecenterCamera();
  };
  actions.askRestart = [] { AskRestartGame(); };
  CDInGameOptionsDlg dialog(display, window, instance, std::move(actions));
}

void ShowGameOverDialogs(std::span<const std::uint8_t> packet) { RunGameOverDialogs(packet); }
