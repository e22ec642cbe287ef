#pragma once
// The default battle plans of the unit classes (template 239): the plan's
// controls for the class chosen with the class buttons, the edits of every
// class kept while the player switches between them. Station classes have
// no retreat, unarmed classes no targeting. On OK the caller's table holds
// the eleven plans. Game thread only.

#include <cstdint>

#include "Game/dialogs/CDPlanDlgBase.h"

// Classes whose retreat or targeting controls are disabled.
bool ClassCannotRetreat(int unitClass);
bool ClassCannotTarget(int unitClass);

class CDBPDfult : public CDPlanDlgBase {
 public:
  // Fills the edited table from the defaults in force and runs the dialog
  // modally over the game view; the caller's `table` receives the plans on OK.
  CDBPDfult(DefaultBattlePlanTable* table, plat::DWORD helpId);
  ~CDBPDfult() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  // Pointers to a class's parts of the edited table; null from class 11 up.
  TargetingPart* GetTargetPlan(int unitClass);
  RetreatPart* GetRetreatPlan(int unitClass);
  void SelectClass(plat::HWND window, int unitClass);

  DefaultBattlePlanTable m_table;
  // The class shown, kept from one opening to the next.
  static int s_currentClass;

 protected:
  TargetingPart& Targeting() override { return m_table.targeting[s_currentClass]; }
  RetreatPart& Retreat() override { return m_table.retreat[s_currentClass]; }
  void LimitControls() override;
  plat::LRESULT OnOwnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;
  bool DrawOwnItem(const plat::DRAWITEMSTRUCT& item) override;
  void Confirm() override;

 private:
  DefaultBattlePlanTable* m_out;
};

// Runs the dialog; true when the player confirmed, `plans` then holding them.
bool RunDefaultBattlePlanDialog(DefaultBattlePlanTable& plans);
