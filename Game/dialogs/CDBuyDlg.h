#pragma once
// Buying part of another chapter's mineral offer ("IDD_BUY"): the amount
// steps by tens through its arrows up to the offer's amount, the cost in each
// mineral follows it, and a box per mineral chooses what pays. A step whose
// cost the paying mineral's pool cannot meet is refused. Sends nothing: the
// caller reads the amount and the paying mineral. Game thread only.

#include <array>
#include <cstdint>

#include "Game/app/CButtonTableDlg.h"
#include "Game/model/GGuild.h"

// The cost of `amount` units at `price` per ten.
std::uint32_t TradeCost(std::uint32_t amount, std::uint16_t price);
// What a purchase of `amount` units delivers: the whole tens of it, the only
// units its cost pays for (the arrows can take the odd rest of an offer).
std::uint32_t UnitsBought(std::uint32_t amount);
// The paying mineral at the start: the first of metals, silicates, exotics
// priced above 0, else reactives.
std::uint8_t FirstPayingMineral(const MineralOffer& offer);
// Whether `mineral` may become the paying one: not the offered mineral, and
// priced above 0.
bool CanPayWith(const MineralOffer& offer, std::uint8_t mineral);
// One step of the amount's arrows from `amount` (step > 0 up, else down, by
// ten; up from within ten of the offer's amount takes the whole offer).
// False when the paying mineral's pool cannot meet the new cost; otherwise
// the new amount and the four costs.
bool BuyStep(const MineralOffer& offer, const std::array<std::uint32_t, 4>& pool, std::uint8_t paying,
             std::uint32_t amount, int step, std::uint32_t* newAmount, std::array<std::uint32_t, 4>* costs);
// The largest amount up to `amount` whose cost `paying` meets from the pool.
std::uint32_t AffordableAmount(const MineralOffer& offer, const std::array<std::uint32_t, 4>& pool, std::uint8_t paying,
                               std::uint32_t amount);

class CDBuyDlg : public CButtonTableDlg {
 public:
  // `pool`: the four minerals of the buyer's pool on `poolAsteroid`. Zeroes
  // the amount and the success flag and runs the dialog modally.
  CDBuyDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const MineralOffer& offer,
           std::uint8_t poolAsteroid, const std::array<std::uint32_t, 4>& pool, std::uint16_t* amount,
           std::uint8_t* paying, std::uint32_t* success);
  ~CDBuyDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnNotify(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

  std::uint8_t m_poolAsteroid;
  std::array<std::uint32_t, 4> m_pool;
  MineralOffer m_offer;
  std::uint16_t* m_amount;
  std::uint8_t* m_paying;
  std::uint32_t* m_success;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape cancels, as the Cancel button does.
  std::size_t EscapeButton() const override;

 private:
  void ShowCosts(plat::HWND window, std::uint32_t amount);
  void ChoosePaying(plat::HWND window, std::uint8_t mineral);
};

// Runs the dialog over the game view for an offer, paid from the local pool
// on `poolAsteroid`; true when the player chose an amount above 0.
bool RunBuyDialog(const MineralOffer& offer, std::uint8_t poolAsteroid, std::uint16_t* amount, std::uint8_t* paying);
