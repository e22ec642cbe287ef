#pragma once
// Cursors and icons: loaded from cursor and icon groups of resource modules,
// the current cursor, the show counter and the clip rectangle. The backend
// draws the current cursor over the screen (see CursorOverlay); the headless
// capture leaves it out. Called from the program's thread only.

#include <cstdint>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/resname.h"

namespace plat {

// Standard cursors (LoadCursor with a null module). Only the arrow is offered.
constexpr WORD IDC_ARROW = 32512;

// The cursor `name` from the module's RT_GROUP_CURSOR resources; the image
// closest to 32 x 32 is taken. Loading the same name twice gives the same
// handle. A null module with IDC_ARROW gives the arrow. Null when missing or
// malformed.
HCURSOR LoadCursor(HINSTANCE module, const ResName& name);
// The icon `name` from the module's RT_GROUP_ICON resources (a null module:
// the program's), the image closest to 32 x 32. The same handle for the same
// name; null when missing or malformed.
HICON LoadIcon(HINSTANCE module, const ResName& name);
// Returns the previous cursor. A null cursor shows none.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Adds 1 (TRUE) or -1 (FALSE) to the display counter and returns the new
// count; the cursor is shown while the count is 0 or more. Starts at 0.
int ShowCursor(BOOL show);
// Keeps the cursor inside `rect` (screen; right and bottom exclusive); null
// frees it.
BOOL ClipCursor(const RECT* rect);
BOOL GetClipCursor(RECT* rect);

// A cursor's picture, as the backend draws it.
struct CursorImage {
  int width = 0;
  int height = 0;
  POINT hotspot;
  std::vector<std::uint32_t> argb;  // rows top-down; alpha 0 is transparent
};
// What to draw over the screen now: nothing when the cursor is hidden or null.
struct CursorOverlay {
  const CursorImage* image = nullptr;
  POINT position;  // of the hot spot
};
CursorOverlay CurrentCursorOverlay();
// An icon's picture (hotspot unused); null for a null icon.
const CursorImage* IconImage(HICON icon);
// The class icon of the program's main window, as the host shows it; null
// while no window is active or its class has none.
HICON ProgramIcon();

}  // namespace plat
