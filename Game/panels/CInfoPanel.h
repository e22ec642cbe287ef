#pragma once
// The info panel over the viewport: one of twelve types (0 voting ... 11
// keyboard reference), drawn over the faded viewport while shown. Built by
// the view framework with the shared screen; this is its frame, whose pages
// come with the info panels themselves. Game thread only.

#include <cstdint>

#include "platform/core/types.h"

class CDDraw;
class CSprite;

class CInfoPanel {
 public:
  CInfoPanel(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, CSprite* screen);
  CInfoPanel(const CInfoPanel&) = delete;
  CInfoPanel& operator=(const CInfoPanel&) = delete;

  // Switches to `type` (0..11) and gives back the previous type.
  std::uint8_t SetType(std::uint8_t newType);
  // Draws the panel onto the composition surface.
  void Draw();
  // Mouse input in screen coordinates: 1 when the panel changed.
  int OnClick(int x, int y);
  int OnRightClick(int x, int y);
  int OnDoubleClick(int x, int y);
  int OnHover(int x, int y);
  void ShowContextHelp(int x, int y);
  // The highlighted hot spot in screen coordinates; false when none.
  bool HighlightedRect(plat::RECT* out) const;

  // The first byte of the panel is the type shown (6 = chat).
  std::uint8_t type = 0;
  // Packet 123 sets it to 65535: the owners shown have changed.
  std::uint16_t ownerChangeMark = 0;
  CSprite* screen;
};
