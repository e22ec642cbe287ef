#include "Game/dialogs/CDSetPriceDlg.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/TradeIds.h"
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

constexpr int kFields[4] = {IDC_PRICE_METALS, IDC_PRICE_SILICATES, IDC_PRICE_EXOTICS, IDC_PRICE_REACTIVES};
constexpr int kArrows[4] = {IDC_PRICE_METALS_ARROWS, IDC_PRICE_SILICATES_ARROWS, IDC_PRICE_EXOTICS_ARROWS,
                            IDC_PRICE_REACTIVES_ARROWS};
constexpr RECT kPlaces[4] = {{16, 68, 48, 25}, {233, 122, 49, 26}, {16, 178, 48, 25}, {233, 232, 49, 26}};

constexpr RECT kCaptions[4] = {{16, 50, 160, 66}, {233, 104, 300, 120}, {16, 160, 160, 176}, {233, 214, 300, 230}};

enum : std::size_t { kOk, kCancel };
const ScreenButton kButtons[] = {
    {IDC_PRICE_OK, 21, 298, 111, 46, "spokup.ima", "spokdn.ima", nullptr, 1},
    {IDC_PRICE_CANCEL, 176, 298, 111, 46, "spcnclup.ima", "spcncldn.ima", nullptr, 2},
};

}  // namespace

std::uint32_t ClampPrice(std::uint32_t value, std::uint32_t lower, std::uint32_t upper) {
  return std::clamp(value, lower, std::max(lower, upper));
}

CDSetPriceDlg::CDSetPriceDlg(CDDraw* display, HWND parent, HINSTANCE instance, std::uint32_t* values,
                             std::uint32_t* success, const std::uint32_t* upper, bool keepValues)
    : CButtonTableDlg(display, parent, instance, 199, kButtons),
      m_values(values),
      m_unbounded(upper == nullptr),
      m_success(success) {
  for (int m = 0; m < 4; ++m) {
    if (m_unbounded && !keepValues) m_values[m] = 0;
    // The arrows hold 16-bit positions.
    m_start[m] = std::min(m_values[m], kUnboundedPrice);
    m_lower[m] = m_unbounded ? 0 : m_start[m];
    m_upper[m] = m_unbounded ? kUnboundedPrice : std::min(upper[m], kUnboundedPrice);
  }
  *m_success = 0;
  m_result = DoModal("IDD_SET_PRICE");
}

CDSetPriceDlg::~CDSetPriceDlg() { RedrawGameView(); }

std::string CDSetPriceDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDSetPriceDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("setprice.ima").c_str(), 0, 0);
  MoveWindow(window, 169, 106, 306, 351, FALSE);
  if (!m_unbounded && m_background) {
    if (auto label = LoadImage(DialogArt("stbuyfor.ima").c_str(), 140, 16))
      label->BltToSurface(m_background.get(), 140, 16, nullptr);
  }
  // The background does not name the minerals.
  WriteMineralNames(m_background.get(), kCaptions);
  for (int m = 0; m < 4; ++m) {
    const RECT& p = kPlaces[m];
    MoveWindow(GetDlgItem(window, kFields[m]), p.left, p.top, p.right, p.bottom, FALSE);
    MoveWindow(GetDlgItem(window, kArrows[m]), p.left + p.right, p.top, 10, p.bottom, FALSE);
    SendDlgItemMessage(window, kArrows[m], UDM_SETRANGE, 0,
                       MAKELONG(static_cast<WORD>(m_upper[m]), static_cast<WORD>(m_lower[m])));
    SendDlgItemMessage(window, kArrows[m], UDM_SETPOS, 0, static_cast<LPARAM>(m_start[m]));
    SetDlgItemInt(window, kFields[m], m_start[m], FALSE);
    SendDlgItemMessage(window, kFields[m], EM_LIMITTEXT, 5, 0);
  }
  return 0;
}

LRESULT CDSetPriceDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

std::size_t CDSetPriceDlg::EscapeButton() const { return kCancel; }

void CDSetPriceDlg::OnButton(HWND window, std::size_t index) {
  PlayClick();
  ToggleButton(index);
  RECT band{0, 250, 306, 351};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  if (index == kOk) {
    // A typed value is held to the bounds the arrows keep.
    for (int m = 0; m < 4; ++m) {
      BOOL ok = FALSE;
      const UINT typed = GetDlgItemInt(window, kFields[m], &ok, FALSE);
      m_values[m] = ClampPrice(ok ? typed : m_start[m], m_lower[m], m_upper[m]);
    }
    *m_success = 1;
  }
  EndDialog(window, Entry(index).result);
}

bool RunSetPriceDialog(std::uint32_t values[4], const std::uint32_t* upper) {
  std::uint32_t success = 0;
  CDSetPriceDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), values, &success, upper, true);
  return dialog.m_result == 1 && success == 1;
}
