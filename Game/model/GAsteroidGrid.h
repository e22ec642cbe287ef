#pragma once
// The asteroids' places sorted into squares of the solar plane, for the
// nearest-asteroid query units ask at every step of a predicted trip: a
// snapshot, rebuilt by its owner whenever an asteroid moves, which answers
// exactly as a search of every asteroid would (the same asteroid, the lowest
// index on a tie).
//
// Game thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "Game/model/GLocation.h"

class CGSolarDB;

class CGAsteroidGrid {
 public:
  // Snapshots every asteroid of the system.
  void Build(const CGSolarDB& solar);
  // Among asteroids within `max` of `loc` in x and y, the index of the
  // nearest (lowest on a tie), -1 when none; *outSq its squared distance.
  // False, with nothing found, when `max` spans more squares than a search
  // of every asteroid would cost: the caller searches them all.
  bool Nearest(const Location& loc, std::uint32_t max, int* index, std::int64_t* outSq) const;

 private:
  // Squares of 1024 on each side over the 16-bit plane: a unit's query (400
  // on each side) looks into four at most.
  static constexpr int kShift = 10;
  static constexpr int kSide = 65536 >> kShift;
  static constexpr int kMostSquaresLooked = 16;
  struct Place {
    std::int16_t x, y, z;
    std::uint16_t index;
  };
  static int SquareOf(std::int64_t coordinate);

  std::vector<Place> places;  // by square, then by index
  std::array<std::uint16_t, kSide * kSide + 1> squareStart{};
};
