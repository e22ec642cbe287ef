#include "Game/main/DesignLinks.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/frame/CViewNotices.h"
#include "Game/views/replay/CVSReplay.h"

namespace {

class CGameScreenNotices : public CViewNotices {
 public:
  void NewDesign() override {
    if (auto* design = g_app ? dynamic_cast<CDesignView*>(g_app->View(VIEW_DESIGN)) : nullptr) design->NewDesign();
  }
  void CloseReplayFile() override { CloseAppReplayFile(); }
};

}  // namespace

IAppViewNotices& GameScreenNotices() {
  static CGameScreenNotices notices;
  return notices;
}
