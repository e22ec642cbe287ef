#pragma once
// Unclipped single-colour lines into a locked frame buffer, and triangle
// outlines made of three such lines. End points are whole pixels (x to the
// right, y downward) and both must lie inside the buffer: nothing is tested.
//
// A line is walked from the end with the smaller x + y and writes
// max(|dx|, |dy|) pixels, its start included and its other end excluded; a
// line of length 0 writes nothing, and a 45-degree line is walked as y-major.

#include <cstdint>

// The leading x and y of an outline vertex record: whole pixels for the plain
// outlines, 22.10 fixed point (pixels x 1024) for the Fixed ones.
struct SGOutlineVertex {
  int32_t x;
  int32_t y;
};

// 8-bit pixels; pitch is the signed byte step from one row to the next.
void ISGLine8(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour, void* base, int32_t pitch);
// 16-bit pixels, colour in the low half of the word; pitch in bytes, taken
// as pitch >> 1 pixels (an odd pitch rounds down). base must be 2-byte aligned.
void ISGLine16(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, void* base, int32_t pitch);

// Lines from vertex 1 to 2, from 1 to 3 and from 2 to 3.
void ISGTriOutline8(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                    int32_t pitch, uint8_t colour);
void ISGTriOutline16(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                     int32_t pitch, uint32_t colour);
// As the plain outlines with 22.10 coordinates shifted right arithmetically
// by 10, in the first byte of the colour entry (the 16-bit form writes that
// byte in both halves of the pixel). The vertices are not changed.
void ISGTriOutline8Fixed(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                         int32_t pitch, const uint8_t* colourEntry);
void ISGTriOutline16Fixed(const SGOutlineVertex* v1, const SGOutlineVertex* v2, const SGOutlineVertex* v3, void* base,
                          int32_t pitch, const uint8_t* colourEntry);
