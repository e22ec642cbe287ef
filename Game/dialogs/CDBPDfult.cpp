#include "Game/dialogs/CDBPDfult.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/BattlePlanIds.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/rules/GUnitClass.h"
#include "media/CSprite.h"
#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// The class buttons.
constexpr PlanPlace kClassPlaces[] = {
    {IDC_GENP, 350, 198, 69, 13, "default\\genp"}, {IDC_CONS, 398, 169, 70, 13, "default\\cons"},
    {IDC_ASTA, 398, 227, 70, 13, "default\\asta"}, {IDC_DEST, 456, 140, 70, 13, "default\\dest"},
    {IDC_CRUS, 456, 198, 70, 13, "default\\crus"}, {IDC_BATT, 456, 256, 70, 13, "default\\batt"},
    {IDC_AASL, 504, 112, 70, 13, "default\\aasl"}, {IDC_UASL, 504, 169, 70, 13, "default\\uasl"},
    {IDC_ASCT, 504, 227, 70, 13, "default\\asct"}, {IDC_USCT, 504, 285, 70, 13, "default\\usct"},
};

struct ClassButton {
  int id;
  int unitClass;
};
// Class 1 (usta) has no button.
constexpr ClassButton kClassButtons[] = {{IDC_GENP, 0},  {IDC_CONS, 7}, {IDC_ASTA, 2}, {IDC_DEST, 8}, {IDC_CRUS, 9},
                                         {IDC_BATT, 10}, {IDC_AASL, 6}, {IDC_UASL, 5}, {IDC_ASCT, 4}, {IDC_USCT, 3}};

int ClassOfButton(int id) {
  for (const ClassButton& b : kClassButtons)
    if (b.id == id) return b.unitClass;
  return -1;
}

}  // namespace

int CDBPDfult::s_currentClass = 0;

bool ClassCannotRetreat(int unitClass) { return unitClass == 1 || unitClass == 2; }
bool ClassCannotTarget(int unitClass) { return unitClass == 1 || unitClass == 3 || unitClass == 5; }

CDBPDfult::CDBPDfult(DefaultBattlePlanTable* table, DWORD helpId)
    : CDPlanDlgBase(g_ddraw, g_mainWnd, DialogInstance(), helpId, SmallPlanPlaces(), kClassPlaces, "btlplan\\"),
      m_out(table) {
  s_currentClass = std::clamp(s_currentClass, 0, kUnitClassCount - 1);
  DoModal("#239");
}

CDBPDfult::~CDBPDfult() = default;

TargetingPart* CDBPDfult::GetTargetPlan(int unitClass) {
  return unitClass >= 0 && unitClass < kUnitClassCount ? &m_table.targeting[unitClass] : nullptr;
}

RetreatPart* CDBPDfult::GetRetreatPlan(int unitClass) {
  return unitClass >= 0 && unitClass < kUnitClassCount ? &m_table.retreat[unitClass] : nullptr;
}

LRESULT CDBPDfult::OnInitDialog(HWND window) {
  CDPlanDlgBase::OnInitDialog(window);
  m_background = LoadImage(DialogArt("btlplan\\default\\Bckgnd.ima").c_str(), 0, 0);
  MoveWindow(window, 26, 96, 590, 372, FALSE);
  SelectClass(window, s_currentClass);
  return 0;
}

void CDBPDfult::LimitControls() {
  SetRetreatDisabled(&m_controls, ClassCannotRetreat(s_currentClass));
  SetTargetingDisabled(&m_controls, ClassCannotTarget(s_currentClass));
}

void CDBPDfult::SelectClass(HWND window, int unitClass) {
  if (unitClass < 0 || unitClass >= kUnitClassCount) return;
  s_currentClass = unitClass;
  RefillControls(window);
}

bool CDBPDfult::DrawOwnItem(const DRAWITEMSTRUCT& item) {
  const int unitClass = ClassOfButton(static_cast<int>(item.CtlID));
  if (unitClass < 0) return false;
  DrawPicture(Picture(static_cast<int>(item.CtlID), unitClass == s_currentClass ? 'd' : 'u'), item.hwndItem);
  return true;
}

LRESULT CDBPDfult::OnOwnCommand(WPARAM wParam, LPARAM, HWND window) {
  if (HIWORD(wParam) != BN_CLICKED) return 0;
  const int unitClass = ClassOfButton(LOWORD(wParam));
  if (unitClass < 0) return 0;
  if (unitClass == s_currentClass) return 1;
  PlayClick();
  // The edits of the class left stay in the table.
  ApplyToPlan();
  SelectClass(window, unitClass);
  return 1;
}

void CDBPDfult::Confirm() {
  if (m_out) *m_out = m_table;
}

bool RunDefaultBattlePlanDialog(DefaultBattlePlanTable& plans) {
  CDBPDfult dialog(&plans, kPlanHelpId);
  return dialog.m_result == 1;
}
