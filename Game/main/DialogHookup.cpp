// The in-game dialogs behind the game model's battle-plan links.
#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBattlePlanDlg.h"
#include "Game/dialogs/CDGroupBattlePlanDlg.h"
#include "Game/main/GameLinks.h"
#include "Game/model/GUnitLinks.h"
#include "Game/rules/GRulesLinks.h"

void InstallDialogLinks() {
  g_unitLinks.runBattlePlanDialog = RunBattlePlanDialog;
  g_unitLinks.runGroupBattlePlanDialog = RunGroupBattlePlanDialog;
  g_rulesLinks.runDefaultBattlePlanDialog = RunDefaultBattlePlanDialog;
}
