// The terrain view's placement modes: a unit lands the ATVs it carries, or
// picks ATVs up from the zones, choosing zones on the surface and finishing
// on the placement bar that stands in for the goto bar.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/model/GZone.h"
#include "Game/net/NetSession.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/GotoTips.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"

using namespace plat;

namespace {

constexpr COLORREF kBarText = 0x00FFFF;
constexpr int kBarTop = 10;
constexpr int kNibbleMax = 15;
constexpr int kZones = 31;
constexpr std::size_t kLandingRuns = 8;

enum BarSlot { SLOT_NONE_ALL = 0, SLOT_ALL = 1, SLOT_FIRST_KIND = 2, SLOT_DONE = 7, SLOT_RESET = 8 };

const char* const kToggleNames[4][2] = {{"gotocbup.ima", "gotocbdn.ima"},
                                        {"gotomnup.ima", "gotomndn.ima"},
                                        {"gotopwup.ima", "gotopwdn.ima"},
                                        {"gotoscup.ima", "gotoscdn.ima"}};

void DrawBarPicture(int slot, const char* name) {
  const std::string path = std::string(g_instData.GetGuildPath(LocalGuild())) + name;
  CSprite picture(SharedScreen().viewDDraw, kNoColourKey,
                  g_gameData ? g_gameData->GetGuildModule(LocalGuild()) : nullptr, path.c_str(), 0, 0, 0);
  // A picture never draws past its slot, whatever its size.
  const RECT slotArea{GotoColumnLeft(slot), kBarTop, GotoColumnLeft(slot) + 73, kBarTop + 65};
  picture.ClipRect(SharedScreen().screenSprite, GotoColumnLeft(slot), kBarTop, &slotArea);
}

void BarText(int slot, const char* text, int dy, UINT format = DT_CENTER) {
  DrawGotoBarText(text, slot, 2, dy, 69, kBarText, format);
}

std::string Text(const char* id, int n1 = 0, int n2 = 0) {
  char text[128] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, sizeof text - 1, n1, n2);
  return text;
}

}  // namespace

CGUnit* CVTerrain::PlacementUnit() const {
  std::uint16_t location = 0;
  return g_gameData && placement ? g_gameData->pieces.FindUnit(placementUnitId, &location) : nullptr;
}

void CVTerrain::StartPlacement(std::uint32_t unitId) {
  placement = 1;
  placementUnitId = unitId;
  pickupHead.fill(0);
  pickupHead[5] = static_cast<std::uint8_t>(asteroidId);
  const CGUnit* unit = PlacementUnit();
  landingMode = unit && unit->landingRequest == 1 ? 1 : 0;
  if (!landingMode) pickupBlock.fill(0);
}

void CVTerrain::PlacementClick(int zone, int kind, int count) {
  CGAsteroid* a = Asteroid();
  CGUnit* unit = PlacementUnit();
  CGZone* z = a ? a->GetZone(static_cast<std::uint16_t>(zone)) : nullptr;
  if (!unit || !z || kind < 0 || kind >= kAtvKinds || zone >= kZones) return;
  const auto local = static_cast<std::uint8_t>(LocalChapterId(0));
  // Beside another chapter only the outer ring can be reached.
  bool shared = false;
  for (int i = 0; i < a->GetZoneCount(); ++i) {
    const CGZone* other = a->GetZone(static_cast<std::uint16_t>(i));
    if (other && other->owner < kZoneUnknown && other->owner != local) shared = true;
  }
  if (shared && terrain::RingOfZone(zone) != SizeClass()) return;
  if (landingMode) {
    MatchLandingToCargo(unit);
    for (int k = 0; k < kAtvKinds; ++k) {
      if (!kindToggles[static_cast<std::size_t>(k)] || (zone != 0 && k == ATV_SEED_BANK)) continue;
      std::uint8_t& cargo = unit->atvCargo[static_cast<std::size_t>(k)];
      std::uint8_t& slot = landingBlock[kLandingRuns + static_cast<std::size_t>(k * kZones + zone)];
      const int n = std::min({count, static_cast<int>(cargo), 255 - slot});
      if (n <= 0) continue;
      slot = static_cast<std::uint8_t>(slot + n);
      cargo = static_cast<std::uint8_t>(cargo - n);
      landingPending = 1;
    }
    NoteCargoLeft(*unit);
  } else {
    const auto k = static_cast<std::uint8_t>(kind);
    const int held = z->owner == local ? z->GetAtvCount(k) : 0;
    int picked = 0;
    for (std::uint8_t t : std::span(pickupHead).first(4)) picked += t;
    const int room = unit->GetFreeAtvCapacity() - picked;
    // The zone's count of a kind is four bits: it stops at 15 rather than
    // carrying into the next kind.
    const int c = std::min({count, held, room, kNibbleMax - PickedCount(zone, kind)});
    if (c <= 0) return;
    pickupBlock[static_cast<std::size_t>(zone)] =
        static_cast<std::uint16_t>(pickupBlock[static_cast<std::size_t>(zone)] + (c << (4 * kind)));
    pickupHead[k] = static_cast<std::uint8_t>(pickupHead[k] + c);
    auto image =
        BuildAtvsReturnedPacket(asteroidId, static_cast<std::uint16_t>(zone), local, k, static_cast<std::int16_t>(c));
    if (g_session) g_session->Send(kAllPlayersSlot, image.bytes.data(), static_cast<std::uint32_t>(image.bytes.size()));
    z->AddAtvs(k, static_cast<std::int8_t>(-c), 1);
  }
  DrawPlacementBar();
  DrawZone(zone);
  FlushScreen();
}

void CVTerrain::DrawGotoBar() {
  if (placement)
    DrawPlacementBar();
  else
    CVGeneric::DrawGotoBar();
}

void CVTerrain::DrawPlacementBar() {
  CGUnit* unit = PlacementUnit();
  if (!unit || !SharedScreen().screenSprite) return;
  for (int k = 0; k < kAtvKinds; ++k)
    if (unit->atvCargo[static_cast<std::size_t>(k)] == 0) kindToggles[static_cast<std::size_t>(k)] = 0;
  for (int slot = 0; slot < kGotoColumns; ++slot)
    if (SharedScreen().emptyGotoSprite)
      SharedScreen().emptyGotoSprite->ClipRect(SharedScreen().screenSprite, GotoColumnLeft(slot), kBarTop, nullptr);
  char number[12];
  if (landingMode) {
    DrawBarPicture(0, "gotodsel.ima");
    DrawBarPicture(1, "gotosel.ima");
    for (int k = 0; k < kAtvKinds; ++k) {
      DrawBarPicture(SLOT_FIRST_KIND + k, kToggleNames[k][kindToggles[static_cast<std::size_t>(k)] ? 1 : 0]);
      std::snprintf(number, sizeof number, "%d", unit->atvCargo[static_cast<std::size_t>(k)]);
      BarText(SLOT_FIRST_KIND + k, number, 2, DT_RIGHT);
    }
    DrawBarPicture(6, "gotofill.ima");
    DrawBarPicture(9, "gotoland.ima");
  } else {
    int loaded = 0;
    for (int k = 0; k < kAtvKinds; ++k)
      loaded += unit->atvCargo[static_cast<std::size_t>(k)] + pickupHead[static_cast<std::size_t>(k)];
    const int capacity = unit->GetAtvCapacity();
    DrawBarPicture(0, "gotoship.ima");
    BarText(0, Text("VTER__OF", loaded, capacity).c_str(), 30);
    BarText(0, Text("VTERLDED").c_str(), 44);
    DrawBarPicture(1, "gotofill.ima");
    if (loaded == capacity) BarText(1, Text("SHIPFULL").c_str(), 30);
    // Where the landing bar writes its counts: the middle of the slot is the
    // empty slot's pale emblem, on which yellow does not read.
    for (int k = 0; k < kAtvKinds; ++k) {
      std::snprintf(number, sizeof number, "%d", pickupHead[static_cast<std::size_t>(k)]);
      BarText(SLOT_FIRST_KIND + k, number, 2, DT_RIGHT);
    }
    DrawBarPicture(9, "gotorcvr.ima");
  }
  DrawBarPicture(SLOT_DONE, "gotodone.ima");
  DrawBarPicture(SLOT_RESET, "gotorest.ima");
  // Done, the way out of the mode, and Reset tell what they do when the mouse rests on them.
  for (int slot = 0; slot < kGotoColumns; ++slot)
    SetGotoTip(slot, slot == SLOT_DONE ? Text("GOTODONE") : slot == SLOT_RESET ? Text("GOTORSET") : std::string());
  AddDirtyRect({0, 0, 800, 76});
}

void CVTerrain::PlacementBarClick(int slot) {
  if (!placement) return;
  if (slot == SLOT_DONE) {
    PlacementDone();
    return;
  }
  if (slot == SLOT_RESET) {
    PlacementReset();
    return;
  }
  if (!landingMode) return;
  if (slot == SLOT_NONE_ALL || slot == SLOT_ALL)
    kindToggles.fill(slot == SLOT_ALL ? 1 : 0);
  else if (slot >= SLOT_FIRST_KIND && slot < SLOT_FIRST_KIND + kAtvKinds)
    kindToggles[static_cast<std::size_t>(slot - SLOT_FIRST_KIND)] ^= 1;
  else
    return;
  DrawPlacementBar();
  FlushScreen();
}

void CVTerrain::PlacementDone() {
  CGUnit* unit = PlacementUnit();
  const std::uint32_t back = SharedScreen().previousViewType;
  if (unit && landingMode) {
    MatchLandingToCargo(unit);
    if (landingPending) {
      landingBlock[0] = static_cast<std::uint8_t>(asteroidId);
      std::fill(landingBlock.begin() + 1, landingBlock.begin() + kLandingRuns, 0);
      unit->OrderLandAtvs(landingBlock.data(), kInsertAppend);
    }
    unit->landingRequest = 0;
    highlightZone = 0xFF;
    // The order carries the block now: leaving gives nothing back.
    landingBlock.fill(0);
    landingPending = 0;
  } else if (unit) {
    if (pickupHead[0] | pickupHead[1] | pickupHead[2] | pickupHead[3])
      unit->OrderRecoverAtvs(ORDER_RECOVER_ATVS, pickupHead.data(), pickupBlock.data(), kInsertAppend);
    pickupBlock.fill(0);
    std::fill(pickupHead.begin(), pickupHead.begin() + 4, 0);
  }
  UpdateSelectionDisplay(1);
  GoToView(back, static_cast<LPARAM>(kAsteroidSubject + asteroidId));
}

void CVTerrain::ReturnLanding(CGUnit* unit) {
  if (unit) {
    MatchLandingToCargo(unit);
    for (int zone = 0; zone < kZones; ++zone)
      for (int k = 0; k < kAtvKinds; ++k) {
        const std::uint8_t slot = landingBlock[kLandingRuns + static_cast<std::size_t>(k * kZones + zone)];
        std::uint8_t& cargo = unit->atvCargo[static_cast<std::size_t>(k)];
        cargo = static_cast<std::uint8_t>(std::min(255, cargo + slot));
      }
    NoteCargoLeft(*unit);
  }
  landingBlock.fill(0);
  landingPending = 0;
}

void CVTerrain::NoteCargoLeft(const CGUnit& unit) { cargoLeft = unit.atvCargo; }

bool CVTerrain::MatchLandingToCargo(CGUnit* unit) {
  if (!unit || !landingMode || unit->atvCargo == cargoLeft) return false;
  // Nothing of the landing is sent before done, so the server's count still
  // holds every ATV the block placed; beyond that count they are gone (the
  // outer zones give them up first).
  for (int k = 0; k < kAtvKinds; ++k) {
    std::uint8_t& cargo = unit->atvCargo[static_cast<std::size_t>(k)];
    int aboard = cargo;
    for (int zone = 0; zone < kZones; ++zone) {
      std::uint8_t& slot = landingBlock[kLandingRuns + static_cast<std::size_t>(k * kZones + zone)];
      const int kept = std::min<int>(slot, aboard);
      slot = static_cast<std::uint8_t>(kept);
      aboard -= kept;
    }
    cargo = static_cast<std::uint8_t>(aboard);
  }
  landingPending =
      std::any_of(landingBlock.begin() + kLandingRuns, landingBlock.end(), [](std::uint8_t n) { return n != 0; }) ? 1
                                                                                                                  : 0;
  NoteCargoLeft(*unit);
  return true;
}

void CVTerrain::ReturnPickedAtvs() {
  CGAsteroid* a = Asteroid();
  const auto local = static_cast<std::uint8_t>(LocalChapterId(0));
  for (int zone = 0; a && zone < kZones; ++zone) {
    CGZone* z = a->GetZone(static_cast<std::uint16_t>(zone));
    for (int k = 0; z && k < kAtvKinds; ++k) {
      const int c = PickedCount(zone, k);
      if (c == 0) continue;
      // The last ATVs picked left the zone without an owner; they come back
      // as the local chapter's, and the other players hear of it as they
      // heard of the pick.
      z->SetOwner(local);
      z->AddAtvs(static_cast<std::uint8_t>(k), static_cast<std::int8_t>(c), 1);
      auto image = BuildAtvsReturnedPacket(asteroidId, static_cast<std::uint16_t>(zone), local,
                                           static_cast<std::uint16_t>(k), static_cast<std::int16_t>(-c));
      if (g_session)
        g_session->Send(kAllPlayersSlot, image.bytes.data(), static_cast<std::uint32_t>(image.bytes.size()));
    }
  }
  pickupBlock.fill(0);
  std::fill(pickupHead.begin(), pickupHead.begin() + 4, 0);
}

void CVTerrain::AbandonPlacement() {
  if (landingMode)
    ReturnLanding(PlacementUnit());
  else
    ReturnPickedAtvs();
}

void CVTerrain::PlacementReset() {
  CGUnit* unit = PlacementUnit();
  if (!unit) return;
  if (landingMode) {
    ReturnLanding(unit);
  } else {
    // Cancelling the recovery gives the picked ATVs back to their zones.
    unit->OrderRecoverAtvs(ORDER_RECOVER_ATVS, pickupHead.data(), pickupBlock.data(), kInsertAppend);
    unit->CancelOrders();
    pickupBlock.fill(0);
    std::fill(pickupHead.begin(), pickupHead.begin() + 4, 0);
  }
  RedrawAllZones(1);
  DrawPlacementBar();
  FlushScreen();
}
