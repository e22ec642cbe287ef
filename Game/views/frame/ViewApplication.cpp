#include "Game/views/frame/ViewApplication.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/views/frame/CVGeneric.h"

void CopyDisplaySettingsFromApplication() {
  if (!g_app) return;
  SharedScreen().shipFacingOff = g_app->Options().staticFacing ? 0 : 1;
  SharedScreen().cameraTravelOff = g_app->Options().zoom ? 0 : 1;
  SharedScreen().frameAnimationsOn = g_app->Options().frameAnimation;
}

void AskFullRedraw() {
  if (g_app) g_app->RequestFullRedraw();
}
