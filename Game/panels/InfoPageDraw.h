#pragma once
// What the info panel's pages share when they draw: texts of the text index,
// the panel's colours and the boxes and captions every page repeats, all in
// viewport coordinates through the panel frame.
//
// Game thread only.

#include <array>
#include <memory>
#include <span>
#include <string>

#include "Game/base/GIDString.h"
#include "Game/model/GGameData.h"
#include "Game/panels/PanelFrame.h"
#include "platform/core/types.h"
#include "platform/gdi/text.h"

namespace infopage {

// Panel coordinates are the screen's less the viewport's corner.
constexpr int kLeft = 29;
constexpr int kTop = 98;

constexpr plat::COLORREF kWhite = 0xFFFFFF;
constexpr plat::COLORREF kGrey = 0x969696;
constexpr plat::COLORREF kGreen = 0x00FF00;
constexpr plat::COLORREF kBlack = 0x000000;
constexpr plat::COLORREF kRed = 0x0000FF;
constexpr plat::COLORREF kPaleYellow = 0xD7FFFF;
// Metals, silicates, exotics, reactives.
constexpr plat::COLORREF kMineralColours[4] = {0xAFAFAF, 0xF000F0, 0xC80000, 0x64FF64};

// The text of an ID that takes no arguments, looked up once for the text
// index in use: pages redraw their captions often, and a redraw makes no heap
// call for them.
const std::string& FixedText(const char* id);

// The finished text of an ID with arguments, in one of kKeptTexts strings
// reused in turn: it stays valid until that many more texts are asked for
// (copy it to keep it longer). Their buffers grow to the longest text and
// stay, so a redraw makes no heap call for its texts.
constexpr std::size_t kKeptTexts = 16;
const std::string& KeptText(const char* id, std::span<const TextArg> args);

// The finished text of a text ID; empty when the index lacks it.
template <class... Args>
const std::string& Text(const char* id, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FixedText(id);
  } else {
    const std::array<TextArg, sizeof...(Args)> argv{TextArg(args)...};
    return KeptText(id, argv);
  }
}

inline int Write(const char* text, int x, int y, int width, plat::COLORREF colour, plat::UINT format = plat::DT_LEFT,
                 int bold = 0, int upper = 0) {
  return PanelFrame().DrawScreenText(text, x, y, width, colour, format, bold, upper);
}
inline int Write(const std::string& text, int x, int y, int width, plat::COLORREF colour,
                 plat::UINT format = plat::DT_LEFT, int bold = 0, int upper = 0) {
  return Write(text.c_str(), x, y, width, colour, format, bold, upper);
}
inline int Caption(const char* id, int x, int y, int width, plat::COLORREF colour, plat::UINT format = plat::DT_LEFT,
                   int bold = 0, int upper = 0) {
  return Write(FixedText(id), x, y, width, colour, format, bold, upper);
}
// `value` in decimal, or else in whole thousands, millions or billions ("12K",
// "4G"), the first of them no wider than `room` pixels in the page's font: a
// figure stays inside its column however large the game lets it grow.
std::string FittedFigure(std::uint64_t value, int room, int bold = 0);
inline void Line(int x1, int y1, int x2, int y2, plat::COLORREF colour = kGreen, int width = 1) {
  PanelFrame().DrawViewportLine(x1, y1, x2, y2, colour, width);
}
// Each side starts where the last ended: a line leaves its end point
// undrawn, and so every corner is drawn.
inline void Outline(int left, int top, int right, int bottom, plat::COLORREF colour = kGreen) {
  Line(left, top, right, top, colour);
  Line(right, top, right, bottom, colour);
  Line(right, bottom, left, bottom, colour);
  Line(left, bottom, left, top, colour);
}
// A box shaded `percent` towards `shade` and framed in `frame`.
inline void Box(int left, int top, int right, int bottom, plat::COLORREF shade, std::uint8_t percent,
                plat::COLORREF frame) {
  PanelFrame().ShadeViewportRect(left, top, right, bottom, shade, percent);
  Outline(left, top, right, bottom, frame);
}
// Shaded towards black by `level` percent and outlined.
inline void Box(int left, int top, int right, int bottom, std::uint8_t level = 35, plat::COLORREF colour = kGreen) {
  Box(left, top, right, bottom, kBlack, level, colour);
}
inline plat::COLORREF Pick(bool on, plat::COLORREF colour = kWhite) { return on ? colour : kGrey; }

}  // namespace infopage
