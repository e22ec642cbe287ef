// The status page of the info panel: every chapter's standing by guild, the
// guilds' figures over the remembered turns, and the local chapter's own
// figures over them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GWorldTypes.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/ChartLabels.h"
#include "Game/panels/InfoPageDraw.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr std::uint16_t kImperatorWins = 8;
// The charts' figures are written at least a row of the chapter table apart.
constexpr int kLabelStep = 11;
// The chapter table's figure columns: each runs to the next one's start, the
// last to the panel's right edge, where the screen's frame begins; a figure
// keeps this much of its column clear on the right.
constexpr int kFigureStep = 25;
constexpr int kPanelRight = 585;
constexpr int kFigureMargin = 3;
constexpr int kTotalX[5] = {450, 475, 500, 525, 550};

struct Series {
  const char* id;
  COLORREF colour;
  int x;
  int y;
};
// Metal, silicate, exotics, power, ships, mining, organics, asteroids, reactives.
constexpr Series kSeries[kStatusSeries] = {
    {"METAL___", 0xAFAFAF, 410, 332}, {"SILICATE", 0xF000F0, 315, 317}, {"EXOTICS_", 0xC80000, 410, 347},
    {"IST2POWR", 0xFFFF00, 315, 347}, {"IST2SHPS", 0xBEBEFF, 505, 347}, {"IST2MING", 0x0000B4, 410, 317},
    {"IST2CRED", 0x00FFFF, 505, 317}, {"IST2ASTS", 0x00FF00, 505, 332}, {"REACTIV_", 0x64FF64, 315, 332},
};
// The legend cells, row by row, as series numbers.
constexpr int kLegendCells[3][3] = {{1, 5, 6}, {8, 0, 7}, {3, 2, 4}};

// The standing and statistics row of a turn.
int RowOf(std::uint32_t turn) { return static_cast<int>(turn % kStandingRows); }

std::uint32_t StandingFigure(const ChapterStanding& s, int figure) {
  return figure == 0 ? s.asteroids : figure == 1 ? s.presence : s.ships;
}

// A turn's standings and statistics arrive with its results, before the turn
// counter moves on: the row of the turn under way stays empty until then, and
// the latest figures are those of the turn played last.
int LatestRow() { return RowOf(g_gameData->turn > 0 ? g_gameData->turn - 1 : 0); }

// The remembered turns, oldest first: the turns played among the last 50.
std::uint32_t TurnsShown() { return g_gameData ? std::min<std::uint32_t>(g_gameData->turn, kStandingRows) : 0; }
std::uint32_t TurnAt(std::uint32_t i) { return g_gameData->turn - TurnsShown() + i; }

// The height of value v on a chart `height` pixels high whose largest value m
// reaches 1/1.2 of it, in whole numbers: a scale kept as a truncated factor
// would drop to 0 for large m. m is never 0 here (an empty chart has only axes).
int Scaled(std::uint32_t v, int height, std::uint32_t m) {
  return static_cast<int>(std::int64_t{v} * height * 5 / (std::int64_t{m} * 6));
}

void DrawPageButtons(std::uint8_t page) {
  Box(5, 344, 285, 362, kBlack, 35, kGreen);
  Caption("ISTCINFO", 10, 347, 110, Pick(page == 0));
  Caption("ISTGINFO", 105, 347, 110, Pick(page == 1));
  Caption("ISTPINFO", 185, 347, 110, Pick(page == 2));
}

void DrawChapterPage() {
  for (int y : {1, 27, 341}) Line(5, y, 580, y, kGreen);
  constexpr struct {
    const char* id;
    int x;
    int y;
  } kHeaders[] = {
      {"ISTHDR_1", 115, 13}, {"ISTHDR_2", 155, 1}, {"ISTHDR_3", 195, 13}, {"ISTHDR_4", 225, 1}, {"ISTHDR_5", 245, 13}};
  for (const auto& h : kHeaders) {
    Caption(h.id, h.x, h.y, 80, kWhite);
    Caption(h.id, h.x + 290, h.y, 80, kWhite);
  }
  // Eight chapters' scores can pass what 32 bits hold.
  std::uint64_t totals[kGuildCount][5] = {};
  const int row = LatestRow();
  const int last = 32 + g_gameData->chaptersPerGuild - 1;
  for (int c = 0; c <= last && c < kMaxChapters; ++c) {
    const CGChapter* chapter = g_gameData->guildList ? g_gameData->guildList->GetChapter(c) : nullptr;
    if (!chapter) continue;
    const int g = c / 8;
    const int x = 10 + 290 * (c % 2);
    const int y = 30 + 63 * g + 11 * ((c % 8) / 2);
    const COLORREF colour = GetPaleColor(g);
    ChapterStanding s;
    g_gameData->GetChapterStanding(row, c, &s);
    const std::uint32_t figures[5] = {s.asteroids, s.presence, s.votes, s.ships, g_gameData->scores[c]};
    Write(chapter->GetName() ? chapter->GetName() : "", x, y, 150, colour);
    for (int i = 0; i < 5; ++i) {
      const int left = x + 160 + kFigureStep * i;
      const int room = std::min(left + kFigureStep, kPanelRight) - left - kFigureMargin;
      Write(FittedFigure(figures[i], room), left, y, kFigureStep, colour);
      totals[g][i] += figures[i];
    }
  }
  constexpr int kTotalWidth[5] = {20, 20, 20, 30, 40};
  for (int g = 0; g < kGuildCount; ++g) {
    const int y = 75 + 63 * g;
    const COLORREF colour = GetBrightColor(g);
    Line(10, y, 575, y, colour);
    char id[24];
    std::snprintf(id, sizeof id, "ISTGLD%dT", g + 1);
    Caption(id, 0, y, 440, colour, DT_RIGHT);
    for (int i = 0; i < 5; ++i) {
      const int right = i < 4 ? kTotalX[i + 1] : kPanelRight;
      Write(FittedFigure(totals[g][i], right - kTotalX[i] - kFigureMargin), kTotalX[i], y, kTotalWidth[i], colour);
    }
  }
}

void DrawGuildPage(std::uint8_t figure) {
  Box(5, 2, 300, 22, kBlack, 35, kGreen);
  constexpr const char* kTitles[3] = {"ISTGHDR1", "ISTGHDR2", "ISTGHDR3"};
  Caption(kTitles[figure % 3], 5, 5, 295, kWhite, DT_CENTER);
  Line(5, 27, 5, 337, kGreen, 3);
  Line(5, 337, 580, 337, kGreen, 3);
  Box(325, 344, 580, 362, GetMediumColor(LocalGuild()), 35, kGreen);
  Caption("ISTCNTRL", 340, 347, 80, Pick(figure == 0));
  Caption("ISTPRSNC", 430, 347, 80, Pick(figure == 1));
  Caption("ISTSHIPS", 520, 347, 60, Pick(figure == 2));

  const std::uint32_t shown = TurnsShown();
  std::uint32_t values[kGuildCount][kStandingRows] = {};
  std::uint32_t m = 0;
  for (std::uint32_t i = 0; i < shown; ++i) {
    const int row = RowOf(TurnAt(i));
    for (int c = 0; c < kMaxChapters; ++c) {
      if (!g_gameData->guildList || !g_gameData->guildList->GetChapter(c)) continue;
      ChapterStanding s;
      g_gameData->GetChapterStanding(row, c, &s);
      values[c / 8][i] += StandingFigure(s, figure);
    }
    for (auto& guild : values) m = std::max(m, guild[i]);
  }
  if (m == 0) return;  // nothing to chart: the axes alone
  if ((g_gameData->victoryFlags & kImperatorWins) && figure == 0) {
    const auto t = static_cast<std::uint32_t>(g_numAsteroids * g_gameData->guildControlPercent * 0.01 + 0.999);
    const int y = 331 - Scaled(t, 342, m);
    Line(5, y, 580, y, kGreen);
    Write(Text("ISTIMPER", static_cast<std::int32_t>(t)), 10, y - 14, 200, kGreen);
  }
  int labels[kGuildCount] = {};
  for (int g = 0; g < kGuildCount; ++g) {
    const COLORREF colour = GetBrightColor(g);
    int px = 7;
    int py = 331 - Scaled(values[g][0], 342, m);
    for (std::uint32_t i = 1; i < shown; ++i) {
      const int nx = 7 + 11 * static_cast<int>(i);
      const int ny = 331 - Scaled(values[g][i], 342, m);
      Line(px, py, nx, ny, colour);
      px = nx;
      py = ny;
    }
    labels[g] = py - 15;
  }
  SpreadChartLabels(labels, 27, 331 - 15, kLabelStep);
  const int x = 9 + 11 * static_cast<int>(shown - 1);
  for (int g = 0; g < kGuildCount; ++g)
    Write(std::to_string(values[g][shown - 1]), x, labels[g], 40, GetBrightColor(g));
}

}  // namespace

void CInfoPanel::DrawStatus() {
  ResetHotSpots();
  if (g_gameData) {
    if (statusPage == 0)
      DrawChapterPage();
    else if (statusPage == 1)
      DrawGuildPage(guildFigure);
    else
      DrawPersonalPage();
  }
  DrawPageButtons(statusPage);
}

void CInfoPanel::DrawPersonalPage() {
  Box(5, 2, 250, 22, kBlack, 35, kGreen);
  Caption("ISTTITLE", 5, 5, 245, kWhite, DT_CENTER);
  Line(5, 27, 5, 307, kGreen, 3);
  Line(5, 307, 580, 307, kGreen, 3);
  Box(300, 314, 580, 362, kBlack, 35, kGreen);
  for (int i = 0; i < kStatusSeries; ++i)
    Caption(kSeries[i].id, kSeries[i].x, kSeries[i].y, 170, Pick(statusSeries[i] != 0, kSeries[i].colour));

  const CGChapter* chapter = g_gameData->GetLocalChapter();
  if (!chapter) return;
  const std::uint32_t shown = TurnsShown();
  std::uint32_t values[kStatusSeries][kStandingRows] = {};
  std::uint32_t m = 0;
  for (std::uint32_t i = 0; i < shown; ++i) {
    const int row = RowOf(TurnAt(i));
    std::uint32_t stats[kStatFields] = {};
    chapter->GetTurnStatistics(row, stats);
    ChapterStanding s;
    g_gameData->GetChapterStanding(row, g_gameData->localChapterId, &s);
    // Stock of metal, silicate, exotics; power; ships; mined metal, silicate
    // and exotics; organics; asteroids; stock of reactives.
    const std::uint32_t v[kStatusSeries] = {stats[4], stats[5],    stats[6],
                                            stats[8], s.ships,     stats[0] + stats[1] + stats[2],
                                            stats[9], s.asteroids, stats[7]};
    for (int k = 0; k < kStatusSeries; ++k) {
      values[k][i] = v[k];
      if (statusSeries[k]) m = std::max(m, v[k]);
    }
  }
  if (m == 0 || shown == 0) return;  // nothing to chart: the axes alone
  int labels[kStatusSeries] = {};
  int series[kStatusSeries] = {};
  int labelled = 0;
  for (int k = 0; k < kStatusSeries; ++k) {
    if (!statusSeries[k]) continue;
    const COLORREF colour = kSeries[k].colour;
    for (std::uint32_t i = 1; i < shown; ++i)
      Line(7 + 11 * static_cast<int>(i - 1), 307 - Scaled(values[k][i - 1], 307, m), 7 + 11 * static_cast<int>(i),
           307 - Scaled(values[k][i], 307, m), colour);
    series[labelled] = k;
    labels[labelled++] = 292 - Scaled(values[k][shown - 1], 307, m);
  }
  SpreadChartLabels(std::span<int>(labels, labelled), 27, 292, kLabelStep);
  for (int i = 0; i < labelled; ++i) {
    const int k = series[i];
    Write(std::to_string(values[k][shown - 1]), 8 + 11 * static_cast<int>(shown - 1), labels[i], 60, kSeries[k].colour);
  }
}

int CInfoPanel::ClickStatus(int x, int y, WPARAM) {
  const int vx = x - 29;
  const int vy = y - 98;
  if (vy >= 345 && vy < 362) {
    std::uint8_t page = 255;
    if (vx >= 11 && vx <= 99)
      page = 0;
    else if (vx >= 106 && vx <= 179)
      page = 1;
    else if (vx >= 186 && vx <= 279)
      page = 2;
    if (page != 255) {
      if (page == statusPage) return 0;
      statusPage = page;
      return 1;
    }
  }
  switch (statusPage) {
    case 0:
      return ClickStatusChapters(x, y);
    case 1:
      return ClickStatusGuilds(x, y);
    default:
      return ClickStatusPersonal(x, y);
  }
}

int CInfoPanel::ClickStatusChapters(int, int) { return 0; }

int CInfoPanel::ClickStatusGuilds(int x, int y) {
  const int vx = x - 29;
  const int vy = y - 98;
  if (vy < 345 || vy >= 362) return 0;
  if (vx >= 341 && vx <= 424)
    guildFigure = 0;
  else if (vx >= 431 && vx <= 514)
    guildFigure = 1;
  else if (vx >= 521 && vx <= 579)
    guildFigure = 2;
  else
    return 0;
  return 1;
}

int CInfoPanel::ClickStatusPersonal(int x, int y) {
  const int vx = x - 29;
  const int vy = y - 98;
  if (vx < 316 || vx > 579 || vy < 315 || vy > 361) return 0;
  const int column = vx <= 404 ? 0 : vx <= 499 ? 1 : 2;
  const int row = vy <= 331 ? 0 : vy <= 346 ? 1 : 2;
  std::uint8_t& on = statusSeries[kLegendCells[row][column]];
  on = on ? 0 : 1;
  return 1;
}
