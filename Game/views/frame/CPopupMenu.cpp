#include "Game/views/frame/CPopupMenu.h"

#include <algorithm>

#include "Game/views/frame/CVGeneric.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/dialog/menu.h"
#include "platform/gdi/dc.h"
#include "platform/user/cursor.h"

using namespace plat;

namespace {

constexpr std::uint16_t kDefaultGrowStep = 10;
// Beyond this a menu opens to the left of the point asked for.
constexpr int kRightmostX = 461;
constexpr int kLeftShift = 124;
// The foot of the space a menu may take: 22 pixels an item above it.
constexpr int kFootY = 576;
constexpr int kFootPerItem = 22;
// A submenu beside its parent: right while it stays left of 677, else left.
constexpr int kCascadeRight = 110;
constexpr int kCascadeLeft = 115;
constexpr int kCascadeLimit = 677;
constexpr int kBackdropWidth = 120;

int FootLimit(int count) { return kFootY - kFootPerItem * count; }

}  // namespace

CPopupMenu::CPopupMenu(CDDraw* owner, HWND window, CSprite* screen, int x, int y, std::uint16_t growStep, int cascade)
    : menu_(CreatePopupMenu()),
      owner_(owner),
      window_(window),
      screen_(screen),
      x_(x),
      y_(y),
      requestedX_(x),
      requestedY_(y),
      cascade_(cascade != 0) {
  items_.reserve(growStep == 0xFFFF || growStep == 0 ? kDefaultGrowStep : growStep);
}

CPopupMenu::~CPopupMenu() { Destroy(); }

int CPopupMenu::AppendItem(std::uint32_t id, const char* normalImage, const char* highlightImage, HMODULE module) {
  AppendMenu(menu_, MF_OWNERDRAW, id, reinterpret_cast<const char*>(static_cast<UINT_PTR>(id)));
  auto item = std::make_unique<Item>();
  item->id = id;
  if (owner_) {
    item->normal =
        std::make_unique<CSprite>(owner_, normalImage, module, kNoColourKey, kItemWidth, kItemHeight, 0, 0, 0);
    item->highlight =
        std::make_unique<CSprite>(owner_, highlightImage, module, kNoColourKey, kItemWidth, kItemHeight, 0, 0, 0);
    item->normal->LoadImage(module);
    item->highlight->LoadImage(module);
  }
  items_.push_back(std::move(item));
  return 1;
}

BOOL CPopupMenu::AttachSubmenu(std::uint32_t id, CPopupMenu* submenu) {
  std::unique_ptr<CPopupMenu> taken(submenu);
  Item* first = nullptr;
  for (auto& item : items_) {
    if (item->id != id) continue;
    if (!first) {
      first = item.get();
      continue;
    }
    // A second item of the same id cannot share the one submenu; it keeps none.
    item->submenu.reset();
  }
  if (!first || !taken) return FALSE;
  first->submenu = std::move(taken);
  MENUITEMINFO info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = first->submenu->menu_;
  return SetMenuItemInfo(menu_, id, FALSE, &info);
}

BOOL CPopupMenu::Track() {
  if (x_ > kRightmostX) x_ -= kLeftShift;
  const int count = GetItemCount();
  y_ = std::min(y_, FootLimit(count));
  for (auto& item : items_) {
    if (!item->submenu) continue;
    item->submenu->x_ = x_;
    item->submenu->y_ = y_;
  }
  CaptureBackdrop(-1);
  // The menus paint straight onto the screen, and a closing submenu has the
  // main window painted again: no flush of the game screen may cover them
  // while they show.
  const bool flushing = SharedScreen().flushSuspended == 0;
  SuspendScreenFlush(1);
  const BOOL shown = TrackPopupMenu(menu_, TPM_RIGHTBUTTON, x_, y_, 0, window_, nullptr);
  // The menu has left the screen, but its holder lets it go only after the
  // chosen command ran: a dialog that command opens would show over the
  // menu's picture. What lay under the menus goes back now (the submenus'
  // first, as they were taken with this menu on the screen).
  PutBackdrops();
  if (flushing) SuspendScreenFlush(0);
  return shown;
}

void CPopupMenu::PutBackdrops() {
  for (auto& item : items_)
    if (item->submenu) item->submenu->PutBackdrops();
  if (backdrop_) PutBackdrop(GetItemCount());
  backdropPut_ = backdrop_ != nullptr;
}

RECT CPopupMenu::BackdropRect(int count) const {
  return RECT{x_, y_, x_ + kBackdropWidth, y_ + kItemHeight * (count + 1)};
}

void CPopupMenu::CaptureBackdrop(int index) {
  if (backdrop_ || !owner_) return;
  const int count = GetItemCount();
  if (cascade_) {
    x_ = x_ + kCascadeRight < kCascadeLimit ? x_ + kCascadeRight : x_ - kCascadeLeft;
    y_ = std::min(y_ + kItemHeight * index, FootLimit(count));
    SetSubmenuPosition(menu_, x_, y_);
  }
  backdrop_ = std::make_unique<CSprite>(owner_, nullptr, kNoColourKey, kBackdropWidth,
                                        static_cast<DWORD>(kItemHeight * (count + 1)), x_, y_, 0);
  ShowCursor(FALSE);
  backdrop_->BltFromSurface(x_, y_);
  ShowCursor(TRUE);
}

void CPopupMenu::PutBackdrop(int count) {
  const RECT to = BackdropRect(count);
  ShowCursor(FALSE);
  backdrop_->BltToPrimary(&to, nullptr);
  ShowCursor(TRUE);
}

void CPopupMenu::DrawItem(int index, HDC dc, int highlighted) {
  if (index < 0 || index >= GetItemCount()) return;
  Item& item = *items_[static_cast<std::size_t>(index)];
  CSprite* picture = highlighted ? item.highlight.get() : item.normal.get();
  // The platform gives the item's place on the screen while the menu shows;
  // else the DC's origin names it, and failing that the menu's own position.
  RECT place{};
  POINT origin{};
  if (!GetMenuItemRect(window_, menu_, static_cast<UINT>(index), &place)) {
    const bool known = GetDCOrgEx(dc, &origin) && (origin.x != 0 || origin.y != 0);
    const LONG left = known ? origin.x : x_;
    const LONG top = known ? origin.y : y_ + kItemHeight * index;
    place = RECT{left, top, left + kItemWidth, top + kItemHeight};
  }
  if (highlighted) {
    for (auto& other : items_) {
      CPopupMenu* sub = other->submenu.get();
      if (!sub) continue;
      sub->backdropPending_ = true;
      // A submenu the platform has just closed leaves its picture on the
      // screen: what lay under it goes back at once.
      RECT shown{};
      if (sub->backdrop_ && !GetMenuItemRect(window_, sub->menu_, 0, &shown)) sub->PutBackdrop(sub->GetItemCount());
    }
  }
  ShowCursor(FALSE);
  if (backdrop_ && backdropPending_) {
    PutBackdrop(GetItemCount());
    backdropPending_ = false;
  }
  if (picture) {
    const RECT to{place.left, place.top, place.left + kItemWidth, place.top + kItemHeight};
    picture->BltToPrimary(&to, nullptr);
  }
  ShowCursor(TRUE);
}

int CPopupMenu::FindItemIndex(std::uint32_t id) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& item = *items_[i];
    if (item.submenu) {
      const int inner = item.submenu->FindItemIndex(id);
      if (inner != -1) return inner;
    }
    if (item.id == id) return static_cast<int>(i);
  }
  return -1;
}

CPopupMenu* CPopupMenu::FindMenu(HMENU handle) {
  if (!handle) return nullptr;
  if (handle == menu_) return this;
  for (auto& item : items_)
    if (item->submenu && item->submenu->menu_ == handle) return item->submenu.get();
  return nullptr;
}

CSprite* CPopupMenu::GetItemSprite(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)]->normal.get() : nullptr;
}

CSprite* CPopupMenu::GetItemHighlightSprite(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)]->highlight.get() : nullptr;
}

std::uint32_t CPopupMenu::GetItemId(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)]->id : 0;
}

CPopupMenu* CPopupMenu::GetSubmenu(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)]->submenu.get() : nullptr;
}

void CPopupMenu::GetPosition(int* outX, int* outY) const {
  if (outX) *outX = requestedX_;
  if (outY) *outY = requestedY_;
}

void CPopupMenu::Destroy() {
  const int count = GetItemCount();
  while (!items_.empty()) {
    if (items_.back()->submenu) items_.back()->submenu->Destroy();
    items_.pop_back();
  }
  if (backdrop_) {
    // Once tracking has put it back, the screen may have changed since (a
    // menu closed by a click beside it is let go only at the next click):
    // the kept picture is stale then.
    if (!backdropPut_) PutBackdrop(count);
    backdrop_.reset();
    backdropPut_ = false;
  }
  // The submenus' handles went with their own Destroy: the parent's goes alone.
  if (menu_) DestroyMenu(menu_);
  menu_ = nullptr;
}
