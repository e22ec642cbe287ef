#include "Game/dialogs/CDNamePrompt.h"

#include <algorithm>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/NameIds.h"
#include "media/CSprite.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kGuilds = 5;

HMODULE GuildModuleOf(int guild) {
  HMODULE module = GameGuildModule(guild);
  if (!module) module = GameImageModule();
  return module;
}

}  // namespace

CDNamePrompt::CDNamePrompt(CDDraw* display, HWND parent, HINSTANCE instance, std::string_view prompt, int guild,
                           std::span<const ScreenButton> buttons)
    : CButtonTableDlg(display, parent, instance, 199, buttons),
      m_prompt(prompt.substr(0, std::min(prompt.size(), kPromptLimit))),
      m_guild(guild >= 0 && guild < kGuilds ? guild : 0) {
  TakeModule(GuildModuleOf(m_guild), false);
}

std::string CDNamePrompt::ImagePath(std::size_t, const char* name) const {
  return std::string(g_instData.GetGuildPath(m_guild)).append(name);
}

LRESULT CDNamePrompt::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(ImagePath(0, "editdlg.ima").c_str(), 0, 0);
  MoveWindow(GetDlgItem(window, IDC_NAME_TEXT), 62, 145, 156, 15, FALSE);
  SendDlgItemMessage(window, IDC_NAME_TEXT, EM_LIMITTEXT, kNameTextLimit, 0);
  SetFocus(GetDlgItem(window, IDC_NAME_TEXT));
  return 0;
}

LRESULT CDNamePrompt::OnPaint(HWND window) {
  // The prompt goes into the picture once: later paints show it with it.
  if (!m_promptWritten && m_background) {
    m_promptWritten = true;
    if (const HDC dc = m_background->GetDC()) {
      const HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      // Centred up and down too, clear of the picture's title above a
      // short prompt.
      const RECT box{60, 18, 220, 74};
      RECT need = box;
      DrawText(dc, m_prompt.c_str(), static_cast<int>(m_prompt.size()), &need, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
      RECT r = box;
      r.top += std::max<LONG>(0, (box.bottom - box.top - (need.bottom - need.top)) / 2);
      DrawText(dc, m_prompt.c_str(), static_cast<int>(m_prompt.size()), &r, DT_CENTER | DT_WORDBREAK);
      if (old) SelectObject(dc, old);
      m_background->ReleaseDC(dc);
    }
  }
  CButtonTableDlg::OnPaint(window);
  ValidateRect(Button(0).window, nullptr);
  return 0;
}

std::string CDNamePrompt::FieldText(HWND window) const {
  char text[kNameBufferSize] = {};
  GetDlgItemText(window, IDC_NAME_TEXT, text, static_cast<int>(sizeof text));
  return text;
}
