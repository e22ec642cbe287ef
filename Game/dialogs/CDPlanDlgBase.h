#pragma once
// What the three battle-plan dialogs share: the plan's controls (a toggle or
// radio picture per setting with its state byte, three number fields), the
// conversions between the 8-byte plan and the controls, the pushed pictures
// of the buttons, and Load and Save of a ".bpf" file. The unit, group and
// default-plans dialogs add their own controls. Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "Game/app/CDlgBase.h"
#include "Game/rules/GDefBP.h"

// The toggles and radios, in the order of their state bytes.
enum PlanControl : int {
  PC_ONLY_AT_SELECTED,
  PC_ONLY_AT,
  PC_CLOSEST_TARGET,
  PC_CLOSEST_ARMED,
  PC_CLOSEST_ATV,
  PC_CLOSEST_CONSTRUCTOR,
  PC_RANGE,
  PC_HITS,
  PC_HULL,
  PC_LIFE,
  PC_NO_SHOTS,
  kPlanControls
};

// Context help of the plan dialogs.
constexpr plat::DWORD kPlanHelpId = 199;

// State bits of a toggle: bit 0 on, bit 1 disabled (0 off, 1 on, 2 disabled
// and off, 3 disabled and on).
constexpr std::uint8_t kControlOn = 1;
constexpr std::uint8_t kControlDisabled = 2;

// The controls of a plan: the state bytes and the three numbers shown (hit
// chance, hull integrity, life support in percent).
struct PlanControlStates {
  std::array<std::uint8_t, kPlanControls> state{};
  unsigned hitChance = 0;
  unsigned hull = 0;
  unsigned life = 0;

  bool On(PlanControl c) const { return (state[c] & kControlOn) != 0; }
  bool Disabled(PlanControl c) const { return (state[c] & kControlDisabled) != 0; }
};

// The radio standing for a whom-to-fire-at value (0..3), and back (-1: none).
PlanControl RadioOfTarget(std::uint8_t target);
int TargetOfRadio(int control);
// Fills the states (all enabled) and numbers from a plan.
void SetControlsFromPlan(const TargetingPart& targeting, const RetreatPart& retreat, PlanControlStates* controls);
// The plan the controls stand for; whom to fire at is the radio that is on
// (kept when none is).
void ApplyControls(const PlanControlStates& controls, TargetingPart* targeting, RetreatPart* retreat);
// Disables or enables the retreat controls (hull, life, no shots) or the
// targeting ones (hit chance, only at, range, only at selected, the radios),
// keeping their on/off bits.
void SetRetreatDisabled(PlanControlStates* controls, bool disabled);
void SetTargetingDisabled(PlanControlStates* controls, bool disabled);

// Where a control of a plan dialog sits and the picture it shows (image
// name without its state letter; null: none of its own).
struct PlanPlace {
  int id;
  int x, y, width, height;
  const char* image;
};

class CDPlanDlgBase : public CDlgBase {
 public:
  ~CDPlanDlgBase() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;
  plat::LRESULT OnCtlColor(plat::HDC dc) override;

  // 1 confirmed, 0 cancelled.
  std::uint16_t m_result = 0;
  PlanControlStates m_controls;

 protected:
  // `places` are the dialog's controls; `imagePrefix` comes before their
  // image names in the art path ("btlplan\\indvdual\\i" ...).
  CDPlanDlgBase(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, plat::DWORD helpId,
                std::span<const PlanPlace> places, std::span<const PlanPlace> more, const char* imagePrefix);

  // The plan the controls edit now.
  virtual TargetingPart& Targeting() = 0;
  virtual RetreatPart& Retreat() = 0;
  // After the controls were filled from the plan: disables what the unit or
  // class cannot use.
  virtual void LimitControls() = 0;
  // Commands and owner-drawn items the shared controls do not answer.
  virtual plat::LRESULT OnOwnCommand(plat::WPARAM, plat::LPARAM, plat::HWND) { return 0; }
  virtual bool DrawOwnItem(const plat::DRAWITEMSTRUCT&) { return false; }
  // OK was pressed: the controls go into what the caller receives.
  virtual void Confirm() = 0;

  // Fills the controls from the plan, limits them and shows them.
  void RefillControls(plat::HWND window);
  // The controls into the current plan.
  void ApplyToPlan();
  // Shows the states and numbers: pictures redrawn, fields set and enabled.
  void ShowControls(plat::HWND window);
  // Redraws the background and every control.
  void RedrawAll(plat::HWND window);
  // Redraws the control's picture as its state now is.
  void DrawControl(plat::HWND window, int id);
  // Draws a picture over its control, or the background where it has none.
  void DrawPicture(CSprite* sprite, plat::HWND control);
  // The sprite of a control's picture with a state letter, loaded once.
  CSprite* Picture(int id, char state);
  static void PlayClick();
  // Ends the dialog with a result after the click and pause of every press.
  void EndWith(plat::HWND window, std::uint16_t result);

  std::vector<PlanPlace> m_places;

 private:
  void Toggle(plat::HWND window, PlanControl control);
  void ChooseRadio(plat::HWND window, PlanControl control);
  void LoadPlan(plat::HWND window);
  void SavePlan(plat::HWND window);

  const char* m_imagePrefix;
  // Pictures by control id and state letter.
  struct LoadedPicture {
    int id;
    char state;
    std::unique_ptr<CSprite> sprite;
  };
  std::vector<LoadedPicture> m_pictures;
};

// The places of the plan controls and buttons of the default-plans and
// group dialogs.
std::span<const PlanPlace> SmallPlanPlaces();

// The control id of a plan control.
int PlanControlId(PlanControl control);
