#pragma once
// Seeded random triangles of several kinds for the differential tests.

#include <algorithm>
#include <limits>
#include <random>

#include "canvas.h"

// Random triangles of several kinds inside a w x h frame (27.5 coordinates).
class TriangleSource {
 public:
  TriangleSource(unsigned seed, int w, int h) : random_(seed), maxX_((w - 1) * 32), maxY_((h - 1) * 32) {}

  void Next(SGQVert v[3]) {
    const int kind = Pick(0, 6);
    for (int i = 0; i < 3; ++i) v[i] = Vert(Pick(0, maxX_), Pick(0, maxY_), Attribute(), Attribute(), Level());
    switch (kind) {
      case 0:  // small: within a few pixels of the first vertex
        for (int i = 1; i < 3; ++i) {
          v[i].x = std::clamp(v[0].x + Pick(-96, 96), 0, maxX_);
          v[i].y = std::clamp(v[0].y + Pick(-96, 96), 0, maxY_);
        }
        break;
      case 1:  // on whole rows and columns
        for (int i = 0; i < 3; ++i) {
          v[i].x &= ~31;
          v[i].y &= ~31;
        }
        break;
      case 2:  // flat top or bottom
        v[1].y = v[0].y;
        break;
      case 3:  // sliver: third vertex near the middle of the first two
        v[2].x = std::clamp((v[0].x + v[1].x) / 2 + Pick(-8, 8), 0, maxX_);
        v[2].y = std::clamp((v[0].y + v[1].y) / 2 + Pick(-8, 8), 0, maxY_);
        break;
      case 4:  // attributes left unset or out of range
        v[Pick(0, 2)].u = std::numeric_limits<float>::quiet_NaN();
        v[Pick(0, 2)].q = 3e9f;
        break;
      default:
        break;
    }
    if (Pick(0, 3) != 0) MakeClockwise(v[0], v[1], v[2]);
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::mt19937& Engine() { return random_; }

 private:
  float Attribute() { return static_cast<float>(Pick(-(1 << 17), 1 << 17)) + 0.25f * Pick(0, 3); }
  float Level() { return Pick(0, 15) == 0 ? static_cast<float>(Pick(0, 1 << 17)) : static_cast<float>(Pick(16, 8176)); }

  std::mt19937 random_;
  int maxX_, maxY_;
};
