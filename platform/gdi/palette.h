#pragma once
// Logical palettes and the system palette.
//
// The screen is a 16-bit display without a hardware palette, so the system
// palette never changes: 256 entries, the 20 static colours at 0-9 and 246-255
// and black between them. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

namespace plat {

// Entries follow the header; callers allocate the room for more than one.
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

// Null without entries, with more than 256 or a version other than 0x300.
HPALETTE CreatePalette(const LOGPALETTE* logPalette);
// Selects the palette into the DC and returns the previous one (null: the
// default palette was selected, or failure). The DC keeps using it for colour
// matching on 8-bit targets that have no colours of their own.
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette into the system palette: no entry ever needs
// mapping on our devices, so 0 (GDI_ERROR for a bad DC). Colours drawn into an
// 8-bit target match the target's own colours, or the selected palette when
// the target has none.
UINT RealizePalette(HDC hdc);

// Index of the palette's entry nearest to the colour (squared RGB distance,
// lowest index on a tie); CLR_INVALID for a bad palette.
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
// Copy entries from `start`; return how many were copied. A null `entries` in
// GetPaletteEntries returns the palette's size.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries);
// Copies system palette entries; returns how many.
UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries);

}  // namespace plat
