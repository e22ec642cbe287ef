#include "Game/main/GameLinks.h"

#include "Game/app/AppGlobals.h"
#include "Game/main/DesignLinks.h"
#include "Game/main/SaveLinks.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GWorldLinks.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/replay/CVTReplay.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "platform/user/system.h"

void InstallGameLinks(AppLinks& links) {
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
  InstallHandlerLinks(g_netHandlerLinks);
  links.dispatchPacket = [] { return g_session != nullptr && DispatchPacket(*g_session) != 0; };
  InstallSaveLinks(links);
}
