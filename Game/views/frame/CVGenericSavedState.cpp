// The view framework's block of a saved game.
#include <array>

#include "Game/app/AppGlobals.h"
#include "Game/base/GPersist.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GNotify.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVSavedState.h"

namespace {

CVGeneric* CurrentView() { return dynamic_cast<CVGeneric*>(g_currentView); }

// The popup menu goes before the state is written or replaced.
void CloseMenu() {
  if (!SharedScreen().popupMenu) return;
  ReleasePopupMenu(SharedScreen().popupMenu);
  SharedScreen().popupMenu = nullptr;
}

// Everything after the notification panel's state, as read.
struct SavedFields {
  std::array<GotoEntry, kGotoGroups * kGotoColumns> slots{};
  std::uint16_t cursorKind = 0;
  std::uint32_t viewType = 0;
  std::uint32_t previousViewType = 0;
  std::uint8_t gotoGroup = 0;
  std::uint16_t previousAsteroid = 0;
  std::uint32_t frameAnimations = 0;
  std::uint32_t cameraTravelOff = 0;
  std::uint32_t shipFacingOff = 0;
  std::uint8_t infoType = 0;
  std::uint16_t lampCount = 0;
};

// Without a notification panel its state is read into a list of its own and dropped.
LoadStatus ReadNotifyState(BlockReader& r) {
  if (SharedScreen().notifyPanel) return SharedScreen().notifyPanel->Load(r);
  r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  CGNotificationList scratch;
  return scratch.Load(r);
}

}  // namespace

bool WriteSavedViewBlock(BlockWriter& w) {
  w.U8(kSavedViewVersion);
  if (SharedScreen().notifyPanel) {
    if (!SharedScreen().notifyPanel->Save(w)) return false;
  } else {
    // No panel: an empty one's state, so the block still reads.
    w.U32(0);
    CGNotificationList empty;
    if (!empty.Save(w)) return false;
  }
  for (const GotoEntry& e : SharedScreen().gotoSlots) {
    w.U16(e.kind);
    w.U32(e.id);
  }
  w.U8(kValidityByte);
  w.U32(SharedScreen().endTurnSentTurn);
  w.U16(SharedScreen().cursorKind);
  w.U32(SharedScreen().viewType);
  w.U32(SharedScreen().previousViewType);
  w.U8(SharedScreen().gotoGroup);
  w.U16(SharedScreen().previousViewAsteroid);
  w.U32(SharedScreen().frameAnimationsOn);
  w.U32(SharedScreen().cameraTravelOff);
  w.U32(SharedScreen().shipFacingOff);
  // Without an info panel a type that selects none.
  w.U8(SharedScreen().infoPanel ? SharedScreen().infoPanel->type : kNoHighlight);
  w.U16(SharedScreen().turnLampCount);
  w.U8(kValidityByte);
  return w.Ok();
}

LoadStatus ReadSavedViewBlock(BlockReader& r) {
  CloseMenu();
  const std::uint8_t version = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version < 1 || version > kSavedViewVersion) return LoadStatus::kBadVersion;
  if (const LoadStatus s = ReadNotifyState(r); s != LoadStatus::kOk) return s;
  SavedFields f;
  for (GotoEntry& e : f.slots) {
    e.kind = r.U16();
    e.id = r.U32();
  }
  if (const LoadStatus s = r.EndByte(kValidityByte); s != LoadStatus::kOk) return s;
  r.U32();  // END TURN may be given again for the loaded turn
  f.cursorKind = r.U16();
  f.viewType = r.U32();
  f.previousViewType = r.U32();
  f.gotoGroup = r.U8();
  f.previousAsteroid = r.U16();
  f.frameAnimations = r.U32();
  if (version > 2) {
    f.cameraTravelOff = r.U32();
    f.shipFacingOff = r.U32();
  }
  f.infoType = r.U8();
  if (version > 1) f.lampCount = r.U16();
  if (const LoadStatus s = r.EndByte(kValidityByte); s != LoadStatus::kOk) return s;
  if (f.gotoGroup >= kGotoGroups) return LoadStatus::kBadCount;

  SharedScreen().gotoSlots = f.slots;
  SharedScreen().gotoGroup = f.gotoGroup;
  CVGeneric* view = CurrentView();
  if (view) view->DrawGotoBar();
  SharedScreen().endTurnSentTurn = 0xFFFFFFFFu;
  SharedScreen().cursorKind = f.cursorKind;
  SharedScreen().viewType = f.viewType;
  SharedScreen().previousViewType = f.previousViewType;
  SharedScreen().previousViewAsteroid = f.previousAsteroid;
  SharedScreen().frameAnimationsOn = f.frameAnimations;
  if (version > 2) {
    SharedScreen().cameraTravelOff = f.cameraTravelOff;
    SharedScreen().shipFacingOff = f.shipFacingOff;
  }
  if (f.infoType < kInfoPanelTypes && view) view->OnControlCommand(control::kFirstPanel + f.infoType);
  if (version > 1) SharedScreen().turnLampCount = f.lampCount;
  // The view fonts stay: the data panel holds the bold one.
  return LoadStatus::kOk;
}

void CVGeneric::SaveSharedState(plat::FILE* file) {
  CloseMenu();
  if (CVGeneric* view = CurrentView()) view->UpdateCursor();
  BlockWriter w(file);
  WriteSavedViewBlock(w);
}

void CVGeneric::LoadSharedState(plat::FILE* file) {
  BlockReader r(file);
  ReadSavedViewBlock(r);
}
