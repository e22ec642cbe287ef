#pragma once
// The battle plan of one unit ("IDD_BATTLE_PLAN"): the plan's controls, the
// firing level of each fitted module chosen from the module list, the ship's
// and the module's pictures, and Revert to the class's default plan. On OK
// the packet-314 record receives the unit's id, the plan and all twenty
// firing levels. Game thread only.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Game/dialogs/CDPlanDlgBase.h"
#include "Game/model/GUnit.h"

// The slots of a design's fitted modules, in slot order: the module list's
// positions.
std::vector<int> FittedSlots(const CGUnitTemplate* design);
// The list position selected at the start and after Revert: the second when
// there are two or more, else the first; -1 for an empty list.
int StartPosition(std::size_t entries);

class CDBattlePlanDlg : public CDPlanDlgBase {
 public:
  // Copies the unit's plan and firing levels and runs the dialog modally.
  CDBattlePlanDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, CGUnit* unit, BattlePlanPacket* record,
                  plat::DWORD helpId);
  ~CDBattlePlanDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  // Shows the module of list position `position`: its picture, its type and
  // its firing level.
  void ShowSlot(plat::HWND window, int position);

  CGUnit* m_unit;
  BattlePlanPacket* m_record;
  TargetingPart m_targeting{};
  RetreatPart m_retreat{};
  std::array<std::uint8_t, kUnitSlots> m_firingLevels{};
  int m_position = -1;  // the list position selected

 protected:
  TargetingPart& Targeting() override { return m_targeting; }
  RetreatPart& Retreat() override { return m_retreat; }
  void LimitControls() override;
  plat::LRESULT OnOwnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;
  bool DrawOwnItem(const plat::DRAWITEMSTRUCT& item) override;
  void Confirm() override;

 private:
  void Revert(plat::HWND window);
  void SetLevel(plat::HWND window, std::uint8_t level);
  void SelectStart(plat::HWND window);
  void DrawLevels(plat::HWND window);
  int Slot() const;

  std::vector<int> m_slots;
  std::unique_ptr<CSprite> m_ship;
  std::array<std::unique_ptr<CSprite>, kUnitSlots> m_modulePictures;
  std::string m_moduleType;
};

// Runs the dialog over the unit the record names (found in its location);
// true when the player confirmed, the record then holding the plan.
bool RunBattlePlanDialog(BattlePlanPacket& record);
