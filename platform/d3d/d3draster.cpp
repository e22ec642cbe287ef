#include "platform/d3d/d3draster.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "platform/d3d/d3dedges.h"

namespace plat::d3d_impl {

namespace {

struct Colour {
  float r, g, b, a;
};

Colour Unpack(D3DCOLOR c) {
  return {static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF), static_cast<float>(c & 0xFF),
          static_cast<float>(c >> 24)};
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

// The plane values a pixel reads, by index: 0 depth, 1-4 diffuse, 5-8
// specular (8 the fog factor), 9-11 u, v and 1/w (u and v times 1/w when
// texturing is perspective-correct).
using Lanes = float __attribute__((vector_size(16)));
using IntLanes = std::int32_t __attribute__((vector_size(16)));
using Quad = double __attribute__((vector_size(32)));

// Every value a pixel reads is a plane over the screen, kept in three groups
// of four lanes so that a step along a row is three vector additions, each
// lane adding exactly as a scalar would: the diffuse colour (red, green,
// blue, alpha); u, v, 1/w and depth (u and v times 1/w when texturing is
// perspective-correct); the specular colour and the fog factor.
struct Planes {
  Lanes colour, texel, specular;
};

// A 16-bit pixel's channels are the sums of those of its high byte alone and
// its low byte alone (the repeated low bits of green come from one byte or
// the other), so two table reads and an addition unpack a texel to lanes,
// exactly. The high byte's table carries the opaque alpha.
struct TexelTable {
  Lanes high[256], low[256];
  explicit TexelTable(bool is555) {
    for (int i = 0; i < 256; ++i) {
      int r, g, b;
      Unpack16(is555, static_cast<WORD>(i << 8), &r, &g, &b);
      high[i] = Lanes{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255.f};
      Unpack16(is555, static_cast<WORD>(i), &r, &g, &b);
      low[i] = Lanes{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 0.f};
    }
  }
  [[gnu::always_inline]] Lanes operator[](WORD texel) const { return high[texel >> 8] + low[texel & 0xFF]; }
};

const TexelTable& TexelTableFor(bool is555) {
  static const TexelTable k565(false), k555(true);
  return is555 ? k555 : k565;
}

// Vectors of N floats and of N ints.
template <int N>
struct LaneTypes;
template <>
struct LaneTypes<4> {
  using Floats = Lanes;
  using Ints = IntLanes;
};
template <>
struct LaneTypes<8> {
  using Floats = float __attribute__((vector_size(32)));
  using Ints = std::int32_t __attribute__((vector_size(32)));
  using Halves = std::uint16_t __attribute__((vector_size(32)));
};

// FloorToInt in each lane.
template <class F, class I>
[[gnu::always_inline]] inline void FloorLanes(const F& v, I* out) {
  const I i = __builtin_convertvector(v, I);
  *out = i + (__builtin_convertvector(i, F) > v);  // a true lane is -1
}
[[gnu::always_inline]] inline IntLanes FloorLanes(const Lanes& v) {
  IntLanes i;
  FloorLanes(v, &i);
  return i;
}

// Whether any lane of a mask is set.
template <class I>
[[gnu::always_inline]] inline bool AnyLane(const I& mask) {
  if constexpr (sizeof(I) == 32) {
    return AnyLane(
        IntLanes{__builtin_shufflevector(mask, mask, 0, 1, 2, 3) | __builtin_shufflevector(mask, mask, 4, 5, 6, 7)});
  } else {
    const IntLanes either = mask | __builtin_shufflevector(mask, mask, 2, 3, 0, 1);
    return (either[0] | either[1]) != 0;
  }
}

// Whether every lane of a mask is set.
template <class I>
[[gnu::always_inline]] inline bool AllLanes(const I& mask) {
  if constexpr (sizeof(I) == 32) {
    return AllLanes(
        IntLanes{__builtin_shufflevector(mask, mask, 0, 1, 2, 3) & __builtin_shufflevector(mask, mask, 4, 5, 6, 7)});
  } else {
    const IntLanes both = mask & __builtin_shufflevector(mask, mask, 2, 3, 0, 1);
    return (both[0] & both[1]) != 0;
  }
}

// Draws the runs of a triangle's rows with the render states that do not
// change within it settled once: the same arithmetic as Shade, pixel for
// pixel and lane for lane, without asking the states again at each. A wide
// shader groups pixels by eight in AVX2 lanes rather than by four.
//
// The software back end's span fills (sg/raster) cannot draw these pixels:
// their rules differ from this rasteriser's at every step. They take corners
// in 27.5 fixed point and own rows by rounding up, with their own sliver
// rule, where these snap to 1/256 pixel and own samples by exact edge
// functions and the top-left rule; they step attributes as 16.16 fixed-point
// gradients, where these step float planes set up in doubles, with a divide
// per pixel for perspective; they read 8-bit texels through colour and shade
// tables, nearest only, where these filter four 16-bit texels and modulate by
// the vertex colour in floats. Either would change most pixels of a frame.
//
// In the 200-rock frame (about 6,800 triangles of 9 pixels on average, three
// rows each, 92% of them at most eight samples wide) instruction counts put
// this rasteriser at about 1,470 a triangle against the software walk's 960:
// set-up about 360, rows 145, queueing 210, shading 550.
template <bool kTextured, bool kPerspective, bool kLinear, bool kDepth, bool kFog, bool kSpecular, bool kWide = false>
class SpanShader {
 public:
  // The game's usual states (a filtered, wrapped, modulated texture with no
  // depth, fog or specular) shade several queued pixels at once, one pixel
  // to a lane.
  static constexpr bool kGrouped = kTextured && kLinear && !kDepth && !kFog && !kSpecular;
  static_assert(kGrouped || !kWide);
  static constexpr bool kWideLanes = kWide;
  static constexpr bool kTexelPlane = kTextured || kDepth;
  static constexpr bool kSpecularPlane = kFog || kSpecular;

  SpanShader(const RasterTarget& tg, const RasterState& st) : tg_(tg), st_(st) {
    const Colour fog = Unpack(st.fogColour);
    fog_ = Lanes{fog.r, fog.g, fog.b, fog.a};
    if constexpr (kTextured) {
      const RasterTexture& t = *st.texture;
      size_ = Lanes{static_cast<float>(t.width), static_cast<float>(t.height), 0.f, 0.f};
      keyed_ = st.colourKey && t.hasKey;
      decal_ = st.mapBlend == D3DTBLEND_DECAL || st.mapBlend == D3DTBLEND_DECALALPHA;
      // Wrap's power-of-two case, settled for the triangle.
      const auto mask = [&](DWORD size) -> int {
        return !st.clampUV && (size & (size - 1)) == 0 ? static_cast<int>(size - 1) : -1;
      };
      maskX_ = mask(t.width);
      maskY_ = mask(t.height);
      table_ = &TexelTableFor(t.is555);
      grouped_ = maskX_ >= 0 && maskY_ >= 0 && !keyed_ && !decal_;
      // The eight-lane gathers address the texels from the aligned word at
      // or before the first, in 32-bit offsets.
      const auto start = reinterpret_cast<std::uintptr_t>(t.bits);
      const std::int64_t span = static_cast<std::int64_t>(t.height) * t.pitch + 3;
      words_ = t.bits - (start & 3);
      base_ = static_cast<int>(start & 3);
      pitch_ = static_cast<int>(t.pitch);
      pitchShift_ = t.pitch > 0 && std::has_single_bit(static_cast<std::uint32_t>(t.pitch))
                        ? std::countr_zero(static_cast<std::uint32_t>(t.pitch))
                        : -1;
      grouped_ = grouped_ && (!kWide || ((start | static_cast<std::uintptr_t>(t.pitch)) % 2 == 0 && t.pitch > 0 &&
                                         span <= std::numeric_limits<std::int32_t>::max()));
    }
  }

  // Queues the pixels first..last of row y, whose first has the values
  // `cur`. Flush draws them in order; so does a full queue. Shading a queue
  // rather than each row's few pixels keeps the pixels of many rows and
  // triangles in flight at once, with one loop end to mispredict instead of
  // one per row. The pixels go in bursts of kBurst whatever the run's length
  // (entries past its end are written and left), so that a short run, the
  // usual one, has no loop end to mispredict either.
  // kRoomMade: MakeRoom has been called for this run, so the run checks
  // nothing and holds no call (which would make the caller's loop keep its
  // vector registers in memory for it).
  // Measured and not kept (x_software of the 200-rock frame, minimum /
  // median of four alternating pinned runs, against this code): a narrow
  // triangle's rows always queuing eight entries, with no branch on a row's
  // length or on its being empty, 1.65 / 1.67 against 1.48 / 1.54 (1000
  // rocks 1.61 / 1.63 against 1.42 / 1.48); each pixel's place kept as an
  // offset in the texel group's unused fourth lane rather than as a pointer
  // of its own, a store fewer a pixel, 1.51 / 1.57 against 1.52 / 1.55;
  // the wide shader's colour and texel groups stepped and stored as one
  // vector of eight lanes, 1.34 / 1.40 and 1.39 / 1.41 against 1.38 / 1.42
  // and 1.28 / 1.38 (six runs, twice; 1000 rocks 1.33 / 1.35 and
  // 1.35 / 1.37 against 1.30 / 1.34 and 1.34 / 1.36).
  template <bool kRoomMade = false>
  void Run(int y, int first, int last, Planes cur, const Planes& step) {
    BYTE* p = tg_.bits + static_cast<std::ptrdiff_t>(y) * tg_.pitch + 2 * static_cast<std::ptrdiff_t>(first);
    float* depth = kDepth ? tg_.depth + static_cast<std::ptrdiff_t>(y) * tg_.width + first : nullptr;
    for (int left = last - first + 1; left > 0; left -= kBurst) {
      if (!kRoomMade && queued_ >= kQueue) {
        Flush();
      }
      Pending* next = queue_ + queued_;
      for (int j = 0; j < kBurst; ++j) {
        // Only what the shading reads is queued.
        next[j].p = p + 2 * j;
        next[j].cur.colour = cur.colour;
        if constexpr (kTexelPlane) {
          next[j].cur.texel = cur.texel;
        }
        if constexpr (kSpecularPlane) {
          next[j].cur.specular = cur.specular;
        }
        if constexpr (kDepth) {
          next[j].depth = depth + j;
        }
        cur.colour += step.colour;
        if constexpr (kTexelPlane) {
          cur.texel += step.texel;
        }
        if constexpr (kSpecularPlane) {
          cur.specular += step.specular;
        }
      }
      queued_ += std::min(left, kBurst);
      p += 2 * kBurst;
      if constexpr (kDepth) {
        depth += kBurst;
      }
    }
  }

  // Room for the runs of kRoomRows rows of at most kRoomWidth pixels each,
  // queued by Run<true> without a check of their own.
  static constexpr int kRoomRows = 8, kRoomWidth = 8;
  void MakeRoom() {
    if (queued_ >= kQueue) {
      Flush();
    }
  }

  void Flush() {
    if constexpr (kGrouped) {
      if (grouped_) {
        if constexpr (kWide) {
          PutEights();
        } else {
          int i = 0;
          for (; i + 8 <= queued_; i += 8) {
            PutLanes<4, 2>(i);
          }
          for (; i < queued_; i += 4) {
            PutLanes<4>(i);
          }
        }
        queued_ = 0;
        return;
      }
    }
    for (int i = 0; i < queued_; ++i) {
      Put(queue_[i].p, kDepth ? queue_[i].depth : nullptr, queue_[i].cur);
    }
    queued_ = 0;
  }

 private:
  // Four values of each of N pixels, one value of every pixel to a vector.
  template <int N, class F>
  [[gnu::always_inline]] static void TransposeLanes(const Planes* const (&q)[N], Lanes Planes::*group, F* a, F* b, F* c,
                                                    F* d) {
    if constexpr (N == 4) {
      Transpose(q[0]->*group, q[1]->*group, q[2]->*group, q[3]->*group, a, b, c, d);
    } else {
      static_assert(N == 8);
      // Pixel k in the low half of row k and pixel k + 4 in its high half
      // (a load and an insert each), then the halves transposed side by
      // side: 12 shuffles in all rather than two 4 x 4 transposes and the
      // joins.
      F rows[4];
      for (int k = 0; k < 4; ++k) {
        rows[k] = __builtin_shufflevector(q[k]->*group, q[k + 4]->*group, 0, 1, 2, 3, 4, 5, 6, 7);
      }
      const F t0 = __builtin_shufflevector(rows[0], rows[1], 0, 8, 1, 9, 4, 12, 5, 13);
      const F t1 = __builtin_shufflevector(rows[0], rows[1], 2, 10, 3, 11, 6, 14, 7, 15);
      const F t2 = __builtin_shufflevector(rows[2], rows[3], 0, 8, 1, 9, 4, 12, 5, 13);
      const F t3 = __builtin_shufflevector(rows[2], rows[3], 2, 10, 3, 11, 6, 14, 7, 15);
      *a = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
      *b = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
      *c = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
      *d = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
    }
  }

  [[gnu::always_inline]] static void Transpose(const Lanes& a, const Lanes& b, const Lanes& c, const Lanes& d,
                                               Lanes* ta, Lanes* tb, Lanes* tc, Lanes* td) {
    const Lanes t0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const Lanes t1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const Lanes t2 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    const Lanes t3 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    *ta = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    *tb = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    *tc = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    *td = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
  }

  // Unpack16 in each lane, one channel to a vector.
  template <class F, class I>
  [[gnu::always_inline]] static void UnpackLanes(bool is555, const I& w, F* r, F* g, F* b) {
    const I r5 = is555 ? (w >> 10) & 31 : w >> 11;
    const I gm = is555 ? (w >> 5) & 31 : (w >> 5) & 63;
    const I b5 = w & 31;
    *r = __builtin_convertvector((r5 << 3) | (r5 >> 2), F);
    *g = __builtin_convertvector(is555 ? (gm << 3) | (gm >> 2) : (gm << 2) | (gm >> 4), F);
    *b = __builtin_convertvector((b5 << 3) | (b5 >> 2), F);
  }

  // UnpackLanes for words of two texels, the first in the low half, each
  // channel widened in 16-bit lanes for both texels at once (half the
  // shifts), then split into one vector for each texel. With the eight-lane
  // transpose in whole vectors, this took the 200-rock frame from 1.32 /
  // 1.38 of the software frame to a median of 1.34 (its minimum, 0.88, an
  // outlier) and the 1000-rock one from 1.23 / 1.32 to 1.27 / 1.29
  // (minimum / median of nine alternating pinned runs; medians fell by 2 to
  // 5% in two other rounds, and a little for 10 and 50 rocks).
  using Eight = LaneTypes<8>::Floats;
  [[gnu::always_inline]] static void UnpackPairs(bool is555, const LaneTypes<8>::Ints& words, Eight* r0, Eight* g0,
                                                 Eight* b0, Eight* r1, Eight* g1, Eight* b1) {
    using Halves = LaneTypes<8>::Halves;
    using I = LaneTypes<8>::Ints;
    const Halves w = reinterpret_cast<Halves>(words);
    const Halves r5 = is555 ? (w >> 10) & 31 : w >> 11;
    const Halves gm = is555 ? (w >> 5) & 31 : (w >> 5) & 63;
    const Halves b5 = w & 31;
    const Halves channels[3] = {(r5 << 3) | (r5 >> 2), is555 ? (gm << 3) | (gm >> 2) : (gm << 2) | (gm >> 4),
                                (b5 << 3) | (b5 >> 2)};
    Eight* firsts[3] = {r0, g0, b0};
    Eight* seconds[3] = {r1, g1, b1};
    for (int k = 0; k < 3; ++k) {
      const I both = reinterpret_cast<I>(channels[k]);
      *firsts[k] = __builtin_convertvector(both & 0xFFFF, Eight);
      *seconds[k] = __builtin_convertvector(both >> 16, Eight);
    }
  }

  // Measured and not kept, as for Run: the last group's lanes past the
  // queue's end read entries Flush padded with copies of its first, so that
  // no lane's entry is chosen, 1.52 / 1.54 against 1.47 / 1.49; the set-up
  // and shading compiled for AVX-512 as well (32 vector registers, no fused
  // products), 1.53 / 1.54 against 1.54 / 1.55 (1000 rocks 1.43 / 1.47
  // against 1.47 / 1.50), too little for a third instruction set; the bilinear sums started
  // from their first products rather than from 0 (the same values), 1.42 /
  // 1.44 against 1.45 / 1.46 with four groups but 1.40 / 1.43 against
  // 1.36 / 1.40 for 1000 rocks.
  // The queued pixels from `at`, up to N in each of G groups that follow one
  // another; lanes past the queue's end repeat its first pixel and write
  // nothing. Each lane does the arithmetic of Put in Put's order, so the
  // pixels are the same at any width. A group's work is one long chain of
  // dependent steps (a divide, the texel reads, another divide); the groups'
  // steps are interleaved so that the processor works on G chains at once.
  // Each group's pixels are stored before the next group's.
  // Measured and not kept: the loops over the groups unrolled by the
  // compiler, 1.24 / 1.27 and 1.26 / 1.33 of the software frame against
  // 1.25 / 1.31 and 1.28 / 1.32 for the 200-rock frame, 1.21 / 1.24 and
  // 1.21 / 1.27 against 1.25 / 1.27 and 1.25 / 1.29 for 1000 rocks (seven
  // and nine alternating pinned runs).
  template <int N, int G = 1>
  [[gnu::always_inline]] void PutLanes(int at) const {
    using F = typename LaneTypes<N>::Floats;
    using I = typename LaneTypes<N>::Ints;
    int count[G];
    const Pending* q[G][N];
    F red[G], green[G], blue[G], alpha[G], x[G], y[G];
    I live[G];
    for (int g = 0; g < G; ++g) {
      const int first = at + g * N;
      count[g] = std::min(N, queued_ - first);
      const Planes* cur[N];
      for (int j = 0; j < N; ++j) {
        q[g][j] = &queue_[first + (j < count[g] ? j : 0)];
        cur[j] = &q[g][j]->cur;
      }
      F u, v, w, unused;
      TransposeLanes<N>(cur, &Planes::colour, &red[g], &green[g], &blue[g], &alpha[g]);
      TransposeLanes<N>(cur, &Planes::texel, &u, &v, &w, &unused);
      F r = F{} + 1.f;
      if constexpr (kPerspective) {
        r = w != 0.f ? 1.f / w : F{};
      }
      x[g] = u * r * size_[0] - 0.5f;
      y[g] = v * r * size_[1] - 0.5f;
    }
    F w00[G], w10[G], w01[G], w11[G];
    I t00[G], t10[G], t01[G], t11[G];
    for (int g = 0; g < G; ++g) {
      live[g] = (reinterpret_cast<F>(reinterpret_cast<I>(x[g]) & 0x7FFFFFFF) <= 1e8f) &
                (reinterpret_cast<F>(reinterpret_cast<I>(y[g]) & 0x7FFFFFFF) <= 1e8f);
      x[g] = live[g] ? x[g] : F{};
      y[g] = live[g] ? y[g] : F{};
      // Measured and not kept: in eight lanes the floors and the whole
      // numbers as floats taken by the processor's rounding (two
      // instructions rather than five), 1.27 / 1.33 of the software frame
      // against 1.25 / 1.34 for the 200-rock frame, 1.24 / 1.29 against
      // 1.27 / 1.29 for 1000 rocks (nine alternating pinned runs).
      I left, top;
      FloorLanes(x[g], &left);
      FloorLanes(y[g], &top);
      const F fx = x[g] - __builtin_convertvector(left, F), fy = y[g] - __builtin_convertvector(top, F);
      const F gx = 1.f - fx, gy = 1.f - fy;
      w00[g] = gx * gy;
      w10[g] = fx * gy;
      w01[g] = gx * fy;
      w11[g] = fx * fy;
      const I x0 = left & maskX_, x1 = (left + 1) & maskX_;
      const I y0 = top & maskY_, y1 = (top + 1) & maskY_;
      if constexpr (N == 8) {
        // Whole rows' offsets first: two multiplications rather than four,
        // or shifts where the pitch is a power of two (a multiplication is
        // slow to answer, and the texel reads wait for it).
        const I top0 = (pitchShift_ >= 0 ? y0 << pitchShift_ : y0 * pitch_) + base_;
        const I top1 = (pitchShift_ >= 0 ? y1 << pitchShift_ : y1 * pitch_) + base_;
        const I left0 = x0 + x0, left1 = x1 + x1;
        // Each row's two texels in one word, the right one in its high half
        // (t00 the top row's, t01 the bottom row's), unpacked together.
        if (!AnyLane(x0 == maskX_)) {
          // No lane wraps to the row's start: the two texels are
          // neighbours, read as one word.
          GatherPairs(top0 + left0, &t00[g]);
          GatherPairs(top1 + left0, &t01[g]);
        } else {
          GatherEight(top0 + left0, &t00[g]);
          GatherEight(top0 + left1, &t10[g]);
          GatherEight(top1 + left0, &t01[g]);
          GatherEight(top1 + left1, &t11[g]);
          t00[g] |= t10[g] << 16;
          t01[g] |= t11[g] << 16;
        }
      } else {
        const auto lanes = std::make_integer_sequence<int, N>{};
        Gather(lanes, y0, x0, &t00[g]);
        Gather(lanes, y0, x1, &t10[g]);
        Gather(lanes, y1, x0, &t01[g]);
        Gather(lanes, y1, x1, &t11[g]);
      }
    }
    const bool is555 = st_.texture->is555;
    I pixels[G], direct[G];
    for (int g = 0; g < G; ++g) {
      F tr{}, tg{}, tb{};
      const auto add = [&](const F& weight, const I& texels) {
        F cr, cg, cb;
        UnpackLanes<F, I>(is555, texels, &cr, &cg, &cb);
        tr += weight * cr;
        tg += weight * cg;
        tb += weight * cb;
      };
      if constexpr (N == 8) {
        F cr[4], cg[4], cb[4];
        UnpackPairs(is555, t00[g], &cr[0], &cg[0], &cb[0], &cr[1], &cg[1], &cb[1]);
        UnpackPairs(is555, t01[g], &cr[2], &cg[2], &cb[2], &cr[3], &cg[3], &cb[3]);
        const F* weights[4] = {&w00[g], &w10[g], &w01[g], &w11[g]};
        for (int k = 0; k < 4; ++k) {
          tr += *weights[k] * cr[k];
          tg += *weights[k] * cg[k];
          tb += *weights[k] * cb[k];
        }
      } else {
        add(w00[g], t00[g]);
        add(w10[g], t10[g]);
        add(w01[g], t01[g]);
        add(w11[g], t11[g]);
      }
      // Measured and not kept: these three divisions as products by the
      // reciprocal of 255 (which would not even keep every pixel), 1.33 /
      // 1.34 of the software frame against 1.31 / 1.36 for the 200-rock
      // frame, 1.29 / 1.31 against 1.26 / 1.29 for 1000 rocks (six
      // alternating pinned runs): the groups do not wait on the divider.
      red[g] = tr * red[g] / 255.f;
      green[g] = tg * green[g] / 255.f;
      blue[g] = tb * blue[g] / 255.f;
      // Pixels that blend with what lies below them take Put's way.
      direct[g] = live[g];
      if (st_.alphaBlend) {
        const bool usual = st_.srcBlend == D3DBLEND_SRCALPHA && st_.destBlend == D3DBLEND_INVSRCALPHA;
        direct[g] &= usual ? alpha[g] >= 255.f : I{};
      }
      I pr, pg, pb;
      ChannelLanes(red[g], &pr);
      ChannelLanes(green[g], &pg);
      ChannelLanes(blue[g], &pb);
      pixels[g] = tg_.is555 ? ((pr >> 3) << 10) | ((pg >> 3) << 5) | (pb >> 3)
                            : ((pr >> 3) << 11) | ((pg >> 2) << 5) | (pb >> 3);
    }
    for (int g = 0; g < G; ++g) {
      if (count[g] == N && AllLanes(direct[g])) {
        // The usual group: every pixel opaque and in range, stored without a test.
        for (int j = 0; j < N; ++j) {
          const WORD pixel = static_cast<WORD>(pixels[g][j]);
          std::memcpy(q[g][j]->p, &pixel, 2);
        }
        continue;
      }
      for (int j = 0; j < count[g]; ++j) {
        if (direct[g][j]) {
          const WORD pixel = static_cast<WORD>(pixels[g][j]);
          std::memcpy(q[g][j]->p, &pixel, 2);
        } else if (live[g][j]) {
          Put(q[g][j]->p, nullptr, q[g][j]->cur);
        }
      }
    }
  }

  // The texels at (columns, rows), lane by lane, made into a vector at once:
  // filled lane by lane through memory, it would wait for the stores to drain.
  template <class I, int... J>
  [[gnu::always_inline]] void Gather(std::integer_sequence<int, J...>, const I& rows, const I& columns, I* out) const {
    *out = I{TexelAt(TexelRow(static_cast<DWORD>(rows[J])), static_cast<DWORD>(columns[J]))...};
  }

  // The 16-bit texels at byte offsets from words_, eight lanes in one gather:
  // each lane reads the aligned 4-byte word holding its texel, which lies
  // inside the texture's first and last words and so never reaches a page
  // the texture does not touch, and shifts the texel's half down.
  [[gnu::target("avx2")]] void GatherEight(const LaneTypes<8>::Ints& offsets, LaneTypes<8>::Ints* out) const {
    using I = LaneTypes<8>::Ints;
    const __m256i words =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(words_), reinterpret_cast<__m256i>(offsets & ~3), 1);
    const __m256i shifts = reinterpret_cast<__m256i>((offsets & 2) << 3);
    *out = reinterpret_cast<I>(_mm256_srlv_epi32(words, shifts)) & 0xFFFF;
  }

  // The texels at byte offsets from words_, each with the texel after it in
  // its high half, eight lanes in one gather of 4-byte words; no lane's
  // texel may be the last of its row, so that its word stays inside the row.
  [[gnu::target("avx2")]] void GatherPairs(const LaneTypes<8>::Ints& offsets, LaneTypes<8>::Ints* out) const {
    *out = reinterpret_cast<LaneTypes<8>::Ints>(
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(words_), reinterpret_cast<__m256i>(offsets), 1));
  }

  // Channel in each lane, with std::clamp's choices (a NaN passes through).
  // Measured and not kept: in eight lanes these choices as the processor's
  // maximum and minimum (which answer their second operand where the
  // comparison fails, as the choices do), 1.30 / 1.36 of the software frame
  // against 1.31 / 1.32 without for the 200-rock frame, 1.24 / 1.30 against
  // 1.23 / 1.28 for 1000 rocks (nine alternating pinned runs).
  template <class F, class I>
  [[gnu::always_inline]] static void ChannelLanes(const F& value, I* out) {
    F c = value + 0.5f;
    c = c < 0.f ? F{} : c;
    c = 255.f < c ? F{} + 255.f : c;
    *out = __builtin_convertvector(c, I);
  }

  // The whole queue, eight pixels at a time; only where the processor has AVX2.
  // Four groups' chains at once before two took the 200-rock frame from
  // 1.44 / 1.51 and 1.46 / 1.50 of the software frame to 1.42 / 1.44 and
  // 1.46 / 1.48 (minimum / median of four alternating pinned runs, twice),
  // the 1000-rock one from 1.43 / 1.45 and 1.43 / 1.46 to 1.40 / 1.41 and
  // 1.39 / 1.43; eight groups at once no further.
  [[gnu::target("avx2")]] void PutEights() const {
    int i = 0;
    for (; i + 32 <= queued_; i += 32) {
      PutLanes<8, 4>(i);
    }
    for (; i + 16 <= queued_; i += 16) {
      PutLanes<8, 2>(i);
    }
    for (; i < queued_; i += 8) {
      PutLanes<8>(i);
    }
  }

  [[gnu::always_inline]] WORD TexelAt(const BYTE* row, DWORD x) const {
    WORD w;
    std::memcpy(&w, row + 2 * static_cast<std::ptrdiff_t>(x), 2);
    return w;
  }
  [[gnu::always_inline]] const BYTE* TexelRow(DWORD y) const {
    return st_.texture->bits + static_cast<std::ptrdiff_t>(y) * st_.texture->pitch;
  }

  // The texel colour at the pixel, or false where it is transparent; as Sample.
  [[gnu::always_inline]] bool TexelColour(const Lanes& texel, Lanes* out) const {
    const RasterTexture& t = *st_.texture;
    const float q = texel[2];
    const float r = kPerspective ? (q != 0.f ? 1.f / q : 0.f) : 1.f;
    // Lanes 0 and 1 are x and y in texels; 2 and 3 are cleared below.
    const Lanes xy = texel * r * size_ - 0.5f;
    // Sample's test: finite and within 1e8 (a NaN fails the comparison).
    const IntLanes inRange = reinterpret_cast<Lanes>(reinterpret_cast<IntLanes>(xy) & 0x7FFFFFFF) <= 1e8f;
    if (!(inRange[0] & inRange[1])) {
      return false;
    }
    const Lanes at = reinterpret_cast<Lanes>(reinterpret_cast<IntLanes>(xy) & IntLanes{-1, -1, 0, 0});
    // A filtered texel reads the nearest one only for its colour key.
    WORD nearest = 0;
    if (!kLinear || keyed_) {
      const IntLanes n = FloorLanes(at + 0.5f);
      nearest = TexelAt(TexelRow(WrapY(n[1])), WrapX(n[0]));
      if (keyed_ && nearest == t.key) {
        return false;
      }
    }
    if constexpr (kLinear) {
      const IntLanes corner = FloorLanes(at);
      const Lanes f = at - __builtin_convertvector(corner, Lanes);
      const Lanes g = 1.f - f;
      // The four weights in Sample's order: (1-fx)(1-fy), fx(1-fy), (1-fx)fy, fx fy.
      const Lanes weights = __builtin_shufflevector(g, f, 0, 4, 0, 4) * __builtin_shufflevector(g, f, 1, 1, 5, 5);
      DWORD x0, x1, y0, y1;
      if (maskX_ >= 0 && maskY_ >= 0) {
        const IntLanes w = (__builtin_shufflevector(corner, corner, 0, 0, 1, 1) + IntLanes{0, 1, 0, 1}) &
                           IntLanes{maskX_, maskX_, maskY_, maskY_};
        x0 = static_cast<DWORD>(w[0]);
        x1 = static_cast<DWORD>(w[1]);
        y0 = static_cast<DWORD>(w[2]);
        y1 = static_cast<DWORD>(w[3]);
      } else {
        x0 = WrapX(corner[0]);
        x1 = WrapX(corner[0] + 1);
        y0 = WrapY(corner[1]);
        y1 = WrapY(corner[1] + 1);
      }
      const BYTE* top = TexelRow(y0);
      const BYTE* bottom = TexelRow(y1);
      const TexelTable& table = *table_;
      // Summed onto 0 in Sample's order.
      Lanes c = Lanes{0.f, 0.f, 0.f, 0.f};
      c += weights[0] * table[TexelAt(top, x0)];
      c += weights[1] * table[TexelAt(top, x1)];
      c += weights[2] * table[TexelAt(bottom, x0)];
      c += weights[3] * table[TexelAt(bottom, x1)];
      c[3] = 255.f;
      *out = c;
    } else {
      *out = (*table_)[nearest];
    }
    return true;
  }

  [[gnu::always_inline]] void Put(BYTE* p, float* depth, const Planes& cur) const {
    if constexpr (kDepth) {
      if (!DepthPasses(st_.zFunc, cur.texel[3], *depth)) {
        return;
      }
    }
    Lanes c = cur.colour;
    if constexpr (kTextured) {
      Lanes tc;
      if (!TexelColour(cur.texel, &tc)) {
        return;
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
      c += Lanes{cur.specular[0], cur.specular[1], cur.specular[2], 0.f};
    }
    if constexpr (kFog) {
      const float k = std::clamp(cur.specular[3] / 255.f, 0.f, 1.f);
      const float alpha = c[3];
      c = k * c + (1.f - k) * fog_;
      c[3] = alpha;
    }
    WORD pixel;
    if (st_.alphaBlend && !OpaqueOver(st_, Colour{c[0], c[1], c[2], c[3]})) {
      const Colour out = Blend(tg_.is555, st_, Colour{c[0], c[1], c[2], c[3]}, p);
      pixel = Pack16(tg_.is555, Channel(out.r), Channel(out.g), Channel(out.b));
    } else {
      // Channel in each lane, with std::clamp's choices (a NaN passes through).
      Lanes v = c + 0.5f;
      v = v < 0.f ? Lanes{} : v;
      v = 255.f < v ? Lanes{255.f, 255.f, 255.f, 255.f} : v;
      const IntLanes i = __builtin_convertvector(v, IntLanes);
      pixel = Pack16(tg_.is555, i[0], i[1], i[2]);
    }
    std::memcpy(p, &pixel, 2);
    if constexpr (kDepth) {
      if (st_.zWrite) {
        *depth = cur.texel[3];
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
  Lanes fog_{};
  Lanes size_{};  // texture width and height in lanes 0 and 1
  const TexelTable* table_ = nullptr;
  const BYTE* words_ = nullptr;  // the aligned word holding the first texel
  int base_ = 0, pitch_ = 0;     // the first texel's offset from words_, and the row's
  int pitchShift_ = -1;          // log2 of the pitch where that is a power of two, else -1
  int maskX_ = -1, maskY_ = -1;  // size - 1 of a wrapped power-of-two side, else -1
  bool keyed_ = false;
  bool decal_ = false;
  bool grouped_ = false;  // the texture allows the grouped path
  struct Pending {
    Planes cur;
    BYTE* p;
    float* depth;
  };
  // Flushed once it holds kQueue pixels or more; a burst may take it up to
  // kBurst - 1 past that, and the rows after MakeRoom up to kRoomRows runs
  // of kRoomWidth (whole bursts) past kQueue - 1. A longer queue leaves
  // fewer part-filled last groups and shades more groups in one run: 256
  // rather than 64 took the 200-rock frame from 1.53 / 1.57 and 1.51 / 1.55
  // of the software frame to 1.48 / 1.50 and 1.45 / 1.49 (minimum / median
  // of five alternating pinned runs, twice), the 1000-rock one from
  // 1.44 / 1.47 and 1.51 / 1.55 to 1.43 / 1.46 and 1.41 / 1.47; 128 lay
  // between, 512 did no better (1.48 / 1.51 for 200 rocks), 32 worse.
  // Measured and not kept: the entries of shaders without a specular plane
  // cut to 48 bytes, 1.25 / 1.34 against 1.32 / 1.34 for the 200-rock
  // frame, 1.24 / 1.28 against 1.24 / 1.27 for 1000 rocks (seven
  // alternating pinned runs).
  static constexpr int kQueue = 256;
  static constexpr int kBurst = 4;
  static_assert(kRoomWidth % kBurst == 0);
  Pending queue_[std::max(kQueue + kBurst - 1, kQueue - 1 + kRoomRows * kRoomWidth)];
  int queued_ = 0;
};

// Whether the grouped states take eight lanes: set once from the processor,
// and by SetWideLanes.
bool& WideLanes() {
  static bool wide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return wide;
}

// Calls body with the span shader for the triangle's states.
template <class Body>
void WithSpanShader(const RasterTarget& tg, const RasterState& st, const Body& body) {
  const bool depth = st.zEnable && tg.depth != nullptr;
  auto pick = [&]<bool kTextured, bool kPerspective, bool kLinear>() {
    if constexpr (kTextured && kLinear) {
      // Its edges' lanes hold a sample's place in 32 bits: pixels below 2^22.
      constexpr DWORD kWideSide = DWORD{1} << 22;
      if (!depth && !st.fog && !st.specular && WideLanes() && tg.width < kWideSide && tg.height < kWideSide) {
        body(SpanShader<true, kPerspective, true, false, false, false, true>(tg, st));
        return;
      }
    }
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

// Whether a corner's position is finite with x and y within a million
// pixels (beyond that the exact edge functions would overflow; the callers
// clip long before). Its sx, sy, sz and rhw are tested in four lanes at once:
// a NaN fails every comparison, an infinity exceeds FLT_MAX.
static_assert(offsetof(D3DTLVERTEX, sx) == 0 && offsetof(D3DTLVERTEX, sy) == 4 && offsetof(D3DTLVERTEX, sz) == 8 &&
              offsetof(D3DTLVERTEX, rhw) == 12);
[[gnu::always_inline]] inline bool Finite(const D3DTLVERTEX& v) {
  const Lanes limit{1e6f, 1e6f, std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
  Lanes position;
  std::memcpy(&position, &v, sizeof position);
  return AllLanes(reinterpret_cast<Lanes>(reinterpret_cast<IntLanes>(position) & 0x7FFFFFFF) <= limit);
}

// llround of 256 v in each lane, for positions already known to lie within a
// million pixels: there every value v * 256 plus a half is exact in a double,
// so truncation rounds, and the result fits 32 bits.
[[gnu::always_inline]] inline IntLanes Snap(const Lanes& v) {
  const Quad d = __builtin_convertvector(v, Quad) * 256.0;
  return __builtin_convertvector(d < 0.0 ? d - 0.5 : d + 0.5, IntLanes);
}

// What a triangle reads of a corner, worked out once for each vertex of a
// draw call rather than once for each triangle that uses it: whether it is
// Finite, its position snapped to 1/256 pixel, and the values its planes are
// made from, as doubles (the diffuse channels; u, v, 1/w and depth, u and v
// times 1/w when texturing is perspective-correct; the specular channels),
// only the groups the shader reads. Most vertices of a batch are corners of
// about three triangles: this took the 200-rock frame from 1.41 / 1.42 and
// 1.40 / 1.45 of the software frame to 1.30 / 1.37 and 1.31 / 1.34 (minimum
// / median of seven alternating pinned runs, twice), the 1000-rock one from
// 1.33 / 1.36 and 1.29 / 1.34 to 1.25 / 1.30 and 1.28 / 1.32.
struct Corner {
  Quad colour, texel, specular;
  std::int64_t x, y;
  const D3DTLVERTEX* v;
  bool finite;
};

// Unpack's channels, in lanes.
[[gnu::always_inline]] inline Lanes Channels(D3DCOLOR c) {
  return __builtin_convertvector(IntLanes{static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                          static_cast<int>(c & 0xFF), static_cast<int>(c >> 24)},
                                 Lanes);
}

// Measured and not kept: x and y snapped as scalar doubles rather than in
// four lanes, and the channels made doubles straight from integers (the same
// values), 1.31 / 1.37 of the software frame against 1.26 / 1.34 for the
// 200-rock frame, 1.26 / 1.30 against 1.27 / 1.30 for 1000 rocks (six
// alternating pinned runs); the corners of a wide shader's calls prepared in
// code compiled for AVX2, 1.26 / 1.30 and 1.27 / 1.33 against 1.30 / 1.34
// and 1.28 / 1.35 for 200 rocks but 1.21 / 1.24 and 1.19 / 1.24 against
// 0.79 / 1.21 and 1.20 / 1.23 for 50 (seven runs, twice).
template <class Shader>
[[gnu::always_inline]] inline void PrepareCorner(const RasterState& st, const D3DTLVERTEX& v, Corner* out) {
  out->v = &v;
  out->finite = Finite(v);
  if (!out->finite) {
    out->x = out->y = 0;  // never drawn: nothing else is read
    return;
  }
  const IntLanes snap = Snap(Lanes{v.sx, v.sy, v.sx, v.sy});
  out->x = snap[0];
  out->y = snap[1];
  out->colour = __builtin_convertvector(Channels(v.color), Quad);
  if constexpr (Shader::kTexelPlane) {
    const float q = st.texture != nullptr && st.perspective ? v.rhw : 1.f;
    out->texel = __builtin_convertvector(Lanes{v.tu * q, v.tv * q, q, v.sz}, Quad);
  }
  if constexpr (Shader::kSpecularPlane) {
    out->specular = __builtin_convertvector(Channels(v.specular), Quad);
  }
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// floor(a / b) and the remainder a - b * floor(a / b), for b > 0 whose
// reciprocal is `inv`: the floored product is off by less than two while
// |a / b| stays below 2^52 (here |a| < 2^61 and b >= 256), and the remainder
// sets it right. Cheaper than integer divisions, and exact.
struct QuotRem {
  std::int64_t q, r;
};
[[gnu::always_inline]] inline QuotRem DivMod(std::int64_t a, std::int64_t b, double inv) {
  const double estimate = static_cast<double>(a) * inv;
  std::int64_t q = static_cast<std::int64_t>(estimate);
  q -= static_cast<double>(q) > estimate;  // floored, so that the loops below seldom run
  std::int64_t r = a - q * b;
  while (r < 0) {
    --q;
    r += b;
  }
  while (r >= b) {
    ++q;
    r -= b;
  }
  return {q, r};
}

// Where one slanted edge crosses the rows of samples, walked down from row
// to row exactly. A sample t steps right of x0 is inside the edge when
// ex * t >= need, and need falls by ey from one row to the next. An edge
// with ex > 0 bounds a row's run on the left at the least such t, one with
// ex < 0 on the right at the greatest: either moves by a whole quotient per
// row and at most one step more, which the remainder tells, so no row
// divides or guesses. Both keep their remainder counting up to |ex|, so a
// step is the same for either side.
class EdgeWalk {
 public:
  EdgeWalk() = default;
  // Inlined by force: with the narrow triangles' masks worked out before
  // their planes, left to itself it went out of line and the 200-rock frame
  // took 1.33 / 1.40 of the software frame against 1.26 / 1.34 (1000 rocks
  // 1.34 / 1.38 against 1.25 / 1.28).
  [[gnu::always_inline]] EdgeWalk(std::int64_t ex, std::int64_t ey, std::int64_t need) {
    b_ = ex > 0 ? ex : -ex;
    const double inv = 1.0 / static_cast<double>(b_);
    const QuotRem start = DivMod(-need, b_, inv);
    const QuotRem step = DivMod(ex > 0 ? -ey : ey, b_, inv);
    q_ = step.q;
    step_ = step.r;
    if (ex > 0) {
      // t = ceil(need / ex); the distance ex * t - need, in [0, ex), counts
      // down from one row to the next and is kept as ex - 1 less it.
      t_ = -start.q;
      rem_ = b_ - 1 - start.r;
    } else {
      // t = floor(-need / -ex); -need + ex * t, in [0, -ex), counts up.
      t_ = start.q;
      rem_ = start.r;
    }
  }

  // The crossing on the current row: the least sample inside for a left
  // edge, the greatest for a right one.
  [[gnu::always_inline]] std::int64_t At() const { return t_; }

  [[gnu::always_inline]] void NextRow() {
    rem_ += step_;
    t_ += q_;
    const bool over = rem_ >= b_;
    t_ += over;
    rem_ -= over ? b_ : 0;
  }

 private:
  std::int64_t b_ = 1, t_ = 0, rem_ = 0, q_ = 0, step_ = 0;
};

// The samples of a row inside all three edges of a triangle at most kWidth
// samples wide, from its leftmost: each sample's edge functions, kept in
// 64-bit lanes and stepped down a row by one addition, tested at once. The
// same exact test as the walks make, without their divisions. AVX2 only.
class EdgeMasks {
 public:
  static constexpr int kWidth = 8;

  // w: each edge's function at the first row's leftmost sample; width: the
  // samples of a row that may be inside, 1..kWidth.
  // Written in vector types rather than AVX2 intrinsics, which would keep
  // it out of line (their instruction set is not the set-up lambdas'), the
  // vectors then passed through memory to the rows.
  [[gnu::always_inline]] EdgeMasks(const std::int64_t (&w)[3], const std::int64_t* ex, const std::int64_t* ey,
                                   const bool (&topLeft)[3], int width)
      : window_((1u << width) - 1) {
    using Longs = std::int64_t __attribute__((vector_size(32)));
    for (int k = 0; k < 3; ++k) {
      // Inside: the function is positive, or zero on a top or left edge.
      floor_[k] = reinterpret_cast<__m256i>(Longs{} - (topLeft[k] ? 1 : 0));
      const Longs low = w[k] + ex[k] * Longs{0, 1, 2, 3};
      low_[k] = reinterpret_cast<__m256i>(low);
      high_[k] = reinterpret_cast<__m256i>(low + 4 * ex[k]);
      down_[k] = reinterpret_cast<__m256i>(Longs{} + ey[k]);
    }
  }

  // The current row's samples inside, bit i for the i-th from the left; then
  // steps to the next row.
  [[gnu::target("avx2")]] unsigned NextRow() {
    __m256i low = _mm256_set1_epi64x(-1), high = low;
    for (int k = 0; k < 3; ++k) {
      low = _mm256_and_si256(low, _mm256_cmpgt_epi64(low_[k], floor_[k]));
      high = _mm256_and_si256(high, _mm256_cmpgt_epi64(high_[k], floor_[k]));
      low_[k] = _mm256_add_epi64(low_[k], down_[k]);
      high_[k] = _mm256_add_epi64(high_[k], down_[k]);
    }
    const unsigned bits = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(low))) |
                          static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(high))) << 4;
    return bits & window_;
  }

 private:
  __m256i low_[3], high_[3], down_[3], floor_[3];
  unsigned window_;
};

// EdgeMasks in 32-bit lanes, eight samples to one vector: half the tests
// and steps a row. Only for triangles whose edge functions, over their
// rows and the kWidth samples from the leftmost, stay within 32 bits
// (FitsEdgeMasks32), where its test is the same exact one. It took the
// 200-rock frame from 1.42 / 1.44 and 1.43 / 1.46 of the software frame to
// 1.38 / 1.42 and 1.39 / 1.41 (minimum / median of six alternating pinned
// runs, twice), the 1000-rock one from 1.36 / 1.38 and 1.36 / 1.39 to
// 1.34 / 1.37 and 1.30 / 1.34.
class EdgeMasks32 {
 public:
  // In vector types, as EdgeMasks' is (the lanes wrap as unsigned ones).
  [[gnu::always_inline]] EdgeMasks32(const std::int64_t (&w)[3], const std::int64_t* ex, const std::int64_t* ey,
                                     const bool (&topLeft)[3], int width)
      : window_((1u << width) - 1) {
    using Words = std::uint32_t __attribute__((vector_size(32)));
    for (int k = 0; k < 3; ++k) {
      floor_[k] = reinterpret_cast<__m256i>(Words{} - (topLeft[k] ? 1u : 0u));
      at_[k] = reinterpret_cast<__m256i>(static_cast<std::uint32_t>(w[k]) +
                                         static_cast<std::uint32_t>(ex[k]) * Words{0, 1, 2, 3, 4, 5, 6, 7});
      down_[k] = reinterpret_cast<__m256i>(Words{} + static_cast<std::uint32_t>(ey[k]));
    }
  }

  [[gnu::target("avx2")]] unsigned NextRow() {
    const __m256i inside =
        _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi32(at_[0], floor_[0]), _mm256_cmpgt_epi32(at_[1], floor_[1])),
                         _mm256_cmpgt_epi32(at_[2], floor_[2]));
    for (int k = 0; k < 3; ++k) {
      at_[k] = _mm256_add_epi32(at_[k], down_[k]);
    }
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(inside))) & window_;
  }

 private:
  __m256i at_[3], down_[3], floor_[3];
  unsigned window_;
};

// Whether EdgeMasks32 holds a triangle's edge functions, from its corners'
// extents in 1/256 pixel. Every value it reaches lies at a sample no more
// than kWidth pixels right of the corners' span and a row below it, so
// |E| = |dx (y - p.y) - dy (x - p.x)| is at most
// spanX (spanY + 256) + spanY (spanX + 256 kWidth); the steps are smaller.
inline bool FitsEdgeMasks32(std::int64_t spanX, std::int64_t spanY) {
  return spanX * (spanY + 256) + spanY * (spanX + 256 * EdgeMasks::kWidth) <= std::numeric_limits<std::int32_t>::max();
}

// The rows (from the first) inside a level edge, whose need is `need` on the
// first row and falls by ey (not 0) on each: a run to the last or from the
// first, narrowed into [*from, *to].
void LevelEdgeRows(std::int64_t need, std::int64_t ey, std::int64_t* from, std::int64_t* to) {
  // Row j is inside when need - ey * j <= 0.
  if (ey > 0) {
    *from = std::max(*from, -FloorDiv(-need, ey));
  } else {
    *to = std::min(*to, FloorDiv(-need, -ey));
  }
}

// What a triangle's rows take from its set-up: its planes, its edges from
// the sample (x0, y0), the rows first..last and the samples left..right
// that may be inside, and whether its edges fit EdgeMasks32.
struct TriangleRows {
  Planes start, stepX, stepY;
  TriangleEdges edges;
  int x0, y0, first, last;
  std::int64_t left, right;
  bool fits32;
};

// Queues the samples runFirst..runLast (from x0) of row y.
template <bool kRoomMade, class Shader>
[[gnu::always_inline]] inline void RunRow(Shader& shader, const Planes& start, const Planes& stepX, const Planes& stepY,
                                          int x0, int y0, int y, std::int64_t runFirst, std::int64_t runLast) {
  const float dy = static_cast<float>(y - y0);
  const float dx = static_cast<float>(runFirst);
  Planes cur;
  cur.colour = start.colour + stepY.colour * dy + stepX.colour * dx;
  if constexpr (Shader::kTexelPlane) {
    cur.texel = start.texel + stepY.texel * dy + stepX.texel * dx;
  }
  if constexpr (Shader::kSpecularPlane) {
    cur.specular = start.specular + stepY.specular * dy + stepX.specular * dx;
  }
  shader.template Run<kRoomMade>(y, x0 + static_cast<int>(runFirst), x0 + static_cast<int>(runLast), cur, stepX);
}

// Hands `body` the masks of a narrow triangle's rows from `first`, in 32-bit
// lanes where its edges fit them.
template <class Body>
[[gnu::always_inline]] inline void NarrowMasks(const TriangleEdges& edges, int y0, int first, std::int64_t left,
                                               std::int64_t right, bool fits32, Body&& body) {
  std::int64_t w[3];
  for (int k = 0; k < 3; ++k) {
    w[k] = edges.at[k] + edges.ey[k] * (first - y0) + edges.ex[k] * left;
  }
  const bool topLeft[3] = {(edges.topLeft & 1) != 0, (edges.topLeft & 2) != 0, (edges.topLeft & 4) != 0};
  const int width = static_cast<int>(right - left + 1);
  if (fits32) {
    body(EdgeMasks32(w, edges.ex, edges.ey, topLeft, width));
  } else {
    body(EdgeMasks(w, edges.ex, edges.ey, topLeft, width));
  }
}

// The rows of a triangle that is not narrow and short: a narrow one's masks
// row by row, a wider one's edges walked.
template <class Shader>
[[gnu::always_inline]] inline void FillRows(Shader& shader, const TriangleRows& t) {
  const int first = t.first, last = t.last;
  const auto run = [&]<bool kRoomMade = false>(int y, std::int64_t runFirst, std::int64_t runLast) {
    RunRow<kRoomMade>(shader, t.start, t.stepX, t.stepY, t.x0, t.y0, y, runFirst, runLast);
  };
  if constexpr (Shader::kWideLanes) {
    if (t.right - t.left < EdgeMasks::kWidth) {
      // Inlined by force: a lambda does not take this function's instruction
      // set, and left to itself kept the masks' rows out of line, a call a
      // row (the 200-rock frame 1.40 / 1.41 of the software frame against
      // 1.34 / 1.37 inlined, six alternating pinned runs). Measured and not
      // kept: for a triangle of any height, the rows before the first with
      // a sample inside passed over before the planes were worked out, 1.39
      // / 1.42 against 1.37 / 1.40 (1000 rocks 1.32 / 1.36 against 1.28 /
      // 1.34).
      const auto narrowRows = [&](auto&& masks) __attribute__((always_inline)) {
        for (int y = first; y <= last;) {
          shader.MakeRoom();
          for (const int end = std::min(last, y + Shader::kRoomRows - 1); y <= end; ++y) {
            const unsigned inside = masks.NextRow();
            if (inside != 0) {
              run.template operator()<true>(y, t.left + std::countr_zero(inside),
                                            t.left + 31 - std::countl_zero(inside));
            }
          }
        }
      };
      NarrowMasks(t.edges, t.y0, first, t.left, t.right, t.fits32, narrowRows);
      return;
    }
  }
  const std::int64_t* const ex = t.edges.ex;
  const std::int64_t* const ey = t.edges.ey;
  EdgeWalk lefts[2], rights[2];
  int numLeft = 0, numRight = 0;
  for (int k = 0; k < 3; ++k) {
    const std::int64_t w = t.edges.at[k] + ey[k] * (first - t.y0);
    const std::int64_t need = (t.edges.topLeft >> k & 1) != 0 ? -w : 1 - w;
    if (ex[k] > 0) {
      lefts[numLeft++] = EdgeWalk(ex[k], ey[k], need);
    } else if (ex[k] < 0) {
      rights[numRight++] = EdgeWalk(ex[k], ey[k], need);
    }
  }
  // The rows, with the number of edges on each side fixed for the loop.
  const auto rows = [&]<int kLefts, int kRights>() {
    for (int y = first; y <= last; ++y) {
      // The run of samples inside all three edges on row y, from x0.
      std::int64_t runFirst = t.left, runLast = t.right;
      for (int i = 0; i < kLefts; ++i) {
        runFirst = std::max(runFirst, lefts[i].At());
        lefts[i].NextRow();
      }
      for (int i = 0; i < kRights; ++i) {
        runLast = std::min(runLast, rights[i].At());
        rights[i].NextRow();
      }
      if (runFirst <= runLast) {
        run(y, runFirst, runLast);
      }
    }
  };
  if (numLeft == 2) {
    rows.template operator()<2, 1>();
  } else if (numRight == 2) {
    rows.template operator()<1, 2>();
  } else {
    rows.template operator()<1, 1>();
  }
}

// FillRows for a wide shader, compiled for AVX2 and kept out of line, so that
// the short narrow triangles' path through FillWide keeps its values in
// registers. With EdgeMasks made inline and the row masks packed in one
// register, it took the 200-rock frame from 1.31 / 1.36 of the software
// frame to 1.23 / 1.33, the 1000-rock one from 1.32 / 1.34 to 1.28 / 1.32
// (minimum / median of seven alternating pinned runs).
template <class Shader>
[[gnu::target("avx2"), gnu::noinline]] void FillRowsWide(Shader& shader, const TriangleRows& t) {
  FillRows(shader, t);
}

// Draws the triangle (a, b, c) through `shader`, whose queue may hold pixels
// of the triangles before it: they are drawn first wherever the order shows.
// Measured and not kept: a draw call's triangles set up eight at a time (to
// the planes) before their rows, so that several set-ups' chains of
// conversions, products and a division run at once, 1.51 / 1.52 against
// 1.50 / 1.53 for the 200-rock frame, and 1.43 / 1.45 against 1.44 / 1.47
// with the queue of 256 and four groups.
template <class Shader>
[[gnu::always_inline]] inline void FillInline(Shader& shader, const RasterTarget& tg, const RasterState& st,
                                              const Corner& ca, const Corner& cb, const Corner& cc) {
  if (!(ca.finite && cb.finite && cc.finite) || tg.clip.left >= tg.clip.right || tg.clip.top >= tg.clip.bottom) {
    return;
  }
  const D3DTLVERTEX& a = *ca.v;
  const D3DTLVERTEX& b = *cb.v;
  const D3DTLVERTEX& c = *cc.v;
  // Positions snap to 1/256 pixel, so edge functions are exact integers and
  // two triangles sharing an edge always agree on which owns its pixels.
  const std::int64_t ax = ca.x, ay = ca.y, bx = cb.x, by = cb.y, cx = cc.x, cy = cc.y;
  const std::int64_t area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  // On a screen whose y grows downwards a positive area turns clockwise.
  if (area == 0 || (st.cull == D3DCULL_CCW && area < 0) || (st.cull == D3DCULL_CW && area > 0)) {
    return;
  }
  if (st.fill == D3DFILL_WIREFRAME) {
    shader.Flush();
    DrawEdge(tg, st, a, b, a);
    DrawEdge(tg, st, b, c, a);
    DrawEdge(tg, st, c, a, a);
    return;
  }
  if (st.fill == D3DFILL_POINT) {
    shader.Flush();
    DrawEdge(tg, st, a, a, a);
    DrawEdge(tg, st, b, b, a);
    DrawEdge(tg, st, c, c, a);
    return;
  }
  // Wind clockwise so that every edge function is positive inside.
  const Corner* v[3] = {&ca, &cb, &cc};
  std::int64_t px[3] = {ax, bx, cx}, py[3] = {ay, by, cy};
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(px[1], px[2]);
    std::swap(py[1], py[2]);
  }
  // Measured and not kept: these bounds taken in pairs rather than from a
  // list (which goes through memory), 1.33 / 1.36 of the software frame
  // against 1.32 / 1.36 for the 200-rock frame, 1.22 / 1.32 against
  // 1.23 / 1.30 for 1000 rocks (seven alternating pinned runs).
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
  // The samples run from (x0, y0), a margin outside the vertices; only those
  // between the vertices can be inside. A triangle that holds none ends here,
  // before its edges and planes are worked out.
  const int top = static_cast<int>(std::max<std::int64_t>(y0, (minY - 128 + 255) >> 8));
  const int bottom = static_cast<int>(std::min<std::int64_t>(y1, (maxY - 128) >> 8));
  const std::int64_t left = std::max<std::int64_t>(0, ((minX - 128 + 255) >> 8) - x0);
  const std::int64_t right = std::min<std::int64_t>(x1 - x0, ((maxX - 128) >> 8) - x0);
  if (top > bottom || left > right) {
    return;
  }
  // Edge k runs from v[k+1] to v[k+2]; its function is the weight of v[k].
  // The wide shader's targets are small enough for the edges' lanes.
  TriangleEdges edges;
  if constexpr (Shader::kWideLanes) {
    EdgesWide(px, py, x0, y0, &edges);
  } else {
    EdgesScalar(px, py, x0, y0, &edges);
  }
  const std::int64_t* const ex = edges.ex;
  const std::int64_t* const ey = edges.ey;
  const std::int64_t* const e0 = edges.at;
  const bool topLeft[3] = {(edges.topLeft & 1) != 0, (edges.topLeft & 2) != 0, (edges.topLeft & 4) != 0};
  // Inside edge k: w + ex * dx > 0, or >= 0 on a top or left edge, where w
  // is its function at the row's first sample.
  const auto need = [&](int k, int row) {
    const std::int64_t w = e0[k] + ey[k] * (row - y0);
    return topLeft[k] ? -w : 1 - w;
  };
  // A level edge keeps whole rows or none; the slanted ones bound each row
  // on the left or the right. Any triangle has one of each kind at least.
  std::int64_t from = 0, to = bottom - top;
  for (int k = 0; k < 3; ++k) {
    if (ex[k] == 0) {
      LevelEdgeRows(need(k, top), ey[k], &from, &to);
    }
  }
  if (from > to) {
    return;
  }
  const int first = top + static_cast<int>(from);
  const int last = top + static_cast<int>(to);
  // Narrow triangles (most of a scene's) test each row's samples at once;
  // those of a few rows do so before their planes are worked out, so that
  // one lying between samples (about one in seven) ends without them. That
  // took the 200-rock frame from 1.09 / 1.36 and 1.31 / 1.33 of the software
  // frame to 1.32 / 1.33 and 1.28 / 1.31, the 1000-rock one from 1.24 / 1.31
  // and 1.24 / 1.29 to 1.25 / 1.26 and 1.26 / 1.27, the 50-rock one from
  // 1.24 / 1.29 to 1.14 / 1.21 (minimum / median of seven alternating pinned
  // runs).
  const bool narrow = Shader::kWideLanes && right - left < EdgeMasks::kWidth;
  const bool fewRows = narrow && last - first < Shader::kRoomRows;
  const bool fits32 = FitsEdgeMasks32(maxX - minX, maxY - minY);
  // Row r's samples inside in byte r: one register, where an array indexed
  // by the row lived in memory.
  static_assert(Shader::kRoomRows * EdgeMasks::kWidth <= 64);
  std::uint64_t rowMasks = 0;
  if constexpr (Shader::kWideLanes) {
    if (fewRows) {
      NarrowMasks(
          edges, y0, first, left, right, fits32, [&](auto&& masks) __attribute__((always_inline)) {
            for (int r = 0; r <= last - first; ++r) {
              rowMasks |= std::uint64_t{masks.NextRow()} << (EdgeMasks::kWidth * r);
            }
          });
      if (rowMasks == 0) {
        return;
      }
    }
  }
  const double inv = 1.0 / static_cast<double>(area < 0 ? -area : area);
  // Each plane's value at the first sample and its steps along x and y, from
  // the vertices' weights, worked out only for the groups the states read.
  constexpr bool texelPlane = Shader::kTexelPlane;        // textured, or a depth test
  constexpr bool specularPlane = Shader::kSpecularPlane;  // fog or specular
  const double weightAt[3] = {static_cast<double>(e0[0]), static_cast<double>(e0[1]), static_cast<double>(e0[2])};
  const double weightX[3] = {static_cast<double>(ex[0]), static_cast<double>(ex[1]), static_cast<double>(ex[2])};
  const double weightY[3] = {static_cast<double>(ey[0]), static_cast<double>(ey[1]), static_cast<double>(ey[2])};
  // The plane of four values given at the three vertices, in four double
  // lanes (one AVX vector, or two SSE ones).
  const auto plane = [&](const Quad(&at)[3], Lanes* s, Lanes* sx, Lanes* sy) {
    Quad s0{}, dx{}, dy{};
    for (int k = 0; k < 3; ++k) {
      const Quad& values = at[k];
      s0 += values * weightAt[k];
      dx += values * weightX[k];
      dy += values * weightY[k];
    }
    *s = __builtin_convertvector(s0 * inv, Lanes);
    *sx = __builtin_convertvector(dx * inv, Lanes);
    *sy = __builtin_convertvector(dy * inv, Lanes);
  };
  // Measured and not kept: Unpack's channels shifted down in lanes and
  // made doubles at once, and the bounds above floored by shifts (the same
  // values where a sample can be inside), 1.43 / 1.47 against 1.42 / 1.46
  // for the 200-rock frame, 1.35 / 1.39 against 1.38 / 1.43 for 1000 rocks;
  // the planes reading the corners' values where they lie rather than the
  // copies below (stored in this function's frame and read back), 1.35 /
  // 1.36 against 1.34 / 1.36 for 200 rocks, 1.24 / 1.30 against 1.25 / 1.32
  // for 1000 and 1.21 / 1.27 against 1.18 / 1.26 for 50 (seven runs).
  const bool flat = st.shade == D3DSHADE_FLAT;
  Quad colours[3], texels[3], speculars[3];
  for (int k = 0; k < 3; ++k) {
    // Flat shading takes the colours of the first vertex given; fog still varies.
    const Corner& corner = *v[k];
    colours[k] = flat ? ca.colour : corner.colour;
    if constexpr (texelPlane) {
      texels[k] = corner.texel;
    }
    if constexpr (specularPlane) {
      speculars[k] = flat ? Quad{ca.specular[0], ca.specular[1], ca.specular[2], corner.specular[3]} : corner.specular;
    }
  }
  Planes start{}, stepX{}, stepY{};
  plane(colours, &start.colour, &stepX.colour, &stepY.colour);
  if constexpr (texelPlane) {
    plane(texels, &start.texel, &stepX.texel, &stepY.texel);
  }
  if constexpr (specularPlane) {
    plane(speculars, &start.specular, &stepX.specular, &stepY.specular);
  }
  if constexpr (Shader::kWideLanes) {
    static_assert(EdgeMasks::kWidth <= Shader::kRoomWidth);
    if (fewRows) {
      shader.MakeRoom();
      // Only the rows with a sample inside, top to bottom.
      while (rowMasks != 0) {
        const int r = std::countr_zero(rowMasks) / EdgeMasks::kWidth;
        const auto inside = static_cast<unsigned>(rowMasks >> (EdgeMasks::kWidth * r)) & 0xFFu;
        rowMasks &= ~(std::uint64_t{0xFF} << (EdgeMasks::kWidth * r));
        RunRow<true>(shader, start, stepX, stepY, x0, y0, first + r, left + std::countr_zero(inside),
                     left + 31 - std::countl_zero(inside));
      }
      return;
    }
    FillRowsWide(shader, TriangleRows{start, stepX, stepY, edges, x0, y0, first, last, left, right, fits32});
  } else {
    FillRows(shader, TriangleRows{start, stepX, stepY, edges, x0, y0, first, last, left, right, fits32});
  }
}

template <class Shader>
void FillBaseline(Shader& shader, const RasterTarget& tg, const RasterState& st, const Corner& a, const Corner& b,
                  const Corner& c) {
  FillInline(shader, tg, st, a, b, c);
}

// The same for a wide shader, compiled for AVX2 (without FMA, so every
// operation rounds as in the baseline code). Measured and not kept: a call's
// whole run of triangles compiled so, each fill inlined rather than a call,
// 1.31 / 1.34 against 1.27 / 1.34 for the 200-rock frame, 1.21 / 1.24
// against 1.24 / 1.27 for 1000 rocks, but 1.21 / 1.28 against 1.20 / 1.23
// for 50 and 1.39 / 1.42 against 1.31 / 1.37 for 10 (seven alternating
// pinned runs).
template <class Shader>
[[gnu::target("avx2")]] void FillWide(Shader& shader, const RasterTarget& tg, const RasterState& st, const Corner& a,
                                      const Corner& b, const Corner& c) {
  FillInline(shader, tg, st, a, b, c);
}

template <class Shader>
void Fill(Shader& shader, const RasterTarget& tg, const RasterState& st, const Corner& a, const Corner& b,
          const Corner& c) {
  if constexpr (Shader::kWideLanes) {
    FillWide(shader, tg, st, a, b, c);
  } else {
    FillBaseline(shader, tg, st, a, b, c);
  }
}

// The corners of a call's vertices are prepared first when there are at most
// this many (a batch of the back end's holds 1,024); a call of more prepares
// each triangle's three as it comes.
constexpr DWORD kPreparedMax = 1024;

// Room for them, one array for every shader: only the program's thread draws.
Corner* PreparedCorners() {
  static Corner prepared[kPreparedMax];
  return prepared;
}

// The triangles of a primitive call, and then the pixels still queued.
template <class Shader>
void DrawAll(Shader& shader, const RasterTarget& tg, const RasterState& st, D3DPRIMITIVETYPE type, const D3DTLVERTEX* v,
             const WORD* indices, DWORD count) {
  DWORD vertices = count;
  if (indices != nullptr) {
    vertices = 0;
    for (DWORD i = 0; i < count; ++i) {
      vertices = std::max<DWORD>(vertices, DWORD{indices[i]} + 1);
    }
  }
  Corner* const prepared = PreparedCorners();
  const bool whole = vertices <= kPreparedMax;
  if (whole) {
    for (DWORD i = 0; i < vertices; ++i) {
      PrepareCorner<Shader>(st, v[i], &prepared[i]);
    }
  }
  const auto at = [&](DWORD i) { return indices ? DWORD{indices[i]} : i; };
  const auto fill = [&](DWORD i, DWORD j, DWORD k) {
    if (whole) {
      Fill(shader, tg, st, prepared[at(i)], prepared[at(j)], prepared[at(k)]);
      return;
    }
    Corner corners[3];
    PrepareCorner<Shader>(st, v[at(i)], &corners[0]);
    PrepareCorner<Shader>(st, v[at(j)], &corners[1]);
    PrepareCorner<Shader>(st, v[at(k)], &corners[2]);
    Fill(shader, tg, st, corners[0], corners[1], corners[2]);
  };
  if (type == D3DPT_TRIANGLELIST) {
    for (DWORD i = 0; i + 2 < count; i += 3) fill(i, i + 1, i + 2);
  } else if (type == D3DPT_TRIANGLEFAN) {
    for (DWORD i = 1; i + 1 < count; ++i) fill(0, i, i + 1);
  } else {
    // A strip keeps one winding by swapping every second triangle.
    for (DWORD i = 0; i + 2 < count; ++i) {
      if (i % 2 == 0) {
        fill(i, i + 1, i + 2);
      } else {
        fill(i + 1, i, i + 2);
      }
    }
  }
  shader.Flush();
}

}  // namespace

WORD PackPixel(bool is555, int r, int g, int b) { return Pack16(is555, r, g, b); }

void UnpackPixel(bool is555, WORD pixel, int* r, int* g, int* b) { Unpack16(is555, pixel, r, g, b); }

bool SetWideLanes(bool on) {
  __builtin_cpu_init();
  WideLanes() = on && __builtin_cpu_supports("avx2") != 0;
  return WideLanes();
}

void DrawTriangle(const RasterTarget& tg, const RasterState& st, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                  const D3DTLVERTEX& c) {
  const D3DTLVERTEX corners[3] = {a, b, c};
  DrawPrimitives(tg, st, D3DPT_TRIANGLELIST, corners, nullptr, 3);
}

void DrawPrimitives(const RasterTarget& tg, const RasterState& st, D3DPRIMITIVETYPE type, const D3DTLVERTEX* v,
                    const WORD* indices, DWORD count) {
  // One shader for the whole call: its queue runs on from one triangle to
  // the next, so their pixels fill whole groups.
  WithSpanShader(tg, st, [&](auto&& shader) { DrawAll(shader, tg, st, type, v, indices, count); });
}

}  // namespace plat::d3d_impl
