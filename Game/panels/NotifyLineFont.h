#pragma once
// The face a notification line is written in. A line keeps the panel's own
// face (the device context's) while it fits between its left margin and the
// panel's right edge; a longer one takes the first of four narrower faces
// (the same face a little smaller, then its narrow cut) that holds it, the
// narrowest when none does, so that no line runs under the scroll buttons cut
// in mid-word. Game thread only.

#include <string_view>

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

class NotifyLineFont {
 public:
  // Selects into `dc` the face that fits `text` into `room` pixels; the face
  // before comes back when the object goes.
  NotifyLineFont(plat::HDC dc, std::string_view text, int room);
  ~NotifyLineFont();
  NotifyLineFont(const NotifyLineFont&) = delete;
  NotifyLineFont& operator=(const NotifyLineFont&) = delete;

  // The width `text` takes in the face selected now.
  int Width(std::string_view text) const;

 private:
  plat::HDC dc_;
  plat::HFONT font_ = nullptr;
  plat::HGDIOBJ previous_ = nullptr;
};
