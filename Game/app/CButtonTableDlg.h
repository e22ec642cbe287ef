#pragma once
// A dialog whose image buttons come from a table: each entry's place, its
// normal and pressed pictures, its tooltip text ID and the result it stands
// for. The dialog makes the buttons with their tooltips and the normal
// cursor, draws them over its background, and hands a pressed one to
// OnButton with the click sound. The front-end screens and the in-game
// dialogs build on it. Game thread only.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Game/app/CDlgBase.h"
#include "media/CImageButton.h"

struct ScreenButton {
  int id;
  int x, y, width, height;
  const char* normal;
  const char* pressed;
  const char* tooltipId;  // text ID of the tooltip; null: none
  std::int16_t result;
};

class CButtonTableDlg : public CDlgBase {
 public:
  CButtonTableDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, plat::DWORD helpId,
                  std::span<const ScreenButton> buttons);
  ~CButtonTableDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 protected:
  // Where a button's pictures come from: its image's path by name and its module.
  virtual std::string ImagePath(std::size_t index, const char* name) const = 0;
  virtual plat::HMODULE ImageModule(std::size_t index) const = 0;
  // The sound of the first paint; null: none.
  virtual const char* OpeningSound() const { return nullptr; }
  // A table button was pressed (after its click sound).
  virtual void OnButton(plat::HWND window, std::size_t index) = 0;
  // A command no table button answers.
  virtual plat::LRESULT OnOtherCommand(plat::WPARAM, plat::LPARAM, plat::HWND) { return 0; }
  // The table index of the button Escape presses, or kNoEscapeButton. The
  // dialog manager sends Escape as command 2, which a table whose Cancel
  // carries another id would leave unanswered. With none, command 2 goes to
  // OnOtherCommand as any other.
  static constexpr std::size_t kNoEscapeButton = static_cast<std::size_t>(-1);
  virtual std::size_t EscapeButton() const { return kNoEscapeButton; }

  // Makes the table's buttons with their tooltips (OnInitDialog does, after
  // the dialog base's own set-up).
  void CreateButtons(plat::HWND window);
  // Shows the button's pressed image for a moment and its normal one again.
  void Flash(std::size_t index, plat::DWORD ms = 300);
  // Toggles the button's picture and draws it at once.
  void ToggleButton(std::size_t index);
  // Whether the button shows its pressed image as its normal one.
  bool IsPressed(std::size_t index) const { return m_buttons[index]->normalShown == 0; }
  // Shows the button pressed or released, drawn at once when `draw`.
  void SetPressed(std::size_t index, bool pressed, bool draw = true);
  // Draws the button over its place on the screen.
  void DrawButton(std::size_t index);
  // The button's disabled image and state.
  void SetDisabled(std::size_t index, bool disabled, const char* image = nullptr);
  static void PlayClick();
  static void PlayEffect(const char* name);
  // The table index of one of the table's entries.
  std::size_t IndexOf(const ScreenButton& b) const { return static_cast<std::size_t>(&b - m_table.data()); }
  const ScreenButton& Entry(std::size_t index) const { return m_table[index]; }
  // The image button of the table's entry `index`.
  CImageButton& Button(std::size_t index) { return *m_buttons[index]; }

 private:
  std::span<const ScreenButton> m_table;
  std::vector<std::unique_ptr<CImageButton>> m_buttons;
  bool m_openPlayed = false;
};
