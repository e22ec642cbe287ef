#pragma once
// A short text under a prompt: unit and design names, amounts on the trade
// screens. The caller's buffer starts the field (once: repaints keep what is
// typed) and gets the field back on OK and on Cancel alike; the success
// flag tells them apart. Game thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "Game/dialogs/CDNamePrompt.h"

class CDEnterNameDlg : public CDNamePrompt {
 public:
  // `result` holds at least kNameBufferSize bytes; `success` may be null.
  // The field takes at most `limit` characters (kNameTextLimit at most); a
  // longer starting text is cut to it. Runs modally: 0 on OK (*success 1), 1
  // on Cancel (*success 0).
  CDEnterNameDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::string_view prompt, int guild,
                 char* result, std::uint32_t* success, int limit = kNameTextLimit);
  ~CDEnterNameDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

 protected:
  void OnButton(plat::HWND window, std::size_t index) override;
  plat::LRESULT OnOtherCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 private:
  void Finish(plat::HWND window, bool ok);

  char* m_text;
  std::uint32_t* m_success;
  int m_limit;
  bool m_fieldFilled = false;  // the caller's text is in the field
};

// Runs the prompt over the game view in the local guild's art with `text`
// as the initial text; true on OK, with `text` the field's.
bool RunEnterNameDialog(std::string_view prompt, std::string* text);
