// Bresenham lines over 8- and 16-bit pixels, with the error term and steps
// kept exactly as the fills' callers expect their end pixels.

#include "sg/raster/line.h"

#include <cstddef>

namespace {

// Offsets are kept in 64 bits and the pointer is formed only for the pixel
// written, so the step past the last pixel stays harmless.
template <class Pixel>
void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel colour, void* base, int64_t pitch) {
  int64_t dx = static_cast<int64_t>(x1) - x0;
  int64_t dy = static_cast<int64_t>(y1) - y0;
  int64_t x = x0;
  int64_t y = y0;
  if (dx + dy < 0) {
    x += dx;
    y += dy;
    dx = -dx;
    dy = -dy;
  }
  Pixel* pixels = static_cast<Pixel*>(base);
  int64_t offset = pitch * y + x;
  int64_t major, minor, straight, diagonal;
  if (dx > dy) {
    straight = 1;
    if (dy < 0) {
      dy = -dy;
      diagonal = 1 - pitch;
    } else {
      diagonal = pitch + 1;
    }
    major = dx;
    minor = dy;
  } else {
    straight = pitch;
    if (dx < 0) {
      dx = -dx;
      diagonal = pitch - 1;
    } else {
      diagonal = pitch + 1;
    }
    major = dy;
    minor = dx;
  }
  int64_t error = major >> 1;
  for (int64_t i = 0; i < major; ++i) {
    pixels[offset] = colour;
    error -= minor;
    if (error < 0) {
      error += major;
      offset += diagonal;
    } else {
      offset += straight;
    }
  }
}

}  // namespace

void ISGLine8(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour, void* base, int32_t pitch) {
  DrawLine<uint8_t>(x0, y0, x1, y1, colour, base, pitch);
}

void ISGLine16(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, void* base, int32_t pitch) {
  DrawLine<uint16_t>(x0, y0, x1, y1, static_cast<uint16_t>(colour), base, pitch >> 1);
}

void ISGTriOutline8(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                    int32_t pitch, uint8_t colour) {
  ISGLine8(v1->x, v1->y, v2->x, v2->y, colour, base, pitch);
  ISGLine8(v1->x, v1->y, v3->x, v3->y, colour, base, pitch);
  ISGLine8(v2->x, v2->y, v3->x, v3->y, colour, base, pitch);
}

void ISGTriOutline16(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                     int32_t pitch, uint32_t colour) {
  ISGLine16(v1->x, v1->y, v2->x, v2->y, colour, base, pitch);
  ISGLine16(v1->x, v1->y, v3->x, v3->y, colour, base, pitch);
  ISGLine16(v2->x, v2->y, v3->x, v3->y, colour, base, pitch);
}

namespace {

SGOutlineVertex WholePixels(const SGOutlineVertex* fixed) { return {fixed->x >> 10, fixed->y >> 10}; }

}  // namespace

void ISGTriOutline8Fixed(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                         int32_t pitch, const uint8_t* colourEntry) {
  const SGOutlineVertex a = WholePixels(v1), b = WholePixels(v2), c = WholePixels(v3);
  ISGTriOutline8(&a, &b, &c, base, pitch, colourEntry[0]);
}

void ISGTriOutline16Fixed(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                          int32_t pitch, const uint8_t* colourEntry) {
  const SGOutlineVertex a = WholePixels(v1), b = WholePixels(v2), c = WholePixels(v3);
  ISGTriOutline16(&a, &b, &c, base, pitch, colourEntry[0] * 257u);
}
