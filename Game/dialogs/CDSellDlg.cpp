#include "Game/dialogs/CDSellDlg.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/TradeIds.h"
#include "Game/model/GGameData.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/updown.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::uint16_t kTen = 10;
constexpr int kPriceFields[4] = {IDC_TRADE_METALS, IDC_TRADE_SILICATES, IDC_TRADE_EXOTICS, IDC_TRADE_REACTIVES};
constexpr int kPriceArrows[4] = {IDC_TRADE_METALS_ARROWS, IDC_TRADE_SILICATES_ARROWS, IDC_TRADE_EXOTICS_ARROWS,
                                 IDC_TRADE_REACTIVES_ARROWS};
constexpr RECT kPricePlaces[4] = {{138, 138, 30, 27}, {138, 187, 30, 27}, {290, 138, 31, 27}, {290, 187, 31, 27}};
constexpr RECT kMineralCaptions[4] = {
    {138, 121, 280, 137}, {138, 170, 280, 186}, {290, 121, 440, 137}, {290, 170, 440, 186}};
constexpr const char* kMineralPictures[4] = {nullptr, "smsili.ima", "smexot.ima", "smreac.ima"};

enum : std::size_t { kOk, kCancel };
const ScreenButton kButtons[] = {
    {IDC_SELL_OK, 124, 247, 182, 74, "smokup.ima", "smokdn.ima", nullptr, 1},
    {IDC_SELL_CANCEL, 361, 247, 183, 74, "smcnclup.ima", "smcncldn.ima", nullptr, 2},
};

std::uint32_t Field(HWND window, int id) {
  BOOL ok = FALSE;
  const UINT value = GetDlgItemInt(window, id, &ok, FALSE);
  return ok ? value : 0;
}

}  // namespace

std::uint16_t SellLimit(std::uint32_t poolAmount, std::uint16_t standing) {
  const std::uint32_t limit = std::min(poolAmount, kMaxSellStep) + standing;
  return static_cast<std::uint16_t>(limit / kTen * kTen);
}

std::uint16_t SellAmount(std::uint32_t value, std::uint16_t limit) {
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, limit) / kTen * kTen);
}

CDSellDlg::CDSellDlg(CDDraw* display, HWND parent, HINSTANCE instance, MineralOfferPacket* record,
                     std::uint32_t* success, std::uint32_t poolAmount, const MineralOffer* standing)
    : CButtonTableDlg(display, parent, instance, 199, kButtons), m_record(record), m_success(success) {
  *m_success = 0;
  std::fill(std::begin(m_record->price), std::end(m_record->price), std::uint16_t{0});
  m_limit = SellLimit(poolAmount, standing ? standing->terms[0] : 0);
  if (standing) {
    m_startAmount = std::min(standing->terms[0], m_limit);
    for (int m = 0; m < 4; ++m) m_startPrices[m] = std::min(standing->terms[1 + m], kMaxSellPrice);
  }
  m_result = DoModal("IDD_SELL");
}

CDSellDlg::~CDSellDlg() { RedrawGameView(); }

std::string CDSellDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDSellDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("sellmins.ima").c_str(), 0, 0);
  MoveWindow(window, 27, 96, 590, 372, FALSE);
  MoveWindow(GetDlgItem(window, IDC_TRADE_AMOUNT), 129, 65, 28, 21, FALSE);
  MoveWindow(GetDlgItem(window, IDC_TRADE_AMOUNT_ARROWS), 157, 65, 10, 21, FALSE);
  for (int m = 0; m < 4; ++m) {
    const RECT& p = kPricePlaces[m];
    MoveWindow(GetDlgItem(window, kPriceFields[m]), p.left, p.top, p.right, p.bottom, FALSE);
    MoveWindow(GetDlgItem(window, kPriceArrows[m]), p.left + p.right, p.top, 10, p.bottom, FALSE);
  }
  const std::uint8_t mineral = m_record->mineral;
  if (mineral < 4 && kMineralPictures[mineral] && m_background) {
    if (auto picture = LoadImage(DialogArt(kMineralPictures[mineral]).c_str(), 78, 12))
      picture->BltToSurface(m_background.get(), 78, 12, nullptr);
  }
  // The background names neither the amount nor the prices.
  WriteOnBackground(m_background.get(), {100, 88, 260, 104}, DialogText("ITDAMONT"), 15, kCaptionColour, DT_LEFT);
  WriteOnBackground(m_background.get(), {110, 105, 480, 120}, DialogText("ITDOCPET"), 13, kCaptionColour, DT_LEFT);
  WriteMineralNames(m_background.get(), kMineralCaptions);
  if (mineral < 4) {
    EnableWindow(GetDlgItem(window, kPriceFields[mineral]), FALSE);
    EnableWindow(GetDlgItem(window, kPriceArrows[mineral]), FALSE);
  }
  for (int m = 0; m < 4; ++m) {
    SendDlgItemMessage(window, kPriceArrows[m], UDM_SETRANGE, 0, MAKELONG(kMaxSellPrice, 0));
    SendDlgItemMessage(window, kPriceArrows[m], UDM_SETPOS, 0, m_startPrices[m]);
    SetDlgItemInt(window, kPriceFields[m], m_startPrices[m], FALSE);
    SendDlgItemMessage(window, kPriceFields[m], EM_LIMITTEXT, 3, 0);
  }
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT_ARROWS, UDM_SETRANGE, 0, MAKELONG(m_limit, 0));
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT_ARROWS, UDM_SETPOS, 0, m_startAmount);
  SetDlgItemInt(window, IDC_TRADE_AMOUNT, m_startAmount, FALSE);
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT, EM_LIMITTEXT, 3, 0);
  return 0;
}

LRESULT CDSellDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

LRESULT CDSellDlg::OnNotify(WPARAM, LPARAM lParam, HWND) {
  auto* change = reinterpret_cast<NMUPDOWN*>(lParam);
  if (!change || change->hdr.idFrom != IDC_TRADE_AMOUNT_ARROWS || change->hdr.code != UDN_DELTAPOS) return 0;
  change->iDelta = change->iDelta > 0 ? kTen : -kTen;
  return 0;
}

std::size_t CDSellDlg::EscapeButton() const { return kCancel; }

void CDSellDlg::OnButton(HWND window, std::size_t index) {
  PlayClick();
  ToggleButton(index);
  RECT band{0, 200, 590, 372};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  if (index == kOk) {
    *m_success = 1;
    m_record->amount = SellAmount(Field(window, IDC_TRADE_AMOUNT), m_limit);
    for (int m = 0; m < 4; ++m)
      m_record->price[m] =
          static_cast<std::uint16_t>(std::min<std::uint32_t>(Field(window, kPriceFields[m]), kMaxSellPrice));
  }
  EndDialog(window, Entry(index).result);
}

bool RunSellDialog(MineralOfferPacket* record) {
  std::uint32_t pool = 0;
  const MineralOffer* standing = nullptr;
  if (g_gameData) {
    pool = g_gameData->poolDB.GetMineral(record->asteroid, record->mineral);
    if (g_gameData->guildList)
      if (CGuild* guild = g_gameData->guildList->GetGuild(record->seller >> 3))
        standing = guild->FindMineralOffer(record->seller, record->asteroid, record->mineral);
  }
  std::uint32_t success = 0;
  CDSellDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), record, &success, pool, standing);
  return dialog.m_result == 1 && success == 1;
}
