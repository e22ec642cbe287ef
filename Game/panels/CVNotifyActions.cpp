// What a double click on a notification line does, and which object the
// current view shows while the mouse rests on it, per category and code.
#include <cstdint>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/app/GameView.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVNotify.h"
#include "Game/panels/NotifyNames.h"
#include "Game/panels/PanelFrame.h"
#include "Game/rules/GModuleDB.h"
#include "platform/user/queue.h"

using namespace plat;
using namespace notify_names;

std::uint32_t g_collisionToggle = 0;

namespace {

constexpr std::uint32_t kVotingPanel = 260;
constexpr std::uint32_t kTradePanel = 261;
constexpr std::uint32_t kResearchPanel = 264;

// The views switch through the main window's go-to message.
void GoTo(HWND window, std::uint32_t view, std::uint32_t target) {
  PostMessage(window, WM_APP_GO_TO, view, static_cast<LPARAM>(target));
}

// An asteroid target: 0xFFFF0000 with the asteroid number; one that does not
// exist goes nowhere.
void GoToAsteroid(HWND window, std::uint32_t view, std::uint32_t asteroid) {
  if (AsteroidExists(asteroid)) GoTo(window, view, 0xFFFF0000u | asteroid);
}

// A unit on an asteroid is shown in asteroid space, one in solar space in the solar view.
void GoToUnit(HWND window, std::uint32_t id) {
  const CGUnit* unit = Unit(id);
  if (!unit) return;
  const bool onAsteroid = unit->location.asteroid < CGSolarDB::GetAsteroidCount();
  GoTo(window, onAsteroid ? VIEW_ASTEROID_SPACE : VIEW_SOLAR, id);
}

void OpenInfoPanel(std::uint32_t controlId) { PanelFrame().OpenInfoPanel(controlId); }

void HelpOnModule(std::uint32_t module) {
  const ModuleRecord* m = g_gameData && g_gameData->moduleDB && module <= 0x7FFF
                              ? g_gameData->moduleDB->GetRecord(static_cast<int>(module))
                              : nullptr;
  if (m) PanelFrame().ShowHelpTopic(m->helpTopic, 0, 0);
}

int ShowAsteroid(std::uint32_t asteroid) {
  if (!AsteroidExists(asteroid)) return 0;
  PanelFrame().ShowObject(0, asteroid);
  return 1;
}

int ShowUnit(std::uint32_t id) {
  if (!Unit(id)) return 0;
  PanelFrame().ShowObject(2, id);
  return 1;
}

// The hover of one entry: 1 when the current view was given an object.
int HoverEntry(const Notification& n) {
  const std::int16_t code = static_cast<std::int16_t>(n.code);
  switch (n.category) {
    case 1:
      switch (code) {
        case 101: case 102: case 103: case 109: case 110: case 111: case 112: return ShowUnit(n.param3);
        case 104: return ShowUnit(n.param2);
        case 105: case 114: return ShowAsteroid(n.param2);
        case 106: return ShowAsteroid(n.param3);
        case 113: {
          const std::int16_t asteroid = static_cast<std::int16_t>(High(n.param2));
          return asteroid < 0 ? 0 : ShowAsteroid(static_cast<std::uint32_t>(asteroid));
        }
        default: return 0;
      }
    case 2:
      switch (code) {
        case 201: case 209: case 210: case 218: case 219: case 220: return ShowUnit(n.param3);
        case 208: case 211: case 212: case 213: case 214: case 215: case 216: case 225: case 227: case 228: case 229:
          return ShowAsteroid(n.param1);
        default: return 0;
      }
    case 3:
      return code == 301 ? ShowAsteroid(n.param1) : 0;
    case 4:
      switch (code) {
        case 401: case 402: case 407: case 408: case 411: case 414: case 418: case 424: case 425: case 428: case 429:
          return ShowAsteroid(n.param2);
        case 416: return ShowUnit(n.param3);
        default: return 0;
      }
    case 5:
      return code == 501 ? ShowAsteroid(n.param1) : 0;
    default:
      return 0;
  }
}

}  // namespace

void CVNotify::ActivateLine(int line) {
  const int entry = list ? list->FindVisible(scrollOffset + line, localChapter) : -1;
  Notification* n = list ? list->GetEntry(entry) : nullptr;
  if (!n) return;
  // A copy: an action may reach code that changes the list.
  const Notification record = *n;
  int result = 0;
  switch (record.category) {
    case 1: result = ActOnUnitEvent(record); break;
    case 2: result = ActOnEconomyEvent(record); break;
    case 3: result = ActOnDiplomacyEvent(record); break;
    case 4: result = ActOnGameEvent(record); break;
    case 5: result = ActOnChatEvent(record); break;
    case 6: result = ActOnVoteEvent(record); break;
    default: break;
  }
  if (!result) return;
  if (Notification* still = list->GetEntry(entry)) still->read = 1;
  Refresh();
}

int CVNotify::ShowRecordContext(int line) {
  if (!g_currentView) return 0;
  const int entry = list ? list->FindVisible(scrollOffset + line, localChapter) : -1;
  const Notification* n = list ? list->GetEntry(entry) : nullptr;
  return n ? HoverEntry(*n) : 0;
}

int CVNotify::ActOnUnitEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 100: return 1;
    case 101: case 102: case 103: case 109: case 110: case 111: case 112:
      GoToUnit(window, n.param3);
      return 1;
    case 104:
      if (Unit(n.param2)) GoTo(window, VIEW_DESIGN, n.param2);
      return 1;
    case 105: case 113: case 114:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param2));
      return 1;
    case 106:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param3));
      return 1;
    default: return 0;
  }
}

int CVNotify::ActOnEconomyEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 200: return 1;
    // Ship offers are looked at, not settled, by a double click: the line stays unread.
    case 201: case 209: case 210: case 218:
      GoTo(window, VIEW_ASTEROID_SPACE, n.param3);
      return 0;
    case 202: case 203: case 204: case 205: case 206: case 207: case 217: case 225: case 226: case 230:
      OpenInfoPanel(kTradePanel);
      return 1;
    case 208: case 211: case 227:
      GoToAsteroid(window, VIEW_TERRAIN, n.param1);
      return 1;
    case 212: case 213: case 214: case 215: case 216: case 228: case 229:
      GoToAsteroid(window, VIEW_ASTEROID_SPACE, n.param1);
      return 1;
    case 219: case 220:
      GoToUnit(window, n.param3);
      return 1;
    case 221: case 222: case 223: case 224:
      OpenInfoPanel(kTradePanel);
      return 0;
    default: return 0;
  }
}

int CVNotify::ActOnDiplomacyEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 300: case 302: case 303: return 1;
    case 301:
      GoToAsteroid(window, VIEW_SOLAR, n.param1);
      return 1;
    default: return 0;
  }
}

int CVNotify::ActOnGameEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 400: case 403: case 409: case 417: return 1;
    case 401:
      PanelFrame().HideInfoPanel();
      GoToAsteroid(window, VIEW_SPACE_REPLAY, Low(n.param2));
      return 1;
    case 402: case 407: case 408: case 419: case 420: case 428: case 429:
      GoToAsteroid(window, VIEW_ASTEROID_SPACE, Low(n.param2));
      return 1;
    case 404: case 405: case 406:
      HelpOnModule(n.param1);
      return 1;
    case 410:
      HelpOnModule(n.param2);
      return 1;
    case 411: case 424:
      GoToAsteroid(window, VIEW_TERRAIN_REPLAY, Low(n.param2));
      return 1;
    case 412: case 413:
      OpenInfoPanel(kVotingPanel);
      return 1;
    case 414:
      GoToAsteroid(window, VIEW_SOLAR, Low(n.param2));
      return 1;
    case 415: case 421: case 425:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param2));
      return 1;
    case 416:
      GoToUnit(window, n.param3);
      return 1;
    case 418:
      // Successive clicks on any collision line show its two asteroids in turn.
      GoToAsteroid(window, VIEW_SOLAR, g_collisionToggle ? n.param1 : Low(n.param2));
      g_collisionToggle = g_collisionToggle ? 0 : 1;
      return 1;
    case 422: case 426:
      GoTo(window, VIEW_DESIGN, 0xFFFFFFFFu);
      return 1;
    case 427:
      OpenInfoPanel(kResearchPanel);
      return 1;
    default: return 0;
  }
}

int CVNotify::ActOnChatEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 500: return 1;
    case 501:
      GoToAsteroid(window, VIEW_TERRAIN, n.param1);
      return 1;
    default: return 0;
  }
}

int CVNotify::ActOnVoteEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case 600: return 1;
    case 601: case 602: case 603: case 604: case 605: case 606:
      OpenInfoPanel(kVotingPanel);
      return 1;
    default: return 0;
  }
}
