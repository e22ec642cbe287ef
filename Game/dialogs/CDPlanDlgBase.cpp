#include "Game/dialogs/CDPlanDlgBase.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/ClientShell.h"
#include "Game/dialogs/BattlePlanIds.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/rules/GBattlePlanFile.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kControlIds[kPlanControls] = {IDC_ONLY_AT_SELECTED,
                                            IDC_ONLY_AT,
                                            IDC_CLOSEST_TARGET,
                                            IDC_CLOSEST_ARMED,
                                            IDC_CLOSEST_ATV,
                                            IDC_CLOSEST_CONSTRUCTOR,
                                            IDC_RANGE,
                                            IDC_HITS,
                                            IDC_HULL,
                                            IDC_LIFE,
                                            IDC_NO_SHOTS};
// The radios by the whom-to-fire-at value they stand for.
constexpr PlanControl kRadios[4] = {PC_CLOSEST_TARGET, PC_CLOSEST_ATV, PC_CLOSEST_ARMED, PC_CLOSEST_CONSTRUCTOR};
constexpr PlanControl kRetreatControls[] = {PC_HULL, PC_LIFE, PC_NO_SHOTS};
constexpr PlanControl kTargetingControls[] = {
    PC_HITS,           PC_ONLY_AT,       PC_RANGE,       PC_ONLY_AT_SELECTED,
    PC_CLOSEST_TARGET, PC_CLOSEST_ARMED, PC_CLOSEST_ATV, PC_CLOSEST_CONSTRUCTOR};
constexpr unsigned kFull = 100;
constexpr const char kStateLetters[] = "udgs";
constexpr std::uint16_t kBattlePlanMode = 7;

int ControlIndex(int id) {
  for (int c = 0; c < kPlanControls; ++c)
    if (kControlIds[c] == id) return c;
  return -1;
}

bool IsRadio(int control) { return TargetOfRadio(control) >= 0; }

// 100 - a percent shown, 0 from 100 up.
std::uint8_t Threshold(unsigned shown) { return static_cast<std::uint8_t>(shown >= kFull ? 0 : kFull - shown); }

void SetDisabled(PlanControlStates* controls, std::span<const PlanControl> which, bool disabled) {
  for (PlanControl c : which) {
    if (disabled) {
      controls->state[c] |= kControlDisabled;
    } else {
      controls->state[c] &= static_cast<std::uint8_t>(~kControlDisabled);
    }
  }
}

}  // namespace

std::span<const PlanPlace> SmallPlanPlaces() {
  static constexpr PlanPlace kPlaces[] = {
      {IDOK, 243, 256, 102, 43, "ok"},
      {IDCANCEL, 137, 315, 101, 43, "cancel"},
      {IDC_BP_LOAD, 243, 315, 102, 43, "load"},
      {IDC_BP_SAVE, 350, 315, 102, 43, "save"},
      {IDC_ONLY_AT_SELECTED, 96, 35, 105, 24, "onlyfre"},
      {IDC_ONLY_AT, 227, 21, 73, 13, "onlyat"},
      {IDC_CLOSEST_TARGET, 318, 21, 68, 11, "clst"},
      {IDC_CLOSEST_ARMED, 400, 21, 89, 17, "clstarm"},
      {IDC_CLOSEST_ATV, 286, 42, 97, 17, "clstatv"},
      {IDC_CLOSEST_CONSTRUCTOR, 400, 42, 100, 17, "clstcon"},
      {IDC_RANGE, 224, 126, 151, 15, "onlyeff"},
      {IDC_HITS, 165, 88, 197, 24, "%chance"},
      {IDC_HIT_CHANCE_EDIT, 382, 90, 24, 20, nullptr},
      {IDC_HULL, 12, 187, 92, 25, "hullint"},
      {IDC_HULL_EDIT, 122, 190, 24, 20, nullptr},
      {IDC_LIFE, 12, 229, 76, 24, "lifesup"},
      {IDC_LIFE_EDIT, 122, 231, 24, 20, nullptr},
      {IDC_NO_SHOTS, 12, 277, 73, 15, "noshots"},
  };
  return kPlaces;
}

int PlanControlId(PlanControl control) { return kControlIds[control]; }

PlanControl RadioOfTarget(std::uint8_t target) { return kRadios[std::min<std::uint8_t>(target, 3)]; }

int TargetOfRadio(int control) {
  for (int t = 0; t < 4; ++t)
    if (kRadios[t] == control) return t;
  return -1;
}

void SetControlsFromPlan(const TargetingPart& t, const RetreatPart& r, PlanControlStates* controls) {
  PlanControlStates& c = *controls;
  c.state.fill(0);
  c.hitChance = t[4];
  c.state[PC_HITS] = t[4] != 0 ? kControlOn : 0;
  c.state[PC_ONLY_AT] = t[1] == 0 ? kControlOn : 0;
  c.state[PC_ONLY_AT_SELECTED] = t[2] != 0 ? kControlOn : 0;
  c.state[PC_RANGE] = t[3] == 1 ? kControlOn : 0;
  c.state[RadioOfTarget(t[0])] = kControlOn;
  c.hull = kFull - std::min<unsigned>(r[1], kFull);
  c.state[PC_HULL] = c.hull > 0 ? kControlOn : 0;
  c.life = kFull - std::min<unsigned>(r[0], kFull);
  c.state[PC_LIFE] = c.life > 0 ? kControlOn : 0;
  c.state[PC_NO_SHOTS] = r[2] != 0 ? kControlOn : 0;
}

void ApplyControls(const PlanControlStates& c, TargetingPart* targeting, RetreatPart* retreat) {
  TargetingPart& t = *targeting;
  RetreatPart& r = *retreat;
  t[4] = c.On(PC_HITS) ? static_cast<std::uint8_t>(std::min(c.hitChance, kFull)) : 0;
  t[3] = c.On(PC_RANGE) ? 1 : 2;
  t[1] = c.On(PC_ONLY_AT) ? 0 : 1;
  t[2] = c.On(PC_ONLY_AT_SELECTED) ? 1 : 0;
  for (int v = 0; v < 4; ++v)
    if (c.On(kRadios[v])) {
      t[0] = static_cast<std::uint8_t>(v);
      break;
    }
  r[1] = c.On(PC_HULL) ? Threshold(c.hull) : kFull;
  r[0] = c.On(PC_LIFE) ? Threshold(c.life) : kFull;
  r[2] = c.On(PC_NO_SHOTS) ? 1 : 0;
}

void SetRetreatDisabled(PlanControlStates* controls, bool disabled) {
  SetDisabled(controls, kRetreatControls, disabled);
}

void SetTargetingDisabled(PlanControlStates* controls, bool disabled) {
  SetDisabled(controls, kTargetingControls, disabled);
}

CDPlanDlgBase::CDPlanDlgBase(CDDraw* display, HWND parent, HINSTANCE instance, DWORD helpId,
                             std::span<const PlanPlace> places, std::span<const PlanPlace> more,
                             const char* imagePrefix)
    : CDlgBase(display, parent, instance, helpId, nullptr),
      m_places(places.begin(), places.end()),
      m_imagePrefix(imagePrefix) {
  m_places.insert(m_places.end(), more.begin(), more.end());
}

CDPlanDlgBase::~CDPlanDlgBase() {
  m_pictures.clear();
  RedrawGameView();
}

LRESULT CDPlanDlgBase::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  for (const PlanPlace& p : m_places)
    if (HWND control = GetDlgItem(window, p.id)) MoveWindow(control, p.x, p.y, p.width, p.height, FALSE);
  for (int id : {IDC_HIT_CHANCE_EDIT, IDC_HULL_EDIT, IDC_LIFE_EDIT}) SendDlgItemMessage(window, id, EM_LIMITTEXT, 3, 0);
  return 0;
}

CSprite* CDPlanDlgBase::Picture(int id, char state) {
  for (const LoadedPicture& p : m_pictures)
    if (p.id == id && p.state == state) return p.sprite.get();
  const PlanPlace* place = nullptr;
  for (const PlanPlace& p : m_places)
    if (p.id == id) place = &p;
  if (!place || !place->image) return nullptr;
  const std::string name = DialogArt(std::string(m_imagePrefix) + place->image + state + ".ima");
  m_pictures.push_back({id, state, LoadImage(name.c_str(), place->x, place->y)});
  return m_pictures.back().sprite.get();
}

void CDPlanDlgBase::DrawControl(HWND window, int id) {
  const int c = ControlIndex(id);
  if (c < 0) return;
  if (HWND control = GetDlgItem(window, id)) DrawPicture(Picture(id, kStateLetters[m_controls.state[c] & 3]), control);
}

LRESULT CDPlanDlgBase::OnDrawItem(DRAWITEMSTRUCT* item, HWND window) {
  if (!item) return 1;
  if (DrawOwnItem(*item)) return 1;
  const int id = static_cast<int>(item->CtlID);
  if (ControlIndex(id) >= 0) {
    DrawControl(window, id);
  } else {
    DrawPicture(Picture(id, (item->itemState & ODS_SELECTED) ? 'd' : 'u'), item->hwndItem);
  }
  return 1;
}

void CDPlanDlgBase::DrawPicture(CSprite* sprite, HWND control) {
  if (sprite) {
    DrawOverControl(sprite, control);
  } else {
    RestoreUnderControl(m_background.get(), control);
  }
}

LRESULT CDPlanDlgBase::OnCtlColor(HDC dc) { return TransparentControlColour(dc); }

void CDPlanDlgBase::ShowControls(HWND window) {
  SetDlgItemInt(window, IDC_HIT_CHANCE_EDIT, m_controls.hitChance, FALSE);
  SetDlgItemInt(window, IDC_HULL_EDIT, m_controls.hull, FALSE);
  SetDlgItemInt(window, IDC_LIFE_EDIT, m_controls.life, FALSE);
  for (int c = 0; c < kPlanControls; ++c)
    if (HWND control = GetDlgItem(window, kControlIds[c])) EnableWindow(control, !m_controls.Disabled(PlanControl(c)));
  const auto enable = [window](int id, bool on) {
    if (HWND control = GetDlgItem(window, id)) EnableWindow(control, on);
  };
  enable(IDC_HIT_CHANCE_EDIT, !m_controls.Disabled(PC_HITS));
  enable(IDC_HULL_EDIT, !m_controls.Disabled(PC_HULL));
  enable(IDC_LIFE_EDIT, !m_controls.Disabled(PC_LIFE));
}

void CDPlanDlgBase::RefillControls(HWND window) {
  SetControlsFromPlan(Targeting(), Retreat(), &m_controls);
  LimitControls();
  ShowControls(window);
  RedrawAll(window);
}

void CDPlanDlgBase::ApplyToPlan() { ApplyControls(m_controls, &Targeting(), &Retreat()); }

void CDPlanDlgBase::RedrawAll(HWND window) {
  InvalidateRect(window, nullptr, FALSE);
  for (const PlanPlace& p : m_places)
    if (HWND control = GetDlgItem(window, p.id)) InvalidateRect(control, nullptr, FALSE);
  UpdateWindow(window);
}

void CDPlanDlgBase::PlayClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("click", 0.0f, 0.0f, 0);
}

void CDPlanDlgBase::EndWith(HWND window, std::uint16_t result) {
  m_result = result;
  Sleep(100);
  EndDialog(window, result);
}

void CDPlanDlgBase::Toggle(HWND window, PlanControl control) {
  if (m_controls.Disabled(control)) return;
  m_controls.state[control] ^= kControlOn;
  DrawControl(window, kControlIds[control]);
}

void CDPlanDlgBase::ChooseRadio(HWND window, PlanControl control) {
  if (m_controls.Disabled(control)) return;
  Targeting()[0] = static_cast<std::uint8_t>(TargetOfRadio(control));
  for (PlanControl radio : kRadios) {
    m_controls.state[radio] =
        static_cast<std::uint8_t>((m_controls.state[radio] & kControlDisabled) | (radio == control ? kControlOn : 0));
    DrawControl(window, kControlIds[radio]);
  }
}

void CDPlanDlgBase::LoadPlan(HWND window) {
  std::string directory, name;
  if (ClientShell().ChooseLoadFile(kBattlePlanMode, &directory, &name)) {
    if (plat::FILE* fp = plat::fopen((directory + name).c_str(), "rb")) {
      const bool read = ReadBattlePlan(fp, &Targeting(), &Retreat());
      plat::fclose(fp);
      if (read) {
        RefillControls(window);
        return;
      }
    }
  }
  RedrawAll(window);
}

void CDPlanDlgBase::SavePlan(HWND window) {
  std::string directory, name;
  if (RunSaveDialog(kBattlePlanMode, &directory, &name)) {
    if (plat::FILE* fp = plat::fopen((directory + name).c_str(), "wb")) {
      ApplyToPlan();
      WriteBattlePlan(fp, Targeting(), Retreat());
      plat::fclose(fp);
    }
  }
  RedrawAll(window);
}

LRESULT CDPlanDlgBase::OnCommand(WPARAM wParam, LPARAM lParam, HWND window) {
  const int id = LOWORD(wParam);
  const int notice = HIWORD(wParam);
  // The number fields: the typed value counts as soon as it is there.
  if (notice == EN_CHANGE) {
    BOOL ok = FALSE;
    const UINT value = GetDlgItemInt(window, id, &ok, FALSE);
    if (id == IDC_HIT_CHANCE_EDIT) m_controls.hitChance = ok ? value : 0;
    if (id == IDC_HULL_EDIT) m_controls.hull = ok ? value : 0;
    if (id == IDC_LIFE_EDIT) m_controls.life = ok ? value : 0;
    return 0;
  }
  if (notice != BN_CLICKED) return OnOwnCommand(wParam, lParam, window);
  const int control = ControlIndex(id);
  if (control >= 0) {
    PlayClick();
    if (IsRadio(control)) {
      ChooseRadio(window, PlanControl(control));
    } else {
      Toggle(window, PlanControl(control));
    }
    return 1;
  }
  switch (id) {
    case IDOK:
      PlayClick();
      ApplyToPlan();
      Confirm();
      EndWith(window, 1);
      return 1;
    case IDCANCEL:
      PlayClick();
      EndWith(window, 0);
      return 1;
    case IDC_BP_LOAD:
      PlayClick();
      LoadPlan(window);
      return 1;
    case IDC_BP_SAVE:
      PlayClick();
      SavePlan(window);
      return 1;
    default:
      return OnOwnCommand(wParam, lParam, window);
  }
}
