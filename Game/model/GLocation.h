#pragma once
// Where a game object stands: an asteroid number and integer coordinates, with
// the measures the order, unit and asteroid code compare them by.

#include <cstdint>

#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

struct Location {
  std::uint16_t asteroid = 0;  // the number of asteroids stands for deep space
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t z = 0;
};

// Euclidean distance of the coordinates. Locations on different asteroids are
// reported and give the largest double.
double GetLocationDistance(const Location* a, const Location* b);
// dx^2 + dy^2 + dz^2 as a 32-bit value (wrapping as 32-bit arithmetic does);
// the asteroids are not compared.
std::uint32_t GetLocationDistanceSq(const Location* a, const Location* b);
// The range measure of orders: the square of the largest per-axis difference.
// Different asteroids are reported and give 0xFFFFFFFF.
std::uint32_t GetLocationRangeSq(const Location* a, const Location* b);
// The unit vector from `from` to `to` (differences taken as 16-bit values);
// (0, 0, 0) for equal coordinates.
void GetLocationDirection(const Location* from, const Location* to, double* x, double* y, double* z);
void CopyLocation(Location* dst, const Location* src);
// Four u16: asteroid, x, y, z. 1 on success, 0 on a short write or read.
int SaveLocation(const Location* loc, plat::FILE* fp);
int SaveLocation(const Location* loc, BlockWriter& w);
int LoadLocation(Location* loc, plat::FILE* fp);
int LoadLocation(Location* loc, BlockReader& r);
// Replaces the coordinates of `c` (its asteroid stays) by
// (-(a x b) . c, a . c, b . c) scaled to length 1024 and truncated; a zero
// vector is stored as it is. A missing `a` or `b` is reported and leaves `c`.
void ExpressLocationInFrame(Location* c, const Location* a, const Location* b);
