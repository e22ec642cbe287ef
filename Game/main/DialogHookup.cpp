// The in-game dialogs behind the game model's battle-plan links, and the
// front end's load screen behind the dialogs' Load buttons.
#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBattlePlanDlg.h"
#include "Game/dialogs/CDGroupBattlePlanDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/dialogs/DialogLinks.h"
#include "Game/main/GameLinks.h"
#include "Game/model/GUnitLinks.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/save/SaveLinks.h"

void InstallDialogLinks() {
  g_unitLinks.runBattlePlanDialog = RunBattlePlanDialog;
  g_unitLinks.runGroupBattlePlanDialog = RunGroupBattlePlanDialog;
  g_rulesLinks.runDefaultBattlePlanDialog = RunDefaultBattlePlanDialog;
  g_dialogLinks.chooseLoadFile = ChooseLoadFile;
  g_saveLinks.chooseSaveName = [](std::string* name) {
    std::string directory;
    return RunSaveDialog(SAVE_GAME, &directory, name);
  };
}
