// What a double click on a notification line does, and which object the
// current view shows while the mouse rests on it, per category and code.
#include <cstdint>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/app/GameView.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
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
    case notify::kUnitEvent:
      switch (code) {
        case notify::kOrderDone:
        case notify::kOrderCancelled:
        case notify::kUnitDestroyed:
        case notify::kUnitDamaged:
        case notify::kOutOfAmmo:
        case notify::kOrderHeld:
        case notify::kTargetStunned:
          return ShowUnit(n.param3);
        case notify::kShipScanned:
          return ShowUnit(n.param2);
        case notify::kAsteroidScanned:
        case notify::kLandingHeldBack:
          return ShowAsteroid(n.param2);
        case notify::kAtvsLanded:
          return ShowAsteroid(n.param3);
        case notify::kAtvsBuilt: {
          const std::int16_t asteroid = static_cast<std::int16_t>(High(n.param2));
          return asteroid < 0 ? 0 : ShowAsteroid(static_cast<std::uint32_t>(asteroid));
        }
        default:
          return 0;
      }
    case notify::kTradeEvent:
      switch (code) {
        case notify::kShipBought:
        case notify::kShipLost:
        case notify::kShipPosted:
        case notify::kShipHasOrder:
        case notify::kRecycled:
        case notify::kAtvBuildReduced:
          return ShowUnit(n.param3);
        case notify::kResourcesMined:
        case notify::kPowerMined:
        case notify::kVotePosted:
        case notify::kVoteBidRejected:
        case notify::kVoteBought:
        case notify::kVoteNotHeld:
        case notify::kVoteOfferRescinded:
        case notify::kTransferFailed:
        case notify::kMiningLost:
        case notify::kVoteSold:
        case notify::kLostToBlockade:
          return ShowAsteroid(n.param1);
        default:
          return 0;
      }
    case notify::kDiplomacyEvent:
      return code == notify::kUnderAttack ? ShowAsteroid(n.param1) : 0;
    case notify::kGameEvent:
      switch (code) {
        case notify::kSpaceBattle:
        case notify::kWelcome:
        case notify::kControlGained:
        case notify::kControlLost:
        case notify::kTerrainBattle:
        case notify::kAsteroidLocated:
        case notify::kAsteroidsCollided:
        case notify::kTerrainMovement:
        case notify::kAutomanageOff:
        case notify::kBlockadeImposed:
        case notify::kBlockadeLifted:
          return ShowAsteroid(n.param2);
        case notify::kEnemyDetected:
          return ShowUnit(n.param3);
        default:
          return 0;
      }
    case notify::kChatEvent:
      return code == notify::kRemoveForces ? ShowAsteroid(n.param1) : 0;
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
    case notify::kUnitEvent:
      result = ActOnUnitEvent(record);
      break;
    case notify::kTradeEvent:
      result = ActOnEconomyEvent(record);
      break;
    case notify::kDiplomacyEvent:
      result = ActOnDiplomacyEvent(record);
      break;
    case notify::kGameEvent:
      result = ActOnGameEvent(record);
      break;
    case notify::kChatEvent:
      result = ActOnChatEvent(record);
      break;
    case notify::kVoteEvent:
      result = ActOnVoteEvent(record);
      break;
    default:
      break;
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
    case notify::kUnitNoSubtype:
      return 1;
    case notify::kOrderDone:
    case notify::kOrderCancelled:
    case notify::kUnitDestroyed:
    case notify::kUnitDamaged:
    case notify::kOutOfAmmo:
    case notify::kOrderHeld:
    case notify::kTargetStunned:
      GoToUnit(window, n.param3);
      return 1;
    case notify::kShipScanned:
      if (Unit(n.param2)) GoTo(window, VIEW_DESIGN, n.param2);
      return 1;
    case notify::kAsteroidScanned:
    case notify::kAtvsBuilt:
    case notify::kLandingHeldBack:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param2));
      return 1;
    case notify::kAtvsLanded:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param3));
      return 1;
    default:
      return 0;
  }
}

int CVNotify::ActOnEconomyEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kTradeNoSubtype:
      return 1;
    // Ship offers are looked at, not settled, by a double click: the line stays unread.
    case notify::kShipBought:
    case notify::kShipLost:
    case notify::kShipPosted:
    case notify::kShipHasOrder:
      GoTo(window, VIEW_ASTEROID_SPACE, n.param3);
      return 0;
    case notify::kShipBidRejected:
    case notify::kMineralsSold:
    case notify::kMineralsBought:
    case notify::kMineralOfferGone:
    case notify::kTransferReceived:
    case notify::kShipSold:
    case notify::kMineralOffersPosted:
    case notify::kTransferFailed:
    case notify::kVoteOffersPosted:
    case notify::kShipOffersPosted:
      OpenInfoPanel(control::kTrade);
      return 1;
    case notify::kResourcesMined:
    case notify::kPowerMined:
    case notify::kMiningLost:
      GoToAsteroid(window, VIEW_TERRAIN, n.param1);
      return 1;
    case notify::kVotePosted:
    case notify::kVoteBidRejected:
    case notify::kVoteBought:
    case notify::kVoteNotHeld:
    case notify::kVoteOfferRescinded:
    case notify::kVoteSold:
    case notify::kLostToBlockade:
      GoToAsteroid(window, VIEW_ASTEROID_SPACE, n.param1);
      return 1;
    case notify::kRecycled:
    case notify::kAtvBuildReduced:
      GoToUnit(window, n.param3);
      return 1;
    case notify::kTraitNoOrganics:
    case notify::kTraitNoVotes:
    case notify::kTraitAlreadyHeld:
    case notify::kTraitBought:
      OpenInfoPanel(control::kTrade);
      return 0;
    default:
      return 0;
  }
}

int CVNotify::ActOnDiplomacyEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kDiplomacyNoSubtype:
    case notify::kRelationsWorsened:
    case notify::kRelationsImproved:
      return 1;
    case notify::kUnderAttack:
      GoToAsteroid(window, VIEW_SOLAR, n.param1);
      return 1;
    default:
      return 0;
  }
}

int CVNotify::ActOnGameEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kGameNoSubtype:
    case notify::kTurnComplete:
    case notify::kChapterEliminated:
    case notify::kAtvsUpgraded:
      return 1;
    case notify::kSpaceBattle:
      PanelFrame().HideInfoPanel();
      GoToAsteroid(window, VIEW_SPACE_REPLAY, Low(n.param2));
      return 1;
    case notify::kWelcome:
    case notify::kControlGained:
    case notify::kControlLost:
    case notify::kWelcomeSolarView:
    case notify::kWelcomeGotoButton:
    case notify::kBlockadeImposed:
    case notify::kBlockadeLifted:
      GoToAsteroid(window, VIEW_ASTEROID_SPACE, Low(n.param2));
      return 1;
    case notify::kResearchComplete:
    case notify::kBreakthroughNear:
    case notify::kResearchSetback:
      HelpOnModule(n.param1);
      return 1;
    case notify::kCrossResearch:
      HelpOnModule(n.param2);
      return 1;
    case notify::kTerrainBattle:
    case notify::kTerrainMovement:
      GoToAsteroid(window, VIEW_TERRAIN_REPLAY, Low(n.param2));
      return 1;
    case notify::kInterregnumBegun:
    case notify::kInterregnumEnded:
      OpenInfoPanel(control::kVotes);
      return 1;
    case notify::kAsteroidLocated:
      GoToAsteroid(window, VIEW_SOLAR, Low(n.param2));
      return 1;
    case notify::kArtifactFound:
    case notify::kWelcomeSurface:
    case notify::kAutomanageOff:
      GoToAsteroid(window, VIEW_TERRAIN, Low(n.param2));
      return 1;
    case notify::kEnemyDetected:
      GoToUnit(window, n.param3);
      return 1;
    case notify::kAsteroidsCollided:
      // Successive clicks on any collision line show its two asteroids in turn.
      GoToAsteroid(window, VIEW_SOLAR, g_collisionToggle ? n.param1 : Low(n.param2));
      g_collisionToggle = g_collisionToggle ? 0 : 1;
      return 1;
    case notify::kWelcomeDesign:
    case notify::kHullResearched:
      GoTo(window, VIEW_DESIGN, 0xFFFFFFFFu);
      return 1;
    case notify::kResearchUnspent:
      OpenInfoPanel(control::kResearch);
      return 1;
    default:
      return 0;
  }
}

int CVNotify::ActOnChatEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kChatNoSubtype:
      return 1;
    case notify::kRemoveForces:
      GoToAsteroid(window, VIEW_TERRAIN, n.param1);
      return 1;
    default:
      return 0;
  }
}

int CVNotify::ActOnVoteEvent(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kVoteNoSubtype:
      return 1;
    case notify::kDeclaredRenegade:
    case notify::kDeclaredLoyal:
    case notify::kRenegadeVoteCast:
    case notify::kRenegadeVoteWithdrawn:
    case notify::kBackingGiven:
    case notify::kBackingWithdrawn:
      OpenInfoPanel(control::kVotes);
      return 1;
    default:
      return 0;
  }
}
