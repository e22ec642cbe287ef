#pragma once
// A free text of several lines ("IDD_MULTILINE_EDIT"), the player's notes:
// OK copies the field into the caller's buffer, Cancel empties it. Game
// thread only.

#include <cstddef>

#include "Game/app/CButtonTableDlg.h"

class CDMultilineEditDlg : public CButtonTableDlg {
 public:
  // `text` holds `size` bytes (at least 1) and starts the field.
  CDMultilineEditDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, char* text, std::size_t size);
  ~CDMultilineEditDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  char* m_text;
  std::size_t m_size;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
};

// Runs the dialog over the game view on `text` (`size` bytes); true on OK.
bool RunNoteDialog(char* text, std::size_t size);
