#include "Game/dialogs/CDGameSummaryDlg.h"

#include <cstdio>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/CDHighScoreDlg.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

enum : std::size_t { kOk, kPage };
const ScreenButton kButtons[] = {
    {3250, 477, 510, 138, 49, "okup2.ima", "okdn2.ima", nullptr, 1},
    {3251, 184, 510, 138, 49, "nxtpgup.ima", "prevpgup.ima", nullptr, 0},
};

constexpr int kSlotsPerGuild = 8;
constexpr int kRowsPerPage = 20;
constexpr int kFirstRowY = 140;
constexpr int kRowStep = 17;

// Little-endian fields of the game-over packet, 0 where it ends early.
std::uint32_t Field(std::span<const std::uint8_t> p, std::size_t at, std::size_t width) {
  if (at > p.size() || p.size() - at < width) return 0;
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(p[at + i]) << (8 * i);
  return v;
}

std::string ChapterName(int id) {
  if (!g_gameData || !g_gameData->guildList) return std::string();
  const CGuild* guild = g_gameData->guildList->GetGuild(static_cast<std::uint32_t>(id / kSlotsPerGuild));
  const CGChapter* chapter = guild ? guild->GetChapter(static_cast<std::uint32_t>(id % kSlotsPerGuild)) : nullptr;
  return chapter && chapter->GetName() ? chapter->GetName() : std::string();
}

}  // namespace

SummaryTable RankSummary(std::span<const std::int32_t, kSummaryRows> scores, std::uint8_t perGuild,
                         std::span<const std::uint8_t> gameOver) {
  int position[kSummaryRows] = {};
  int place[kSummaryRows];
  for (int& p : place) p = 1;
  for (int a = 0; a < kSummaryRows; ++a) {
    for (int b = a + 1; b < kSummaryRows; ++b) {
      if (scores[a] < scores[b]) {
        ++position[a];
        ++place[a];
      } else {
        ++position[b];
        if (scores[a] != scores[b]) ++place[b];
      }
    }
  }
  SummaryTable rows{};
  for (int c = 0; c < kSummaryRows; ++c) {
    if (c % kSlotsPerGuild >= perGuild) continue;
    SummaryRow& r = rows[position[c]];
    const auto at = static_cast<std::size_t>(c);
    r.place = static_cast<std::uint8_t>(place[c]);
    r.chapter = static_cast<std::uint8_t>(c);
    r.score = scores[c];
    r.result = static_cast<std::uint8_t>(Field(gameOver, 8 + at, 1));
    r.counts[0] = static_cast<std::uint8_t>(Field(gameOver, 50 + at, 1));
    r.counts[1] = static_cast<std::uint8_t>(Field(gameOver, 90 + at, 1));
    r.firstAmount = Field(gameOver, 132 + 4 * at, 4);
    for (std::size_t block : {292u, 452u, 612u, 772u}) r.amountSum += Field(gameOver, block + 4 * at, 4);
    r.lastFigure = static_cast<std::uint16_t>(Field(gameOver, 932 + 2 * at, 2));
  }
  return rows;
}

CDGameSummaryDlg::CDGameSummaryDlg(CDDraw* display, HWND parent, HINSTANCE instance,
                                   std::span<const std::uint8_t> gameOver, HMODULE guildModule)
    : CButtonTableDlg(display, parent, instance, 199, kButtons) {
  TakeModule(guildModule, false);
  std::array<std::int32_t, kSummaryRows> scores{};
  std::uint8_t perGuild = 0;
  if (g_gameData) {
    perGuild = g_gameData->chaptersPerGuild;
    for (int c = 0; c < kSummaryRows; ++c)
      if (c % kSlotsPerGuild < perGuild) scores[c] = static_cast<std::int32_t>(g_gameData->scores[c]);
    const std::uint16_t local = g_gameData->localChapterId;
    if (local < kSummaryRows && 8u + local < gameOver.size()) {
      m_hasLocalResult = true;
      m_localResult = gameOver[8u + local];
    }
  }
  m_rows = RankSummary(scores, perGuild, gameOver);
  m_result = DoModal("IDD_GAME_SUMMARY");
}

CDGameSummaryDlg::~CDGameSummaryDlg() { RedrawGameView(); }

std::string CDGameSummaryDlg::ImagePath(std::size_t, const char* name) const { return GuildArt(name); }

LRESULT CDGameSummaryDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(GuildArt("bkgnd2.ima").c_str(), 0, 0);
  MoveWindow(window, 0, 0, 800, 600, FALSE);
  return 0;
}

LRESULT CDGameSummaryDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  if (const HDC dc = GetDC(window)) {
    DrawTable(dc);
    ReleaseDC(window, dc);
  }
  return 0;
}

std::string CDGameSummaryDlg::LocalResultText() const {
  if (!m_hasLocalResult) return std::string();
  return DialogText(m_localResult == 2 ? "MAJORWIN" : m_localResult == 1 ? "MINORWIN" : "LOST____");
}

void CDGameSummaryDlg::DrawTable(HDC dc) const {
  const HFONT font = CreateFont(14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const auto put = [&](const std::string& text, RECT r, UINT format) {
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_SINGLELINE | DT_NOCLIP);
  };
  const auto number = [](long long v) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", v);
    return std::string(text);
  };
  for (int i = 0; i < kRowsPerPage; ++i) {
    const SummaryRow& r = m_rows[m_page * kRowsPerPage + i];
    if (r.chapter == kEmptySummaryRow) continue;
    const int y = kFirstRowY + i * kRowStep;
    SetTextColor(dc, static_cast<COLORREF>(GetPaleColor(r.chapter / kSlotsPerGuild)));
    put(number(r.place), {65, y, 80, y + 17}, DT_LEFT);
    put(ChapterName(r.chapter), {85, y, 200, y + 17}, DT_LEFT);
    put(number(r.score), {210, y, 290, y + 17}, DT_LEFT);
    put(number(r.counts[0]), {295, y, 366, y + 17}, DT_LEFT);
    put(number(r.counts[1]), {376, y, 441, y + 17}, DT_LEFT);
    put(number(r.firstAmount), {446, y, 517, y + 17}, DT_LEFT);
    put(number(r.amountSum), {527, y, 605, y + 17}, DT_LEFT);
    put(number(r.lastFigure), {615, y, 635, y + 17}, DT_LEFT);
    if (r.result == 2 || r.result == 1)
      put(DialogText(r.result == 2 ? "DGSMAJOR" : "DGSMINOR"), {645, y, 765, y + 17}, DT_CENTER);
  }
  // The player's own result, in the band between the table and the buttons.
  SetTextColor(dc, RGB(255, 255, 255));
  put(LocalResultText(), {200, 484, 600, 504}, DT_CENTER);
  SelectObject(dc, old);
  DeleteObject(font);
}

void CDGameSummaryDlg::OnButton(HWND window, std::size_t index) {
  if (index == kPage) {
    m_page = 1 - m_page;
    ToggleButton(kPage);
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  PlayClick();
  ToggleButton(kOk);
  RECT band{0, 495, 800, 600};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  EndDialog(window, 1);
}

void RunGameOverDialogs(std::span<const std::uint8_t> gameOver) {
  { CDGameSummaryDlg summary(g_ddraw, g_mainWnd, DialogInstance(), gameOver, LocalGuildModule()); }
  RunFinishedHighScoreDialog(gameOver);
}
