#pragma once
// The high-score table, full screen. In finished mode the local chapter's
// game is placed first: a game that does not reach the table shows nothing
// and leaves the file as it was; otherwise its row is lit and OK writes the
// file. In viewing mode the table is only shown. Game thread only.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Game/app/CButtonTableDlg.h"
#include "Game/dialogs/HighScoreTable.h"

// The local chapter's finished game as a row: its result is the game-over
// packet's byte for the chapter (0 without one); the score is kept whole.
HighScoreEntry FinishedGameEntry(std::span<const std::uint8_t> gameOver);

// The texts of a row's items, in the table's order.
struct HighScoreRowTexts {
  std::string name, score, turns, guild, conditions, asteroids, chapters, result;
};
HighScoreRowTexts HighScoreTexts(const HighScoreEntry& entry);

// `text` as drawn in `dc`'s font within `width` pixels: whole when it fits,
// else cut and ended with "..." (a damaged file's name, or every victory
// condition at once, would run over the next column).
std::string FitHighScoreText(plat::HDC dc, const std::string& text, int width);

class CDHighScoreDlg : public CButtonTableDlg {
 public:
  CDHighScoreDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, bool finished,
                 std::span<const std::uint8_t> gameOver, plat::HMODULE guildModule);
  ~CDHighScoreDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  HighScoreTable m_table{};
  int m_newRow = -1;  // the finished game's row, -1 for none
  bool m_shown = false;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;

 private:
  void DrawTable(plat::HDC dc) const;

  bool m_finished;
};

// The table in viewing mode over the game view.
void RunHighScoreDialog();
// The game's end: the table in finished mode with the game-over packet.
void RunFinishedHighScoreDialog(std::span<const std::uint8_t> gameOver);
