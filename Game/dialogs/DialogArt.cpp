#include "Game/dialogs/DialogArt.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/GameLife.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/rules/GRulesFacts.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/window.h"

using namespace plat;

std::string DialogArt(std::string_view name) { return std::string(g_instData.GetArtPath()).append(name); }

int LocalGuildIndex() {
  const int guild = LocalGuild();
  return guild >= 0 && guild < 5 ? guild : 0;
}

std::string GuildArt(std::string_view name) {
  return std::string(g_instData.GetGuildPath(LocalGuildIndex())).append(name);
}

HMODULE LocalGuildModule() {
  HMODULE module = GameGuildModule(LocalGuildIndex());
  if (!module) module = GameImageModule();
  return module;
}

void RedrawGameView() {
  if (!g_currentView) return;
  g_currentView->Invalidate();
  g_currentView->Render(-1);
}

void DrawDialogListLine(const DRAWITEMSTRUCT& item, CSprite* background, std::string_view text, COLORREF selected,
                        COLORREF normal) {
  constexpr int kLineHeight = 15;
  if (background) {
    // The list lies inside the dialog, whose background sits under both.
    RECT list{}, dialog{};
    GetWindowRect(item.hwndItem, &list);
    GetWindowRect(GetParent(item.hwndItem), &dialog);
    const RECT& r = item.rcItem;
    RECT area{r.left + list.left - dialog.left, r.top + list.top - dialog.top, r.right + list.left - dialog.left,
              r.bottom + list.top - dialog.top};
    RECT screen{r.left + list.left, r.top + list.top, r.right + list.left, r.bottom + list.top};
    background->BltToPrimary(&screen, &area);
  }
  const HFONT font = CreateFont(kLineHeight, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(item.hDC, font);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, (item.itemState & ODS_SELECTED) ? selected : normal);
  RECT line = item.rcItem;
  DrawText(item.hDC, text.data(), static_cast<int>(text.size()), &line, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
  SelectObject(item.hDC, old);
  DeleteObject(font);
}

LRESULT TransparentControlColour(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
}

std::string DialogText(const char* id) {
  if (g_app) return g_app->Text(id);
  char text[1024];
  return FetchRulesText(id, text, sizeof(text));
}

void PlayDialogClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("click", 0.0f, 0.0f, 0);
}

HINSTANCE DialogInstance() { return g_app ? g_app->m_instance : nullptr; }

void WriteOnBackground(CSprite* background, const RECT& area, std::string_view text, int height, COLORREF colour,
                       UINT format) {
  if (!background || text.empty()) return;
  const HDC dc = background->GetDC();
  if (!dc) return;
  const HFONT font = CreateFont(height, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  RECT r = area;
  DrawText(dc, text.data(), static_cast<int>(text.size()), &r, format | DT_SINGLELINE | DT_NOCLIP);
  SelectObject(dc, old);
  DeleteObject(font);
  background->ReleaseDC(dc);
}

void RestoreUnderControl(CSprite* background, HWND control) {
  if (!background || !control) return;
  RECT screen{}, dialog{};
  GetWindowRect(control, &screen);
  GetWindowRect(GetParent(control), &dialog);
  RECT area{screen.left - dialog.left, screen.top - dialog.top, screen.right - dialog.left, screen.bottom - dialog.top};
  ShowCursor(FALSE);
  background->BltToPrimary(&screen, &area);
  ShowCursor(TRUE);
}

void WriteMineralNames(CSprite* background, const RECT (&areas)[4]) {
  for (int m = 0; m < 4; ++m) {
    const char id[] = {'M', 'I', 'N', 'T', 'Y', 'P', 'E', static_cast<char>('0' + m), '\0'};
    WriteOnBackground(background, areas[m], DialogText(id), 15, kCaptionColour, DT_LEFT);
  }
}
