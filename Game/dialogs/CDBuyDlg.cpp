#include "Game/dialogs/CDBuyDlg.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/TradeIds.h"
#include "Game/model/GGameData.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/core/types.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/updown.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::uint32_t kPerPrice = 10;
constexpr int kCostFields[4] = {IDC_TRADE_METALS, IDC_TRADE_SILICATES, IDC_TRADE_EXOTICS, IDC_TRADE_REACTIVES};
constexpr const char* kMineralPictures[4] = {nullptr, "smsili.ima", "smexot.ima", "smreac.ima"};

constexpr RECT kMineralCaptions[4] = {
    {110, 120, 270, 136}, {110, 169, 270, 185}, {279, 120, 440, 136}, {279, 169, 440, 185}};

enum : std::size_t { kOk, kCancel, kPayFirst };
const ScreenButton kButtons[] = {
    {IDC_BUY_OK, 124, 247, 182, 74, "bmokup.ima", "bmokdn.ima", nullptr, 1},
    {IDC_BUY_CANCEL, 361, 247, 183, 74, "bmcnclup.ima", "bmcncldn.ima", nullptr, 2},
    {IDC_BUY_PAY_METALS, 110, 144, 13, 11, "bmnox.ima", "bmx.ima", nullptr, 0},
    {IDC_BUY_PAY_SILICATES, 110, 194, 13, 11, "bmnox.ima", "bmx.ima", nullptr, 0},
    {IDC_BUY_PAY_EXOTICS, 279, 144, 13, 11, "bmnox.ima", "bmx.ima", nullptr, 0},
    {IDC_BUY_PAY_REACTIVES, 279, 194, 13, 11, "bmnox.ima", "bmx.ima", nullptr, 0},
};

void Place(HWND window, int id, int x, int y, int w, int h) {
  if (HWND control = GetDlgItem(window, id)) MoveWindow(control, x, y, w, h, FALSE);
}

}  // namespace

std::uint32_t TradeCost(std::uint32_t amount, std::uint16_t price) { return amount / kPerPrice * price; }

std::uint32_t UnitsBought(std::uint32_t amount) { return amount / kPerPrice * kPerPrice; }

std::uint8_t FirstPayingMineral(const MineralOffer& offer) {
  for (std::uint8_t m = 0; m < 3; ++m)
    if (offer.terms[1 + m] != 0) return m;
  return 3;
}

bool CanPayWith(const MineralOffer& offer, std::uint8_t mineral) {
  return mineral < 4 && mineral != offer.mineral && offer.terms[1 + mineral] != 0;
}

bool BuyStep(const MineralOffer& offer, const std::array<std::uint32_t, 4>& pool, std::uint8_t paying,
             std::uint32_t amount, int step, std::uint32_t* newAmount, std::array<std::uint32_t, 4>* costs) {
  const std::uint32_t total = offer.terms[0];
  std::uint32_t next = 0;
  if (amount < kPerPrice && step <= 0) {
    next = 0;
  } else if (step > 0 && amount + kPerPrice > total) {
    next = total;
  } else {
    next = step > 0 ? amount + kPerPrice : amount - kPerPrice;
  }
  std::array<std::uint32_t, 4> c{};
  for (int m = 0; m < 4; ++m) c[m] = TradeCost(next, offer.terms[1 + m]);
  if (paying < 4 && c[paying] > pool[paying]) return false;
  *newAmount = next;
  *costs = c;
  return true;
}

std::uint32_t AffordableAmount(const MineralOffer& offer, const std::array<std::uint32_t, 4>& pool, std::uint8_t paying,
                               std::uint32_t amount) {
  if (paying >= 4) return amount;
  const std::uint16_t price = offer.terms[1 + paying];
  if (price == 0 || TradeCost(amount, price) <= pool[paying]) return amount;
  return std::min(amount, pool[paying] / price * kPerPrice);
}

CDBuyDlg::CDBuyDlg(CDDraw* display, HWND parent, HINSTANCE instance, const MineralOffer& offer,
                   std::uint8_t poolAsteroid, const std::array<std::uint32_t, 4>& pool, std::uint16_t* amount,
                   std::uint8_t* paying, std::uint32_t* success)
    : CButtonTableDlg(display, parent, instance, 199, kButtons),
      m_poolAsteroid(poolAsteroid),
      m_pool(pool),
      m_offer(offer),
      m_amount(amount),
      m_paying(paying),
      m_success(success) {
  *m_amount = 0;
  *m_success = 0;
  m_result = DoModal("IDD_BUY");
}

CDBuyDlg::~CDBuyDlg() { RedrawGameView(); }

std::string CDBuyDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDBuyDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("buymins.ima").c_str(), 0, 0);
  MoveWindow(window, 27, 96, 590, 372, FALSE);
  Place(window, IDC_TRADE_AMOUNT, 129, 65, 28, 21);
  Place(window, IDC_TRADE_AMOUNT_ARROWS, 157, 65, 10, 21);
  Place(window, IDC_TRADE_METALS, 138, 138, 40, 27);
  Place(window, IDC_TRADE_SILICATES, 138, 187, 40, 27);
  Place(window, IDC_TRADE_EXOTICS, 306, 138, 41, 27);
  Place(window, IDC_TRADE_REACTIVES, 306, 187, 41, 27);
  if (m_offer.mineral < 4 && kMineralPictures[m_offer.mineral] && m_background) {
    if (auto picture = LoadImage(DialogArt(kMineralPictures[m_offer.mineral]).c_str(), 78, 12))
      picture->BltToSurface(m_background.get(), 78, 12, nullptr);
  }
  // The background names neither the amount nor the minerals.
  WriteOnBackground(m_background.get(), {100, 88, 260, 104}, DialogText("ITDAMONT"), 15, kCaptionColour, DT_LEFT);
  WriteMineralNames(m_background.get(), kMineralCaptions);
  if (m_offer.mineral < 4) EnableWindow(GetDlgItem(window, kCostFields[m_offer.mineral]), FALSE);
  SetDlgItemInt(window, IDC_TRADE_AMOUNT, 0, FALSE);
  for (int field : kCostFields) SetDlgItemInt(window, field, 0, FALSE);
  const std::uint8_t paying = FirstPayingMineral(m_offer);
  *m_paying = paying;
  SetPressed(kPayFirst + paying, true, false);
  // The arrows count in 16 signed bits; no offer is near that.
  const auto top = static_cast<WORD>(std::min<int>(m_offer.terms[0], UD_MAXVAL));
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT_ARROWS, UDM_SETRANGE, 0, MAKELONG(top, 0));
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT_ARROWS, UDM_SETPOS, 0, 0);
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT, EM_LIMITTEXT, 3, 0);
  return 0;
}

LRESULT CDBuyDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

void CDBuyDlg::ShowCosts(HWND window, std::uint32_t amount) {
  for (int m = 0; m < 4; ++m) SetDlgItemInt(window, kCostFields[m], TradeCost(amount, m_offer.terms[1 + m]), FALSE);
}

LRESULT CDBuyDlg::OnNotify(WPARAM, LPARAM lParam, HWND window) {
  auto* change = reinterpret_cast<NMUPDOWN*>(lParam);
  if (!change || change->hdr.idFrom != IDC_TRADE_AMOUNT_ARROWS || change->hdr.code != UDN_DELTAPOS) return 0;
  BOOL ok = FALSE;
  const std::uint32_t amount = GetDlgItemInt(window, IDC_TRADE_AMOUNT, &ok, FALSE);
  std::uint32_t next = 0;
  std::array<std::uint32_t, 4> costs{};
  if (!BuyStep(m_offer, m_pool, *m_paying, ok ? amount : 0, change->iDelta, &next, &costs)) {
    // The fields keep what they showed.
    change->iDelta = 0;
    return 0;
  }
  for (int m = 0; m < 4; ++m) SetDlgItemInt(window, kCostFields[m], costs[m], FALSE);
  change->iDelta = static_cast<int>(next) - static_cast<int>(ok ? amount : 0);
  if (change->iDelta == 0) SetDlgItemInt(window, IDC_TRADE_AMOUNT, next, FALSE);
  return 0;
}

void CDBuyDlg::ChoosePaying(HWND window, std::uint8_t mineral) {
  if (!CanPayWith(m_offer, mineral) || mineral == *m_paying) return;
  PlayClick();
  SetPressed(kPayFirst + *m_paying, false);
  SetPressed(kPayFirst + mineral, true);
  *m_paying = mineral;
  // The amount must still be payable in the new mineral.
  BOOL ok = FALSE;
  const std::uint32_t amount = GetDlgItemInt(window, IDC_TRADE_AMOUNT, &ok, FALSE);
  const std::uint32_t payable = AffordableAmount(m_offer, m_pool, mineral, ok ? amount : 0);
  SendDlgItemMessage(window, IDC_TRADE_AMOUNT_ARROWS, UDM_SETPOS, 0, static_cast<LPARAM>(payable));
  SetDlgItemInt(window, IDC_TRADE_AMOUNT, payable, FALSE);
  ShowCosts(window, payable);
}

std::size_t CDBuyDlg::EscapeButton() const { return kCancel; }

void CDBuyDlg::OnButton(HWND window, std::size_t index) {
  if (index >= kPayFirst) {
    ChoosePaying(window, static_cast<std::uint8_t>(index - kPayFirst));
    return;
  }
  PlayClick();
  ToggleButton(index);
  RECT band{0, 200, 590, 372};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  if (index == kOk) {
    BOOL ok = FALSE;
    const UINT amount = GetDlgItemInt(window, IDC_TRADE_AMOUNT, &ok, FALSE);
    *m_amount = static_cast<std::uint16_t>(ok ? std::min<UINT>(amount, m_offer.terms[0]) : 0);
    *m_success = *m_amount != 0 ? 1 : 0;
  }
  EndDialog(window, Entry(index).result);
}

bool RunBuyDialog(const MineralOffer& offer, std::uint8_t poolAsteroid, std::uint16_t* amount, std::uint8_t* paying) {
  std::array<std::uint32_t, 4> pool{};
  if (g_gameData) g_gameData->poolDB.GetMinerals(poolAsteroid, pool.data());
  std::uint32_t success = 0;
  CDBuyDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), offer, poolAsteroid, pool, amount, paying, &success);
  return dialog.m_result == 1 && success == 1;
}
