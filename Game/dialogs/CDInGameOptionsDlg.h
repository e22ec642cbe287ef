#pragma once
// The options menu of a running game: save, load, high scores, continue,
// restart, abort to the main screen, quit. Save and load are asked of the
// main window by message; the restart question and the camera belong to the
// view framework, which hands them in. Game thread only.

#include <functional>

#include "Game/app/CButtonTableDlg.h"

// Results of the menu, one per button.
enum OptionsChoice : int {
  kOptionSave = 1,
  kOptionLoad = 2,
  kOptionContinue = 3,
  kOptionRestart = 4,
  kOptionAbort = 5,
  kOptionQuit = 6,
  kOptionHighScores = 7,
};

// What the menu asks of the screen above it; empty ones do nothing.
struct OptionsActions {
  std::function<void()> recenterCamera;  // before a save
  std::function<void()> askRestart;      // the restart question
};

class CDInGameOptionsDlg : public CButtonTableDlg {
 public:
  // `window` receives the save and load requests.
  CDInGameOptionsDlg(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, OptionsActions actions);
  ~CDInGameOptionsDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;

 private:
  plat::HWND m_viewWindow;
  OptionsActions m_actions;
};
