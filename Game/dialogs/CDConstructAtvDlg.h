#pragma once
// How many ATVs of each type to build (combat, mining, power, seed bank):
// their cost in the four minerals against the local pool, and the turns the
// construction takes at the constructing unit's build rate. Without a pool
// the counts can only go down from those handed in. Game thread only.

#include <array>
#include <cstdint>
#include <memory>

#include "Game/app/CButtonTableDlg.h"

constexpr std::uint16_t kNoBuildRate = 65535;
constexpr std::uint16_t kNoPool = 65535;
// Counts are kept as signed bytes: the arrows stop where they still fit.
constexpr int kMaxAtvCount = 127;

using AtvCounts = std::array<std::int8_t, 4>;

// The four minerals' costs of `counts` by the game variables, tripled with a
// build rate.
std::array<std::int32_t, 4> AtvCosts(const AtvCounts& counts, bool withBuildRate);
// The number shown beside the counts: with a build rate the turns the build
// points take (0 for none; a rate of 0 builds nothing and shows 0), without
// one the largest count.
int AtvTurns(const AtvCounts& counts, std::uint16_t buildRate);

class CDConstructAtvDlg : public CButtonTableDlg {
 public:
  CDConstructAtvDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, plat::HFONT font,
                    std::uint16_t buildRate, AtvCounts* counts, plat::HMODULE guildModule, std::uint16_t poolAsteroid);
  ~CDConstructAtvDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnVScroll(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam) override;

  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape cancels, as the Cancel button does.
  std::size_t EscapeButton() const override;
  plat::LRESULT OnOtherCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 private:
  AtvCounts ReadCounts(plat::HWND window) const;
  void ShowCosts(plat::HWND window);
  // The turns number into the background, and then on the screen too.
  void DrawTurns(plat::HWND window);
  void ShowTurns(plat::HWND window);

  plat::HFONT m_turnsFont;
  std::uint16_t m_rate;
  AtvCounts* m_counts;
  AtvCounts m_handedIn;
  std::uint16_t m_pool;
  std::array<std::uint32_t, 4> m_minerals{};
  // The background as loaded, to put back under the turns number.
  std::unique_ptr<CSprite> m_clean;
};

// Runs the dialog over the game view in the local guild's art; true on OK.
bool RunConstructAtvDialog(plat::HFONT font, std::uint16_t buildRate, AtvCounts* counts, std::uint16_t poolAsteroid);
