#pragma once
// The GDI layer's own records behind the handles, shared by its files. Called from the program's thread only.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/pixels.h"
#include "platform/gdi/text.h"

namespace plat {

namespace gdi_impl {

struct PenObject final : HPEN__ {
  int style = PS_SOLID;
  int width = 1;
  COLORREF colour = 0;
};

struct BrushObject final : HBRUSH__ {
  bool hollow = false;
  COLORREF colour = 0;
};

struct FontRequest {
  int height = 0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::string face;
};

class RealizedFont;

struct FontObject final : HFONT__ {
  FontRequest request;
  std::shared_ptr<RealizedFont> realized;  // found at first use
};

struct BitmapObject final : HBITMAP__ {
  std::vector<BYTE> rows;  // as the DIB lays them out
  int width = 0;
  int height = 0;
  bool bottomUp = true;
  std::size_t stride = 0;
  PixelFormat format = PixelFormat::kBgr24;
  std::vector<PALETTEENTRY> colours;  // colour table of 8-bit bitmaps
  HDC selectedIn = nullptr;

  PixelTarget Pixels();
};

struct PaletteObject final : HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

// Handle registry.
HGDIOBJ Register(std::unique_ptr<HGDIOBJ__> object);
// A stock object: never deleted, and a stock bitmap may be in many DCs.
HGDIOBJ RegisterStock(std::unique_ptr<HGDIOBJ__> object);
bool IsStock(HGDIOBJ handle);
// The live object behind a handle a caller gave, or null.
HGDIOBJ__* FindAny(HGDIOBJ handle);
// An object a DC holds: live, or deleted and kept until the DC lets go.
HGDIOBJ__* FindHeld(HGDIOBJ handle);
// Selection counts: an object deleted while held goes at its last Release.
void Hold(HGDIOBJ handle);
void Release(HGDIOBJ handle);

inline PenObject* FindPen(HGDIOBJ h) { return dynamic_cast<PenObject*>(FindAny(h)); }
inline BrushObject* FindBrush(HGDIOBJ h) { return dynamic_cast<BrushObject*>(FindAny(h)); }
inline FontObject* FindFont(HGDIOBJ h) { return dynamic_cast<FontObject*>(FindAny(h)); }
inline BitmapObject* FindBitmap(HGDIOBJ h) { return dynamic_cast<BitmapObject*>(FindAny(h)); }
inline PaletteObject* FindPalette(HGDIOBJ h) { return dynamic_cast<PaletteObject*>(FindAny(h)); }

}  // namespace gdi_impl

struct HDC__ {
  enum class Kind { kWindow, kMemory, kTarget };
  Kind kind = Kind::kMemory;
  HWND window = nullptr;                            // window DCs (null: the whole screen)
  POINT origin;                                     // device position of logical (0, 0)
  bool clipped = false;                             // window DCs: drawing stays inside `clip`
  RECT clip;                                        // device coordinates
  std::vector<RECT> holes;                          // window DCs: device rectangles left undrawn (clipped children)
  PixelTarget target;                               // target DCs
  PixelFormat deviceFormat = PixelFormat::kRgb565;  // what GetDeviceCaps reports
  int deviceWidth = 0;
  int deviceHeight = 0;

  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;  // memory DCs
  HPALETTE palette = nullptr;

  COLORREF textColour = 0;
  COLORREF bkColour = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = TA_TOP | TA_LEFT;
  POINT position;
  int stretchMode = 1;  // BLACKONWHITE
};

namespace gdi_impl {

inline PenObject* DcPen(const HDC__& dc) { return dynamic_cast<PenObject*>(FindHeld(dc.pen)); }
inline BrushObject* DcBrush(const HDC__& dc) { return dynamic_cast<BrushObject*>(FindHeld(dc.brush)); }
inline FontObject* DcFontObject(const HDC__& dc) { return dynamic_cast<FontObject*>(FindHeld(dc.font)); }
inline BitmapObject* DcBitmap(const HDC__& dc) { return dynamic_cast<BitmapObject*>(FindHeld(dc.bitmap)); }
inline PaletteObject* DcPalette(const HDC__& dc) { return dynamic_cast<PaletteObject*>(FindHeld(dc.palette)); }

// A new DC of that kind with the default objects selected; the DC registry owns it.
HDC__* NewDC(HDC__::Kind kind);
// The live DC behind a handle, or null.
HDC__* FindDC(HDC hdc);
// Lets go of the DC's objects and frees it.
void FreeDC(HDC__* dc);

// What one drawing call draws into: the pixels, the area it may touch (device
// coordinates, inside the pixels) and where logical (0, 0) lies.
struct Canvas {
  PixelTarget target;
  RECT clip;
  std::span<const RECT> holes;  // inside `clip`, left undrawn
  POINT origin;
  std::span<const PALETTEENTRY> colours;  // for colour matching on indexed targets

  DWORD Colour(COLORREF c) const { return EncodeColour(target.format, colours, c); }
};

// The common part of two rectangles (right and bottom outside); empty ones
// keep right >= left and bottom >= top.
RECT IntersectRects(const RECT& a, const RECT& b);
inline bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The DC's pixels now, for drawing into or reading from: false when it has
// none (a memory DC without a bitmap of its own).
bool DcCanvas(HDC__& dc, Canvas* out);

// The realized font of the DC's selected font, or null when it has none.
RealizedFont* DcFont(HDC__& dc);

}  // namespace gdi_impl
}  // namespace plat
