#pragma once
// The notification panel under the viewport: six lines of the local
// chapter's notifications, category filters and scroll buttons. Built by the
// view framework with the shared screen; this is its frame, whose lines,
// filters and actions come with the notification panel itself. Game thread only.

#include <cstdint>

#include "platform/core/types.h"

class CDDraw;
class CImageButton;
class CSprite;

class CVNotify {
 public:
  CVNotify(CDDraw* display, CSprite* screen, plat::HWND window, plat::HINSTANCE instance, plat::RECT* dirtyRect,
           plat::HWND tooltip, std::uint16_t localChapter);
  CVNotify(const CVNotify&) = delete;
  CVNotify& operator=(const CVNotify&) = delete;

  // Redraws the visible lines.
  void Refresh();
  // Moves the list one line in `direction` (0 up, 1 down); `redraw` draws it.
  void ScrollOneLine(int direction, int redraw);
  void ScrollToTop();
  void ResetLines();
  void ResetFilters();
  // Mouse input in screen coordinates; 1 when used.
  int OnClick(int x, int y);
  int OnRightClick(int x, int y);
  int OnDoubleClick(int x, int y);
  int OnHover(int x, int y);
  int OnWheel(int direction);
  // Category filters 105..110, the kind filter of the selected line (252)
  // and the show-all switch (253).
  void ToggleCategoryFilter(std::uint32_t id);
  void FilterSelectedKind();
  void ToggleShowAll();
  // The panel's own buttons (filters 105..110, 250..253); null for another id.
  CImageButton* Button(std::uint32_t id);

  std::uint16_t localChapter;
  CSprite* screen;
  plat::RECT* dirtyRect;
};
