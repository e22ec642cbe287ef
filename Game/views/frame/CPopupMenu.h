#pragma once
// The game's context menu: a popup menu of owner-drawn items, each two 100 x
// 20 pictures (normal and lit), that can cascade into submenus and shows the
// game screen around its items. The menu keeps what lay under it on the
// screen and puts it back when it goes, since the menus paint straight onto
// the screen. Game thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/types.h"

class CDDraw;
class CSprite;

class CPopupMenu {
 public:
  static constexpr int kItemWidth = 100;
  static constexpr int kItemHeight = 20;

  // Stores the fields (a grow step of 65535 means 10), both positions = (x,
  // y), and makes the platform's popup menu. `cascade` 1: the menu opens as a
  // submenu beside its parent.
  CPopupMenu(CDDraw* owner, plat::HWND window, CSprite* screen, int x, int y, std::uint16_t growStep, int cascade);
  // As Destroy.
  ~CPopupMenu();
  CPopupMenu(const CPopupMenu&) = delete;
  CPopupMenu& operator=(const CPopupMenu&) = delete;

  // Appends an owner-drawn item (item data = id) with its two pictures,
  // loaded from `module` (a picture that fails to load stays empty). 1.
  int AppendItem(std::uint32_t id, const char* normalImage, const char* highlightImage, plat::HMODULE module);
  // Gives every item with this id the submenu (owned from here; a previous
  // one is destroyed) and attaches it to the platform's item. The platform's
  // result (FALSE also when no item has the id; the submenu is then freed).
  plat::BOOL AttachSubmenu(std::uint32_t id, CPopupMenu* submenu);
  // Places the menu (left of x - 124 beyond x 461, above the screen's foot),
  // keeps the screen under it and shows it until it closes, the game screen's
  // flush held meanwhile; the result of TrackPopupMenu.
  plat::BOOL Track();
  // Draws item `index` as the platform asks: its picture over the item's
  // place on the screen, the backdrop of a submenu first put back.
  void DrawItem(int index, plat::HDC dc, int highlighted);
  // The index of the item with this id; an item's submenu is searched before
  // the next item and an index there is returned as found. -1 when none.
  int FindItemIndex(std::uint32_t id) const;
  // This menu or the direct submenu with this handle; null otherwise.
  CPopupMenu* FindMenu(plat::HMENU handle);
  // Null for an index at or past the item count.
  CSprite* GetItemSprite(int index) const;
  CSprite* GetItemHighlightSprite(int index) const;
  // The position asked for at construction.
  void GetPosition(int* outX, int* outY) const;
  // Keeps the screen under the menu, once. A submenu first takes its place
  // beside its parent's item `index` (right at x + 110 while that stays below
  // 677, else left at x - 115) and tells the platform to open it there.
  void CaptureBackdrop(int index);
  // Frees items, pictures and submenus, puts the kept screen back and
  // destroys the platform's menu. Safe to call twice.
  void Destroy();

  plat::HMENU GetHandle() const { return menu_; }
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  std::uint32_t GetItemId(int index) const;
  CPopupMenu* GetSubmenu(int index) const;
  int GetX() const { return x_; }
  int GetY() const { return y_; }
  bool HasBackdrop() const { return backdrop_ != nullptr; }

 private:
  struct Item {
    std::uint32_t id = 0;
    std::unique_ptr<CSprite> normal;
    std::unique_ptr<CSprite> highlight;
    std::unique_ptr<CPopupMenu> submenu;
  };
  // The screen rectangle the backdrop covers, for `count` items.
  plat::RECT BackdropRect(int count) const;
  void PutBackdrop(int count);
  // Every captured backdrop of this menu and its submenus back on the screen.
  void PutBackdrops();

  plat::HMENU menu_ = nullptr;
  CDDraw* owner_ = nullptr;
  plat::HWND window_ = nullptr;
  CSprite* screen_ = nullptr;
  std::vector<std::unique_ptr<Item>> items_;
  int x_ = 0;
  int y_ = 0;
  int requestedX_ = 0;
  int requestedY_ = 0;
  bool backdropPending_ = true;
  // Tracking has ended and put the kept screen back.
  bool backdropPut_ = false;
  bool cascade_ = false;
  std::unique_ptr<CSprite> backdrop_;
};
