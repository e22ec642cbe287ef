#include "Game/app/CMessageBoxes.h"

#include <cstdio>
#include <string>
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr RECT kBoxRect{263, 229, 263 + 275, 229 + 143};
constexpr int kButtonWidth = 71;
constexpr int kButtonHeight = 35;
constexpr int kButtonTop = 108;

void CopyCut(char* dst, std::size_t size, const char* text) { std::snprintf(dst, size, "%s", text ? text : ""); }

// The guild's art directory in front of an image name.
std::string GuildImage(std::uint32_t guild, const char* name) {
  return std::string(g_instData.GetGuildPath(static_cast<int>(guild))) + name;
}

// During a game the game's "guild.dll" of `guild`; otherwise the one of
// `fileGuild` loaded from its art directory (owned by the box).
std::pair<HMODULE, bool> BoxModule(std::uint32_t guild, std::uint32_t fileGuild) {
  if (GameExists()) return {GameGuildModule(static_cast<int>(guild)), false};
  char path[260];
  g_instData.BuildPath(path, "guild.dll", INSTPATH_GUILD_ART, static_cast<int>(fileGuild));
  return {LoadLibrary(path), true};
}

void PlaceBox(HWND window) {
  MoveWindow(window, kBoxRect.left, kBoxRect.top, kBoxRect.right - kBoxRect.left, kBoxRect.bottom - kBoxRect.top, TRUE);
}

void PlaceButton(HWND window, int id, int x) {
  if (HWND b = GetDlgItem(window, id)) MoveWindow(b, x, kButtonTop, kButtonWidth, kButtonHeight, TRUE);
}

// White, centred and word-wrapped in the dialog font, into the background.
void DrawBoxText(CSprite* background, HFONT font, const char* text, RECT rect) {
  if (!background) return;
  HDC dc = background->GetDC();
  if (!dc) return;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawText(dc, text, -1, &rect, DT_CENTER | DT_WORDBREAK);
  if (old) SelectObject(dc, old);
  background->ReleaseDC(dc);
}

void PlayClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("click", 1.0f, 0.0f, 0);
}

bool IsButton(const DRAWITEMSTRUCT* item, UINT id) { return item && item->CtlType != ODT_MENU && item->CtlID == id; }

}  // namespace

COkDlg::COkDlg(CDDraw* display, HWND parent, HINSTANCE instance, const char* text, std::uint32_t guild)
    : CDlgBase(display, parent, instance, kBoxHelpId, nullptr), m_guild(guild) {
  CopyCut(m_text, sizeof m_text, text);
  m_result = DoModal("IDD_OK_DLG");
}

COkDlg::~COkDlg() {
  m_button.reset();
  m_buttonLit.reset();
}

LRESULT COkDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  // The base's front-end module is not this box's: its images are the guild's.
  const auto [module, own] = BoxModule(m_guild, m_guild);
  TakeModule(module, own);
  PlaceBox(window);
  PlaceButton(window, 1, 103);
  m_background = LoadImage(GuildImage(m_guild, "okdlg.ima").c_str(), kBoxRect.left, kBoxRect.top);
  m_button = LoadImage(GuildImage(m_guild, "okdlgbtn.ima").c_str(), 103, kButtonTop);
  m_buttonLit = LoadImage(GuildImage(m_guild, "okdlglit.ima").c_str(), 103, kButtonTop);
  return 0;
}

LRESULT COkDlg::OnPaint(HWND window) {
  DrawBoxText(m_background.get(), m_font, m_text, RECT{55, 25, 220, 120});
  CDlgBase::OnPaint(window);
  return 1;
}

LRESULT COkDlg::OnDrawItem(DRAWITEMSTRUCT* item, HWND) {
  if (!IsButton(item, 1)) return 0;
  DrawOverControl((item->itemState & ODS_SELECTED) ? m_buttonLit.get() : m_button.get(), item->hwndItem);
  return 1;
}

LRESULT COkDlg::OnCommand(WPARAM wParam, LPARAM, HWND window) {
  if (LOWORD(wParam) != 1) return 0;
  PlayClick();
  EndDialog(window, 0);
  return 1;
}

CYesNoDlg::CYesNoDlg(CDDraw* display, HWND parent, HINSTANCE instance, const char* text, std::uint32_t guild,
                     std::uint32_t* answer)
    : CDlgBase(display, parent, instance, kBoxHelpId, nullptr), m_guild(guild), m_answer(answer) {
  CopyCut(m_text, sizeof m_text, text);
  m_result = DoModal("IDD_YESNO_DLG");
}

CYesNoDlg::~CYesNoDlg() {
  m_yes.reset();
  m_no.reset();
  m_yesLit.reset();
  m_noLit.reset();
}

LRESULT CYesNoDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  // Outside a game the module is guild 0's whatever the box's guild.
  const auto [module, own] = BoxModule(m_guild, 0);
  TakeModule(module, own);
  m_background = LoadImage(GuildImage(m_guild, "yesnodlg.ima").c_str(), kBoxRect.left, kBoxRect.top);
  PlaceBox(window);
  PlaceButton(window, 1, 47);
  PlaceButton(window, 2, 157);
  m_yes = LoadImage(GuildImage(m_guild, "yesbtn.ima").c_str(), 47, kButtonTop);
  m_no = LoadImage(GuildImage(m_guild, "nobtn.ima").c_str(), 157, kButtonTop);
  m_yesLit = LoadImage(GuildImage(m_guild, "ysbtnlit.ima").c_str(), 47, kButtonTop);
  m_noLit = LoadImage(GuildImage(m_guild, "nobtnlit.ima").c_str(), 157, kButtonTop);
  return 0;
}

LRESULT CYesNoDlg::OnPaint(HWND window) {
  DrawBoxText(m_background.get(), m_font, m_text, RECT{53, 25, 222, 120});
  CDlgBase::OnPaint(window);
  return 1;
}

LRESULT CYesNoDlg::OnDrawItem(DRAWITEMSTRUCT* item, HWND) {
  const bool pressed = item && (item->itemState & ODS_SELECTED);
  if (IsButton(item, 1)) {
    DrawOverControl(pressed ? m_yesLit.get() : m_yes.get(), item->hwndItem);
    return 1;
  }
  if (IsButton(item, 2)) {
    DrawOverControl(pressed ? m_noLit.get() : m_no.get(), item->hwndItem);
    return 1;
  }
  return 0;
}

LRESULT CYesNoDlg::OnCommand(WPARAM wParam, LPARAM, HWND window) {
  const WORD id = LOWORD(wParam);
  if (id != 1 && id != 2) return 0;
  PlayClick();
  const std::uint32_t yes = id == 1 ? 1 : 0;
  if (m_answer) *m_answer = yes;
  EndDialog(window, yes);
  return 1;
}
