#pragma once
// The options menu of a running game: save, load, high scores, continue,
// restart, abort to the main screen, quit. Save and load are asked of the
// main window by message; the restart question and the camera belong to the
// view framework, which hands them in. Game thread only.

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

// What the menu asks of the screen above it; the default does nothing.
class IOptionsScreen {
 public:
  virtual ~IOptionsScreen() = default;
  virtual void RecenterCamera() {}  // before a save
  virtual void AskRestart() {}      // the restart question
};

class CDInGameOptionsDlg : public CButtonTableDlg {
 public:
  // `window` receives the save and load requests; `screen` is kept while the
  // menu runs (in the constructor).
  CDInGameOptionsDlg(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, IOptionsScreen& screen);
  ~CDInGameOptionsDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape continues the game, as the Continue button does.
  std::size_t EscapeButton() const override;

 private:
  plat::HWND m_viewWindow;
  IOptionsScreen& m_screen;
};
