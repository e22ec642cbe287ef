#include "Game/views/flat/TerrainGeometry.h"

namespace terrain {

namespace {

int Modulo(int value, int divisor) {
  const int m = value % divisor;
  return m < 0 ? m + divisor : m;
}

}  // namespace

int RingOfZone(int zone) {
  if (zone <= 0) return kCentreRing;
  int ring = 0;
  while (zone >= FirstZoneOfRing(ring + 1)) ++ring;
  return ring;
}

int ZoneCountOfSize(int sizeClass) {
  if (sizeClass < 0 || sizeClass > kMaxSizeClass) return 0;
  return FirstZoneOfRing(sizeClass + 1);
}

Cell CellAt(int ring, int position) {
  if (ring < 0) return {kCentreCell, kCentreCell};
  const int k = ring;
  const int p = Modulo(position, RingLength(k));
  const int edge = 2 * k + 2;
  if (p < edge) return {4 - k + p, 4 - k};           // top, left to right
  if (p < 2 * edge) return {6 + k, p - 3 * k + 2};   // right, top to bottom
  if (p < 3 * edge) return {5 * k + 10 - p, 6 + k};  // bottom, right to left
  return {4 - k, 7 * k + 12 - p};                    // left, bottom to top
}

ZoneKind ZoneAtPosition(int ring, int position, int rotation) {
  if (ring < 0) return {0, 3};
  const int p = Modulo(position - rotation, RingLength(ring));
  return {FirstZoneOfRing(ring) + p / 4, p % 4};
}

int PositionOfZone(int zone, int kind, int rotation) {
  const int ring = RingOfZone(zone);
  if (ring < 0) return 0;
  return Modulo(4 * (zone - FirstZoneOfRing(ring)) + kind + rotation, RingLength(ring));
}

bool HitTest(int x, int y, int sizeClass, const std::int8_t* rotations, Hit* out) {
  if (sizeClass < 0 || sizeClass > kMaxSizeClass || x < 30 || y < 99) return false;
  const int column = (x - 30) / kCellWidth;
  const int row = (y - 99) / kCellHeight;
  const int low = 4 - sizeClass, high = 6 + sizeClass;
  if (column < low || column > high || row < low || row > high) return false;
  Hit hit;
  hit.rightHalf = (x - 30) % kCellWidth > 26 ? 1 : 0;
  const int foldRow = row > 5 ? 10 - row : row;
  const int foldColumn = column > 5 ? 10 - column : column;
  if (foldRow == 5 && foldColumn == 5) {
    hit.ring = kCentreRing;
    hit.zone = 0;
    hit.kind = 3;
  } else {
    const int k = 4 - (foldRow < foldColumn ? foldRow : foldColumn);
    const int position = column >= row ? row + 2 * k - 8 + column : 6 * k - column - row + 16;
    const ZoneKind zk = ZoneAtPosition(k, position, rotations[k]);
    hit.ring = k;
    hit.zone = zk.zone;
    hit.kind = zk.kind;
  }
  *out = hit;
  return true;
}

Cell CellOfZone(int zone, int kind, const std::int8_t* rotations) {
  const int ring = RingOfZone(zone);
  if (ring < 0 || ring > kMaxSizeClass) return {kCentreCell, kCentreCell};
  return CellAt(ring, PositionOfZone(zone, kind, rotations[ring]));
}

}  // namespace terrain
