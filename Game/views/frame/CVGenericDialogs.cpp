// The in-game dialogs the view base opens: the options menu (its save
// recentres the view's camera first, its restart asks the server) and, when
// the server says the game is over, the summary and the high scores.
#include "Game/dialogs/CDGameSummaryDlg.h"
#include "Game/dialogs/CDInGameOptionsDlg.h"
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

namespace {

class CViewOptions : public IOptionsScreen {
 public:
  explicit CViewOptions(CVGeneric* generic) : m_generic(generic) {}
  void RecenterCamera() override {
    if (m_generic) m_generic->RecenterCamera();
  }
  void AskRestart() override { AskRestartGame(); }

 private:
  CVGeneric* m_generic;
};

}  // namespace

void RunInGameOptionsDialog(CDDraw* display, HWND window, HINSTANCE instance, IGameView* view) {
  CViewOptions screen(dynamic_cast<CVGeneric*>(view));
  CDInGameOptionsDlg dialog(display, window, instance, screen);
}

void ShowGameOverDialogs(std::span<const std::uint8_t> packet) { RunGameOverDialogs(packet); }
