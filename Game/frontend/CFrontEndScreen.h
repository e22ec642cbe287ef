#pragma once
// The common body of the full-screen front-end screens: a background image
// drawn into the flow's backdrop sprite, a table of image buttons with their
// tooltips (CButtonTableDlg), and the end of the screen when one is pressed (click, pressed
// image, 100 ms, closing sound). A screen names its buttons in a table and
// adds what else it has. Escape acts as the screen's way back. Game thread
// only.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "Game/app/CButtonTableDlg.h"

class CClntApp;

class CFrontEndScreen : public CButtonTableDlg {
 public:
  // Borrows the application's backdrop for the life of the screen.
  CFrontEndScreen(CClntApp& app, const char* background, std::span<const ScreenButton> buttons,
                  std::int16_t escapeResult);
  ~CFrontEndScreen() override;

  // Runs the template modally; the button's result, or the escape result
  // when the dialog ended otherwise (also when the template is missing).
  std::int16_t Run(const char* templateName);

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 protected:
  // Where the screen's pictures come from: a button's image by name and its
  // module, the background's path and module, and the window's place (x, y,
  // width, height). The front end's full screen and art by default.
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  virtual std::string BackgroundPath() const;
  virtual plat::HMODULE BackgroundModule() const { return m_module; }
  virtual plat::RECT Place() const { return {0, 0, 800, 600}; }
  // Called when a button of the table is pressed, before anything is shown:
  // false keeps the screen open as it is.
  virtual bool Accept(plat::HWND, const ScreenButton&) { return true; }
  // The sounds of the first paint and of leaving with `result`; null: none.
  const char* OpeningSound() const override { return "open1.wav"; }
  virtual const char* ClosingSound(std::int16_t) const { return "shut1.wav"; }
  // Ends the screen with the button's result after its pressed image.
  void Press(plat::HWND window, std::size_t button);
  void OnButton(plat::HWND window, std::size_t index) override { Press(window, index); }
  // Draws a line of an owner-drawn list placed at `place` in the window over
  // the restored background, in the lists' font: with `parts`, the text's parts separated
  // by '^' go on up to three rows, the later ones indented.
  void DrawListLine(const plat::DRAWITEMSTRUCT& item, plat::POINT place, std::string_view text, plat::COLORREF selected,
                    plat::COLORREF normal, bool parts);
  // Writes `text` on the screen over `area` of the window in "Times New
  // Roman" on a transparent ground; first fills the area black, or, without
  // `black`, restores the background there.
  void DrawScreenText(plat::HWND window, const plat::RECT& area, std::string_view text, int height, int weight,
                      plat::COLORREF colour, plat::UINT format, bool black);
  // Lets edits and lists show the background through them.
  static plat::LRESULT TransparentControl(plat::HDC dc);
  // The result the screen ends with when it ends by itself.
  void SetResult(std::int16_t result) { m_result = result; }
  // Stores the result and ends the screen after the closing sound.
  void Leave(plat::HWND window, std::int16_t result);

  CClntApp& m_app;

 private:
  const char* m_backgroundName;
  std::int16_t m_escapeResult;
  std::int16_t m_result;
};

// The front-end art path followed by `name`.
std::string FrontEndArt(const char* name);
