// The asteroid list of the info panel: the solar system's asteroids in name
// order under one of four filters, 14 rows to a page, the local chapter's own
// asteroids on two rows with their ATVs and mining utilization.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GStar.h"
#include "Game/model/GZone.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/PanelFrame.h"
#include "media/CSprite.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"

using namespace plat;
using namespace infopage;

namespace {

// One geometry for drawing, clicks and hover: row r's band starts 3 pixels
// above its text.
constexpr int kTextTop = 30;
constexpr int kBandTop = 27;
constexpr int kRowHeight = 20;
constexpr std::uint8_t kUnsurveyed = 253;
constexpr double kRadiansPerPercent = 0.0628;

constexpr const char* kAtvIcons[4] = {"smcomatv", "smminatv", "smpowatv", "smsbatv"};

CGAsteroid* Asteroid(std::uint16_t a) {
  return g_gameData && a != kNoPanelItem ? g_gameData->solarDB.GetAsteroid(a) : nullptr;
}

bool Surveyed(const CGAsteroid* a) {
  const CGZone* centre = a->GetZone(0);
  return centre && centre->owner != kUnsurveyed;
}

COLORREF RowColour(const CGAsteroid* a, std::uint16_t hovered) {
  if (a->id == hovered) return kWhite;
  if (a->owner == kNoChapter) return kGrey;
  if (a->owner == LocalChapterId(0)) return GetFullColor(LocalChapterId(0) >> 3);
  return GetPaleColor(a->owner >> 3);
}

// Whether the page is full before an asteroid: 14 rows used, or 13 and the
// asteroid is an own listed one whose two lines must stay together.
bool PageFullBefore(int used, bool listed, bool own) {
  return used >= kAsteroidListRows || (listed && own && used == kAsteroidListRows - 1);
}

std::uint16_t NextByName(std::uint16_t from, int ascending) {
  return g_gameData ? g_gameData->solarDB.GetNextAsteroidByName(from, ascending) : kNoPanelItem;
}

// A row's name, owner, orbit and size.
void DrawRowTexts(CGAsteroid* a, int r, std::uint16_t hovered) {
  const int y = kTextTop + kRowHeight * r;
  const COLORREF colour = RowColour(a, hovered);
  char text[64];
  std::snprintf(text, sizeof text, "%-20.20s", a->GetName());
  Write(text, 2, y, 150, colour, DT_LEFT, 1, 1);
  const CGChapter* owner =
      a->owner != kNoChapter && g_gameData->guildList ? g_gameData->guildList->GetChapter(a->owner) : nullptr;
  if (owner)
    Write(owner->GetName() ? owner->GetName() : "", 150, y, 180, colour, DT_LEFT, 1, 1);
  else
    Write(Text("IALUNOWN"), 150, y, 100, colour, DT_LEFT, 1, 1);
  // The orbit named as the data panel names it: a swing between the stars
  // is the player's elliptical orbit, any other circles its star.
  if (a->orbitKind == ORBIT_OSCILLATING) {
    Write(Text("IALELLIP"), 335, y, 100, colour, DT_LEFT, 1, 1);
  } else {
    CGStar* star = g_gameData->solarDB.GetStarOfAsteroid(a);
    Write(star && star->GetName() ? star->GetName() : "", 335, y, 100, colour, DT_LEFT, 1, 1);
  }
  char size[32] = {};
  a->GetSizeText(size);
  Write(size, 430, y, 100, colour, DT_LEFT, 1, 1);
}

// Four pies of the composition's shares, each a slice from the top of its circle.
void DrawComposition(CSprite* screen, const CGAsteroid* a, int y) {
  std::uint8_t shares[4] = {};
  if (!g_gameData->GetResourceMix(a->GetCompositionType(), shares) || !screen) return;
  HDC dc = screen->GetDC();
  if (!dc) return;
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  for (int i = 0; i < 4; ++i) {
    if (shares[i] == 0) continue;
    const int left = kLeft + 501 + 20 * i;
    const int top = kTop + y - 2;
    HBRUSH brush = CreateSolidBrush(kMineralColours[i]);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const int cx = left + 8;
    const int cy = top + 8;
    const double sweep = shares[i] * kRadiansPerPercent;
    if (shares[i] >= 100) {
      Ellipse(dc, left, top, left + 16, top + 16);
    } else {
      const int ex = cx - static_cast<int>(std::lround(std::sin(sweep) * 64));
      const int ey = cy - static_cast<int>(std::lround(std::cos(sweep) * 64));
      Pie(dc, left, top, left + 16, top + 16, cx, top - 56, ex, ey);
    }
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  HPEN white = CreatePen(PS_SOLID, 1, kWhite);
  SelectObject(dc, white);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (int i = 0; i < 4; ++i) {
    const int left = kLeft + 501 + 20 * i;
    const int top = kTop + y - 2;
    Ellipse(dc, left, top, left + 16, top + 16);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(white);
  screen->ReleaseDC(dc);
}

// The second line of an own asteroid: ATVs by kind and mining utilization.
void DrawOwnLine(CInfoPanel& panel, CGAsteroid* a, int r, COLORREF colour) {
  const int y2 = kTextTop + kRowHeight * r;
  Line(10, y2 - 5, 10, y2 + 6, colour);
  Line(10, y2 + 6, 30, y2 + 6, colour);
  Line(305, y2 + 6, 340, y2 + 6, colour);
  Line(520, y2 + 6, 570, y2 + 6, colour);
  Line(569, y2 - 3, 569, y2 + 6, colour);
  Write(Text("IALATVPR"), 35, y2, 80, colour, DT_RIGHT, 0, 0);
  std::uint16_t counts[4] = {};
  a->CountChapterATVs(static_cast<std::uint8_t>(LocalChapterId(0)), &counts[0], &counts[1], &counts[2], &counts[3]);
  const int guild = LocalChapterId(0) >> 3;
  const char* dir = g_instData.GetGuildPath(guild);
  for (int k = 0; k < 4; ++k) {
    const int x = 130 + 42 * k;
    char number[16];
    std::snprintf(number, sizeof number, "%d", counts[k]);
    Write(number, x, y2, 20, colour, DT_RIGHT, 0, 0);
    const std::string path = std::string(dir ? dir : "") + kAtvIcons[k] + ".ima";
    HMODULE module = g_gameData->GetGuildModule(guild);
    CSprite icon(panel.owner, path.c_str(), module, 0, 15, 18, 0, 0, 0);
    icon.LoadImage(module);
    PanelFrame().DrawViewSprite(&icon, kLeft + x + 22, kTop + y2 - 3, nullptr);
  }
  Write(Text("IALMUTIL"), 340, y2, 130, colour, DT_RIGHT, 0, 0);
  std::uint16_t out[4] = {};
  std::uint16_t capacity[4] = {};
  a->GetChapterMiningOutput(LocalChapterId(0), &out[0], &out[1], &out[2], &out[3]);
  a->GetMiningCapacity(LocalChapterId(0), &capacity[0], &capacity[1], &capacity[2], &capacity[3]);
  const long outSum = long{out[0]} + out[1] + out[2] + out[3];
  const long capSum = long{capacity[0]} + capacity[1] + capacity[2] + capacity[3];
  const long utilization = outSum == 0 || capSum == 0 ? 0 : outSum * 100 / capSum;
  char percent[24];
  std::snprintf(percent, sizeof percent, "%ld%%", utilization);
  Write(percent, 485, y2, 30, colour, DT_LEFT, 0, 0);
}

}  // namespace

void CInfoPanel::ResetAsteroidList() {
  asteroidList.anchor = kNoPanelItem;
  asteroidList.lastExamined = 0;
  asteroidList.rows.fill(kNoPanelItem);
  asteroidList.filter = 0;
}

bool CInfoPanel::IsAsteroidListed(std::uint16_t asteroid) const {
  const CGAsteroid* a = Asteroid(asteroid);
  if (!a) return false;
  if (g_gameData->asteroidsHiddenUntilSeen != 0 && a->detected == 0) return false;
  switch (asteroidList.filter) {
    case 0:
      return true;
    case 1:
      return a->owner == LocalChapterId(0);
    case 2:
      return a->owner != kNoChapter && (a->owner >> 3) == (LocalChapterId(0) >> 3);
    case 3:
      return Surveyed(a);
    default:
      return false;
  }
}

void CInfoPanel::DrawAsteroidList() {
  AsteroidListState& s = asteroidList;
  s.atEnd = 0;
  Line(5, 3, 580, 3);
  Line(5, 23, 580, 23);
  Line(5, 314, 580, 314);
  Write(Text("IALHNAME"), 45, 7, 100, kWhite, DT_WORDBREAK, 1, 1);
  Write(Text("IALHOWNR"), 200, 7, 100, kWhite, DT_WORDBREAK, 1, 1);
  Write(Text("IALHRBIT"), 345, 7, 100, kWhite, DT_WORDBREAK, 1, 1);
  Write(Text("IALHAREA"), 435, 7, 100, kWhite, DT_WORDBREAK, 1, 1);
  Write(Text("IALHECOC"), 505, 7, 100, kWhite, DT_WORDBREAK, 1, 1);

  s.rows.fill(kNoPanelItem);
  int used = 0;
  std::uint16_t at = s.anchor;
  // Each step moves on in the name order, so the walk ends within one pass.
  for (int guard = 0; used < kAsteroidListRows && guard <= CGSolarDB::GetAsteroidCount(); ++guard) {
    const std::uint16_t next = NextByName(at, 1);
    CGAsteroid* a = Asteroid(next);
    if (!a) {
      s.atEnd = 1;
      break;
    }
    const bool listed = IsAsteroidListed(next);
    const bool own = a->owner == LocalChapterId(0);
    if (PageFullBefore(used, listed, own)) break;
    s.lastExamined = next;
    at = next;
    if (!listed) continue;
    const COLORREF colour = RowColour(a, s.hovered);
    DrawRowTexts(a, used, s.hovered);
    const int y = kTextTop + kRowHeight * used;
    if (!Surveyed(a))
      Write(Text("IALNOSVY"), 501, y, 100, colour, DT_LEFT, 1, 1);
    else
      DrawComposition(screen, a, y);
    s.rows[used++] = next;
    if (own) {
      s.rows[used] = next;
      DrawOwnLine(*this, a, used++, colour);
    }
  }

  Box(450, 319, 580, 337);
  Write(Text("INFOMORE"), 463, 322, 70, s.atEnd ? kGrey : kWhite, DT_LEFT, 1, 1);
  Write(Text("INFOPREV"), 511, 322, 100, s.anchor == kNoPanelItem ? kGrey : kWhite, DT_LEFT, 1, 1);
  Box(5, 342, 150, 362);
  Write(Text("ASTDLIST"), 35, 345, 100, kWhite, DT_LEFT, 1, 1);
  Box(155, 342, 580, 362);
  constexpr const char* kFilterIds[] = {"IALF_ALL", "IALF_MIN", "IALF_GLD", "IALF_SVY"};
  constexpr int kFilterX[] = {195, 290, 385, 480};
  constexpr int kFilterWidth[] = {50, 90, 90, 90};
  for (int f = 0; f < 4; ++f)
    Write(Text(kFilterIds[f]), kFilterX[f], 345, kFilterWidth[f], f == s.filter ? kWhite : kGrey, DT_LEFT, 1, 1);
}

// Own asteroids take two rows, so a page may hold fewer than 14 asteroids:
// counting 14 back would skip pages. The pages are laid from the first
// asteroid instead, and the one that reaches the current anchor comes before it.
std::uint16_t CInfoPanel::PreviousAsteroidAnchor() const {
  const std::uint16_t current = asteroidList.anchor;
  std::uint16_t start = kNoPanelItem;
  std::uint16_t at = kNoPanelItem;
  int used = 0;
  // Every step examines the next asteroid in name order, so one pass ends it.
  for (int guard = 0; current != kNoPanelItem && guard <= CGSolarDB::GetAsteroidCount(); ++guard) {
    const std::uint16_t next = NextByName(at, 1);
    const CGAsteroid* a = Asteroid(next);
    if (!a) break;
    const bool listed = IsAsteroidListed(next);
    const bool own = a->owner == LocalChapterId(0);
    if (PageFullBefore(used, listed, own)) {
      start = at;
      used = 0;
    }
    if (next == current) return start;
    at = next;
    if (listed) used += own ? 2 : 1;
  }
  // The anchor is no longer met in the name order: back to the first page.
  return kNoPanelItem;
}

int CInfoPanel::ClickAsteroidList(int sx, int sy, WPARAM) {
  AsteroidListState& s = asteroidList;
  const int x = sx - kLeft;
  const int y = sy - kTop;
  if (y >= kBandTop && y < kBandTop + kRowHeight * kAsteroidListRows) {
    const std::uint16_t asteroid = s.rows[(y - kBandTop) / kRowHeight];
    if (asteroid != kNoPanelItem && g_currentView)
      g_currentView->GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(0xFFFF0000u | asteroid));
    return 0;
  }
  if (y >= 320 && y <= 336 && x >= 464 && x <= 510) {
    if (!s.atEnd) s.anchor = s.lastExamined;
    return 1;
  }
  if (y >= 320 && y <= 336 && x >= 511 && x <= 579) {
    s.anchor = PreviousAsteroidAnchor();
    return 1;
  }
  if (y >= 337 && y <= 361) {
    int filter = -1;
    if (x >= 196 && x <= 284) filter = 0;
    if (x >= 291 && x <= 379) filter = 1;
    if (x >= 386 && x <= 474) filter = 2;
    if (x >= 481 && x <= 579) filter = 3;
    if (filter >= 0) {
      ResetAsteroidList();
      s.filter = static_cast<std::uint8_t>(filter);
      return 1;
    }
  }
  return 0;
}

void CInfoPanel::HoverAsteroidList(int sx, int sy) {
  AsteroidListState& s = asteroidList;
  const int x = sx - kLeft;
  const int y = sy - kTop;
  if (y >= kBandTop && y < kBandTop + kRowHeight * kAsteroidListRows && x >= 1 && x <= 584) {
    const std::uint16_t asteroid = s.rows[(y - kBandTop) / kRowHeight];
    if (asteroid == s.hovered) return;
    if (asteroid == kNoPanelItem)
      PanelFrame().ClearDataPanel(1);
    else
      PanelFrame().ShowAsteroidData(asteroid);
    s.hovered = asteroid;
    PanelFrame().RedrawInfoPanel();
    return;
  }
  if (s.hovered == kNoPanelItem) return;
  s.hovered = kNoPanelItem;
  PanelFrame().ClearDataPanel(1);
  PanelFrame().RedrawInfoPanel();
}
