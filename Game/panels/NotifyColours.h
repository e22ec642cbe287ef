#pragma once
// The colours of the notification lines: one text and one shadow colour per
// category, and the colour of a line marked read. The generated panel art is
// checked against them, so they live apart from the code that draws with them.

#include "platform/core/types.h"

namespace notify_colours {

inline constexpr plat::COLORREF kRead = plat::RGB(125, 125, 115);

struct CategoryColours {
  plat::COLORREF unread;
  plat::COLORREF shadow;
};

// Categories 1..6: unit events, trade, diplomacy, game events, chat, votes.
inline constexpr CategoryColours kCategories[] = {
    {plat::RGB(255, 190, 190), plat::RGB(160, 0, 0)},   {plat::RGB(190, 255, 190), plat::RGB(0, 120, 0)},
    {plat::RGB(215, 216, 255), plat::RGB(0, 0, 150)},   {plat::RGB(255, 255, 190), plat::RGB(100, 100, 0)},
    {plat::RGB(190, 255, 255), plat::RGB(0, 100, 100)}, {plat::RGB(255, 190, 255), plat::RGB(150, 0, 150)},
};

}  // namespace notify_colours
