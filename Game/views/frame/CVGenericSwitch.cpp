// The view switch every view may ask for: the record of the view left and the
// view asked for, then the switch message to the main window.
#include "Game/app/AppMessages.h"
#include "Game/views/frame/CVGeneric.h"
#include "platform/user/queue.h"

void CVGeneric::GoToView(plat::WPARAM viewType, plat::LPARAM argument) {
  SharedScreen().previousViewType = static_cast<std::uint32_t>(GetViewType());
  SharedScreen().viewType = static_cast<std::uint32_t>(viewType);
  ForgetCoveredStatusLine();
  HideControlButtons();
  plat::PostMessage(SharedScreen().viewWnd, WM_APP_SWITCH_VIEW, viewType, argument);
}
