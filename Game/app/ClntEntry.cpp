// The program's entry and the creation of the one application object.
#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"

namespace {
int refusedStart = 0;
}  // namespace

CClntApp* CreateClntApp(plat::HINSTANCE instance, int showCommand, const char* commandLine) {
  if (!g_app) new CClntApp(instance, showCommand, commandLine);  // stores itself in g_app
  refusedStart = g_app->StartRefused();
  if (refusedStart != 0 || (!GameExists() && !g_app->LoadedGame())) {
    DestroyClntApp();
    return nullptr;
  }
  return g_app;
}

void DestroyClntApp() {
  delete g_app;
  g_app = nullptr;
}

int WinMain(plat::HINSTANCE instance, plat::HINSTANCE, const char* commandLine, int showCommand) {
  if (CClntApp* app = CreateClntApp(instance, showCommand, commandLine)) {
    app->Run();
    DestroyClntApp();
  }
  return refusedStart;
}
