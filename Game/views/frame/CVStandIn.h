#pragma once
// A view of a given type with the base's behaviour only, for the view types
// whose own views are not there yet: the game screen, its control panel, keys
// and goto bar work around an empty viewport, and a paint shows the
// composition surface again. A right click on a goto slot
// opens the order menu of the entry under it. Game thread only.

#include "Game/views/frame/CVGeneric.h"

class CVStandIn : public CVGeneric {
 public:
  CVStandIn(ViewType type, plat::HWND window, plat::HINSTANCE instance);

  ViewType GetViewType() const override { return type_; }
  int ShowContextMenu(int x, int y) override;
  // The picture is the screen as it stands: it is shown again whole.
  void Render(std::int32_t argument) override;

 private:
  ViewType type_;
};
