#include "Game/views/frame/SettingsApplication.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"

void CopySettingsFromApplication(InGameSettings& settings) {
  if (!g_app) return;
  settings.effectsLevel = g_app->m_options.effectsLevel;
  settings.musicLevel = g_app->m_options.musicLevel;
  settings.speech = g_app->m_options.speech;
}

PlayerOptions* ApplicationOptions() { return g_app ? &g_app->m_options : nullptr; }

void WriteApplicationUserInfo() {
  if (g_app) g_app->WriteUserInfo();
}

bool ApplicationMayChangeAutosave() { return g_app && g_app->m_role.host != 0; }

bool ApplicationDistanceFogOn() { return !g_app || g_app->m_options.fogging != 0; }
bool ApplicationStarBackgroundOn() { return !g_app || g_app->m_options.stars != 0; }
