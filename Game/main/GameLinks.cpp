#include "Game/main/GameLinks.h"

#include "Game/app/AppGlobals.h"
#include "Game/main/DesignLinks.h"
#include "Game/main/SaveLinks.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"

void InstallGameLinks(AppLinks& links) {
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
  InstallHandlerLinks(g_netHandlerLinks);
  links.dispatchPacket = [] { return g_session != nullptr && DispatchPacket(*g_session) != 0; };
  InstallSaveLinks(links);
}
