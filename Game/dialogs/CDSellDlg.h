#pragma once
// Posting or changing the local chapter's mineral offer ("IDD_SELL"): the
// amount in tens up to what the pool holds (at most 990 more than an offer
// already standing), and a price per ten units in each mineral. Fills the
// record the caller sends as packet 552. Game thread only.

#include <array>
#include <cstdint>

#include "Game/app/CButtonTableDlg.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"

constexpr std::uint32_t kMaxSellStep = 990;
constexpr std::uint16_t kMaxSellPrice = 990;

// The most that may be offered: the pool's amount (at most 990) plus the
// amount of an offer already standing, in whole tens.
std::uint16_t SellLimit(std::uint32_t poolAmount, std::uint16_t standing);
// The amount taken from a typed or stepped value: at most the limit, in tens.
std::uint16_t SellAmount(std::uint32_t value, std::uint16_t limit);

class CDSellDlg : public CButtonTableDlg {
 public:
  // The record's seller, asteroid and mineral are the caller's; its prices
  // are zeroed. `poolAmount`: the pool's amount of the mineral; `standing`:
  // the offer already posted under the same key, or null.
  CDSellDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, MineralOfferPacket* record,
            std::uint32_t* success, std::uint32_t poolAmount, const MineralOffer* standing);
  ~CDSellDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnNotify(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

  MineralOfferPacket* m_record;
  std::uint32_t* m_success;
  std::uint16_t m_limit = 0;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape cancels, as the Cancel button does.
  std::size_t EscapeButton() const override;

 private:
  std::uint16_t m_startAmount = 0;
  std::array<std::uint16_t, 4> m_startPrices{};
};

// Runs the dialog over the game view for the record's pool and mineral;
// true when the player pressed OK (the amount may be 0).
bool RunSellDialog(MineralOfferPacket* record);
