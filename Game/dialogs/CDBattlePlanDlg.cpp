#include "Game/dialogs/CDBattlePlanDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/BattlePlanIds.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitClass.h"
#include "media/CSprite.h"
#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/listbox.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr PlanPlace kPlaces[] = {
    {IDOK, 260, 269, 94, 35, "ok"},
    {IDCANCEL, 192, 308, 229, 35, "cancel"},
    {IDC_BP_LOAD, 188, 174, 68, 31, "load"},
    {IDC_BP_SAVE, 188, 207, 68, 32, "save"},
    {IDC_BP_REVERT, 123, 348, 366, 35, "rvrtpln"},
    {IDC_ONLY_AT_SELECTED, 109, 51, 105, 24, "onlyfre"},
    {IDC_ONLY_AT, 240, 37, 73, 13, "onlyat"},
    {IDC_CLOSEST_TARGET, 331, 37, 68, 11, "clst"},
    {IDC_CLOSEST_ARMED, 413, 37, 89, 17, "clstarm"},
    {IDC_CLOSEST_ATV, 299, 58, 97, 17, "clstatv"},
    {IDC_CLOSEST_CONSTRUCTOR, 413, 58, 100, 17, "clstcon"},
    {IDC_HITS, 178, 104, 197, 24, "%chance"},
    {IDC_HIT_CHANCE_EDIT, 394, 106, 24, 20, nullptr},
    {IDC_RANGE, 237, 142, 151, 15, "onlyeff"},
    {IDC_HULL, 24, 223, 93, 24, "hullint"},
    {IDC_HULL_EDIT, 134, 227, 24, 20, nullptr},
    {IDC_LIFE, 24, 265, 77, 25, "lifesup"},
    {IDC_LIFE_EDIT, 117, 268, 24, 20, nullptr},
    {IDC_NO_SHOTS, 24, 310, 69, 24, "noshots"},
    {IDC_MODULE_LIST, 642, 100, 124, 133, nullptr},
    {IDC_MODULE_TYPE, 433, 249, 147, 14, nullptr},
    {IDC_ZERO, 652, 252, 51, 13, "off"},
    {IDC_MINIMUM, 677, 270, 91, 13, "minimum"},
    {IDC_NORMAL, 652, 289, 81, 13, "normal"},
    {IDC_MAXIMUM, 677, 308, 91, 13, "maximum"},
    {IDC_EMERGANCY, 652, 327, 111, 13, "emrgncy"},
    {IDC_SHIP_PICTURE, 31, 100, 73, 65, nullptr},
    {IDC_MODULE_PICTURE, 469, 166, 73, 65, nullptr},
};
constexpr int kLevelIds[] = {IDC_ZERO, IDC_MINIMUM, IDC_NORMAL, IDC_MAXIMUM, IDC_EMERGANCY};
constexpr std::uint8_t kNormalLevel = 2;
constexpr std::size_t kPathSize = 260;
constexpr COLORREF kSelectedColour = RGB(255, 255, 255);
constexpr COLORREF kLineColour = RGB(0, 255, 0);
constexpr COLORREF kTypeColour = RGB(255, 255, 255);

int LevelOf(int id) {
  for (int level = 0; level < 5; ++level)
    if (kLevelIds[level] == id) return level;
  return -1;
}

}  // namespace

std::vector<int> FittedSlots(const CGUnitTemplate* design) {
  std::vector<int> slots;
  for (int s = 0; s < kUnitSlots; ++s)
    if (SlotFitted(design, s) != 0) slots.push_back(s);
  return slots;
}

int StartPosition(std::size_t entries) { return entries >= 2 ? 1 : entries == 1 ? 0 : -1; }

CDBattlePlanDlg::CDBattlePlanDlg(CDDraw* display, HWND parent, HINSTANCE instance, CGUnit* unit,
                                 BattlePlanPacket* record, DWORD helpId)
    : CDPlanDlgBase(display, parent, instance, helpId, kPlaces, {}, "btlplan\\indvdual\\i"),
      m_unit(unit),
      m_record(record) {
  m_targeting = unit->targeting;
  m_retreat = unit->retreat;
  for (int s = 0; s < kUnitSlots; ++s) m_firingLevels[s] = unit->GetFiringLevel(s);
  m_slots = FittedSlots(unit->GetTemplate());
  DoModal("IDD_BATTLE_PLAN");
}

CDBattlePlanDlg::~CDBattlePlanDlg() = default;

void CDBattlePlanDlg::LimitControls() {
  if (m_unit->GetSpeed() == 0) SetRetreatDisabled(&m_controls, true);
  if (m_unit->GetAttackStrength() == 0) SetTargetingDisabled(&m_controls, true);
}

LRESULT CDBattlePlanDlg::OnInitDialog(HWND window) {
  CDPlanDlgBase::OnInitDialog(window);
  SetControlsFromPlan(m_targeting, m_retreat, &m_controls);
  LimitControls();
  ShowControls(window);
  const int guild = LocalGuildIndex();
  char file[kPathSize];
  std::snprintf(file, sizeof file, "%sbtlplan\\indvdual\\iBkgnd%d.ima", g_instData.GetArtPath(), guild + 1);
  m_background = LoadImage(file, 0, 0);
  MoveWindow(window, 13, 80, 787, 396, FALSE);
  // The ship and module pictures are the guild's.
  const HMODULE own = m_module;
  m_module = LocalGuildModule();
  char abbreviation[8] = {};
  m_unit->GetClassAbbreviation(abbreviation);
  std::snprintf(file, sizeof file, "%sunits\\%s_gt.ima", g_instData.GetGuildPath(guild),
                m_unit->IsOperational() ? abbreviation : "reck");
  m_ship = LoadImage(file, 31, 100);
  m_module = own;
  const HWND list = GetDlgItem(window, IDC_MODULE_LIST);
  for (int slot : m_slots) {
    const ModuleRecord* m = SlotModule(m_unit->GetTemplate(), slot);
    const std::string name = m ? std::string(m->name, strnlen(m->name, sizeof(m->name))) : std::string();
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SelectStart(window);
  SetForegroundWindow(window);
  return 0;
}

void CDBattlePlanDlg::SelectStart(HWND window) {
  const int position = StartPosition(m_slots.size());
  SendDlgItemMessage(window, IDC_MODULE_LIST, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
  ShowSlot(window, position);
}

int CDBattlePlanDlg::Slot() const {
  return m_position >= 0 && m_position < static_cast<int>(m_slots.size()) ? m_slots[m_position] : -1;
}

void CDBattlePlanDlg::ShowSlot(HWND window, int position) {
  m_position = position;
  const int slot = Slot();
  const ModuleRecord* m = slot >= 0 ? SlotModule(m_unit->GetTemplate(), slot) : nullptr;
  const int pictureSlot = std::max(slot, 0);
  if (!m_modulePictures[pictureSlot]) {
    const HMODULE own = m_module;
    m_module = LocalGuildModule();
    const int guild = LocalGuildIndex();
    char file[kPathSize] = {};
    if (m && World().modules) {
      World().modules->GetSmallImageFileName(m_unit->GetTemplate()->GetModuleId(slot), file, guild);
    } else {
      std::snprintf(file, sizeof file, "%shull%d.ima", g_instData.GetGuildPath(guild), guild);
    }
    m_modulePictures[pictureSlot] = LoadImage(file, 469, 166);
    m_module = own;
  }
  const char* type =
      m && World().modules ? World().modules->GetTypeText(m_unit->GetTemplate()->GetModuleId(slot)) : nullptr;
  m_moduleType = type ? std::string(type) : DialogText("NOMODULE");
  for (int id : {IDC_MODULE_PICTURE, IDC_MODULE_TYPE, IDC_MODULE_LIST})
    if (HWND control = GetDlgItem(window, id)) InvalidateRect(control, nullptr, FALSE);
  DrawLevels(window);
  UpdateWindow(window);
}

void CDBattlePlanDlg::DrawLevels(HWND window) {
  for (int id : kLevelIds)
    if (HWND control = GetDlgItem(window, id)) InvalidateRect(control, nullptr, FALSE);
}

bool CDBattlePlanDlg::DrawOwnItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  const int level = LevelOf(id);
  if (level >= 0) {
    const int slot = Slot();
    const bool current = slot >= 0 && m_firingLevels[slot] == level;
    DrawPicture(Picture(id, current ? 'd' : 'u'), item.hwndItem);
    return true;
  }
  switch (id) {
    case IDC_SHIP_PICTURE:
      DrawPicture(m_ship.get(), item.hwndItem);
      return true;
    case IDC_MODULE_PICTURE:
      DrawPicture(m_modulePictures[std::max(Slot(), 0)].get(), item.hwndItem);
      return true;
    case IDC_MODULE_TYPE: {
      if (m_background) {
        RECT control{}, dialog{};
        GetWindowRect(item.hwndItem, &control);
        GetWindowRect(GetParent(item.hwndItem), &dialog);
        RECT area{control.left - dialog.left, control.top - dialog.top, control.right - dialog.left,
                  control.bottom - dialog.top};
        m_background->BltToPrimary(&control, &area);
      }
      const HFONT font = CreateFont(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
      const HGDIOBJ old = SelectObject(item.hDC, font);
      SetBkMode(item.hDC, TRANSPARENT);
      SetTextColor(item.hDC, kTypeColour);
      RECT r = item.rcItem;
      DrawText(item.hDC, m_moduleType.c_str(), static_cast<int>(m_moduleType.size()), &r,
               DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
      SelectObject(item.hDC, old);
      DeleteObject(font);
      return true;
    }
    case IDC_MODULE_LIST: {
      if (item.itemID == static_cast<UINT>(-1)) return true;
      char text[64] = {};
      if (SendMessage(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0) < static_cast<LRESULT>(sizeof(text)))
        SendMessage(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
      DrawDialogListLine(item, m_background.get(), text, kSelectedColour, kLineColour);
      return true;
    }
    default:
      return false;
  }
}

void CDBattlePlanDlg::SetLevel(HWND window, std::uint8_t level) {
  const int slot = Slot();
  if (slot < 0) return;
  m_firingLevels[slot] = level;
  DrawLevels(window);
  UpdateWindow(window);
}

void CDBattlePlanDlg::Revert(HWND window) {
  const int unitClass = m_unit->GetTemplate() ? m_unit->GetTemplate()->unitClass : 0;
  if (const std::uint8_t* t = GetDefaultTargetingPlan(unitClass))
    std::copy_n(t, m_targeting.size(), m_targeting.begin());
  if (const std::uint8_t* r = GetDefaultRetreatPlan(unitClass)) std::copy_n(r, m_retreat.size(), m_retreat.begin());
  m_firingLevels.fill(kNormalLevel);
  SetControlsFromPlan(m_targeting, m_retreat, &m_controls);
  LimitControls();
  ShowControls(window);
  SelectStart(window);
  RedrawAll(window);
}

LRESULT CDBattlePlanDlg::OnOwnCommand(WPARAM wParam, LPARAM, HWND window) {
  const int id = LOWORD(wParam);
  if (id == IDC_MODULE_LIST) {
    if (HIWORD(wParam) == LBN_SELCHANGE) {
      const LRESULT line = SendDlgItemMessage(window, IDC_MODULE_LIST, LB_GETCURSEL, 0, 0);
      ShowSlot(window, static_cast<int>(line));
    }
    return 1;
  }
  if (HIWORD(wParam) != BN_CLICKED) return 0;
  const int level = LevelOf(id);
  if (level >= 0) {
    PlayClick();
    SetLevel(window, static_cast<std::uint8_t>(level));
    return 1;
  }
  if (id == IDC_BP_REVERT) {
    PlayClick();
    Revert(window);
    return 1;
  }
  return 0;
}

void CDBattlePlanDlg::Confirm() {
  m_record->unitId = m_unit->id;
  m_record->firingLevels = m_firingLevels;
  m_record->targeting = m_targeting;
  m_record->retreat = m_retreat;
}

bool RunBattlePlanDialog(BattlePlanPacket& record) {
  if (!g_gameData) return false;
  CGUnit* unit = g_gameData->pieces.FindUnitAt(record.asteroid, record.unitId);
  if (!unit) return false;
  const HINSTANCE instance = DialogInstance();
  CDBattlePlanDlg dialog(g_ddraw, g_mainWnd, instance, unit, &record, kPlanHelpId);
  return dialog.m_result == 1;
}
