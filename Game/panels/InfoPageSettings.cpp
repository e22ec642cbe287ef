// The application's game settings for the set-up page. Kept apart because the
// application's header and the model's world types name different constants
// alike.
#include "Game/panels/InfoPageSettings.h"
#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"

GameSettingsPacket infopage::CurrentGameSettings() {
  return g_app && g_app->GameSettings() ? *g_app->GameSettings() : GameSettingsPacket{};
}
