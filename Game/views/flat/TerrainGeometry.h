#pragma once
// Where an asteroid's zones lie on the terrain view: a grid of 11 x 11 cells
// of 52 x 33 pixels, the centre cell zone 0 and ring k (0..4) the square of
// cells at distance k + 1 from it, 8(k + 1) cells numbered clockwise from the
// ring's top-left corner cell. A zone of ring k holds four cells in a row,
// one per ATV kind, shifted along the ring by the ring's rotation byte.
//
// One rule serves drawing, hit testing and placing pictures: a cell at
// position p shows zone slot (p - t) / 4 and kind (p - t) mod 4 of its ring,
// with t the whole rotation taken modulo the ring's length, and the cell of a
// zone and kind is found by inverting exactly that. Any rotation byte
// (-128..127) gives a valid cell.
//
// Plain functions: any thread.

#include <cstdint>

namespace terrain {

constexpr int kGridCells = 11;
constexpr int kCellWidth = 52;
constexpr int kCellHeight = 33;
constexpr int kCentreCell = 5;
constexpr int kMaxSizeClass = 4;
constexpr int kMaxZones = 31;
// The ring of the centre zone.
constexpr int kCentreRing = -1;
// A cell's top-left on the screen is the work surface's plus this.
constexpr int kWorkOriginX = 29;
constexpr int kWorkOriginY = 98;

// Cells of ring k, and the first zone of ring k.
constexpr int RingLength(int ring) { return 8 * (ring + 1); }
constexpr int FirstZoneOfRing(int ring) { return ring * (ring + 1) + 1; }
// The ring of a zone (-1 for the centre, 5 or more past the largest asteroid).
int RingOfZone(int zone);
// The number of zones of a size class (0..4); 0 outside.
int ZoneCountOfSize(int sizeClass);

struct Cell {
  int column = 0;
  int row = 0;
};
// The cell at position p (0 .. RingLength - 1) of ring k.
Cell CellAt(int ring, int position);
// The top-left of a cell on the work surface.
inline int CellLeft(const Cell& c) { return 1 + kCellWidth * c.column; }
inline int CellTop(const Cell& c) { return 1 + kCellHeight * c.row; }

// The zone and kind a cell of ring k shows at position p under rotation t.
struct ZoneKind {
  int zone = 0;
  int kind = 0;
};
ZoneKind ZoneAtPosition(int ring, int position, int rotation);
// The position of zone `zone`'s cell of kind `kind` in its ring, the
// inverse of ZoneAtPosition; the centre zone has position 0 of ring -1.
int PositionOfZone(int zone, int kind, int rotation);

// What a screen point hits: ring -1 for the centre (zone 0, kind 3).
struct Hit {
  int ring = 0;
  int zone = 0;
  int kind = 0;
  int rightHalf = 0;
};
// `rotations` holds the rotation byte of each ring up to the size class;
// false when the point is on no cell of an asteroid of that size class.
bool HitTest(int x, int y, int sizeClass, const std::int8_t* rotations, Hit* out);

// The screen rectangle's top-left of zone `zone`'s cell of kind `kind`.
Cell CellOfZone(int zone, int kind, const std::int8_t* rotations);

}  // namespace terrain
