#pragma once
// The look of the game's art: every image of the inventory drawn from its
// kind, name, size, state and label, in the colours of its guild (or of the
// front end), and the 75 mouse cursors. Same inputs, same pixels.

#include <string>
#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/captions.h"
#include "tools/art/imagefiles.h"
#include "tools/art/inventory.h"

namespace art {

struct Palette {
  Rgb base;    // plates and buttons
  Rgb accent;  // lettering and highlights
  Rgb glow;    // lit states and space tint
};

// guild 0..4, or -1 for the front end and the shared modules.
Palette PaletteFor(int guild);

// The words a backdrop or a dialog's panel carries beside its controls.
struct BackdropWords {
  double bannerY = 0;
  std::vector<PlacedCaption> captions;
};

Pixels DrawImage(const Asset& asset, int guild, const BackdropWords* words = nullptr);

struct CursorPicture {
  std::string resourceName;  // "IDC_CURSOR_NORMAL_RED"
  Pixels pixels;             // 32 x 32, transparent around the shape
  int hotX = 0, hotY = 0;
};

// The 15 kinds in the 5 guild colours, kinds in the order the views number them.
std::vector<CursorPicture> DrawCursors();
// Their resource names in the same order, without drawing.
std::vector<std::string> CursorNames();

// The program's icon at the given size: a ringed planet on a transparent ground.
Pixels DrawProgramIcon(int size);

}  // namespace art
