// The front end's load screen as the in-game dialogs' file chooser.
#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/frontend/CDLoadDlg.h"
#include "Game/main/GameLinks.h"

bool ChooseLoadFile(int mode, std::string* directory, std::string* name) {
  if (!g_app) return false;
  LoadChoice choice;
  choice.mode = static_cast<std::uint16_t>(mode);
  choice.inGame = true;
  if (RunLoadDlg(*g_app, choice) != 1 || choice.fileName.empty()) return false;
  *directory = choice.directory;
  *name = choice.fileName;
  return true;
}
