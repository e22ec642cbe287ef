#pragma once
// The program's two message boxes, drawn in a guild's art: COkDlg (a text and
// OK) and CYesNoDlg (a question with Yes and No). Each runs modally in its
// constructor and has been answered when the constructor returns. Only the
// buttons end a box: Escape reaches it as control 2, which the Yes/No box
// takes as No and the OK box ignores. Game thread only.

#include <cstdint>
#include <memory>

#include "Game/app/CDlgBase.h"

constexpr plat::DWORD kBoxHelpId = 199;

class COkDlg : public CDlgBase {
 public:
  // `text` is cut to 99 characters; guild 0..4.
  COkDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const char* text, std::uint32_t guild);
  ~COkDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

  char m_text[100] = {};
  std::unique_ptr<CSprite> m_button;
  std::unique_ptr<CSprite> m_buttonLit;
  std::uint32_t m_guild = 0;
  plat::LRESULT m_result = 0;  // what the modal run returned (-1: no template)
};

class CYesNoDlg : public CDlgBase {
 public:
  // `text` is cut to 255 characters; `answer` (may be null) receives 1 for
  // Yes and 0 for No.
  CYesNoDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const char* text, std::uint32_t guild,
            std::uint32_t* answer);
  ~CYesNoDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

  char m_text[256] = {};
  std::uint32_t m_guild = 0;
  std::uint32_t* m_answer = nullptr;
  std::unique_ptr<CSprite> m_yes;
  std::unique_ptr<CSprite> m_no;
  std::unique_ptr<CSprite> m_yesLit;
  std::unique_ptr<CSprite> m_noLit;
  plat::LRESULT m_result = 0;
};
