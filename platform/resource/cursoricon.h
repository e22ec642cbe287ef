#pragma once
// Cursor and icon groups: an RT_GROUP_CURSOR or RT_GROUP_ICON resource lists
// images of several sizes, each an RT_CURSOR or RT_ICON resource of its own.
// May be called from several threads.

#include <optional>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/dib.h"
#include "platform/resource/resname.h"

namespace plat {

struct CursorIconImage {
  WORD resourceId = 0;  // the RT_CURSOR / RT_ICON number
  LONG width = 0;
  LONG height = 0;        // of the picture, without the mask
  POINT hotspot;          // cursors only
  DibHeader header;       // of dib, stored height doubled for the AND mask
  std::vector<BYTE> dib;  // header, colour table, colour rows, AND-mask rows
};

struct CursorIconGroup {
  bool isCursor = false;
  std::vector<CursorIconImage> images;  // in the group's order
};

// The group `name` with all its images; nothing when the group or any of its
// images is missing or malformed.
std::optional<CursorIconGroup> LoadCursorGroup(HMODULE module, const ResName& name);
std::optional<CursorIconGroup> LoadIconGroup(HMODULE module, const ResName& name);

}  // namespace plat
