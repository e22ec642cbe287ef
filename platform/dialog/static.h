#pragma once
// The "Static" class: text, and filled or framed rectangles.
//
// Text styles draw the window text with DrawText (word-wrapped unless
// SS_LEFTNOWORDWRAP or SS_SIMPLE, '&' prefixes unless SS_NOPREFIX) after
// asking the parent for WM_CTLCOLORSTATIC, whose brush fills the background;
// disabled text is grey. The rectangle and frame styles use the system colours
// of their names (black: window frame, grey: button shadow, white: button
// highlight). Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_BLACKRECT = 0x0004;
constexpr DWORD SS_GRAYRECT = 0x0005;
constexpr DWORD SS_WHITERECT = 0x0006;
constexpr DWORD SS_BLACKFRAME = 0x0007;
constexpr DWORD SS_GRAYFRAME = 0x0008;
constexpr DWORD SS_WHITEFRAME = 0x0009;
constexpr DWORD SS_SIMPLE = 0x000B;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C;
constexpr DWORD SS_ETCHEDFRAME = 0x0012;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;

}  // namespace plat
