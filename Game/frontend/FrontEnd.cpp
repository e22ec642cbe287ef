#include "Game/frontend/FrontEnd.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppLinks.h"
#include "Game/app/CClntApp.h"
#include "Game/frontend/CInitializingDlg.h"
#include "Game/frontend/ScreenFlow.h"

namespace {

// The one progress window the application keeps open.
std::unique_ptr<CInitializingDlg>& OpenProgress() {
  static std::unique_ptr<CInitializingDlg> progress;
  return progress;
}

}  // namespace

void InstallFrontEnd(AppLinks& links) {
  links.runScreenFlow = RunScreenFlow;
  links.openProgress = [](const char* text, int animation) {
    auto& progress = OpenProgress();
    if (progress) {
      progress->SetTexts(text, "");
      progress->SetAnimation(animation);
      return;
    }
    progress = std::make_unique<CInitializingDlg>(g_ddraw, g_mainWnd, g_app ? g_app->m_instance : nullptr, text,
                                                  "", animation);
  };
  links.closeProgress = [] { OpenProgress().reset(); };
}
