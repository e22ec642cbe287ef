#include "Game/dialogs/CDGroupBattlePlanDlg.h"

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GGameData.h"
#include "media/CSprite.h"
#include "platform/user/window.h"

using namespace plat;

CDGroupBattlePlanDlg::CDGroupBattlePlanDlg(CGUnit* unit, BattlePlanPacket* record, DWORD helpId, bool canMove,
                                           bool canAttack)
    : CDPlanDlgBase(g_ddraw, g_mainWnd, DialogInstance(), helpId, SmallPlanPlaces(), {}, "btlplan\\"),
      m_unit(unit),
      m_record(record),
      m_targeting(unit->targeting),
      m_retreat(unit->retreat),
      m_canMove(canMove),
      m_canAttack(canAttack) {
  DoModal("#238");
}

CDGroupBattlePlanDlg::~CDGroupBattlePlanDlg() = default;

LRESULT CDGroupBattlePlanDlg::OnInitDialog(HWND window) {
  CDPlanDlgBase::OnInitDialog(window);
  m_background = LoadImage(DialogArt("btlplan\\fleet\\Bckgndf.ima").c_str(), 0, 0);
  MoveWindow(window, 26, 96, 590, 372, FALSE);
  RefillControls(window);
  return 0;
}

void CDGroupBattlePlanDlg::LimitControls() {
  SetRetreatDisabled(&m_controls, !m_canMove);
  SetTargetingDisabled(&m_controls, !m_canAttack);
}

void CDGroupBattlePlanDlg::Confirm() {
  // The firing levels stay as the record was built: each unit keeps its own.
  m_record->unitId = m_unit->id;
  m_record->targeting = m_targeting;
  m_record->retreat = m_retreat;
}

bool RunGroupBattlePlanDialog(BattlePlanPacket& record) {
  if (!g_gameData) return false;
  CGUnit* unit = g_gameData->pieces.FindUnitAt(record.asteroid, record.unitId);
  if (!unit) return false;
  CDGroupBattlePlanDlg dialog(unit, &record, kPlanHelpId, g_gameData->SelectionCanMove() != 0,
                              g_gameData->SelectionCanAttack() != 0);
  return dialog.m_result == 1;
}
