// Cursors by order mode, and the goto bar: ten bookmark slots in ten groups.
#include <algorithm>
#include <cstdio>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/GotoTips.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"

using namespace plat;

namespace {

constexpr const char* kCursorNames[] = {"NORMAL",  "TARGET",     "LAND",     "SCAN",     "ALL_EFFEC",
                                        "ALL_MAX", "CONSTRUCT",  "HELP",     "NO_RANGE", "REFUEL",
                                        "REPAIR",  "SOME_EFFEC", "SOME_MAX", "SELECT",   "XFER"};
constexpr const char* kGuildColours[] = {"RED", "GREEN", "BLUE", "YELLOW", "MAGENTA"};
constexpr int kTabX[kGotoColumns] = {21, 92, 171, 250, 329, 408, 487, 565, 643, 719};
constexpr COLORREF kPaleYellow = 0xD7FFFF;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kCyan = 0xFFFF00;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kCaptionWidth = 73;
constexpr int kGuilds = 5;

// A picture drawn at (x, y) and freed again.
void DrawPicture(const std::string& name, HMODULE module, DWORD colourKey, LONG x, LONG y) {
  if (!SharedScreen().viewDDraw || !module) return;
  CSprite sprite(SharedScreen().viewDDraw, colourKey, module, name.c_str(), x, y, 0);
  DrawViewSprite(&sprite, x, y, nullptr);
}

CGUnit* FindUnit(std::uint32_t id) { return g_gameData ? g_gameData->pieces.FindUnit(id, nullptr) : nullptr; }

// The asteroid at index `n`, or null.
CGAsteroid* Asteroid(std::uint32_t n) { return g_gameData ? g_gameData->solarDB.GetAsteroid(n) : nullptr; }

}  // namespace

int GotoColumnAt(int x) { return std::clamp((x - 7) / 79, 0, kGotoColumns - 1); }

void CVGeneric::SetCursorSet(std::uint32_t kind) {
  if (kind == SharedScreen().cursorKind) return;
  HDC dc = GetDC(SharedScreen().viewWnd);
  const int bits = dc ? GetDeviceCaps(dc, BITSPIXEL) : 0;
  if (dc) ReleaseDC(SharedScreen().viewWnd, dc);
  if (bits != 16) return;
  if (kind != CURSOR_AGAIN) SharedScreen().cursorKind = static_cast<std::uint16_t>(kind);
  const int guild = std::clamp(LocalGuild(), 0, kGuilds - 1);
  const char* part =
      SharedScreen().cursorKind < std::size(kCursorNames) ? kCursorNames[SharedScreen().cursorKind] : kCursorNames[0];
  char name[64];
  std::snprintf(name, sizeof name, "IDC_CURSOR_%s_%s", part, kGuildColours[guild]);
  if (HCURSOR cursor = LoadCursor(SharedScreen().viewInstance, name)) SetCursor(cursor);
}

void CVGeneric::UpdateCursor() {
  std::uint32_t kind;
  switch (SharedScreen().commandMode) {
    case 6:
      kind = CURSOR_TARGET;
      break;
    case 7:
    case 8:
      kind = CURSOR_REFUEL;
      break;
    case 11:
    case 12:
      kind = CURSOR_SCAN;
      break;
    case 14:
      kind = CURSOR_LAND;
      break;
    case 16:
    case 17:
    case 18:
      kind = CURSOR_CONSTRUCT;
      break;
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
      kind = CURSOR_REPAIR;
      break;
    default:
      kind = g_gameData && g_gameData->GetSelectionCount() > 0 ? CURSOR_SELECT : CURSOR_NORMAL;
      break;
  }
  SetCursorSet(kind);
}

int CVGeneric::GetGotoSlotAtX(int x) { return GotoColumnAt(x) + kGotoColumns * SharedScreen().gotoGroup; }

void CVGeneric::SetGotoSlot(int column, std::uint16_t kind, std::uint32_t id, int redraw) {
  if (column < 0 || column >= kGotoColumns) return;
  SharedScreen().gotoSlots[static_cast<std::size_t>(column + kGotoColumns * SharedScreen().gotoGroup)] =
      GotoEntry{kind, id};
  if (redraw) DrawGotoBar();
}

void CVGeneric::ResetGotoSlots() {
  // The first two entries of group 0 are kept, as a restart finds them.
  for (std::size_t i = 2; i < SharedScreen().gotoSlots.size(); ++i) SharedScreen().gotoSlots[i] = GotoEntry{};
  const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  SetGotoSlot(2, GOTO_ASTEROID, chapter ? chapter->homeAsteroid : 0xFFFF, 0);
  SetGotoSlot(1, GOTO_SOLAR, 0, 0);
  SetGotoSlot(0, GOTO_DESIGN, 0, 0);
  DrawGotoBar();
  SharedScreen().endTurnSentTurn = 0xFFFFFFFFu;
}

void CVGeneric::DrawGotoBar() {
  if (!SharedScreen().screenSprite) return;
  char path[260];
  g_instData.BuildPath(path, "asneex.dll", INSTPATH_ART);
  HMODULE asteroids = LoadLibrary(path);
  for (int n = 0; n < kGotoColumns; ++n) DrawGotoColumn(n, asteroids);
  FlushScreen();
  if (asteroids) FreeLibrary(asteroids);
}

void CVGeneric::DrawGotoColumn(int n, HMODULE asteroidModule) {
  GotoEntry& e = SharedScreen().gotoSlots[static_cast<std::size_t>(kGotoColumns * SharedScreen().gotoGroup + n)];
  const LONG x = GotoColumnLeft(n);
  DrawViewSprite(n == SharedScreen().gotoGroup ? SharedScreen().gotoTabCurrentSprite : SharedScreen().gotoTabSprite,
                 kTabX[n], 0, nullptr);
  const int guild = LocalGuild();
  const std::string art = g_instData.GetArtPath();
  const std::string guildArt = g_instData.GetGuildPath(guild);
  HMODULE guildModule = g_gameData ? g_gameData->GetGuildModule(guild) : nullptr;
  HMODULE imageModule = g_gameData ? g_gameData->GetImageModule() : nullptr;
  switch (e.kind) {
    case GOTO_ASTEROID:
    case GOTO_TERRAIN_ASTEROID: {
      char name[64];
      std::snprintf(name, sizeof name, "asteroid\\ast%02u_gt.ima", (e.id & 0xF) + 1);
      DrawPicture(art + name, asteroidModule, kNoColourKey, x, 10);
      DrawPicture(art + "halfterr.ima", imageModule, 0, x + 38, 22);
      CGAsteroid* asteroid = Asteroid(e.id);
      if (!asteroid || !g_gameData) break;
      const std::uint16_t owner = asteroid->owner;
      COLORREF colour = kPaleYellow;
      if (owner < kMaxChapters)
        colour = owner == g_gameData->localChapterId ? GetFullColor(owner >> 3) : GetBrightColor(owner >> 3);
      DrawGotoBarText(asteroid->GetName(), n, 0, 0, kCaptionWidth, colour, DT_CENTER);
      char count[16];
      std::snprintf(count, sizeof count, "%u",
                    g_gameData->pieces.CountOperationalUnits(static_cast<std::uint16_t>(e.id),
                                                             static_cast<std::int16_t>(g_gameData->localChapterId)));
      DrawGotoBarText(count, n, 2, 8, 50, kWhite, DT_LEFT);
      for (int g = 0; g < kGuilds; ++g) {
        std::uint32_t sum = 0;
        for (int c = 0; c < g_gameData->chaptersPerGuild; ++c)
          sum += g_gameData->pieces.CountOperationalUnits(static_cast<std::uint16_t>(e.id),
                                                          static_cast<std::int16_t>(g * 8 + c));
        std::snprintf(count, sizeof count, "%u", sum);
        DrawGotoBarText(count, n, 2, 18 + 10 * g, 50, GetBrightColor(static_cast<std::uint32_t>(g)), DT_LEFT);
      }
      break;
    }
    case GOTO_SOLAR: {
      DrawPicture(art + "solar_gt.ima", imageModule, kNoColourKey, x, 10);
      char caption[64] = {};
      if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("SOLRVIEW", caption, sizeof caption);
      DrawGotoBarText(caption, n, 0, 0, kCaptionWidth, kYellow, DT_CENTER);
      break;
    }
    case GOTO_UNIT: {
      CGUnit* unit = FindUnit(e.id);
      if (!unit || unit->location.asteroid > CGSolarDB::GetAsteroidCount()) {
        e = GotoEntry{};
        DrawViewSprite(SharedScreen().emptyGotoSprite, x, 10, nullptr);
        break;
      }
      char abbreviation[8] = {};
      if (!unit->IsOperational())
        std::snprintf(abbreviation, sizeof abbreviation, "reck");
      else
        unit->GetClassAbbreviation(abbreviation);
      char picture[300];
      std::snprintf(picture, sizeof picture, "%sunits\\%s_gt.ima", guildArt.c_str(), abbreviation);
      DrawPicture(picture, guildModule, kNoColourKey, x, 10);
      DrawGotoSlotLabel(n, unit, 0);
      break;
    }
    case GOTO_DESIGN:
      DrawPicture(guildArt + "gotodesc.ima", guildModule, kNoColourKey, x, 10);
      break;
    case GOTO_EMPTY:
      DrawViewSprite(SharedScreen().emptyGotoSprite, x, 10, nullptr);
      break;
    default:
      break;
  }
  SetGotoTip(n, GotoTipText(e));
}

void CVGeneric::DrawGotoSlotLabel(int column, CGUnit* unit, int inverted) {
  if (!unit || !g_gameData) return;
  bool selected = g_gameData->IsSelected(GOTO_UNIT, unit->id) != 0;
  if (inverted) selected = !selected;
  const COLORREF colour = selected ? kCyan : kYellow;
  DrawGotoBarText(unit->GetName(), column, 0, 0, kCaptionWidth, colour, DT_CENTER);
  char where[64] = {};
  if (unit->location.asteroid == CGSolarDB::GetAsteroidCount()) {
    if (g_gameData->textIndex) g_gameData->textIndex->GetText("INTRANST", where, 41);
  } else if (CGAsteroid* asteroid = Asteroid(unit->location.asteroid)) {
    std::snprintf(where, sizeof where, "%s", asteroid->GetName());
  }
  DrawGotoBarText(where, column, 0, 53, kCaptionWidth, colour, DT_CENTER);
  AddDirtyRect({GotoColumnLeft(column), 10, 80 + 79 * column, 75});
}

bool CVGeneric::GetSingleSelection(std::uint16_t* kind, std::uint32_t* id) {
  if (!g_gameData || g_gameData->GetSelectionCount() == 0) return false;
  // Of several, the first not yet bookmarked stands for them.
  for (std::uint32_t i = 0; g_gameData->GetSelectionCount() > 1 && i < g_gameData->GetSelectionCount(); ++i) {
    std::uint16_t k = 0;
    std::uint32_t n = 0;
    if (!g_gameData->GetSelectionAt(i, &k, &n, nullptr)) continue;
    const bool bookmarked = std::any_of(SharedScreen().gotoSlots.begin(), SharedScreen().gotoSlots.end(),
                                        [&](const GotoEntry& e) { return e.kind == k && e.id == n; });
    if (bookmarked) continue;
    *kind = k;
    *id = n;
    return true;
  }
  return g_gameData->GetSelectionAt(0, kind, id, nullptr) != 0;
}

void CVGeneric::ActivateGotoSlot(int slot, int x, int /*y*/) {
  if (slot < kGotoColumns * SharedScreen().gotoGroup) slot += kGotoColumns * SharedScreen().gotoGroup;
  if (slot < 0 || slot >= static_cast<int>(SharedScreen().gotoSlots.size())) return;
  const GotoEntry e = SharedScreen().gotoSlots[static_cast<std::size_t>(slot)];
  const LPARAM asteroid = static_cast<LPARAM>(0xFFFF0000u | (e.id & 0xFFFF));
  switch (e.kind) {
    case GOTO_ASTEROID:
    case GOTO_TERRAIN_ASTEROID:
      // The right half of the slot holds the terrain picture.
      GoToView((x - 7) % 79 > 38 ? VIEW_TERRAIN : VIEW_ASTEROID_SPACE, asteroid);
      break;
    case GOTO_SOLAR:
      if (GetViewType() != VIEW_SOLAR) GoToView(VIEW_SOLAR, -1);
      break;
    case GOTO_UNIT:
      if (CGUnit* unit = FindUnit(e.id))
        GoToView(unit->location.asteroid == CGSolarDB::GetAsteroidCount() ? VIEW_SOLAR : VIEW_ASTEROID_SPACE, e.id);
      break;
    case GOTO_DESIGN:
      if (GetViewType() != VIEW_DESIGN) GoToView(VIEW_DESIGN, -1);
      break;
    case GOTO_EMPTY:
      FillEmptyGotoSlot(x);
      break;
    default:
      break;
  }
}

void CVGeneric::FillEmptyGotoSlot(int x) {
  const int column = GotoColumnAt(x);
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  if (GetSingleSelection(&kind, &id)) {
    SetGotoSlot(column, kind, id, 1);
    return;
  }
  std::uint16_t asteroid = 0xFFFF;
  if (HasObject(&asteroid)) {
    SetGotoSlot(column, GOTO_ASTEROID, asteroid, 1);
    return;
  }
  switch (GetViewType()) {
    case VIEW_ASTEROID_SPACE:
      SetGotoSlot(column, GOTO_ASTEROID, GetCurrentAsteroidId(), 1);
      break;
    case VIEW_TERRAIN:
      SetGotoSlot(column, GOTO_TERRAIN_ASTEROID, GetCurrentAsteroidId(), 1);
      break;
    case VIEW_SOLAR:
      SetGotoSlot(column, GOTO_SOLAR, 0, 1);
      break;
    case VIEW_DESIGN:
      SetGotoSlot(column, GOTO_DESIGN, 0, 1);
      break;
    default:
      break;
  }
}
