#pragma once
// One battle plan for every selected unit (template 238): the plan's
// controls over the first unit's plan, without firing levels. Retreat stays
// open while any selected unit can move, targeting while any can attack. On
// OK the record receives the first unit's id and the plan; the caller gives
// it to each unit with that unit's own firing levels. Game thread only.

#include "Game/dialogs/CDPlanDlgBase.h"
#include "Game/model/GUnit.h"

class CDGroupBattlePlanDlg : public CDPlanDlgBase {
 public:
  // `canMove` and `canAttack`: whether any selected unit can.
  CDGroupBattlePlanDlg(CGUnit* unit, BattlePlanPacket* record, plat::DWORD helpId, bool canMove, bool canAttack);
  ~CDGroupBattlePlanDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;

  CGUnit* m_unit;
  BattlePlanPacket* m_record;
  TargetingPart m_targeting{};
  RetreatPart m_retreat{};

 protected:
  TargetingPart& Targeting() override { return m_targeting; }
  RetreatPart& Retreat() override { return m_retreat; }
  void LimitControls() override;
  void Confirm() override;

 private:
  bool m_canMove;
  bool m_canAttack;
};

// Runs the dialog over the first selected unit the record names; true when
// the player confirmed.
bool RunGroupBattlePlanDialog(BattlePlanPacket& record);
