// The application's asteroid-space view, beside the replay: the replay reads
// its camera mode when it starts and hands it the camera when it is left.
// (Kept apart: the application's header and the model's world types clash.)
#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/space/CVAstSpace.h"

CVAstSpace* ReplayAsteroidSpaceView() {
  return g_app ? dynamic_cast<CVAstSpace*>(g_app->View(VIEW_ASTEROID_SPACE)) : nullptr;
}

void CloseAppReplayFile() {
  if (auto* view = g_app ? dynamic_cast<CVSReplay*>(g_app->View(VIEW_SPACE_REPLAY)) : nullptr) view->CloseReplayFile();
}
