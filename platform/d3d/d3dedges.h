#pragma once
// A triangle's three edge functions, from its corners snapped to 1/256
// pixel, for the Direct3D role's rasteriser. Not for callers outside
// platform/d3d/ (and its tests).

#include <immintrin.h>

#include <cstdint>

namespace plat::d3d_impl {

// Edge k runs from corner k+1 to corner k+2 (clockwise on screen); its
// function E(x, y) = dx (y - p.y) - dy (x - p.x), in 1/256 pixel, is the
// weight of corner k and positive inside. at: E at the sample of pixel
// (x0, y0), (256 x0 + 128, 256 y0 + 128); ex, ey: its steps from one pixel
// to the next along x and along y. Bit k of topLeft: edge k is a top or a
// left edge, which owns the samples on it. Lane 3 is not an edge.
struct TriangleEdges {
  alignas(32) std::int64_t ex[4], ey[4], at[4];
  unsigned topLeft;
};

// Exact for corners within 2^28 of the origin (a million pixels) and any
// int x0 and y0.
inline void EdgesScalar(const std::int64_t (&px)[3], const std::int64_t (&py)[3], int x0, int y0, TriangleEdges* out) {
  out->topLeft = 0;
  for (int k = 0; k < 3; ++k) {
    const int p = (k + 1) % 3;
    const int q = (k + 2) % 3;
    const std::int64_t dx = px[q] - px[p];
    const std::int64_t dy = py[q] - py[p];
    out->ex[k] = -dy * 256;
    out->ey[k] = dx * 256;
    out->at[k] = dx * (static_cast<std::int64_t>(y0) * 256 + 128 - py[p]) -
                 dy * (static_cast<std::int64_t>(x0) * 256 + 128 - px[p]);
    // Clockwise on screen: a top edge runs rightwards, a left edge upwards.
    out->topLeft |= static_cast<unsigned>((dy == 0 && dx > 0) || dy < 0) << k;
  }
}

// The same three edges at once in vector lanes: the differences and the
// sample's offsets in 32-bit lanes, their products in 64-bit ones. Every
// value fits where the corners lie within 2^28 of the origin and x0 and y0
// in 0 .. 2^22 - 1 (differences below 2^29, offsets below 2^30 + 2^28 + 128),
// and then the results are EdgesScalar's exactly. AVX2 only.
[[gnu::target("avx2")]] inline void EdgesWide(const std::int64_t (&px)[3], const std::int64_t (&py)[3], int x0, int y0,
                                              TriangleEdges* out) {
  const __m128i x = _mm_setr_epi32(static_cast<int>(px[0]), static_cast<int>(px[1]), static_cast<int>(px[2]), 0);
  const __m128i y = _mm_setr_epi32(static_cast<int>(py[0]), static_cast<int>(py[1]), static_cast<int>(py[2]), 0);
  // Lane k: corner p = k + 1 and corner q = k + 2 (lane 3 repeats lane 0).
  constexpr int kP = 1 | 2 << 2 | 0 << 4 | 1 << 6;
  constexpr int kQ = 2 | 0 << 2 | 1 << 4 | 2 << 6;
  const __m128i xp = _mm_shuffle_epi32(x, kP), yp = _mm_shuffle_epi32(y, kP);
  const __m128i dx = _mm_sub_epi32(_mm_shuffle_epi32(x, kQ), xp);
  const __m128i dy = _mm_sub_epi32(_mm_shuffle_epi32(y, kQ), yp);
  const __m128i offX = _mm_sub_epi32(_mm_set1_epi32(x0 * 256 + 128), xp);
  const __m128i offY = _mm_sub_epi32(_mm_set1_epi32(y0 * 256 + 128), yp);
  const __m256i dx64 = _mm256_cvtepi32_epi64(dx), dy64 = _mm256_cvtepi32_epi64(dy);
  const __m256i at = _mm256_sub_epi64(_mm256_mul_epi32(dx64, _mm256_cvtepi32_epi64(offY)),
                                      _mm256_mul_epi32(dy64, _mm256_cvtepi32_epi64(offX)));
  _mm256_store_si256(reinterpret_cast<__m256i*>(out->ex),
                     _mm256_sub_epi64(_mm256_setzero_si256(), _mm256_slli_epi64(dy64, 8)));
  _mm256_store_si256(reinterpret_cast<__m256i*>(out->ey), _mm256_slli_epi64(dx64, 8));
  _mm256_store_si256(reinterpret_cast<__m256i*>(out->at), at);
  const __m128i zero = _mm_setzero_si128();
  const __m128i topLeft =
      _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi32(dy, zero), _mm_cmpgt_epi32(dx, zero)), _mm_cmpgt_epi32(zero, dy));
  out->topLeft = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(topLeft))) & 7u;
}

}  // namespace plat::d3d_impl
