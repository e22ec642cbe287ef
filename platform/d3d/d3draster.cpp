#include "platform/d3d/d3draster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat::d3d_impl {

namespace {

struct Colour {
  float r, g, b, a;
};

Colour Unpack(D3DCOLOR c) {
  return {static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF),
          static_cast<float>(c & 0xFF), static_cast<float>(c >> 24)};
}

int Channel(float v) { return static_cast<int>(std::clamp(v + 0.5f, 0.f, 255.f)); }

// Low bits repeat the high ones, so white stays 255.
[[gnu::always_inline]] inline void Unpack16(bool is555, WORD pixel, int* r, int* g, int* b) {
  if (is555) {
    const int r5 = (pixel >> 10) & 31, g5 = (pixel >> 5) & 31, b5 = pixel & 31;
    *r = (r5 << 3) | (r5 >> 2);
    *g = (g5 << 3) | (g5 >> 2);
    *b = (b5 << 3) | (b5 >> 2);
  } else {
    const int r5 = pixel >> 11, g6 = (pixel >> 5) & 63, b5 = pixel & 31;
    *r = (r5 << 3) | (r5 >> 2);
    *g = (g6 << 2) | (g6 >> 4);
    *b = (b5 << 3) | (b5 >> 2);
  }
}

[[gnu::always_inline]] inline WORD Pack16(bool is555, int r, int g, int b) {
  if (is555) {
    return static_cast<WORD>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
  }
  return static_cast<WORD>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

WORD Texel(const RasterTexture& t, DWORD x, DWORD y) {
  WORD w;
  std::memcpy(&w, t.bits + static_cast<std::ptrdiff_t>(y) * t.pitch + 2 * static_cast<std::ptrdiff_t>(x), 2);
  return w;
}

[[gnu::always_inline]] inline DWORD Wrap(int i, DWORD size, bool clamp) {
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

// floor(v) for |v| below 2^31, without the library call the baseline
// instruction set needs for it.
inline int FloorToInt(float v) {
  const int i = static_cast<int>(v);
  return static_cast<float>(i) > v ? i - 1 : i;
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
  const int nx = FloorToInt(x + 0.5f);
  const int ny = FloorToInt(y + 0.5f);
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
    UnpackPixel(t.is555, Texel(t, Wrap(x0 + dx, t.width, st.clampUV), Wrap(y0 + dy, t.height, st.clampUV)), &r,
                &g, &b);
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
    case D3DBLEND_ZERO: return 0.f;
    case D3DBLEND_ONE: return 1.f;
    case D3DBLEND_SRCCOLOR: return s / 255.f;
    case D3DBLEND_INVSRCCOLOR: return 1.f - s / 255.f;
    case D3DBLEND_SRCALPHA: return src.a / 255.f;
    case D3DBLEND_INVSRCALPHA: return 1.f - src.a / 255.f;
    case D3DBLEND_DESTALPHA: return 1.f;  // 16-bit targets have no alpha: opaque
    case D3DBLEND_INVDESTALPHA: return 0.f;
    case D3DBLEND_DESTCOLOR: return d / 255.f;
    case D3DBLEND_INVDESTCOLOR: return 1.f - d / 255.f;
    default: return 1.f;
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
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return z < stored;
    case D3DCMP_EQUAL: return z == stored;
    case D3DCMP_LESSEQUAL: return z <= stored;
    case D3DCMP_GREATER: return z > stored;
    case D3DCMP_NOTEQUAL: return z != stored;
    case D3DCMP_GREATEREQUAL: return z >= stored;
    default: return true;
  }
}

// The usual blend of an opaque pixel is the pixel itself.
inline bool OpaqueOver(const RasterState& st, const Colour& c) {
  return st.srcBlend == D3DBLEND_SRCALPHA && st.destBlend == D3DBLEND_INVSRCALPHA && c.a >= 255.f;
}

// The colour `c` blended over the pixel at `p`.
[[gnu::noinline]] Colour Blend(bool is555, const RasterState& st, Colour c, const BYTE* p) {
  WORD old;
  std::memcpy(&old, p, 2);
  int r, g, b;
  UnpackPixel(is555, old, &r, &g, &b);
  const Colour d{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255.f};
  const Colour s = c;
  c.r = s.r * Factor(st.srcBlend, s, d, 0) + d.r * Factor(st.destBlend, s, d, 0);
  c.g = s.g * Factor(st.srcBlend, s, d, 1) + d.g * Factor(st.destBlend, s, d, 1);
  c.b = s.b * Factor(st.srcBlend, s, d, 2) + d.b * Factor(st.destBlend, s, d, 2);
  return c;
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
  if (st.alphaBlend && !OpaqueOver(st, c)) {
    c = Blend(tg.is555, st, c, p);
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

Fragment Vertex(const D3DTLVERTEX& v) {
  return {v.sz, Unpack(v.color), Unpack(v.specular), v.tu, v.tv};
}

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

// The plane values a pixel reads, by index: 0 depth, 1-4 diffuse, 5-8
// specular (8 the fog factor), 9-11 u, v and 1/w (u and v times 1/w when
// texturing is perspective-correct).
constexpr int kValues = 12;

// Draws the runs of a triangle's rows with the render states that do not
// change within it settled once: the same arithmetic as Shade, pixel for
// pixel, without asking the states again at each.
template <bool kTextured, bool kPerspective, bool kLinear, bool kDepth, bool kFog, bool kSpecular>
class SpanShader {
 public:
  SpanShader(const RasterTarget& tg, const RasterState& st)
      : tg_(tg), st_(st), fog_(FogLanes(st.fogColour)) {
    if constexpr (kTextured) {
      const RasterTexture& t = *st.texture;
      width_ = static_cast<float>(t.width);
      height_ = static_cast<float>(t.height);
      keyed_ = st.colourKey && t.hasKey;
      decal_ = st.mapBlend == D3DTBLEND_DECAL || st.mapBlend == D3DTBLEND_DECALALPHA;
      // Wrap's power-of-two case, settled for the triangle.
      const auto mask = [&](DWORD size) -> int {
        return !st.clampUV && (size & (size - 1)) == 0 ? static_cast<int>(size - 1) : -1;
      };
      maskX_ = mask(t.width);
      maskY_ = mask(t.height);
    }
  }

  using Lanes = float __attribute__((vector_size(16)));
  static Lanes FogLanes(D3DCOLOR colour);

  // The pixels first..last of row y, whose first has the values `cur`.
  void Run(int y, int first, int last, float* cur, const float* stepX) const {
    BYTE* p = tg_.bits + static_cast<std::ptrdiff_t>(y) * tg_.pitch + 2 * static_cast<std::ptrdiff_t>(first);
    float* depth = kDepth ? tg_.depth + static_cast<std::ptrdiff_t>(y) * tg_.width + first : nullptr;
    for (int x = first; x <= last; ++x) {
      Put(p, depth, cur);
      p += 2;
      if constexpr (kDepth) {
        ++depth;
        cur[0] += stepX[0];
      }
      for (int i = 1; i <= 4; ++i) {
        cur[i] += stepX[i];
      }
      if constexpr (kSpecular) {
        for (int i = 5; i <= 7; ++i) {
          cur[i] += stepX[i];
        }
      }
      if constexpr (kFog) {
        cur[8] += stepX[8];
      }
      if constexpr (kTextured) {
        for (int i = 9; i < (kPerspective ? 12 : 11); ++i) {
          cur[i] += stepX[i];
        }
      }
    }
  }

 private:
  // Red, green, blue and alpha go in four lanes: each lane's arithmetic is
  // the scalar arithmetic of Shade, step for step, so the results are the same.
  [[gnu::always_inline]] Lanes TexelLanes(const RasterTexture& t, DWORD x, DWORD y) const {
    int r, g, b;
    Unpack16(t.is555, Texel(t, x, y), &r, &g, &b);
    return Lanes{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255.f};
  }

  [[gnu::always_inline]] void Put(BYTE* p, float* depth, const float* cur) const {
    if constexpr (kDepth) {
      if (!DepthPasses(st_.zFunc, cur[0], *depth)) {
        return;
      }
    }
    Lanes c{cur[1], cur[2], cur[3], cur[4]};
    if constexpr (kTextured) {
      const float r = kPerspective ? (cur[11] != 0.f ? 1.f / cur[11] : 0.f) : 1.f;
      const float x = cur[9] * r * width_ - 0.5f;
      const float y = cur[10] * r * height_ - 0.5f;
      if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e8f || std::fabs(y) > 1e8f) {
        return;
      }
      const RasterTexture& t = *st_.texture;
      // A filtered texel reads the nearest one only for its colour key.
      WORD nearest = 0;
      if (!kLinear || keyed_) {
        nearest = Texel(t, WrapX(FloorToInt(x + 0.5f)), WrapY(FloorToInt(y + 0.5f)));
        if (keyed_ && nearest == t.key) {
          return;
        }
      }
      Lanes tc;
      if constexpr (kLinear) {
        const int left = FloorToInt(x);
        const int top = FloorToInt(y);
        const float fx = x - static_cast<float>(left);
        const float fy = y - static_cast<float>(top);
        const DWORD x0 = WrapX(left), x1 = WrapX(left + 1);
        const DWORD y0 = WrapY(top), y1 = WrapY(top + 1);
        // The weights in Shade's order, summed onto 0 in the same order.
        tc = Lanes{0.f, 0.f, 0.f, 0.f};
        tc += ((1.f - fx) * (1.f - fy)) * TexelLanes(t, x0, y0);
        tc += (fx * (1.f - fy)) * TexelLanes(t, x1, y0);
        tc += ((1.f - fx) * fy) * TexelLanes(t, x0, y1);
        tc += (fx * fy) * TexelLanes(t, x1, y1);
        tc[3] = 255.f;
      } else {
        int tr, tg, tb;
        Unpack16(t.is555, nearest, &tr, &tg, &tb);
        tc = Lanes{static_cast<float>(tr), static_cast<float>(tg), static_cast<float>(tb), 255.f};
      }
      if (decal_) {
        const float alpha = st_.mapBlend == D3DTBLEND_DECAL ? tc[3] : c[3];
        c = tc;
        c[3] = alpha;
      } else {
        const float alpha = c[3];
        c = tc * c / 255.f;
        c[3] = alpha;
      }
    }
    if constexpr (kSpecular) {
      c += Lanes{cur[5], cur[6], cur[7], 0.f};
    }
    if constexpr (kFog) {
      const float k = std::clamp(cur[8] / 255.f, 0.f, 1.f);
      const float alpha = c[3];
      c = k * c + (1.f - k) * fog_;
      c[3] = alpha;
    }
    Colour out{c[0], c[1], c[2], c[3]};
    if (st_.alphaBlend && !OpaqueOver(st_, out)) {
      out = Blend(tg_.is555, st_, out, p);
    }
    const WORD pixel = Pack16(tg_.is555, Channel(out.r), Channel(out.g), Channel(out.b));
    std::memcpy(p, &pixel, 2);
    if constexpr (kDepth) {
      if (st_.zWrite) {
        *depth = cur[0];
      }
    }
  }

  // Wrap for a column or row of the texture.
  [[gnu::always_inline]] DWORD WrapX(int i) const {
    return maskX_ >= 0 ? static_cast<DWORD>(i & maskX_) : Wrap(i, st_.texture->width, st_.clampUV);
  }
  [[gnu::always_inline]] DWORD WrapY(int i) const {
    return maskY_ >= 0 ? static_cast<DWORD>(i & maskY_) : Wrap(i, st_.texture->height, st_.clampUV);
  }

  const RasterTarget& tg_;
  const RasterState& st_;
  const Lanes fog_;
  int maskX_ = -1, maskY_ = -1;  // size - 1 of a wrapped power-of-two side, else -1
  float width_ = 0.f, height_ = 0.f;
  bool keyed_ = false;
  bool decal_ = false;
};

template <bool kTextured, bool kPerspective, bool kLinear, bool kDepth, bool kFog, bool kSpecular>
typename SpanShader<kTextured, kPerspective, kLinear, kDepth, kFog, kSpecular>::Lanes
SpanShader<kTextured, kPerspective, kLinear, kDepth, kFog, kSpecular>::FogLanes(D3DCOLOR colour) {
  const Colour c = Unpack(colour);
  return Lanes{c.r, c.g, c.b, c.a};
}

// Calls body with the span shader for the triangle's states.
template <class Body>
void WithSpanShader(const RasterTarget& tg, const RasterState& st, const Body& body) {
  const bool depth = st.zEnable && tg.depth != nullptr;
  auto pick = [&]<bool kTextured, bool kPerspective, bool kLinear>() {
    const auto rest = [&]<bool kDepth>() {
      if (st.fog) {
        if (st.specular) {
          body(SpanShader<kTextured, kPerspective, kLinear, kDepth, true, true>(tg, st));
        } else {
          body(SpanShader<kTextured, kPerspective, kLinear, kDepth, true, false>(tg, st));
        }
      } else if (st.specular) {
        body(SpanShader<kTextured, kPerspective, kLinear, kDepth, false, true>(tg, st));
      } else {
        body(SpanShader<kTextured, kPerspective, kLinear, kDepth, false, false>(tg, st));
      }
    };
    if (depth) {
      rest.template operator()<true>();
    } else {
      rest.template operator()<false>();
    }
  };
  if (st.texture == nullptr) {
    pick.template operator()<false, false, false>();
  } else if (st.perspective) {
    if (st.linear) {
      pick.template operator()<true, true, true>();
    } else {
      pick.template operator()<true, true, false>();
    }
  } else if (st.linear) {
    pick.template operator()<true, false, true>();
  } else {
    pick.template operator()<true, false, false>();
  }
}

}  // namespace

WORD PackPixel(bool is555, int r, int g, int b) { return Pack16(is555, r, g, b); }

void UnpackPixel(bool is555, WORD pixel, int* r, int* g, int* b) { Unpack16(is555, pixel, r, g, b); }

void DrawTriangle(const RasterTarget& tg, const RasterState& st, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
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
    e0[k] = dx * (static_cast<std::int64_t>(y0) * 256 + 128 - py[p]) - dy * (static_cast<std::int64_t>(x0) * 256 + 128 - px[p]);
    // Clockwise on screen: a top edge runs rightwards, a left edge upwards.
    topLeft[k] = (dy == 0 && dx > 0) || dy < 0;
  }
  // Every value a pixel needs is a plane over the screen (kValues): its value
  // at the first sample and its steps along x and y, from the vertices' weights.
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
  // The run of samples inside all three edges on row y, from x0; false for none.
  const auto run = [&](int y, std::int64_t* firstOut, std::int64_t* lastOut) {
    const std::int64_t dy = y - y0;
    std::int64_t first = 0, last = x1 - x0;
    for (int k = 0; k < 3 && first <= last; ++k) {
      const std::int64_t w = e0[k] + ey[k] * dy;
      // Inside: w + ex * dx > 0, or >= 0 on a top or left edge.
      const std::int64_t need = topLeft[k] ? -w : 1 - w;  // ex * dx >= need
      if (ex[k] > 0) {
        first = std::max(first, CeilDiv(need, ex[k]));
      } else if (ex[k] < 0) {
        last = std::min(last, FloorDiv(-need, -ex[k]));
      } else if (need > 0) {
        last = -1;
      }
    }
    *firstOut = first;
    *lastOut = last;
    return first <= last;
  };
  WithSpanShader(tg, st, [&](const auto& shader) {
    for (int y = y0; y <= y1; ++y) {
      std::int64_t first, last;
      if (!run(y, &first, &last)) {
        continue;
      }
      const float dy = static_cast<float>(y - y0);
      for (int i = 0; i < count; ++i) {
        cur[i] = start[i] + stepY[i] * dy + stepX[i] * static_cast<float>(first);
      }
      shader.Run(y, x0 + static_cast<int>(first), x0 + static_cast<int>(last), cur, stepX);
    }
  });
}

}  // namespace plat::d3d_impl
