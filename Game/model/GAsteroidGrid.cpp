#include "Game/model/GAsteroidGrid.h"

#include <algorithm>
#include <cstdlib>

#include "Game/model/GSolarSys.h"

int CGAsteroidGrid::SquareOf(std::int64_t coordinate) {
  return static_cast<int>((std::clamp<std::int64_t>(coordinate, -32768, 32767) + 32768) >> kShift);
}

void CGAsteroidGrid::Build(const CGSolarDB& solar) {
  places.clear();
  std::array<std::uint16_t, kSide * kSide> counts{};
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (const CGAsteroid* a = solar.GetAsteroid(i)) {
      places.push_back({a->position.x, a->position.y, a->position.z, i});
      ++counts[static_cast<std::size_t>(SquareOf(a->position.y) * kSide + SquareOf(a->position.x))];
    }
  squareStart[0] = 0;
  for (std::size_t s = 0; s < counts.size(); ++s)
    squareStart[s + 1] = static_cast<std::uint16_t>(squareStart[s] + counts[s]);
  // A stable sort keeps the indices ascending within a square.
  std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
    return SquareOf(a.y) * kSide + SquareOf(a.x) < SquareOf(b.y) * kSide + SquareOf(b.x);
  });
}

bool CGAsteroidGrid::Nearest(const Location& loc, std::uint32_t max, int* index, std::int64_t* outSq) const {
  const int x0 = SquareOf(std::int64_t{loc.x} - max), x1 = SquareOf(std::int64_t{loc.x} + max);
  const int y0 = SquareOf(std::int64_t{loc.y} - max), y1 = SquareOf(std::int64_t{loc.y} + max);
  if ((x1 - x0 + 1) * (y1 - y0 + 1) > kMostSquaresLooked) return false;
  *index = -1;
  *outSq = 0;
  for (int sy = y0; sy <= y1; ++sy)
    for (int sx = x0; sx <= x1; ++sx) {
      const int square = sy * kSide + sx;
      for (int p = squareStart[static_cast<std::size_t>(square)]; p < squareStart[static_cast<std::size_t>(square) + 1];
           ++p) {
        const Place& a = places[static_cast<std::size_t>(p)];
        if (std::uint32_t(std::abs(a.x - loc.x)) > max || std::uint32_t(std::abs(a.y - loc.y)) > max) continue;
        const std::int64_t dx = a.x - loc.x, dy = a.y - loc.y, dz = a.z - loc.z;
        const std::int64_t sq = dx * dx + dy * dy + dz * dz;
        if (*index < 0 || sq < *outSq || (sq == *outSq && a.index < *index)) {
          *index = a.index;
          *outSq = sq;
        }
      }
    }
  return true;
}
