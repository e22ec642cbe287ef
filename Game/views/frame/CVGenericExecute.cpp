// Order execution: a click while an order-command mode waits checks the pick
// against the mode, gives the order and says how it went; and the commands
// that need no target (delete orders is beside the picking, build ATVs and
// offering an asteroid's votes are here).
#include <algorithm>
#include <numeric>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GIDString.h"
#include "Game/dialogs/CDConstructAtvDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "media/CImageButton.h"

using namespace plat;
using namespace orders;

namespace {

// Squared ranges of the refuel at an asteroid: twice as far for a ship that
// cannot move about the asteroid by itself.
constexpr std::uint32_t kRefuelRangeSq = 1440000;
constexpr std::uint32_t kRefuelRangeNoDriveSq = 2880000;

bool Operational(const CGUnit* unit) { return unit && unit->IsOperational(); }

}  // namespace

int CVGeneric::ExecuteOrderMode(int kind, std::uint32_t id) {
  if (!g_gameData) return 0;
  if (kind == GOTO_TERRAIN_ASTEROID) kind = GOTO_ASTEROID;
  const std::uint32_t mode = SharedScreen().commandMode;
  const std::uint16_t here = GetCurrentAsteroidId();
  CGUnit* target = kind == GOTO_UNIT ? FindUnitNear(here, id) : nullptr;
  const std::uint16_t targetAt = target ? target->location.asteroid : 0xFFFF;
  const bool unitPick = kind == GOTO_UNIT;
  const bool inSolarSpace = unitPick && targetAt == SolarSpace();

  if (target && target->GetChapter() != LocalChapterId() && mode != ORDER_SCRAP_UNIT && mode != ORDER_SCAN_ASTEROID &&
      mode != ORDER_SCAN_SHIP) {
    Tell(*this, "INVLDTGT", kVoiceInvalid);
    return 0;
  }
  auto refuse = [&](const char* text, int voice) {
    Tell(*this, text, voice);
    UpdateSelectionDisplay(1);
    return 0;
  };
  auto done = [&] {
    UpdateSelectionDisplay(1);
    ResetMode();
    return 1;
  };
  // The modes whose target is a unit standing at an asteroid.
  const bool wantsUnitAtAsteroid = mode == ORDER_TRANSFER_POWER || mode == ORDER_SCRAP_UNIT ||
                                   mode == ORDER_DECOMMISSION || mode == ORDER_MODIFY_SHIP ||
                                   mode == ORDER_GET_REPAIRED || mode == ORDER_REBUILD_UNIT ||
                                   (mode == ORDER_RECHARGE_FROM_UNIT && kind != GOTO_ASTEROID);
  if (wantsUnitAtAsteroid) {
    const bool keepsMode = mode == ORDER_SCRAP_UNIT || mode == ORDER_DECOMMISSION || mode == ORDER_REBUILD_UNIT;
    if (kind == GOTO_ASTEROID && keepsMode) {
      Tell(*this, "INVLDTGT", kVoiceInvalid);
      return 0;
    }
    if (!unitPick) return refuse("INVLDTGT", kVoiceInvalid);
    if (inSolarSpace) return refuse("CANTINTC", kVoiceSolarSpace);
  }
  CGUnit* commander = mode == ORDER_RECHARGE_FROM_ASTEROID ? nullptr : FindUnitNear(here, SharedScreen().commandUnitId);
  auto order = [&](std::uint32_t type) { return OrderMoveToLocation(type, kind, id, 0); };

  switch (mode) {
    case ORDER_TRANSFER_POWER:
      if (!Operational(commander)) return refuse("TANKDEAD", 0);
      if (commander->GetTransferRate() == 0 && !g_gameData->SelectionCanTransferPower())
        return refuse("RECHARG1", kVoiceNoTransferRate);
      if (commander->GetPower() < 1) return refuse("RECHARG2", kVoiceNoPower);
      if (target == commander) return refuse("RECHARG3", kVoiceSelf);
      if (order(ORDER_TRANSFER_POWER))
        Tell(*this, "RECHARG4", kVoiceTransfer);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      return done();

    case ORDER_RECHARGE_FROM_UNIT:
      if (kind == GOTO_ASTEROID) {
        if (order(ORDER_RECHARGE_FROM_ASTEROID))
          Tell(*this, "RECHARG5", kVoiceRefuel);
        else
          Tell(*this, "INVLDTGT", kVoiceInvalid);
        return done();
      }
      if (!Operational(commander) && SelectionCount() < 2) return refuse("RECHARG6", 0);
      if (!target || target->GetTransferRate() == 0) return refuse("RECHARG1", kVoiceNoTransferRate);
      if (target->GetPower() < 1) return refuse("RECHARG2", kVoiceNoPower);
      if (commander && target == commander) return refuse("RECHARG3", kVoiceSelf);
      if (order(ORDER_RECHARGE_FROM_UNIT))
        Tell(*this, "RECHARG7", kVoiceRecharge);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      return done();

    case ORDER_RECHARGE_FROM_ASTEROID: {
      if ((SharedScreen().commandUnitId & kAsteroidSubject) == kAsteroidSubject) {
        const auto asteroid = static_cast<std::uint16_t>(SharedScreen().commandUnitId);
        CGUnit* ship = unitPick ? g_gameData->pieces.FindUnitAt(asteroid, id) : nullptr;
        if (!unitPick || targetAt != asteroid) {
          Tell(*this, "INVLDTGT", kVoiceInvalid);
        } else if (!ship ||
                   !ship->IsAsteroidInRange(ORDER_RECHARGE_FROM_ASTEROID, asteroid,
                                            ship->GetLocalSpaceSpeed() != 0 ? kRefuelRangeSq : kRefuelRangeNoDriveSq)) {
          Tell(*this, "NOINRNGE");
        } else {
          RefuelAtAsteroidPacket packet{ship->id, asteroid};
          auto image = packet.Build();
          if (g_session) g_session->Send(kAllPlayersSlot, image.bytes.data(), kRefuelAtAsteroidSize);
          Tell(*this, "RECHARG5", kVoiceRefuel);
          UpdateSelectionDisplay(1);
        }
      }
      SharedScreen().commandMode = kRefuelEndedMode;
      UpdateCursor();
      ResetMode();
      return 1;
    }

    case ORDER_SCRAP_UNIT:
      if (!commander) return refuse("DECOMFD1", 0);
      if (commander->GetConstructionCapacity() == 0 && !g_gameData->SelectionCanConstruct())
        return refuse("DECOMFD2", kVoiceScrapCannot);
      if (target == commander) return refuse("DECOMFD3", kVoiceScrapSelf);
      if (target && commander->IsUnitInRange(ORDER_SCRAP_UNIT, target, kWorkRangeSq)) {
        if (order(ORDER_SCRAP_UNIT))
          Tell(*this, "DECOINIT", kVoiceScrapStarted);
        else
          Tell(*this, "INVLDTGT", kVoiceInvalid);
      } else {
        const int moved = order(ORDER_TYPE_26);
        const int queued = OrderMoveToLocation(ORDER_SCRAP_UNIT, kind, id, 1);
        if (moved && queued) Tell(*this, "DECOINIT", kVoiceScrapStarted);
      }
      return done();

    case ORDER_DECOMMISSION:
      if (!target) return refuse("DECOMFD1", 0);
      if (target->GetConstructionCapacity() == 0 && !g_gameData->SelectionCanConstruct())
        return refuse("DECOMFD2", kVoiceScrapCannot);
      if (target == commander) return refuse("DECOMFD3", kVoiceScrapSelf);
      if (order(ORDER_DECOMMISSION))
        Tell(*this, "DECOINIT", kVoiceScrapStarted);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      return done();

    case ORDER_SCAN_ASTEROID:
      switch (kind) {
        case GOTO_UNIT:
          SharedScreen().commandMode = ORDER_SCAN_SHIP;
          return ExecuteOrderMode(kind, id);
        case GOTO_SOLAR:
          if (GetViewType() != VIEW_SOLAR) GoToView(VIEW_SOLAR, -1);
          return 0;
        case GOTO_ASTEROID:
          if (!FindAsteroid(id)) return 0;
          if (order(ORDER_SCAN_ASTEROID))
            Tell(*this, "SRVYINIT", kVoiceSurvey);
          else
            Tell(*this, "INVLDTGT", kVoiceInvalid);
          return done();
        default:
          return refuse("INVLDTGT", kVoiceInvalid);
      }

    case ORDER_SCAN_SHIP:
      if (kind == GOTO_ASTEROID) {
        SharedScreen().commandMode = ORDER_SCAN_ASTEROID;
        return ExecuteOrderMode(kind, id);
      }
      if (!unitPick || !target) return refuse("INVLDTGT", kVoiceInvalid);
      if (target->GetChapter() != LocalChapterId() && target->design && target->design->visible == 0) {
        if (order(ORDER_SCAN_SHIP))
          Tell(*this, "SCANINIT", kVoiceScan);
        else
          Tell(*this, "INVLDTGT", kVoiceInvalid);
      } else {
        // A design the player already sees needs no scan: it is shown at once.
        GoToView(VIEW_DESIGN, static_cast<LPARAM>(target->id));
        if (CImageButton* button = ControlButton(control::kSwitchView); button && button->sprite)
          DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
        if (commander) {
          g_gameData->RemoveFromSelection(SEL_UNIT, commander->id);
          commander->CancelOrders();
        }
      }
      return done();

    case ORDER_BUILD_SHIP:
      UpdateSelectionDisplay(1);
      Tell(*this, "INVLDTGT", kVoiceInvalid);
      return 0;

    case ORDER_MODIFY_SHIP:
      if (!commander) return refuse("CONSTDED", kVoiceConstructFailed);
      if (commander->GetConstructionCapacity() == 0 && !g_gameData->SelectionCanConstruct())
        return refuse("CONSTFD1", kVoiceConstructorCannot);
      SharedScreen().modifyTargetId = id;
      Tell(*this, "SELCTTPT");
      if (SharedScreen().dataPanel)
        SharedScreen().pendingOrderOption = SharedScreen().dataPanel->ShowTemplateList(commander, 0, target);
      FlushScreen();
      return 1;

    case ORDER_GET_REPAIRED:
      if (!target || target->GetConstructionCapacity() == 0) return refuse("REPAIR_1", kVoiceRepairerCannot);
      if (order(ORDER_GET_REPAIRED))
        Tell(*this, "REPAIR_4", kVoiceRebuilding);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      return done();

    case ORDER_REBUILD_UNIT: {
      if (!target) return refuse("RBLDFLD1", kVoiceRebuildTargetGone);
      const std::uint8_t insert = InsertMode();
      for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
        std::uint16_t entryKind = 0;
        std::uint32_t unitId = 0;
        if (!g_gameData->GetSelectionAt(i, &entryKind, &unitId, nullptr) || entryKind != SEL_UNIT) continue;
        CGUnit* unit = FindUnitNear(here, unitId);
        if (!unit) return 0;
        if (unit->IssueOrder(ORDER_REBUILD_UNIT, 0, insert, target, true) > 0)
          Tell(*this, "RBLDINIT", kVoiceRebuildStarted);
        else
          Tell(*this, "RBLDFLD2", kVoiceRebuildFailed);
      }
      return done();
    }

    case ORDER_DELAYED_MOVE: {
      if (kind != GOTO_ASTEROID) {
        Tell(*this, "INVLDTGT", kVoiceInvalid);
        return 0;
      }
      const auto asteroid = static_cast<std::uint16_t>(id);
      std::vector<CGUnit*> group;
      std::uint32_t slowest = 0;
      for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
        std::uint16_t entryKind = 0;
        std::uint32_t unitId = 0;
        if (!g_gameData->GetSelectionAt(i, &entryKind, &unitId, nullptr) || entryKind != SEL_UNIT) continue;
        CGUnit* unit = FindUnitNear(here, unitId);
        if (!Operational(unit)) continue;
        group.push_back(unit);
        std::int32_t failure = 0;
        const std::uint32_t turns = unit->GetTurnsToAsteroid(asteroid, &failure);
        if (turns != kUnreachable) slowest = std::max(slowest, turns);
      }
      // The order's arrival stage is a byte: a longer trip arrives at its last value.
      const auto stage = static_cast<std::uint8_t>(std::min<std::uint32_t>(slowest, 255));
      for (CGUnit* unit : group)
        if (unit->location.asteroid != asteroid) unit->OrderMoveToAsteroid(asteroid, stage);
      if (SelectionCount() > 0) {
        Tell(*this, "FORMINIT", kVoiceFormation);
        UpdateSelectionDisplay(1);
      }
      ResetMode();
      return 1;
    }

    case ORDER_BOMBARD:
      if (kind != GOTO_ASTEROID) {
        Tell(*this, "INVLDTGT", kVoiceInvalid);
        if (kind != GOTO_SOLAR) UpdateSelectionDisplay(1);
        return 0;
      }
      if (!FindAsteroid(id)) return 0;
      if (order(ORDER_BOMBARD))
        Tell(*this, "BMBRDTAQ");
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      return done();

    default:
      UpdateSelectionDisplay(1);
      Tell(*this, "NOTIMPYT");
      ResetMode();
      return 1;
  }
}

void CVGeneric::OrderConstructAtvs() {
  if (!g_gameData) return;
  CGUnit* unit = FindUnitNear(GetCurrentAsteroidId(), SharedScreen().menuObjectId);
  if (!unit) return;
  AtvCounts counts{};
  const auto capacity = static_cast<std::uint16_t>(std::clamp(unit->GetAtvCapacity(), 0, 0xFFFF));
  if (!RunConstructAtvDialog(SharedScreen().angularFont, capacity, &counts, unit->location.asteroid)) counts = {};
  if (std::accumulate(counts.begin(), counts.end(), 0) == 0) return;
  const std::uint8_t zone[6] = {static_cast<std::uint8_t>(counts[0]),
                                static_cast<std::uint8_t>(counts[1]),
                                static_cast<std::uint8_t>(counts[2]),
                                static_cast<std::uint8_t>(counts[3]),
                                0,
                                static_cast<std::uint8_t>(unit->location.asteroid)};
  if (unit->OrderOnZone(ORDER_BUILD_ATVS, zone, InsertMode()))
    Tell(*this, "CNSTINIT", kVoiceConstructed);
  else
    Tell(*this, "UBLDATVS", kVoiceConstructFailed);
}

void CVGeneric::OfferAsteroidVotes(std::uint16_t asteroid) {
  if (!g_gameData) return;
  const std::uint32_t guild = g_gameData->GetLocalGuildIndex();
  auto box = [&](const char* id) {
    char text[kTextSize + 1] = {};
    if (g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, kTextSize);
    COkDlg ok(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text, guild);
  };
  const CGChapter* local = g_gameData->GetLocalChapter();
  if (local && local->renegade) {
    box("ITDRENEG");
    return;
  }
  std::uint32_t prices[4] = {};
  const CGuild* own = g_gameData->GetLocalGuild();
  if (const VoteOffer* offer =
          own && asteroid <= 0xFF ? own->FindVoteOffer(static_cast<std::uint8_t>(asteroid)) : nullptr)
    std::copy(std::begin(offer->terms), std::end(offer->terms), prices);
  if (!RunSetPriceDialog(prices, nullptr)) return;
  if (std::all_of(std::begin(prices), std::end(prices), [](std::uint32_t p) { return p == 0; })) return;
  VoteOfferPostedPacket packet;
  packet.guild = static_cast<std::uint16_t>(LocalChapterId() >> 3);
  packet.slot = static_cast<std::uint16_t>(LocalChapterId() & 7);
  packet.asteroid = asteroid;
  std::copy(std::begin(prices), std::end(prices), packet.prices.begin());
  auto image = packet.Build();
  if (g_session) g_session->Send(kAllPlayersSlot, image.bytes.data(), kVoteOfferPostedSize);
  box("ITDPOSTD");
}
