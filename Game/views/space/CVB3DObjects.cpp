// The unit display objects kept in line with the model's units at the view's
// asteroid, and the grid plane with the height lines tying objects to it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CDispAst3D.h"
#include "Game/views/world/CDispGrid.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispAst.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVDispStr.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"

namespace {

constexpr double kGridOrigin = 1103.125;
constexpr double kGridTileSize = 6.25;

int OwnerCount() { return 32 + (g_gameData ? g_gameData->chaptersPerGuild : 8); }

// Ties an object to the grid plane with a line of its owner's colour.
void AddHeightLine(DisplayList& list, CVDispObj* object, std::uint32_t chapter, double gridHeight) {
  CDispLine* line = list.CreateLine(object, chapter, 0);
  if (!line) return;
  double at[3];
  object->GetPosition(at);
  at[1] += 0.01;
  line->SetPosition(at);
  line->SetSpan(at[1], gridHeight);
}

}  // namespace

std::uint32_t CVB3DView::GridTileCount() const {
  std::uint32_t n = 0;
  while (displayList && displayList->Find(DISP_GRID, n)) ++n;
  return n;
}

CVDispUnt* CVB3DView::CreateUnitObject(const CGUnit* unit, const double position[3]) {
  if (!unit || !displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  CVDispUnt* object = displayList->CreateUnit(unit);
  if (!object) {
    TraceError("CVB3DView::CreateUnitObject - no object", __FILE__, __LINE__);
    return nullptr;
  }
  object->SetPosition(position);
  if (g_gridShown && !IsSolar()) {
    if (!displayList->Find(DISP_GRID, 0))
      RebuildGrid();
    else
      AddHeightLine(*displayList, object, unit->GetChapter(), GridHeight());
  }
  return object;
}

CVDispObj* CVB3DView::CreateAsteroidObject(const CGAsteroid* asteroid) {
  if (!asteroid || !displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  CVDispObj* object = displayList->CreateAsteroid(asteroid, GetViewType());
  if (!object) return nullptr;
  if (g_gridShown && !IsSolar()) {
    if (!displayList->Find(DISP_GRID, 0))
      RebuildGrid();
    else
      AddHeightLine(*displayList, object, asteroid->owner, GridHeight());
  }
  return object;
}

CVDispObj* CVB3DView::CreateLocationMarker(const Location& location, std::uint32_t id) {
  if (!displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  CDispAst3D* marker = displayList->Create3DAsteroid();
  if (!marker) return nullptr;
  marker->SetKey(DisplayKey{id, DISP_ASTEROID_3D, id, DISP_ASTEROID_3D});
  double at[3];
  LocationToWorld(location, at);
  marker->SetPosition(at);
  if (g_gridShown && !IsSolar()) AddHeightLine(*displayList, marker, LocalChapterId(), GridHeight());
  return marker;
}

CVDispObj* CVB3DView::CreateStarObject(const CGStar* star, std::uint32_t arg) {
  if (!displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  return displayList->CreateStar(star, arg);
}

CVDispObj* CVB3DView::CreateExplosionObject(std::uint32_t id, const char* name, const char* dir, CVDispObj* owner,
                                            std::uint32_t attached, std::uint32_t looping) {
  if (!displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  return displayList->CreateExplosion(id, name, dir, owner, attached, looping);
}

void CVB3DView::RepositionAsteroids(std::uint16_t first, std::uint16_t last) {
  if (!IsSolar() || !g_gameData || !displayList) return;
  const std::uint32_t count = g_gameData->solarDB.GetAsteroidCount();
  if (first == 0 && last == 0) last = static_cast<std::uint16_t>(count);
  // [first, last), wrapping past the end when last lies before first.
  for (std::uint32_t n = 0, a = first; n < count && a != last; ++n, a = (a + 1) % count) {
    const CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(a);
    CVDispObj* object = displayList->Find(DISP_ASTEROID, a);
    if (!asteroid || !object) continue;
    Location at;
    asteroid->GetPosition(&at);
    PositionObject(at, object);
  }
}

int CVB3DView::MoveUnitObject(std::uint32_t unitId, const Location& location) {
  CVDispObj* object = displayList ? displayList->Find(DISP_UNIT, unitId) : nullptr;
  if (!object) return 0;
  PositionObject(location, object);
  if (g_gridShown && displayList->Find(DISP_GRID, 0)) {
    for (CVDispNode* n = object->children; n; n = n->next) {
      if (n->object->GetType() != DISP_LINE) continue;
      double at[3];
      object->GetPosition(at);
      n->object->SetPosition(at);
      static_cast<CDispLine*>(n->object)->SetSpan(at[1], GridHeight());
    }
  }
  return 1;
}

void CVB3DView::MoveAllUnitObjects() {
  if (!g_gameData) return;
  const std::uint16_t here = GetCurrentAsteroidId();
  for (int owner = 0; owner < OwnerCount(); ++owner) {
    const std::uint32_t count = g_gameData->pieces.CountUnits(here, static_cast<std::int16_t>(owner));
    for (std::uint32_t k = 0; k < count; ++k) {
      CGUnit* unit =
          g_gameData->pieces.GetUnitAt(here, static_cast<std::uint16_t>(owner), static_cast<std::uint16_t>(k));
      if (unit && unit->IsOperational()) MoveUnitObject(unit->id, unit->location);
    }
  }
}

void CVB3DView::HideUnitObjects(int hide) {
  if (!displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT) n->object->SetVisible(hide ? 0 : 1, 1);
}

void CVB3DView::FaceOrderTarget(CVDispUnt* object, CGUnit* unit) {
  if (!object || !unit || unit->GetOrderCount() == 0) return;
  const UnitOrder* order = unit->GetOrder(0);
  if (!order) return;
  double at[3];
  if (CVDispObj* target = OrderTargetObject(*order)) {
    target->GetPosition(at);
  } else if (order->type == ORDER_MOVE_TO_LOCATION) {
    LocationToWorld(order->GetLocation(), at);
  } else {
    return;
  }
  object->SetHeading(at);
}

void CVB3DView::UpdateUnitObjects() {
  if (!g_gameData || !displayList) return;
  const std::uint16_t here = GetCurrentAsteroidId();
  std::vector<std::uint32_t> kept;
  kept.reserve(g_gameData->pieces.CountUnits(here, -1) + 2);
  for (CVDispNode* n = displayList->head; n;) {
    CVDispObj* o = n->object;
    n = n->next;
    if (o->GetType() != DISP_UNIT) continue;
    auto* object = static_cast<CVDispUnt*>(o);
    CGUnit* unit = g_gameData->pieces.FindUnitAt(here, object->key.id);
    char abbreviation[8] = {};
    if (unit) unit->GetClassAbbreviation(abbreviation);
    const bool classChanged = unit && !object->wreck && std::strncmp(object->baseName.c_str(), abbreviation, 4) != 0;
    if (!unit || classChanged) {
      displayList->RemoveUnit(object->key.id);
      continue;
    }
    kept.push_back(unit->id);
    if (!unit->IsOperational() && !object->wreck) {
      object->SetWrecked(1);
      object->UpdateMaterials(0);
    }
    if (unit->GetSpeed() != 0) FaceOrderTarget(object, unit);
    object->UpdateMaterials(0);
  }
  for (int owner = 0; owner < OwnerCount(); ++owner) {
    const std::uint32_t count = g_gameData->pieces.CountUnits(here, static_cast<std::int16_t>(owner));
    for (std::uint32_t k = 0; k < count; ++k) {
      CGUnit* unit =
          g_gameData->pieces.GetUnitAt(here, static_cast<std::uint16_t>(owner), static_cast<std::uint16_t>(k));
      if (!unit || std::find(kept.begin(), kept.end(), unit->id) != kept.end()) continue;
      double at[3];
      LocationToWorld(unit->location, at);
      CVDispUnt* object = CreateUnitObject(unit, at);
      if (!object) continue;
      if (!unit->IsOperational()) object->SetWrecked(1);
      if (UnitOrder* order = unit->GetOrderCount() ? unit->GetOrder(0) : nullptr) {
        if (order->type != ORDER_MOVE_TO_LOCATION && !order->target) unit->GetNumTurnsUntilOrderCompletion(nullptr);
        FaceOrderTarget(object, unit);
      }
      object->UpdateMaterials(0);
      if (IsFutureView()) object->SetVisible(0, 1);
    }
  }
}

void CVB3DView::RebuildGrid() {
  if (!displayList) return;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  if (!displayList->Find(DISP_GRID, 0)) {
    if (orders::ShiftHeld()) gridPoint[1] = kGridHeight;
    std::uint32_t id = 0;
    for (int i = -2; i <= 1; ++i) {
      for (int j = -2; j <= 1; ++j, ++id) {
        CVDispObj* tile = displayList->CreateGrid(id);
        if (!tile) continue;
        const double at[3] = {kGridOrigin + kGridTileSize * i, GridHeight(), kGridOrigin + kGridTileSize * j};
        tile->SetPosition(at);
      }
    }
    displayList->CreateLines(GridHeight());
    g_gridShown = 1;
    return;
  }
  for (std::uint32_t id = 0; displayList->Remove(DISP_GRID, id); ++id) {
  }
  // The target line may go with the grid's lines: it is looked for again by
  // the key it had, never read through once they are gone.
  const bool hadTarget = targetLine != nullptr;
  const std::uint32_t targetId = hadTarget ? targetLine->key.id : 0;
  displayList->RemoveLines();
  if (hadTarget) {
    targetLine = static_cast<CDispLine*>(displayList->Find(DISP_LINE, targetId));
    if (targetLine) targetLine->SetVisible(0, 0);
  }
  g_gridShown = 0;
  targetLineActive = 0;
}

void CVB3DView::EnsureGrid() {
  if (g_gridShown && !IsSolar() && displayList && !displayList->Find(DISP_GRID, 0)) RebuildGrid();
}

void CVB3DView::ClearDisplayList() {
  if (displayList) displayList->Clear();
  targetLine = nullptr;
}
