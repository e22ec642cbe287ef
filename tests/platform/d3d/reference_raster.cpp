// The Direct3D role's rasteriser as it was before it drew by spans: one
// fragment at a time, every render state read per pixel. The span rasteriser
// must draw exactly what this draws; the tests compare the two.
#include "reference_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3dtest {

using namespace plat;
using namespace plat::d3d_impl;

namespace {

struct Colour {
  float r, g, b, a;
};

Colour Unpack(D3DCOLOR c) {
  return {static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF), static_cast<float>(c & 0xFF),
          static_cast<float>(c >> 24)};
}

int Channel(float v) { return static_cast<int>(std::clamp(v + 0.5f, 0.f, 255.f)); }

WORD Texel(const RasterTexture& t, DWORD x, DWORD y) {
  WORD w;
  std::memcpy(&w, t.bits + static_cast<std::ptrdiff_t>(y) * t.pitch + 2 * static_cast<std::ptrdiff_t>(x), 2);
  return w;
}

DWORD Wrap(int i, DWORD size, bool clamp) {
  if (clamp) {
    return static_cast<DWORD>(std::clamp(i, 0, static_cast<int>(size) - 1));
  }
  if ((size & (size - 1)) == 0) {
    return static_cast<DWORD>(i) & (size - 1);
  }
  const int s = static_cast<int>(size);
  const int m = i % s;
  return static_cast<DWORD>(m < 0 ? m + s : m);
}

// The texel colour at (u, v) in 0..1 texture space, or false where the
// colour key makes the pixel transparent.
bool Sample(const RasterState& st, float u, float v, Colour* out) {
  const RasterTexture& t = *st.texture;
  const float x = u * static_cast<float>(t.width) - 0.5f;
  const float y = v * static_cast<float>(t.height) - 0.5f;
  if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e8f || std::fabs(y) > 1e8f) {
    return false;
  }
  const int nx = static_cast<int>(std::floor(x + 0.5f));
  const int ny = static_cast<int>(std::floor(y + 0.5f));
  const WORD nearest = Texel(t, Wrap(nx, t.width, st.clampUV), Wrap(ny, t.height, st.clampUV));
  if (st.colourKey && t.hasKey && nearest == t.key) {
    return false;
  }
  int r, g, b;
  if (!st.linear) {
    UnpackPixel(t.is555, nearest, &r, &g, &b);
    *out = {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255.f};
    return true;
  }
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  const float fx = x - static_cast<float>(x0);
  const float fy = y - static_cast<float>(y0);
  Colour acc{0, 0, 0, 255.f};
  for (int k = 0; k < 4; ++k) {
    const int dx = k & 1;
    const int dy = k >> 1;
    const float w = (dx ? fx : 1.f - fx) * (dy ? fy : 1.f - fy);
    UnpackPixel(t.is555, Texel(t, Wrap(x0 + dx, t.width, st.clampUV), Wrap(y0 + dy, t.height, st.clampUV)), &r, &g, &b);
    acc.r += w * static_cast<float>(r);
    acc.g += w * static_cast<float>(g);
    acc.b += w * static_cast<float>(b);
  }
  *out = acc;
  return true;
}

float Factor(DWORD blend, const Colour& src, const Colour& dst, int channel) {
  const float s = channel == 0 ? src.r : channel == 1 ? src.g : src.b;
  const float d = channel == 0 ? dst.r : channel == 1 ? dst.g : dst.b;
  switch (blend) {
    case D3DBLEND_ZERO:
      return 0.f;
    case D3DBLEND_ONE:
      return 1.f;
    case D3DBLEND_SRCCOLOR:
      return s / 255.f;
    case D3DBLEND_INVSRCCOLOR:
      return 1.f - s / 255.f;
    case D3DBLEND_SRCALPHA:
      return src.a / 255.f;
    case D3DBLEND_INVSRCALPHA:
      return 1.f - src.a / 255.f;
    case D3DBLEND_DESTALPHA:
      return 1.f;  // 16-bit targets have no alpha: opaque
    case D3DBLEND_INVDESTALPHA:
      return 0.f;
    case D3DBLEND_DESTCOLOR:
      return d / 255.f;
    case D3DBLEND_INVDESTCOLOR:
      return 1.f - d / 255.f;
    default:
      return 1.f;
  }
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {  // b > 0
  return -FloorDiv(-a, b);
}

bool DepthPasses(DWORD func, float z, float stored) {
  switch (func) {
    case D3DCMP_NEVER:
      return false;
    case D3DCMP_LESS:
      return z < stored;
    case D3DCMP_EQUAL:
      return z == stored;
    case D3DCMP_LESSEQUAL:
      return z <= stored;
    case D3DCMP_GREATER:
      return z > stored;
    case D3DCMP_NOTEQUAL:
      return z != stored;
    case D3DCMP_GREATEREQUAL:
      return z >= stored;
    default:
      return true;
  }
}

// The interpolated values of one pixel.
struct Fragment {
  float z;
  Colour diffuse, specular;
  float u, v;
};

void Shade(const RasterTarget& tg, const RasterState& st, int x, int y, const Fragment& f) {
  float* depth = tg.depth != nullptr ? tg.depth + static_cast<std::ptrdiff_t>(y) * tg.width + x : nullptr;
  if (st.zEnable && depth != nullptr && !DepthPasses(st.zFunc, f.z, *depth)) {
    return;
  }
  Colour c = f.diffuse;
  if (st.texture != nullptr) {
    Colour t;
    if (!Sample(st, f.u, f.v, &t)) {
      return;
    }
    switch (st.mapBlend) {
      case D3DTBLEND_DECAL:
      case D3DTBLEND_DECALALPHA:  // 16-bit texels carry no alpha: the texel is opaque
        c = {t.r, t.g, t.b, st.mapBlend == D3DTBLEND_DECAL ? t.a : c.a};
        break;
      default:  // MODULATE keeps the vertex alpha when the texels have none, as MODULATEALPHA does
        c = {t.r * c.r / 255.f, t.g * c.g / 255.f, t.b * c.b / 255.f, c.a};
        break;
    }
  }
  if (st.specular) {
    c.r += f.specular.r;
    c.g += f.specular.g;
    c.b += f.specular.b;
  }
  if (st.fog) {
    const float k = std::clamp(f.specular.a / 255.f, 0.f, 1.f);
    const Colour fc = Unpack(st.fogColour);
    c.r = k * c.r + (1.f - k) * fc.r;
    c.g = k * c.g + (1.f - k) * fc.g;
    c.b = k * c.b + (1.f - k) * fc.b;
  }
  BYTE* p = tg.bits + static_cast<std::ptrdiff_t>(y) * tg.pitch + 2 * static_cast<std::ptrdiff_t>(x);
  // The usual blend of an opaque pixel is the pixel itself.
  const bool opaqueOver = st.srcBlend == D3DBLEND_SRCALPHA && st.destBlend == D3DBLEND_INVSRCALPHA && c.a >= 255.f;
  if (st.alphaBlend && !opaqueOver) {
    WORD old;
    std::memcpy(&old, p, 2);
    int r, g, b;
    UnpackPixel(tg.is555, old, &r, &g, &b);
    const Colour d{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255.f};
    const Colour s = c;
    c.r = s.r * Factor(st.srcBlend, s, d, 0) + d.r * Factor(st.destBlend, s, d, 0);
    c.g = s.g * Factor(st.srcBlend, s, d, 1) + d.g * Factor(st.destBlend, s, d, 1);
    c.b = s.b * Factor(st.srcBlend, s, d, 2) + d.b * Factor(st.destBlend, s, d, 2);
  }
  const WORD out = PackPixel(tg.is555, Channel(c.r), Channel(c.g), Channel(c.b));
  std::memcpy(p, &out, 2);
  if (st.zEnable && st.zWrite && depth != nullptr) {
    *depth = f.z;
  }
}

// Positions beyond a million pixels would overflow the exact edge functions;
// the callers clip long before that.
bool Finite(const D3DTLVERTEX& v) {
  return std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.sz) && std::isfinite(v.rhw) &&
         std::fabs(v.sx) <= 1e6f && std::fabs(v.sy) <= 1e6f;
}

Fragment Vertex(const D3DTLVERTEX& v) { return {v.sz, Unpack(v.color), Unpack(v.specular), v.tu, v.tv}; }

// A line of single pixels from a to b in the colour of `flat` (wireframe).
void DrawEdge(const RasterTarget& tg, const RasterState& st, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
              const D3DTLVERTEX& flat) {
  RasterState plain = st;
  plain.texture = nullptr;
  const float dx = b.sx - a.sx;
  const float dy = b.sy - a.sy;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (int i = 0; i <= steps; ++i) {
    const float t = steps == 0 ? 0.f : static_cast<float>(i) / static_cast<float>(steps);
    const int x = static_cast<int>(std::floor(a.sx + t * dx));
    const int y = static_cast<int>(std::floor(a.sy + t * dy));
    if (x < tg.clip.left || x >= tg.clip.right || y < tg.clip.top || y >= tg.clip.bottom) {
      continue;
    }
    Fragment f = Vertex(flat);
    f.z = a.sz + t * (b.sz - a.sz);
    Shade(tg, plain, x, y, f);
  }
}

}  // namespace

void ReferenceDrawTriangle(const RasterTarget& tg, const RasterState& st, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                           const D3DTLVERTEX& c) {
  if (!Finite(a) || !Finite(b) || !Finite(c) || tg.clip.left >= tg.clip.right || tg.clip.top >= tg.clip.bottom) {
    return;
  }
  // Positions snap to 1/256 pixel, so edge functions are exact integers and
  // two triangles sharing an edge always agree on which owns its pixels.
  const auto snap = [](float v) { return static_cast<std::int64_t>(std::llround(static_cast<double>(v) * 256.0)); };
  const std::int64_t ax = snap(a.sx), ay = snap(a.sy), bx = snap(b.sx), by = snap(b.sy), cx = snap(c.sx),
                     cy = snap(c.sy);
  const std::int64_t area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  // On a screen whose y grows downwards a positive area turns clockwise.
  if (area == 0 || (st.cull == D3DCULL_CCW && area < 0) || (st.cull == D3DCULL_CW && area > 0)) {
    return;
  }
  if (st.fill == D3DFILL_WIREFRAME) {
    DrawEdge(tg, st, a, b, a);
    DrawEdge(tg, st, b, c, a);
    DrawEdge(tg, st, c, a, a);
    return;
  }
  if (st.fill == D3DFILL_POINT) {
    DrawEdge(tg, st, a, a, a);
    DrawEdge(tg, st, b, b, a);
    DrawEdge(tg, st, c, c, a);
    return;
  }
  // Wind clockwise so that every edge function is positive inside.
  const D3DTLVERTEX* v[3] = {&a, &b, &c};
  std::int64_t px[3] = {ax, bx, cx}, py[3] = {ay, by, cy};
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(px[1], px[2]);
    std::swap(py[1], py[2]);
  }
  const double inv = 1.0 / static_cast<double>(area < 0 ? -area : area);
  const std::int64_t minX = std::min({ax, bx, cx}), maxX = std::max({ax, bx, cx});
  const std::int64_t minY = std::min({ay, by, cy}), maxY = std::max({ay, by, cy});
  // Pixel x is sampled at 256 x + 128.
  const int x0 = static_cast<int>(std::max<std::int64_t>(tg.clip.left, (minX - 128) / 256 - 1));
  const int x1 = static_cast<int>(std::min<std::int64_t>(tg.clip.right - 1, (maxX - 128) / 256 + 1));
  const int y0 = static_cast<int>(std::max<std::int64_t>(tg.clip.top, (minY - 128) / 256 - 1));
  const int y1 = static_cast<int>(std::min<std::int64_t>(tg.clip.bottom - 1, (maxY - 128) / 256 + 1));
  if (x0 > x1 || y0 > y1) {
    return;
  }
  // Edge k runs from v[k+1] to v[k+2]; its function is the weight of v[k].
  std::int64_t ex[3], ey[3], e0[3];
  bool topLeft[3];
  for (int k = 0; k < 3; ++k) {
    const int p = (k + 1) % 3;
    const int q = (k + 2) % 3;
    const std::int64_t dx = px[q] - px[p];
    const std::int64_t dy = py[q] - py[p];
    // E(x, y) = dx * (y - p.y) - dy * (x - p.x), at the first sample.
    ex[k] = -dy * 256;
    ey[k] = dx * 256;
    e0[k] = dx * (static_cast<std::int64_t>(y0) * 256 + 128 - py[p]) -
            dy * (static_cast<std::int64_t>(x0) * 256 + 128 - px[p]);
    // Clockwise on screen: a top edge runs rightwards, a left edge upwards.
    topLeft[k] = (dy == 0 && dx > 0) || dy < 0;
  }
  // Every value a pixel needs is a plane over the screen: its value at the
  // first sample and its steps along x and y, from the vertices' weights.
  // 0 depth, 1-4 diffuse, 5-8 specular, 9-11 u, v and 1/w (u and v times 1/w
  // when texturing is perspective-correct).
  constexpr int kValues = 12;
  const bool textured = st.texture != nullptr;
  const bool perspective = textured && st.perspective;
  const int count = textured ? kValues : 9;
  float at[3][kValues];
  for (int k = 0; k < 3; ++k) {
    // Flat shading takes the colours of the first vertex given; fog still varies.
    const Fragment f = Vertex(*v[k]);
    const Colour d = st.shade == D3DSHADE_FLAT ? Unpack(a.color) : f.diffuse;
    Colour sp = st.shade == D3DSHADE_FLAT ? Unpack(a.specular) : f.specular;
    sp.a = f.specular.a;
    const float q = perspective ? v[k]->rhw : 1.f;
    const float values[kValues] = {f.z, d.r, d.g, d.b, d.a, sp.r, sp.g, sp.b, sp.a, f.u * q, f.v * q, q};
    std::copy(values, values + kValues, at[k]);
  }
  float start[kValues], stepX[kValues], stepY[kValues];
  for (int i = 0; i < count; ++i) {
    double s0 = 0.0, sx = 0.0, sy = 0.0;
    for (int k = 0; k < 3; ++k) {
      s0 += static_cast<double>(at[k][i]) * static_cast<double>(e0[k]);
      sx += static_cast<double>(at[k][i]) * static_cast<double>(ex[k]);
      sy += static_cast<double>(at[k][i]) * static_cast<double>(ey[k]);
    }
    start[i] = static_cast<float>(s0 * inv);
    stepX[i] = static_cast<float>(sx * inv);
    stepY[i] = static_cast<float>(sy * inv);
  }
  float cur[kValues];
  for (int y = y0; y <= y1; ++y) {
    const std::int64_t dy = y - y0;
    std::int64_t w[3];
    for (int k = 0; k < 3; ++k) {
      w[k] = e0[k] + ey[k] * dy;
    }
    // The run of samples inside all three edges on this row.
    std::int64_t first = 0, last = x1 - x0;
    for (int k = 0; k < 3 && first <= last; ++k) {
      // Inside: w + ex * dx > 0, or >= 0 on a top or left edge.
      const std::int64_t need = topLeft[k] ? -w[k] : 1 - w[k];  // ex * dx >= need
      if (ex[k] > 0) {
        first = std::max(first, CeilDiv(need, ex[k]));
      } else if (ex[k] < 0) {
        last = std::min(last, FloorDiv(-need, -ex[k]));
      } else if (need > 0) {
        last = -1;
      }
    }
    if (first > last) {
      continue;
    }
    for (int i = 0; i < count; ++i) {
      cur[i] = start[i] + stepY[i] * static_cast<float>(dy) + stepX[i] * static_cast<float>(first);
    }
    for (int x = x0 + static_cast<int>(first); x <= x0 + static_cast<int>(last); ++x) {
      {
        Fragment p;
        p.z = cur[0];
        p.diffuse = {cur[1], cur[2], cur[3], cur[4]};
        p.specular = {cur[5], cur[6], cur[7], cur[8]};
        p.u = p.v = 0.f;
        if (textured) {
          const float r = perspective ? (cur[11] != 0.f ? 1.f / cur[11] : 0.f) : 1.f;
          p.u = cur[9] * r;
          p.v = cur[10] * r;
        }
        Shade(tg, st, x, y, p);
      }
      for (int i = 0; i < count; ++i) {
        cur[i] += stepX[i];
      }
    }
  }
}

}  // namespace d3dtest
