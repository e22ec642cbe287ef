#pragma once
// What the info panel's pages share for drawing: texts by ID, and text, lines
// and boxes in viewport coordinates through the panel frame. Game thread only.

#include <memory>
#include <string>

#include "Game/base/GIDString.h"
#include "Game/model/GGameData.h"
#include "Game/panels/PanelFrame.h"
#include "platform/core/types.h"

namespace info_page {

// Panel coordinates are the screen's less the viewport's corner.
constexpr int kLeft = 29;
constexpr int kTop = 98;

constexpr plat::COLORREF kGreen = 0x00FF00;
constexpr plat::COLORREF kWhite = 0xFFFFFF;
constexpr plat::COLORREF kGrey = 0x969696;
constexpr plat::COLORREF kBlack = 0x000000;
constexpr plat::COLORREF kRed = 0x0000FF;
// Metals, silicates, exotics, reactives.
constexpr plat::COLORREF kMineralColours[4] = {0xAFAFAF, 0xF000F0, 0xC80000, 0x64FF64};

// The finished text of a text ID; empty when the index lacks it.
template <class... Args>
std::string Text(const char* id, const Args&... args) {
  if (!g_gameData || !g_gameData->textIndex) return {};
  const std::unique_ptr<char[]> text = g_gameData->textIndex->GetTextAlloc(id, args...);
  return text ? std::string(text.get()) : std::string();
}

inline void Write(const std::string& text, int x, int y, int width, plat::COLORREF colour, plat::UINT format, int bold,
                  int upper) {
  PanelFrame().DrawScreenText(text.c_str(), x, y, width, colour, format, bold, upper);
}

inline void Line(int x1, int y1, int x2, int y2, plat::COLORREF colour = kGreen, int width = 1) {
  PanelFrame().DrawViewportLine(x1, y1, x2, y2, colour, width);
}

inline void Outline(int left, int top, int right, int bottom, plat::COLORREF colour = kGreen) {
  Line(left, top, right, top, colour);
  Line(right, top, right, bottom, colour);
  Line(right, bottom, left, bottom, colour);
  Line(left, bottom, left, top, colour);
}

// Shaded towards black by `level` percent and outlined.
inline void Box(int left, int top, int right, int bottom, std::uint8_t level = 35, plat::COLORREF colour = kGreen) {
  PanelFrame().ShadeViewportRect(left, top, right, bottom, kBlack, level);
  Outline(left, top, right, bottom, colour);
}

}  // namespace info_page
