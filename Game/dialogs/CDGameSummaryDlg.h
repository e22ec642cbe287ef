#pragma once
// The end-of-game table, full screen, on two pages of twenty: every chapter
// ranked by score (equal scores share a place) with the figures the
// game-over packet carries for it. Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "Game/app/CButtonTableDlg.h"

constexpr int kSummaryRows = 40;
constexpr std::uint8_t kEmptySummaryRow = 255;

struct SummaryRow {
  std::uint8_t place = 0;
  std::uint8_t chapter = kEmptySummaryRow;
  std::int32_t score = 0;
  std::uint8_t counts[2] = {};
  std::uint32_t firstAmount = 0;
  std::uint32_t amountSum = 0;  // the four further amounts added up
  std::uint16_t lastFigure = 0;
  std::uint8_t result = 0;
};

using SummaryTable = std::array<SummaryRow, kSummaryRows>;

// The ranking of the forty chapter ids by `scores` (a missing chapter holds 0)
// with the packet's figures for the chapters present (slot below
// `perGuild`); a packet shorter than a field leaves that field 0.
SummaryTable RankSummary(std::span<const std::int32_t, kSummaryRows> scores, std::uint8_t perGuild,
                         std::span<const std::uint8_t> gameOver);

class CDGameSummaryDlg : public CButtonTableDlg {
 public:
  CDGameSummaryDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::span<const std::uint8_t> gameOver,
                   plat::HMODULE guildModule);
  ~CDGameSummaryDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  SummaryTable m_rows{};
  int m_page = 0;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;

 private:
  void DrawTable(plat::HDC dc) const;
  // The local chapter's result in words, under the table.
  std::string LocalResultText() const;

  std::uint8_t m_localResult = 0;
  bool m_hasLocalResult = false;
};

// The summary and then the high-score table, with the same game-over packet.
void RunGameOverDialogs(std::span<const std::uint8_t> gameOver);
