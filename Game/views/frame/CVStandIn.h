#pragma once
// A view of a given type with the base's behaviour only: the one the
// framework's tests drive, and what the game screen makes of a view type that
// names none of the game's views (each named type has a view of its own). The
// game screen, its control panel, keys and goto bar work around an empty
// viewport, and a paint shows the composition surface again. A right click on a goto slot
// opens the order menu of the entry under it. The data panel shows what was
// picked in the goto bar (the first selected unit, or an asteroid) and takes
// its clicks and hovers, as the game views will. Game thread only.

#include "Game/views/frame/CVGeneric.h"

class CVStandIn : public CVGeneric {
 public:
  CVStandIn(ViewType type, plat::HWND window, plat::HINSTANCE instance);

  ViewType GetViewType() const override { return type_; }
  int ShowContextMenu(int x, int y) override;
  // The picture is the screen as it stands: it is shown again whole.
  void Render(std::int32_t argument) override;
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override;
  int SelectObject(int kind, std::uint32_t id) override;
  // The first selected unit's read-out; an empty panel without one.
  void RefreshDataPanel(int flag) override;

 private:
  ViewType type_;
};
