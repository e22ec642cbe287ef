#pragma once
// What the terrain fuzz targets share: generated height files and the one
// context they all draw on (made once, never destroyed).

#include <cstdint>
#include <vector>

#include "sg/core/context.h"

namespace fuzz {

// A height file of n x n samples in a fixed pattern.
inline std::vector<std::uint8_t> HeightFile(std::uint32_t n) {
  std::vector<std::uint8_t> b(1 + static_cast<std::size_t>(n) * n);
  b[0] = static_cast<std::uint8_t>(n);
  for (std::size_t i = 1; i < b.size(); ++i) {
    b[i] = static_cast<std::uint8_t>(i * 37 % 251);
  }
  return b;
}

inline SGContext* TerrainContext() {
  static SGContext* ctx = [] {
    SGContext* c = nullptr;
    SGContextCreate(&c);
    return c;
  }();
  return ctx;
}

}  // namespace fuzz
