#pragma once
// What the two one-line prompts share: a prompt written into a guild's
// "editdlg" background, one text field and an owner-drawn OK button, over the
// template "IDD_ENTER_NAME_DLG". Game thread only.

#include <string>
#include <string_view>

#include "Game/app/CButtonTableDlg.h"

// Longest text the field takes (the caller's buffer holds it and a zero).
constexpr int kNameTextLimit = 49;
constexpr std::size_t kNameBufferSize = kNameTextLimit + 1;
// Longest prompt kept; a longer one is cut.
constexpr std::size_t kPromptLimit = 99;

class CDNamePrompt : public CButtonTableDlg {
 public:
  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  plat::LRESULT m_result = 0;

 protected:
  // `buttons` holds the OK button alone.
  CDNamePrompt(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::string_view prompt, int guild,
               std::span<const ScreenButton> buttons);

  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }

  // The field's text (at most kNameTextLimit characters).
  std::string FieldText(plat::HWND window) const;

  std::string m_prompt;
  int m_guild;

 private:
  bool m_promptWritten = false;
};
