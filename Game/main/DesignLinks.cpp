#include "Game/main/DesignLinks.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/CVStandIn.h"
#include "Game/views/frame/CViewNotices.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/replay/CVTReplay.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"

namespace {

class CGameScreenNotices : public CViewNotices {
 public:
  void CloseReplayFile() override { CloseAppReplayFile(); }
  std::unique_ptr<IGameView> CreateView(ViewType type, plat::HWND window, plat::HINSTANCE instance) override {
    if (type == VIEW_DESIGN) return std::make_unique<CDesignView>(window, instance);
    if (type == VIEW_TERRAIN) return std::make_unique<CVTerrain>(window, instance);
    if (type == VIEW_TERRAIN_REPLAY) return std::make_unique<CVTReplay>(window, instance);
    if (type == VIEW_SOLAR) return std::make_unique<CVSolar>(window, instance);
    if (type == VIEW_ASTEROID_SPACE) return std::make_unique<CVAstSpace>(window, instance);
    if (type == VIEW_SPACE_REPLAY) return std::make_unique<CVSReplay>(window, instance);
    return std::make_unique<CVStandIn>(type, window, instance);
  }
};

}  // namespace

IAppViewNotices& GameScreenNotices() {
  static CGameScreenNotices notices;
  return notices;
}
