#include "platform/user/cursor.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/resource/cursoricon.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/window_impl.h"

namespace plat {

struct HCURSOR__ {
  CursorImage image;
};
struct HICON__ {
  CursorImage image;
};

namespace user_impl {

namespace {

// The standard arrow: 'X' black outline, 'o' white, blank transparent.
constexpr const char* kArrow[] = {
    "X",         "XX",        "XoX",        "XooX",        "XoooX",        "XooooX",   "XoooooX",
    "XooooooX",  "XoooooooX", "XooooooooX", "XoooooooooX", "XooooooXXXXX", "XoooXooX", "XooXXooX",
    "XoX  XooX", "XX   XooX", "X     XooX", "      XooX",  "       XX",
};

std::unique_ptr<HCURSOR__> MakeArrow() {
  auto c = std::make_unique<HCURSOR__>();
  c->image.width = 12;
  c->image.height = static_cast<int>(std::size(kArrow));
  c->image.argb.assign(static_cast<std::size_t>(c->image.width * c->image.height), 0);
  for (int y = 0; y < c->image.height; ++y) {
    for (int x = 0; kArrow[y][x]; ++x) {
      const char ch = kArrow[y][x];
      if (ch == 'X') c->image.argb[static_cast<std::size_t>(y * c->image.width + x)] = 0xFF000000;
      if (ch == 'o') c->image.argb[static_cast<std::size_t>(y * c->image.width + x)] = 0xFFFFFFFF;
    }
  }
  return c;
}

using CursorKey = std::pair<std::uint64_t, std::string>;  // module serial, upper-cased name

struct Cursors {
  std::unique_ptr<HCURSOR__> arrow = MakeArrow();
  std::map<CursorKey, std::unique_ptr<HCURSOR__>> loaded;
  std::map<CursorKey, std::unique_ptr<HICON__>> icons;
  HCURSOR current = arrow.get();
  int showCount = 0;
};

Cursors& TheCursors() {
  static Cursors c;
  return c;
}

// One pixel of the colour rows as 0x00RRGGBB; `alpha` gets the 32-bit alpha.
std::uint32_t ColourAt(const CursorIconImage& img, std::size_t row, int x, BYTE* alpha) {
  const DibHeader& h = img.header;
  const BYTE* p = img.dib.data() + h.bitsOffset + row * h.stride;
  auto fromPalette = [&](std::size_t i) -> std::uint32_t { return i < h.palette.size() ? h.palette[i] : 0; };
  switch (h.bitCount) {
    case 1:
      return fromPalette((p[x / 8] >> (7 - x % 8)) & 1);
    case 4:
      return fromPalette((p[x / 2] >> ((x % 2) ? 0 : 4)) & 0xF);
    case 8:
      return fromPalette(p[x]);
    case 24:
      return static_cast<std::uint32_t>(p[x * 3] | (p[x * 3 + 1] << 8) | (p[x * 3 + 2] << 16));
    case 32:
      *alpha = p[x * 4 + 3];
      return static_cast<std::uint32_t>(p[x * 4] | (p[x * 4 + 1] << 8) | (p[x * 4 + 2] << 16));
    default:
      return 0;
  }
}

// Colour rows and the AND mask into one ARGB picture. Transparent where the
// mask is set and the colour black; where the mask is set over a colour the
// screen would be inverted, which we draw black.
std::optional<CursorImage> Convert(const CursorIconImage& img) {
  const DibHeader& h = img.header;
  if (h.width <= 0 || h.rows == 0 || h.compression != BI_RGB) return std::nullopt;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24 && h.bitCount != 32)
    return std::nullopt;
  const std::size_t width = static_cast<std::size_t>(h.width);
  const std::size_t maskStride = ((width + 31) / 32) * 4;
  const std::size_t maskOffset = h.bitsOffset + h.stride * h.rows;
  if (maskOffset + maskStride * h.rows > img.dib.size()) return std::nullopt;
  CursorImage out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(h.rows);
  out.hotspot = img.hotspot;
  out.argb.resize(width * h.rows);
  for (std::size_t row = 0; row < h.rows; ++row) {
    const std::size_t y = h.height > 0 ? h.rows - 1 - row : row;  // stored bottom-up unless negative
    const BYTE* mask = img.dib.data() + maskOffset + row * maskStride;
    for (std::size_t x = 0; x < width; ++x) {
      BYTE alpha = 0;
      const std::uint32_t rgb = ColourAt(img, row, static_cast<int>(x), &alpha);
      const bool masked = (mask[x / 8] >> (7 - x % 8)) & 1;
      std::uint32_t argb = 0xFF000000 | rgb;
      if (masked) argb = rgb ? 0xFF000000 : 0;
      if (h.bitCount == 32 && alpha) argb = (static_cast<std::uint32_t>(alpha) << 24) | rgb;
      out.argb[y * width + x] = argb;
    }
  }
  return out;
}

}  // namespace

void ResetCursors() {
  Cursors& c = TheCursors();
  c.current = c.arrow.get();
  c.showCount = 0;
}

}  // namespace user_impl

using namespace user_impl;

namespace {

// The picture of group `name` closest to 32 x 32, made once per module and
// name. Keyed by the module's serial, not its address: a module freed and
// another loaded at the same address must not find the first one's pictures.
// Pictures of a freed module stay, as a handle may still be in use.
template <typename Handle, typename LoadGroup>
Handle* LoadPicture(std::map<CursorKey, std::unique_ptr<Handle>>& cache, HINSTANCE module, const ResName& name,
                    LoadGroup loadGroup) {
  const std::uint64_t serial = ModuleSerial(module);
  if (serial == 0) return nullptr;
  std::string keyName = name.IsId() ? "#" + std::to_string(name.Id()) : name.Name();
  for (char& ch : keyName) ch = UpperResChar(ch);
  CursorKey key{serial, std::move(keyName)};
  if (auto it = cache.find(key); it != cache.end()) return it->second.get();
  auto group = loadGroup(module, name);
  if (!group || group->images.empty()) return nullptr;
  const CursorIconImage* best = nullptr;
  for (const auto& img : group->images) {
    auto distance = [](const CursorIconImage& i) { return std::abs(i.width - 32) + std::abs(i.height - 32); };
    if (!best || distance(img) < distance(*best)) best = &img;
  }
  auto image = Convert(*best);
  if (!image) return nullptr;
  auto picture = std::make_unique<Handle>();
  picture->image = std::move(*image);
  Handle* handle = picture.get();
  cache.emplace(std::move(key), std::move(picture));
  return handle;
}

}  // namespace

HCURSOR LoadCursor(HINSTANCE module, const ResName& name) {
  Cursors& c = TheCursors();
  if (!module) return (name.IsId() && name.Id() == IDC_ARROW) ? c.arrow.get() : nullptr;
  return LoadPicture(c.loaded, module, name, LoadCursorGroup);
}

HICON LoadIcon(HINSTANCE module, const ResName& name) {
  return LoadPicture(TheCursors().icons, module, name, LoadIconGroup);
}

const CursorImage* IconImage(HICON icon) { return icon ? &icon->image : nullptr; }

HICON ProgramIcon() {
  HWND main = MainWindow();
  return main ? reinterpret_cast<HICON>(GetClassLongPtr(main, GCLP_HICON)) : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  Cursors& c = TheCursors();
  HCURSOR prior = c.current;
  c.current = cursor;
  return prior;
}

HCURSOR GetCursor() { return TheCursors().current; }

int ShowCursor(BOOL show) {
  Cursors& c = TheCursors();
  c.showCount += show ? 1 : -1;
  return c.showCount;
}

CursorOverlay CurrentCursorOverlay() {
  Cursors& c = TheCursors();
  CursorOverlay o;
  if (c.showCount < 0 || !c.current) return o;
  o.image = &c.current->image;
  GetCursorPos(&o.position);
  return o;
}

}  // namespace plat
