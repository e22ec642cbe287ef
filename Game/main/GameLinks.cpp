#include "Game/main/GameLinks.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/main/DesignLinks.h"
#include "Game/main/SaveLinks.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/CVTReplay.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVStandIn.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"

void InstallGameLinks(AppLinks& links) {
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
  links.createView = [](ViewType type, plat::HWND window, plat::HINSTANCE instance) -> std::unique_ptr<IGameView> {
    if (type == VIEW_DESIGN) return std::make_unique<CDesignView>(window, instance);
    if (type == VIEW_TERRAIN) return std::make_unique<CVTerrain>(window, instance);
    if (type == VIEW_TERRAIN_REPLAY) return std::make_unique<CVTReplay>(window, instance);
    if (type == VIEW_SOLAR) return std::make_unique<CVSolar>(window, instance);
    if (type == VIEW_ASTEROID_SPACE) return std::make_unique<CVAstSpace>(window, instance);
    if (type == VIEW_SPACE_REPLAY) return std::make_unique<CVSReplay>(window, instance);
    return std::make_unique<CVStandIn>(type, window, instance);
  };
  InstallHandlerLinks(g_netHandlerLinks);
  links.dispatchPacket = [] { return g_session != nullptr && DispatchPacket(*g_session) != 0; };
  InstallSaveLinks(links);
}
