#include "Game/dialogs/CDConstructAtvDlg.h"

#include <algorithm>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/ConstructAtvIds.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GGameVar.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/updown.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

enum : std::size_t { kOk, kCancel };
const ScreenButton kButtons[] = {
    {3140, 27, 332, 68, 40, "atvoku.ima", "atvokd.ima", "CATV__OK", 1},
    {3141, 184, 332, 68, 40, "atvcnclu.ima", "atvcncld.ima", "CATVCNCL", 2},
};

struct Place {
  int id, x, y, width, height;
};
const Place kCountFields[4] = {{IDC_ATV_COMBAT, 20, 21, 19, 17},
                               {IDC_ATV_MINING, 243, 21, 19, 17},
                               {IDC_ATV_POWER, 20, 83, 19, 17},
                               {IDC_ATV_SEED, 243, 83, 19, 17}};
const Place kArrows[4] = {{IDC_ATV_COMBAT_ARROWS, 41, 19, 14, 20},
                          {IDC_ATV_MINING_ARROWS, 225, 19, 14, 20},
                          {IDC_ATV_POWER_ARROWS, 41, 82, 14, 20},
                          {IDC_ATV_SEED_ARROWS, 225, 82, 14, 20}};
const Place kCostFields[4] = {{IDC_ATV_COST_METALS, 33, 154, 36, 17},
                              {IDC_ATV_COST_SILICATES, 93, 154, 36, 17},
                              {IDC_ATV_COST_EXOTICS, 152, 154, 36, 17},
                              {IDC_ATV_COST_REACTIVES, 213, 154, 36, 17}};
const Place kPoolFields[4] = {{IDC_ATV_POOL_METALS, 33, 284, 36, 17},
                              {IDC_ATV_POOL_SILICATES, 93, 284, 36, 17},
                              {IDC_ATV_POOL_EXOTICS, 152, 284, 36, 17},
                              {IDC_ATV_POOL_REACTIVES, 213, 284, 36, 17}};

// The picture names neither the ATV types nor the minerals: they are written
// under the counts and over the cost and pool rows.
struct Caption {
  RECT area;
  const char* id;
  UINT format;
};
const Caption kTypeCaptions[4] = {{{20, 41, 138, 57}, "COMBATVS", DT_LEFT},
                                  {{140, 41, 262, 57}, "MINGATVS", DT_RIGHT},
                                  {{20, 103, 138, 119}, "POWRATVS", DT_LEFT},
                                  {{140, 103, 262, 119}, "SDBKATVS", DT_RIGHT}};
const RECT kCostCaptions[4] = {{33, 136, 92, 152}, {93, 136, 151, 152}, {152, 136, 212, 152}, {213, 136, 272, 152}};
const RECT kPoolCaptions[4] = {{33, 266, 92, 282}, {93, 266, 151, 282}, {152, 266, 212, 282}, {213, 266, 272, 282}};
// Nor does it tell the two rows of minerals apart (filled only with a pool),
// or what the number at the right counts: each gets its heading.
const Caption kRowHeadings[2] = {{{20, 119, 262, 135}, "BLDCOSTS", DT_CENTER},
                                 {{20, 248, 262, 264}, "LOCLPOOL", DT_CENTER}};
const Caption kTurnsCaption{{120, 182, 232, 198}, "CATVTURN", DT_RIGHT};

// The square the turns number is drawn in.
constexpr RECT kTurnsSquare{236, 185, 266, 215};

}  // namespace

std::array<std::int32_t, 4> AtvCosts(const AtvCounts& counts, bool withBuildRate) {
  std::array<std::int32_t, 4> costs{};
  for (int type = 0; type < 4; ++type) {
    std::int16_t typeCosts[5] = {};
    g_gameVariables.GetATVCosts(type, std::span<std::int16_t, 5>(typeCosts));
    for (int m = 0; m < 4; ++m) costs[m] += counts[type] * typeCosts[m];
  }
  if (withBuildRate)
    for (auto& c : costs) c *= 3;
  return costs;
}

int AtvTurns(const AtvCounts& counts, std::uint16_t buildRate) {
  if (buildRate == kNoBuildRate) return *std::max_element(counts.begin(), counts.end());
  std::uint16_t total = 0;
  for (int type = 0; type < 4; ++type)
    total = static_cast<std::uint16_t>(total + counts[type] * g_gameVariables.GetATVBuildPoints(type));
  if (total == 0 || buildRate == 0) return 0;
  return (total - 1) / buildRate + 1;
}

CDConstructAtvDlg::CDConstructAtvDlg(CDDraw* display, HWND parent, HINSTANCE instance, HFONT font,
                                     std::uint16_t buildRate, AtvCounts* counts, HMODULE guildModule,
                                     std::uint16_t poolAsteroid)
    : CButtonTableDlg(display, parent, instance, 199, kButtons),
      m_turnsFont(font),
      m_rate(buildRate),
      m_counts(counts),
      m_handedIn(*counts),
      m_pool(poolAsteroid) {
  TakeModule(guildModule, false);
  for (auto& c : m_handedIn) c = static_cast<std::int8_t>(std::clamp<int>(c, 0, kMaxAtvCount));
  m_result = DoModal("IDD_CONSTRUCT_ATV");
}

CDConstructAtvDlg::~CDConstructAtvDlg() { RedrawGameView(); }

std::string CDConstructAtvDlg::ImagePath(std::size_t, const char* name) const { return GuildArt(name); }

LRESULT CDConstructAtvDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(GuildArt("atvdlg.ima").c_str(), 0, 0);
  for (const Caption& c : kTypeCaptions)
    WriteOnBackground(m_background.get(), c.area, DialogText(c.id), 15, kCaptionColour, c.format);
  WriteMineralNames(m_background.get(), kCostCaptions);
  WriteMineralNames(m_background.get(), kPoolCaptions);
  for (const Caption& c : kRowHeadings)
    if (m_pool != kNoPool)
      WriteOnBackground(m_background.get(), c.area, DialogText(c.id), 15, kCaptionColour, c.format);
  WriteOnBackground(m_background.get(), kTurnsCaption.area, DialogText(kTurnsCaption.id), 15, kCaptionColour,
                    kTurnsCaption.format);
  m_clean = LoadImage(GuildArt("atvdlg.ima").c_str(), 0, 0);
  MoveWindow(window, 182, 96, 279, 372, FALSE);
  for (const auto* table : {kCountFields, kArrows, kCostFields, kPoolFields})
    for (int i = 0; i < 4; ++i)
      MoveWindow(GetDlgItem(window, table[i].id), table[i].x, table[i].y, table[i].width, table[i].height, FALSE);
  for (int t = 0; t < 4; ++t) {
    const int count = m_handedIn[t];
    const int top = m_pool == kNoPool ? count : kMaxAtvCount;
    SendDlgItemMessage(window, kArrows[t].id, UDM_SETRANGE, 0, MAKELONG(top, 0));
    SendDlgItemMessage(window, kArrows[t].id, UDM_SETPOS, 0, count);
    SetDlgItemInt(window, kCountFields[t].id, static_cast<UINT>(count), FALSE);
  }
  if (m_pool != kNoPool) {
    for (int m = 0; m < 4; ++m) {
      SetDlgItemInt(window, kCostFields[m].id, 0, FALSE);
      SetDlgItemInt(window, kPoolFields[m].id, 0, FALSE);
    }
    if (g_gameData) g_gameData->poolDB.GetMinerals(m_pool, m_minerals.data());
  }
  ShowCosts(window);
  DrawTurns(window);
  return 0;
}

LRESULT CDConstructAtvDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

AtvCounts CDConstructAtvDlg::ReadCounts(HWND window) const {
  AtvCounts counts{};
  for (int t = 0; t < 4; ++t) {
    BOOL ok = FALSE;
    const UINT value = GetDlgItemInt(window, kCountFields[t].id, &ok, FALSE);
    counts[t] = static_cast<std::int8_t>(ok ? std::min<UINT>(value, kMaxAtvCount) : 0);
  }
  return counts;
}

void CDConstructAtvDlg::ShowCosts(HWND window) {
  if (m_pool == kNoPool) return;
  const auto costs = AtvCosts(ReadCounts(window), m_rate != kNoBuildRate);
  for (int m = 0; m < 4; ++m) {
    SetDlgItemInt(window, kCostFields[m].id, static_cast<UINT>(costs[m]), TRUE);
    SetDlgItemInt(window, kPoolFields[m].id, m_minerals[m], FALSE);
  }
}

void CDConstructAtvDlg::DrawTurns(HWND window) {
  if (!m_background) return;
  RECT square = kTurnsSquare;
  if (m_clean) m_clean->BltToSurface(m_background.get(), square.left, square.top, &square);
  if (const HDC dc = m_background->GetDC()) {
    const HGDIOBJ old = SelectObject(dc, m_turnsFont ? m_turnsFont : m_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const std::string number = std::to_string(AtvTurns(ReadCounts(window), m_rate));
    RECT box{236, 185, 279, 372};
    DrawText(dc, number.c_str(), static_cast<int>(number.size()), &box, DT_WORDBREAK);
    SelectObject(dc, old);
    m_background->ReleaseDC(dc);
  }
}

void CDConstructAtvDlg::ShowTurns(HWND window) {
  if (!m_background) return;
  DrawTurns(window);
  RECT square = kTurnsSquare;
  RECT dialog{};
  GetWindowRect(window, &dialog);
  RECT screen{dialog.left + square.left, dialog.top + square.top, dialog.left + square.right,
              dialog.top + square.bottom};
  ShowCursor(FALSE);
  m_background->BltToPrimary(&screen, &square);
  ShowCursor(TRUE);
}

LRESULT CDConstructAtvDlg::OnVScroll(HWND window, WPARAM, LPARAM) {
  ShowCosts(window);
  ShowTurns(window);
  return 0;
}

LRESULT CDConstructAtvDlg::OnOtherCommand(WPARAM wParam, LPARAM, HWND window) {
  if (HIWORD(wParam) != EN_CHANGE) return 0;
  for (const Place& field : kCountFields)
    if (LOWORD(wParam) == field.id) ShowCosts(window);
  return 1;
}

std::size_t CDConstructAtvDlg::EscapeButton() const { return kCancel; }

void CDConstructAtvDlg::OnButton(HWND window, std::size_t index) {
  *m_counts = index == kOk ? ReadCounts(window) : m_handedIn;
  PlayClick();
  ToggleButton(index);
  InvalidateRect(window, nullptr, FALSE);
  Sleep(500);
  EndDialog(window, Entry(index).result);
}

bool RunConstructAtvDialog(HFONT font, std::uint16_t buildRate, AtvCounts* counts, std::uint16_t poolAsteroid) {
  CDConstructAtvDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), font, buildRate, counts, LocalGuildModule(),
                           poolAsteroid);
  return dialog.m_result == 1;
}
