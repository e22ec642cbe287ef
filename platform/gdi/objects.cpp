#include "platform/gdi/objects.h"

#include <array>
#include <cstring>

#include "platform/core/handle_table.h"
#include "platform/gdi/gdi_impl.h"

namespace plat {
namespace gdi_impl {
namespace {

HandleTable<HGDIOBJ__>& Objects() {
  static HandleTable<HGDIOBJ__> objects;
  return objects;
}

HGDIOBJ__* Live(HGDIOBJ handle) {
  HGDIOBJ__* o = Objects().Find(handle);
  return o && !o->deleted ? o : nullptr;
}

HGDIOBJ MakePen(int style, int width, COLORREF colour) {
  auto pen = std::make_unique<PenObject>();
  pen->style = style;
  pen->width = width < 1 ? 1 : width;
  pen->colour = colour & 0xFFFFFF;
  return Register(std::move(pen));
}

HGDIOBJ MakeBrush(bool hollow, COLORREF colour) {
  auto brush = std::make_unique<BrushObject>();
  brush->hollow = hollow;
  brush->colour = colour & 0xFFFFFF;
  return Register(std::move(brush));
}

HGDIOBJ MakeFont(int height, int weight, const char* face) {
  auto font = std::make_unique<FontObject>();
  font->request.height = height;
  font->request.weight = weight;
  font->request.face = face;
  return Register(std::move(font));
}

HGDIOBJ MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH:
      return MakeBrush(false, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
      return MakeBrush(false, RGB(192, 192, 192));
    case GRAY_BRUSH:
      return MakeBrush(false, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
      return MakeBrush(false, RGB(64, 64, 64));
    case BLACK_BRUSH:
      return MakeBrush(false, RGB(0, 0, 0));
    case NULL_BRUSH:
      return MakeBrush(true, 0);
    case WHITE_PEN:
      return MakePen(PS_SOLID, 1, RGB(255, 255, 255));
    case BLACK_PEN:
      return MakePen(PS_SOLID, 1, RGB(0, 0, 0));
    case NULL_PEN:
      return MakePen(PS_NULL, 1, 0);
    // The classic system font is a bold sans face with a 16-pixel cell; the
    // dialog font is the small sans one.
    case SYSTEM_FONT:
      return MakeFont(16, FW_BOLD, "Liberation Sans");
    case DEFAULT_GUI_FONT:
      return MakeFont(-11, FW_NORMAL, "Liberation Sans");
    default:
      return nullptr;
  }
}

}  // namespace

HGDIOBJ Register(std::unique_ptr<HGDIOBJ__> object) { return Objects().Add(std::move(object)); }

HGDIOBJ RegisterStock(std::unique_ptr<HGDIOBJ__> object) {
  HGDIOBJ handle = Register(std::move(object));
  handle->stock = true;
  return handle;
}

bool IsStock(HGDIOBJ handle) {
  HGDIOBJ__* o = Live(handle);
  return o && o->stock;
}

HGDIOBJ__* FindAny(HGDIOBJ handle) { return Live(handle); }

HGDIOBJ__* FindHeld(HGDIOBJ handle) { return Objects().Find(handle); }

void Hold(HGDIOBJ handle) {
  if (HGDIOBJ__* o = Objects().Find(handle)) ++o->holds;
}

void Release(HGDIOBJ handle) {
  HGDIOBJ__* o = Objects().Find(handle);
  if (o && --o->holds <= 0 && o->deleted) Objects().Erase(handle);
}

PixelTarget BitmapObject::Pixels() {
  PixelTarget t;
  t.width = width;
  t.height = height;
  t.format = format;
  t.palette = colours;
  const auto pitch = static_cast<std::ptrdiff_t>(stride);
  if (bottomUp) {
    t.bits = rows.data() + (height - 1) * pitch;
    t.pitch = -pitch;
  } else {
    t.bits = rows.data();
    t.pitch = pitch;
  }
  return t;
}

}  // namespace gdi_impl

using namespace gdi_impl;

HPEN CreatePen(int style, int width, COLORREF colour) {
  if (style != PS_SOLID && style != PS_NULL) return nullptr;
  return static_cast<HPEN>(MakePen(style, width, colour));
}

HBRUSH CreateSolidBrush(COLORREF colour) { return static_cast<HBRUSH>(MakeBrush(false, colour)); }

HGDIOBJ GetStockObject(int index) {
  static std::array<HGDIOBJ, DEFAULT_GUI_FONT + 1> stock{};
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  if (!stock[index]) {
    stock[index] = MakeStock(index);
    if (stock[index]) stock[index]->stock = true;
  }
  return stock[index];
}

BOOL DeleteObject(HGDIOBJ object) {
  HGDIOBJ__* o = Live(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->holds > 0) {
    o->deleted = true;
    return TRUE;
  }
  Objects().Erase(object);
  return TRUE;
}

int GetObject(HGDIOBJ object, int size, void* out) {
  BitmapObject* bitmap = FindBitmap(object);
  if (!bitmap) return 0;
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP b;
  b.bmWidth = bitmap->width;
  b.bmHeight = bitmap->height;
  b.bmWidthBytes = static_cast<LONG>(bitmap->stride);
  b.bmBitsPixel = static_cast<WORD>(BitsPerPixel(bitmap->format));
  b.bmBits = bitmap->rows.data();
  std::memcpy(out, &b, sizeof b);
  return static_cast<int>(sizeof b);
}

}  // namespace plat
