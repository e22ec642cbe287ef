#include "platform/gdi/dc.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/core/handle_table.h"
#include "platform/display/screen.h"
#include "platform/gdi/gdi_impl.h"

namespace plat {
namespace gdi_impl {
namespace {

constexpr std::size_t kSpareDcs = 8;

HandleTable<HDC__>& Dcs() {
  static HandleTable<HDC__> dcs;
  return dcs;
}

template <class T>
void Replace(T*& slot, HGDIOBJ object) {
  if (slot) Release(slot);
  slot = static_cast<T*>(object);
  if (slot) Hold(slot);
}

// The screen's pixels, as the backend presents them.
PixelTarget ScreenPixels() {
  Screen& screen = GetScreen();
  PixelTarget t;
  t.bits = screen.pixels.data();
  t.pitch = Screen::kPitch;
  t.width = Screen::kWidth;
  t.height = Screen::kHeight;
  t.format = screen.is555 ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
  return t;
}

void SetScreenDevice(HDC__& dc) {
  dc.deviceFormat = ScreenPixels().format;
  dc.deviceWidth = Screen::kWidth;
  dc.deviceHeight = Screen::kHeight;
}

std::span<const PALETTEENTRY> MatchingColours(HDC__& dc, const PixelTarget& target) {
  if (!target.palette.empty() || target.format != PixelFormat::kIndexed8) return target.palette;
  if (PaletteObject* p = DcPalette(dc)) return p->entries;
  return {};
}

// What a new memory DC holds until the caller selects its own bitmap, so that
// SelectObject always has a previous bitmap to give back: one black pixel.
HGDIOBJ DefaultBitmap() {
  static HGDIOBJ bitmap = [] {
    auto b = std::make_unique<BitmapObject>();
    b->width = 1;
    b->height = 1;
    b->stride = 4;
    b->rows.assign(4, 0);
    return RegisterStock(std::move(b));
  }();
  return bitmap;
}

}  // namespace

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

namespace {

// DCs freed lately, reused so that a DC made and freed in every frame (one
// on a surface for each text drawn) costs no heap call.
std::vector<std::unique_ptr<HDC__>>& SpareDcs() {
  static std::vector<std::unique_ptr<HDC__>> spare = [] {
    std::vector<std::unique_ptr<HDC__>> v;
    v.reserve(kSpareDcs);
    return v;
  }();
  return spare;
}

}  // namespace

HDC__* NewDC(HDC__::Kind kind) {
  std::unique_ptr<HDC__> dc;
  if (SpareDcs().empty()) {
    dc = std::make_unique<HDC__>();
  } else {
    dc = std::move(SpareDcs().back());
    SpareDcs().pop_back();
    *dc = HDC__{};
  }
  HDC__* raw = dc.get();
  raw->kind = kind;
  SetScreenDevice(*raw);
  Replace(raw->pen, GetStockObject(BLACK_PEN));
  Replace(raw->brush, GetStockObject(WHITE_BRUSH));
  Replace(raw->font, GetStockObject(SYSTEM_FONT));
  return Dcs().Add(std::move(dc));
}

HDC__* FindDC(HDC hdc) { return Dcs().Find(hdc); }

void FreeDC(HDC__* dc) {
  Replace(dc->pen, nullptr);
  Replace(dc->brush, nullptr);
  Replace(dc->font, nullptr);
  Replace(dc->palette, nullptr);
  if (BitmapObject* b = DcBitmap(*dc); b && !IsStock(dc->bitmap)) b->selectedIn = nullptr;
  Replace(dc->bitmap, nullptr);
  std::unique_ptr<HDC__> freed = Dcs().Take(dc);
  if (freed && SpareDcs().size() < kSpareDcs) SpareDcs().push_back(std::move(freed));
}

bool DcCanvas(HDC__& dc, Canvas* out) {
  Canvas& c = *out;
  c.origin = dc.origin;
  switch (dc.kind) {
    case HDC__::Kind::kTarget:
      c.target = dc.target;
      break;
    case HDC__::Kind::kMemory: {
      BitmapObject* b = DcBitmap(dc);
      if (!b) return false;
      c.target = b->Pixels();
      break;
    }
    case HDC__::Kind::kWindow:
      c.target = ScreenPixels();
      break;
  }
  c.clip = RECT{0, 0, c.target.width, c.target.height};
  if (dc.clipped) c.clip = IntersectRects(c.clip, dc.clip);
  c.holes = dc.holes;
  c.colours = MatchingColours(dc, c.target);
  return true;
}

}  // namespace gdi_impl

using namespace gdi_impl;

HDC CreateCompatibleDC(HDC reference) {
  HDC__* ref = nullptr;
  if (reference && !(ref = FindDC(reference))) return nullptr;
  HDC__* dc = NewDC(HDC__::Kind::kMemory);
  Replace(dc->bitmap, DefaultBitmap());
  if (ref) {
    dc->deviceFormat = ref->deviceFormat;
    dc->deviceWidth = ref->deviceWidth;
    dc->deviceHeight = ref->deviceHeight;
  }
  return dc;
}

HDC CreateTargetDC(const PixelTarget& pixels) {
  HDC__* dc = NewDC(HDC__::Kind::kTarget);
  dc->target = pixels;
  dc->deviceFormat = pixels.format;
  dc->deviceWidth = pixels.width;
  dc->deviceHeight = pixels.height;
  return dc;
}

BOOL DeleteDC(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  if (!dc || dc->kind == HDC__::Kind::kWindow) return FALSE;
  FreeDC(dc);
  return TRUE;
}

BOOL GetDCOrgEx(HDC hdc, POINT* origin) {
  HDC__* dc = FindDC(hdc);
  if (!dc || !origin) return FALSE;
  *origin = dc->kind == HDC__::Kind::kWindow ? dc->origin : POINT{};
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return 0;
  switch (index) {
    case BITSPIXEL:
      return BitsPerPixel(dc->deviceFormat);
    case PLANES:
      return 1;
    case HORZRES:
      return dc->deviceWidth;
    case VERTRES:
      return dc->deviceHeight;
    case RASTERCAPS: {
      int caps = RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
      if (dc->deviceFormat == PixelFormat::kIndexed8) caps |= RC_PALETTE;
      return caps;
    }
    default:
      return 0;
  }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  HDC__* dc = FindDC(hdc);
  HGDIOBJ__* o = FindAny(object);
  if (!dc || !o) return nullptr;
  HGDIOBJ previous = nullptr;
  if (dynamic_cast<PenObject*>(o)) {
    previous = dc->pen;
    Replace(dc->pen, object);
  } else if (dynamic_cast<BrushObject*>(o)) {
    previous = dc->brush;
    Replace(dc->brush, object);
  } else if (dynamic_cast<FontObject*>(o)) {
    previous = dc->font;
    Replace(dc->font, object);
  } else if (auto* bitmap = dynamic_cast<BitmapObject*>(o)) {
    if (dc->kind != HDC__::Kind::kMemory) return nullptr;
    const bool stock = IsStock(object);
    if (!stock && bitmap->selectedIn && bitmap->selectedIn != hdc) return nullptr;
    previous = dc->bitmap;
    if (BitmapObject* old = DcBitmap(*dc); old && !IsStock(dc->bitmap)) old->selectedIn = nullptr;
    Replace(dc->bitmap, object);
    if (!stock) bitmap->selectedIn = hdc;
  } else {
    return nullptr;
  }
  return previous;
}

}  // namespace plat
