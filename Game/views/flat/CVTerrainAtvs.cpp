// The terrain view's ATV handling: dragging ATVs between zones to move or
// attack, and dragging an arriving ATV back to undo its move.
#include <algorithm>

#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GZone.h"
#include "Game/panels/CVData.h"
#include "Game/views/flat/CVTerrain.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/user/messages.h"

using namespace plat;
using terrain::Hit;

namespace {

constexpr int kDragWidth = 25;
constexpr int kDragHeight = 30;
constexpr int kCtrlCount = 5;
constexpr std::uint8_t kNoKind = 0xFF;

bool HasTechFlag(const std::array<std::uint8_t, 6>& tech, char flag) { return tech[4] == flag || tech[5] == flag; }

void PlaySound(const char* name) {
  if (g_sndPlay) g_sndPlay->PlayEffect(name, 1.0f, 0.0f, 0);
}

// The zone holds a move of `kind` that came from zone `from`.
bool HasMoveFrom(const CGZone& zone, int kind, int from) {
  for (std::uint32_t i = 0; i < zone.atvMoves.count; ++i) {
    const ZoneAtvMove* m = zone.atvMoves.items[i];
    if (m && m->kind == kind && m->sourceZone == from) return true;
  }
  return false;
}

}  // namespace

bool CVTerrain::IsReachable(int source, int target, int kind, std::uint8_t chapter) const {
  const CGAsteroid* a = Asteroid();
  if (!a || !a->GetZone(static_cast<std::uint16_t>(source)) || !a->GetZone(static_cast<std::uint16_t>(target)))
    return false;
  const auto s = static_cast<std::uint32_t>(source), t = static_cast<std::uint32_t>(target);
  if (a->AreZonesAdjacent(s, t)) return true;
  std::uint32_t between = 0;
  return HasTechFlag(ChapterTech(chapter, kind), 'M') && a->FindIntermediateZone(s, t, &between) != 0;
}

bool CVTerrain::DropAllowed(int zone) const {
  if (dragKind == kNoKind || dragZone < 0 || zone == dragZone) return false;
  if (zone == 0 && dragKind != ATV_SEED_BANK) return false;
  if (!dragFromArriving) return IsReachable(dragZone, zone, dragKind, dragChapter);
  const CGAsteroid* a = Asteroid();
  const CGZone* source = a ? a->GetZone(static_cast<std::uint16_t>(dragZone)) : nullptr;
  return source && HasMoveFrom(*source, dragKind, zone);
}

int CVTerrain::MoveAtvs(int source, int target, int kind, int count) {
  CGAsteroid* a = Asteroid();
  CGZone* from = a ? a->GetZone(static_cast<std::uint16_t>(source)) : nullptr;
  CGZone* to = a ? a->GetZone(static_cast<std::uint16_t>(target)) : nullptr;
  if (!from || !to || kind < 0 || kind >= kAtvKinds) return 0;
  const auto k = static_cast<std::uint8_t>(kind);
  const int held = from->owner == static_cast<std::uint8_t>(LocalChapterId(0)) ? from->GetAtvCount(k) : 0;
  if (held == 0 || !IsReachable(source, target, kind, from->owner) || (target == 0 && k != ATV_SEED_BANK)) return held;
  const int moved = std::min(count, held);
  from->AddAtvs(k, static_cast<std::int8_t>(-moved), 0);
  to->AddArrivingAtvs(k, static_cast<std::uint8_t>(moved), static_cast<std::uint16_t>(source), 1);
  PlaySound("atvplace.wav");
  to->AddAtvMoves(k, moved, static_cast<std::uint8_t>(source));
  return held - moved;
}

int CVTerrain::AttackAtvs(int source, int target, int kind, int count) {
  CGAsteroid* a = Asteroid();
  CGZone* from = a ? a->GetZone(static_cast<std::uint16_t>(source)) : nullptr;
  CGZone* to = a ? a->GetZone(static_cast<std::uint16_t>(target)) : nullptr;
  if (!from || !to || kind < 0 || kind >= kAtvKinds) return 0;
  const auto k = static_cast<std::uint8_t>(kind);
  const int held = from->owner == static_cast<std::uint8_t>(LocalChapterId(0)) ? from->GetAtvCount(k) : 0;
  if (held == 0) return 0;
  // The centre takes seed banks only, whether they move or attack there.
  if ((target == 0 && k != ATV_SEED_BANK) || !HasTechFlag(ChapterTech(from->owner, kind), 'R') ||
      !a->AreZonesAdjacent(static_cast<std::uint32_t>(source), static_cast<std::uint32_t>(target)))
    return held;
  const int sent = std::min(count, held);
  from->AddAtvs(k, static_cast<std::int8_t>(-sent), 0);
  // The attackers stay listed, pending, in their own zone.
  from->AddArrivingAtvs(k, static_cast<std::uint8_t>(sent), static_cast<std::uint16_t>(source), 1);
  to->AddAttackingAtvs(k, static_cast<std::uint8_t>(sent), static_cast<std::uint16_t>(source));
  PlaySound("atvgun.wav");
  return held - sent;
}

int CVTerrain::OnLButtonDown(int x, int y, WPARAM keys) {
  if (placement && y < 74) {
    PlacementBarClick(x / 80);
    return 1;
  }
  if (CVGeneric::OnLButtonDown(x, y, keys)) return 1;
  if (x > 637 && y > 98) return SharedScreen().dataPanel ? SharedScreen().dataPanel->OnClick(x, y, 0) : 0;
  if (GetViewType() == VIEW_TERRAIN_REPLAY) {
    LeaveReplayMode(1);
    return 1;
  }
  CGAsteroid* a = Asteroid();
  Hit hit;
  if (!a || !HitZone(x, y, &hit)) return 0;
  if (placement) {
    PlacementClick(hit.zone, hit.kind, (keys & MK_CONTROL) ? kCtrlCount : 1);
    return 1;
  }
  CGZone& zone = *a->GetZone(static_cast<std::uint16_t>(hit.zone));
  const auto kind = static_cast<std::uint8_t>(hit.kind);
  const std::uint8_t local = static_cast<std::uint8_t>(LocalChapterId(0));
  if (!hit.rightHalf) {
    const int held = zone.owner == local ? zone.GetAtvCount(kind) : 0;
    if (held == 0) return 0;
    dragCount = static_cast<std::uint8_t>(std::min((keys & MK_CONTROL) ? kCtrlCount : 1, held));
    dragChapter = zone.owner;
    dragFromArriving = 0;
    zone.AddAtvs(kind, static_cast<std::int8_t>(-dragCount), 0);
  } else {
    bool listed = false;
    for (std::uint32_t i = 0; i < zone.arriving.count && !listed; ++i) {
      const ZoneAtvCount* e = zone.arriving.items[i];
      listed = e && e->chapter == local && e->counts[kind] > 0;
    }
    if (!listed) return 0;
    dragCount = 1;
    dragChapter = local;
    dragFromArriving = 1;
    zone.AddArrivingAtvs(kind, static_cast<std::uint8_t>(-1), zone.index, 0);
  }
  dragKind = kind;
  dragZone = static_cast<std::int16_t>(hit.zone);
  dragImage = atvImages[kind];
  ForgetHover();
  DrawZone(hit.zone);
  FlushScreen();
  return 1;
}

void CVTerrain::RestoreUnderDrag() {
  if (savedX < 0 || savedY < 0) return;
  saveUnder->BltToSurface(SharedScreen().screenSprite, savedX, savedY, nullptr);
  AddDirtyRect({savedX, savedY, savedX + kDragWidth, savedY + kDragHeight});
  savedX = savedY = -1;
}

void CVTerrain::SetHighlight(int zone) {
  const int old = highlightZone == 0xFF ? -1 : highlightZone;
  if (old == zone) return;
  highlightZone = zone < 0 ? 0xFF : static_cast<std::uint8_t>(zone);
  if (old >= 0) DrawZone(old);
  if (zone >= 0) DrawZone(zone);
}

int CVTerrain::OnMouseMove(WPARAM keys, LPARAM position) {
  if (dragKind == kNoKind) return HoverAt(keys, position);
  const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
  RestoreUnderDrag();
  Hit hit;
  const int over = HitZone(x, y, &hit) ? hit.zone : -1;
  if (over >= 0 && over != (highlightZone == 0xFF ? -1 : highlightZone)) ShowZoneInPanel(over, 0);
  if (over < 0 && hoverShown) RefreshDataPanel(0);
  SetHighlight(over);
  const int left = std::clamp(x - 12, 0, 800 - kDragWidth - 1), top = std::clamp(y - 15, 0, 600 - kDragHeight - 1);
  const RECT under{left, top, left + kDragWidth, top + kDragHeight};
  SharedScreen().screenSprite->BltToSurface(saveUnder, 0, 0, &under);
  savedX = left;
  savedY = top;
  if (dragImage) dragImage->BltToSurface(SharedScreen().screenSprite, left, top, nullptr);
  AddDirtyRect(under);
  FlushScreen();
  return 1;
}

void CVTerrain::GiveDragBack(CGZone& source) {
  if (!dragFromArriving) {
    source.SetOwner(dragChapter);
    source.AddAtvs(dragKind, static_cast<std::int8_t>(dragCount), 0);
  } else {
    source.AddArrivingAtvs(dragKind, dragCount, source.index, 0);
  }
}

void CVTerrain::CancelDrag() {
  if (dragKind == kNoKind) return;
  RestoreUnderDrag();
  CGAsteroid* a = Asteroid();
  if (CGZone* source = a ? a->GetZone(static_cast<std::uint16_t>(dragZone)) : nullptr) GiveDragBack(*source);
  highlightZone = 0xFF;
  EndDrag();
}

void CVTerrain::EndDrag() {
  dragKind = kNoKind;
  dragZone = -1;
  dragCount = 0;
  dragFromArriving = 0;
  savedX = savedY = -1;
}

int CVTerrain::OnLButtonUp(int x, int y, WPARAM keys) {
  if (dragKind == kNoKind) return 0;
  RestoreUnderDrag();
  CGAsteroid* a = Asteroid();
  CGZone* source = a ? a->GetZone(static_cast<std::uint16_t>(dragZone)) : nullptr;
  if (!source) {
    EndDrag();
    return 1;
  }
  // The dragged ATVs go home first; the order then takes them from there.
  GiveDragBack(*source);
  SetHighlight(-1);
  Hit hit;
  if (HitZone(x, y, &hit) && hit.zone != dragZone) {
    CGZone& target = *a->GetZone(static_cast<std::uint16_t>(hit.zone));
    if (!dragFromArriving) {
      if (!(keys & MK_SHIFT))
        MoveAtvs(dragZone, hit.zone, dragKind, dragCount);
      else
        AttackAtvs(dragZone, hit.zone, dragKind, (keys & MK_CONTROL) ? kCtrlCount : 1);
    } else if (HasMoveFrom(*source, dragKind, hit.zone)) {
      // Back where it came from: the move is undone.
      source->RemoveAtvMove(dragKind, static_cast<std::uint8_t>(hit.zone));
      source->AddArrivingAtvs(dragKind, static_cast<std::uint8_t>(-dragCount), static_cast<std::uint16_t>(hit.zone), 1);
      target.SetOwner(dragChapter);
      target.AddAtvs(dragKind, static_cast<std::int8_t>(dragCount), 1);
      PlaySound("atvplace.wav");
    }
    DrawZone(hit.zone);
  }
  DrawZone(dragZone);
  // The counts changed: the drop zone is read out afresh.
  if (HitZone(x, y, &hit)) ShowZoneInPanel(hit.zone, 1);
  EndDrag();
  FlushScreen();
  ForgetHover();
  return 1;
}
