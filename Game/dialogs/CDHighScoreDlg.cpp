#include "Game/dialogs/CDHighScoreDlg.h"

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GameWorld.h"
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

const ScreenButton kButtons[] = {
    {IDOK, 333, 510, 138, 50, "okup.ima", "okdn.ima", nullptr, 0},
};

constexpr int kFirstRowY = 167;
constexpr int kRowStep = 35;
constexpr int kRowsEndY = 482;
// Where a row's name and its conditions must end: short of the next column
// they share lines with (the score at 210, the result at 630).
constexpr int kNameEnd = 204;
constexpr int kConditionsEnd = 624;

// A text of the game's index with its numbers filled in.
std::string Format(const char* id, std::initializer_list<TextArg> args) {
  if (!World().texts) return std::string();
  char text[kMaxTextChars + 1];
  return World().texts->GetTextV(id, text, sizeof text, std::span<const TextArg>(args.begin(), args.size()));
}

}  // namespace

HighScoreEntry FinishedGameEntry(std::span<const std::uint8_t> gameOver) {
  HighScoreEntry e;
  if (!g_gameData) return e;
  const std::uint16_t local = g_gameData->localChapterId;
  if (const CGChapter* chapter = g_gameData->GetLocalChapter()) {
    e.SetName(chapter->GetName() ? chapter->GetName() : "");
    e.owned = static_cast<std::uint8_t>(chapter->GetOwnedAsteroidCount());
  }
  e.guild = g_gameData->GetLocalGuildIndex();
  e.chapters = static_cast<std::uint8_t>(g_gameData->chaptersPerGuild * kGuildCount);
  e.asteroids = static_cast<std::uint8_t>(CGSolarDB::GetAsteroidCount());
  e.turns = static_cast<std::uint16_t>(g_gameData->turn + 1);
  e.conditions = g_gameData->victoryFlags;
  if (local < kMaxChapters) {
    e.score = static_cast<std::int32_t>(g_gameData->scores[local]);
    if (8u + local < gameOver.size()) e.result = gameOver[8u + local];
  }
  return e;
}

HighScoreRowTexts HighScoreTexts(const HighScoreEntry& e) {
  static constexpr const char* kGuildIds[kGuildCount] = {"HS__RUBY", "HSEMERLD", "HSSPPHRE", "HS_TOPAZ", "HSDIMOND"};
  static constexpr std::pair<std::uint16_t, const char*> kConditions[] = {{kConditionCaptureFlag, "HSCAPFLG"},
                                                                          {kConditionBiggest, "HS___BOB"},
                                                                          {kConditionImperator, "HS_IMPER"},
                                                                          {kConditionInterregnum, "HSINTREG"}};
  HighScoreRowTexts t;
  t.name = e.name;
  t.score = Format("HS_SCORE", {e.score});
  t.turns = Format("HS_TURNS", {e.turns});
  // A file may hold any guild byte: one outside the five names none.
  if (e.guild < kGuildCount) t.guild = DialogText(kGuildIds[e.guild]);
  t.conditions = DialogText("HSLSTMAN");
  int flags = 0;
  for (const auto& [flag, id] : kConditions) {
    if (!(e.conditions & flag)) continue;
    t.conditions += DialogText(id);
    ++flags;
  }
  t.asteroids = Format("HS__ASTS", {e.owned, e.asteroids});
  if (flags < 2) t.chapters = Format("HS_CHAPS", {e.chapters});
  t.result = e.result == 2 ? DialogText("DGSMAJOR") : e.result == 1 ? DialogText("DGSMINOR") : "Defeated";
  return t;
}

CDHighScoreDlg::CDHighScoreDlg(CDDraw* display, HWND parent, HINSTANCE instance, bool finished,
                               std::span<const std::uint8_t> gameOver, HMODULE guildModule)
    : CButtonTableDlg(display, parent, instance, 199, kButtons), m_finished(finished) {
  TakeModule(guildModule, false);
  m_table = ReadHighScoreFile();
  if (m_finished) {
    m_newRow = PlaceHighScore(&m_table, FinishedGameEntry(gameOver));
    if (m_newRow < 0) {
      WriteHighScoreFile(m_table);
      return;
    }
  }
  m_shown = true;
  DoModal("IDD_HIGH_SCORE");
}

CDHighScoreDlg::~CDHighScoreDlg() {
  if (m_shown) RedrawGameView();
}

std::string CDHighScoreDlg::ImagePath(std::size_t, const char* name) const { return GuildArt(name); }

LRESULT CDHighScoreDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(GuildArt("bkgnd.ima").c_str(), 0, 0);
  MoveWindow(window, 0, 0, 800, 600, FALSE);
  return 0;
}

LRESULT CDHighScoreDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  if (const HDC dc = GetDC(window)) {
    DrawTable(dc);
    ReleaseDC(window, dc);
  }
  ValidateRect(Button(0).window, nullptr);
  return 0;
}

std::string FitHighScoreText(HDC dc, const std::string& text, int width) {
  const auto fits = [&](const std::string& t) {
    SIZE size{};
    return GetTextExtentPoint32(dc, t.c_str(), static_cast<int>(t.size()), &size) && size.cx <= width;
  };
  if (fits(text)) return text;
  std::string cut = text;
  while (!cut.empty()) {
    cut.pop_back();
    const std::string shown = cut + "...";
    if (fits(shown)) return shown;
  }
  return fits("...") ? "..." : "";
}

void CDHighScoreDlg::DrawTable(HDC dc) const {
  const HFONT font = CreateFont(14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  int row = 0;
  for (int y = kFirstRowY; y < kRowsEndY && row < kHighScoreRows; y += kRowStep, ++row) {
    const HighScoreEntry& e = m_table[row];
    if (e.Empty()) break;
    SetTextColor(dc, row == m_newRow ? RGB(255, 255, 255) : static_cast<COLORREF>(GetPaleColor(e.guild)));
    const HighScoreRowTexts t = HighScoreTexts(e);
    const auto put = [&](const std::string& text, int left, int top, int right, int bottom) {
      RECT r{left, top, right, bottom};
      DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_NOCLIP);
    };
    put(FitHighScoreText(dc, t.name, kNameEnd - 100), 100, y - 24, 190, y - 6);
    put(t.score, 210, y - 32, 280, y - 14);
    put(t.turns, 210, y - 18, 280, y);
    put(t.guild, 290, y - 32, 450, y - 14);
    put(FitHighScoreText(dc, t.conditions, kConditionsEnd - 290), 290, y - 18, 440, y);
    put(t.asteroids, 460, y - 32, 610, y - 14);
    put(t.chapters, 460, y - 18, 620, y);
    put(t.result, 630, y - 24, 730, y - 6);
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

void CDHighScoreDlg::OnButton(HWND window, std::size_t) {
  PlayClick();
  ToggleButton(0);
  Sleep(100);
  if (m_finished) WriteHighScoreFile(m_table);
  EndDialog(window, 0);
}

void RunHighScoreDialog() {
  CDHighScoreDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), false, {}, LocalGuildModule());
}

void RunFinishedHighScoreDialog(std::span<const std::uint8_t> gameOver) {
  CDHighScoreDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), true, gameOver, LocalGuildModule());
}
