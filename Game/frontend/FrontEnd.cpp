#include "Game/frontend/FrontEnd.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/frontend/CDLoadDlg.h"
#include "Game/frontend/CInitializingDlg.h"
#include "Game/save/GameLoader.h"

namespace {

// RequestLoad's answer for a file that cannot be read.
constexpr int kLoadUnreadable = 3;

// The one progress window the application keeps open.
std::unique_ptr<CInitializingDlg>& OpenProgress() {
  static std::unique_ptr<CInitializingDlg> progress;
  return progress;
}

}  // namespace

void OpenProgressWindow(const char* text, int animation) {
  auto& progress = OpenProgress();
  if (progress) {
    progress->SetTexts(text, "");
    progress->SetAnimation(animation);
    return;
  }
  progress =
      std::make_unique<CInitializingDlg>(g_ddraw, g_mainWnd, g_app ? g_app->m_instance : nullptr, text, "", animation);
}

void CloseProgressWindow() { OpenProgress().reset(); }

int AnswerLoadRequest(std::uint32_t loadMode) {
  if (!g_app) return 2;
  // A game the front end chose (quick start, the single-player load) is
  // loaded as it was chosen: the player is not asked a second time.
  if (g_app->LoadedGame()) {
    const AppLoad& chosen = g_app->Load();
    const int sent =
        RequestLoad(chosen.fileName, chosen.scenario ? LoadPlace::ScenarioDirectory : LoadPlace::SaveDirectory);
    if (sent == kLoadUnreadable) g_app->ShowTextBox("INVALIDF");
    return sent == 1 ? 1 : 2;
  }
  LoadChoice choice;
  choice.mode = loadMode == LOAD_SAVED_ONLY ? LOAD_SAVED_ONLY : LOAD_SAVED_GAMES;
  choice.inGame = GameExists();
  if (RunLoadDlg(*g_app, choice) != 1) return 2;
  const LoadPlace place = choice.mode == LOAD_SCENARIOS ? LoadPlace::ScenarioDirectory : LoadPlace::SaveDirectory;
  const int sent = RequestLoad(choice.fileName.c_str(), place);
  if (sent == kLoadUnreadable) {
    g_app->ShowTextBox("INVALIDF");
    return 0;
  }
  return sent == 1 ? 1 : 2;
}
