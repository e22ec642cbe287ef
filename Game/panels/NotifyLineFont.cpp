#include "Game/panels/NotifyLineFont.h"

#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"

using namespace plat;

namespace {

struct Face {
  const char* family;
  int height;
  int weight;
};
// Narrower each: the panel's bold face a pixel and two smaller, then its
// narrow cut, bold and then plain.
constexpr Face kNarrowerFaces[] = {
    {"Arial", 15, FW_BOLD}, {"Arial", 14, FW_BOLD}, {"Arial Narrow", 16, FW_BOLD}, {"Arial Narrow", 15, FW_NORMAL}};

}  // namespace

NotifyLineFont::NotifyLineFont(HDC dc, std::string_view text, int room) : dc_(dc) {
  if (Width(text) <= room) return;
  for (const Face& face : kNarrowerFaces) {
    HFONT font = CreateFont(face.height, 0, 0, 0, face.weight, 0, 0, 0, 0, 0, 0, 0, 0, face.family);
    if (!font) break;
    HGDIOBJ before = SelectObject(dc_, font);
    if (!previous_) previous_ = before;
    if (font_) DeleteObject(font_);
    font_ = font;
    if (Width(text) <= room) break;
  }
}

NotifyLineFont::~NotifyLineFont() {
  if (previous_) SelectObject(dc_, previous_);
  if (font_) DeleteObject(font_);
}

int NotifyLineFont::Width(std::string_view text) const {
  SIZE size{};
  GetTextExtentPoint32(dc_, text.data(), static_cast<int>(text.size()), &size);
  return static_cast<int>(size.cx);
}
