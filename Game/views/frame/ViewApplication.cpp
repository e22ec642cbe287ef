#include "Game/views/frame/ViewApplication.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/views/frame/CVGeneric.h"

void CopyDisplaySettingsFromApplication() {
  if (!g_app) return;
  SharedScreen().shipFacingOff = g_app->m_options.staticFacing ? 0 : 1;
  SharedScreen().cameraTravelOff = g_app->m_options.zoom ? 0 : 1;
  SharedScreen().frameAnimationsOn = g_app->m_options.frameAnimation;
}

void AskFullRedraw() {
  if (g_app) g_app->RequestFullRedraw();
}
