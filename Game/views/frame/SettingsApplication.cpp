#include "Game/views/frame/SettingsApplication.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"

void CopySettingsFromApplication(InGameSettings& settings) {
  if (!g_app) return;
  settings.effectsLevel = g_app->Options().effectsLevel;
  settings.musicLevel = g_app->Options().musicLevel;
  settings.speech = g_app->Options().speech;
}

PlayerOptions* ApplicationOptions() { return g_app ? &g_app->OptionsToEdit() : nullptr; }

void WriteApplicationUserInfo() {
  if (g_app) g_app->WriteUserInfo();
}

bool ApplicationMayChangeAutosave() { return g_app && g_app->Role().host != 0; }

bool ApplicationDistanceFogOn() { return !g_app || g_app->Options().fogging != 0; }
bool ApplicationStarBackgroundOn() { return !g_app || g_app->Options().stars != 0; }
