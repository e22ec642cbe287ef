#pragma once
// The data panel at the right of the game screen (98 x 94 picture at
// (668, 101) and its read-out rows). Built by the view framework with the
// shared screen; this is its frame, whose rows come with the data panel
// itself. Game thread only.

#include <cstdint>

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

class CDDraw;
class CSprite;

class CVData {
 public:
  CVData(plat::HFONT boldFont, CSprite* screen, plat::RECT* dirtyRect, CDDraw* display, plat::HWND window,
         plat::HINSTANCE instance);
  CVData(const CVData&) = delete;
  CVData& operator=(const CVData&) = delete;

  // A click in the panel (screen coordinates): 1 when used.
  int OnClick(int x, int y);
  // The picture of a unit's class, or the chapter's empty picture.
  void SetUnitPicture(std::uint32_t unitId);

  plat::HFONT boldFont;
  CSprite* screen;
  plat::RECT* dirtyRect;
};
