#pragma once
// Four amounts, one in each mineral ("IDD_SET_PRICE"): a price, a bid or an
// asking price. Each lies between the value handed in and its upper bound
// (0..32767 without bounds), by arrows or typed. Game thread only.

#include <array>
#include <cstdint>

#include "Game/app/CButtonTableDlg.h"

constexpr std::uint32_t kUnboundedPrice = 32767;

// A typed or stepped value held between its bounds.
std::uint32_t ClampPrice(std::uint32_t value, std::uint32_t lower, std::uint32_t upper);

class CDSetPriceDlg : public CButtonTableDlg {
 public:
  // `values`: the starting values and lower bounds, which receive the
  // result; `upper` may be null: then every bound is 32767 and the values
  // start at 0, or, with `keepValues`, at the values handed in (lowered to
  // 32767), each free to go down to 0. Zeroes the success flag and runs the
  // dialog modally.
  CDSetPriceDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::uint32_t* values,
                std::uint32_t* success, const std::uint32_t* upper, bool keepValues = false);
  ~CDSetPriceDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  std::uint32_t* m_values;
  std::array<std::uint32_t, 4> m_upper{};
  std::array<std::uint32_t, 4> m_start{};
  std::array<std::uint32_t, 4> m_lower{};
  bool m_unbounded;
  std::uint32_t* m_success;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape cancels, as the Cancel button does.
  std::size_t EscapeButton() const override;
};

// Runs the dialog over the game view, showing the values handed in even
// without bounds; true when the player pressed OK.
bool RunSetPriceDialog(std::uint32_t values[4], const std::uint32_t* upper);
