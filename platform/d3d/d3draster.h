#pragma once
// The Direct3D role's rasteriser: one transformed-and-lit triangle into a
// 16-bit surface with its depth buffer. Not for callers outside platform/d3d/
// (and its tests); the program's thread only.

#include "platform/d3d/d3d.h"

namespace plat::d3d_impl {

struct RasterTarget {
  BYTE* bits = nullptr;
  LONG pitch = 0;
  DWORD width = 0, height = 0;
  bool is555 = false;
  float* depth = nullptr;  // width x height, row by row
  RECT clip{};             // inside the target; nothing outside it is written
};

struct RasterTexture {
  const BYTE* bits = nullptr;
  LONG pitch = 0;
  DWORD width = 0, height = 0;
  bool is555 = false;
  bool hasKey = false;
  WORD key = 0;  // source colour key (low value)
};

// The render states a triangle reads, taken from the device's state words.
struct RasterState {
  DWORD shade = D3DSHADE_GOURAUD;
  DWORD fill = D3DFILL_SOLID;
  DWORD cull = D3DCULL_CCW;
  bool perspective = true;
  bool linear = false;  // magnification filter
  bool clampUV = false;
  DWORD mapBlend = D3DTBLEND_MODULATE;
  bool alphaBlend = false;
  DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
  bool zEnable = false, zWrite = false;
  DWORD zFunc = D3DCMP_LESSEQUAL;
  bool fog = false;
  D3DCOLOR fogColour = 0;
  bool specular = false;
  bool colourKey = false;
  const RasterTexture* texture = nullptr;  // none: untextured
};

// Draws the triangle (a, b, c). A position that is not finite or lies more
// than a million pixels out draws nothing.
void DrawTriangle(const RasterTarget& target, const RasterState& state, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                  const D3DTLVERTEX& c);

// Draws the triangles of a list, strip or fan of `count` vertices, taken
// through `indices` when it is not null, as DrawTriangle would one by one
// (a strip's odd triangles with their first two vertices swapped). The
// caller has checked the count and every index.
void DrawPrimitives(const RasterTarget& target, const RasterState& state, D3DPRIMITIVETYPE type,
                    const D3DTLVERTEX* vertices, const WORD* indices, DWORD count);

// The game's usual states (a filtered, wrapped, modulated texture without
// depth, fog or specular) are shaded eight pixels at a time in AVX2 lanes
// where the processor has them, else four at a time; the pixels are the same.
// SetWideLanes(false) keeps to four lanes (tests draw both ways on one
// machine); it answers whether eight lanes are now taken.
bool SetWideLanes(bool on);

// Packing between 8-bit channels and the 16-bit pixel formats.
WORD PackPixel(bool is555, int r, int g, int b);
void UnpackPixel(bool is555, WORD pixel, int* r, int* g, int* b);

}  // namespace plat::d3d_impl
