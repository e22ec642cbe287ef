#pragma once
// File images the data build writes for resources: ".ima" pictures, cursor
// files, the resource script that gathers them, and the pixel access they
// share. Pixels are 32-bit 0xAARRGGBB values, rows top first.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace art {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // width x height, top row first
};

// The ".ima" image: u16 width, u16 height, then 5-6-5 pixels bottom row first.
std::vector<std::uint8_t> EncodeIma(const Pixels& image);

// A cursor file with one 32-bit picture and its AND mask (set where alpha is
// below half); hotX/hotY must lie inside the picture.
std::vector<std::uint8_t> EncodeCursor(const Pixels& image, int hotX, int hotY);

// An icon file with one 32-bit picture (and AND mask) per size, each at most 256 square.
std::vector<std::uint8_t> EncodeIcon(const std::vector<Pixels>& sizes);

// One line of a resource script: `"name" TYPE "file"`, quoting as the
// resource compiler reads it.
std::string ResourceLine(const std::string& name, const std::string& type, const std::string& file);

}  // namespace art
