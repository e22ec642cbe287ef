#pragma once
// 256-bit variants of the per-pixel operations of pixelops16.h: rows drawn
// eight pixels a round, the table offsets of the eight worked out at once and
// each pixel's lookups made one by one, the textured fills' eight results
// packed into one store; the last pixels of a row by the operation they
// extend. A gather of eight lanes takes about three to six cycles here,
// about what eight plain loads take, so it pays where it spares the moves
// of eight indices out of the vector and of eight results into it, or eight
// stores (the direct texels, the level colours, the transparent texels'
// keys), and not for a chain of lookups one after another (see the shaded
// textured fills below). Only for functions compiled for AVX2 and called
// when ISGUseAvx2 holds for their family. Internal.

#include <array>
#include <cstddef>
#include <cstdint>

#include "sg/raster/pixelops16.h"
#include "sg/raster/triwalk.h"

#if defined(__x86_64__)
#define ISG_HAVE_AVX2 1
#include <immintrin.h>

#define ISG_AVX2 gnu::target("avx2"), gnu::always_inline

// Up to three attributes of eight pixels, lane i for the i-th pixel.
struct ISGEight {
  __m256i of[3];
};

// The eight lanes as integers taken out of the register in 64-bit pairs:
// read back from memory, a 256-bit store has to reach narrower loads, which
// is slower.
[[ISG_AVX2]] inline void ISGLanesOut(__m256i lanes, uint32_t out[8]) {
  const __m128i low = _mm256_castsi256_si128(lanes), high = _mm256_extracti128_si256(lanes, 1);
  const uint64_t pairs[4] = {
      static_cast<uint64_t>(_mm_cvtsi128_si64(low)), static_cast<uint64_t>(_mm_extract_epi64(low, 1)),
      static_cast<uint64_t>(_mm_cvtsi128_si64(high)), static_cast<uint64_t>(_mm_extract_epi64(high, 1))};
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = static_cast<uint32_t>(pairs[i]);
    out[2 * i + 1] = static_cast<uint32_t>(pairs[i] >> 32);
  }
}

template <int W, int H>
[[ISG_AVX2]] inline __m256i ISGTexelIndices(__m256i u, __m256i v) {
  using Address = ISGTexelAddress<W, H>;
  return _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(v, Address::kVShift), _mm256_set1_epi32(Address::kVMask)),
                         _mm256_and_si256(_mm256_srli_epi32(u, 16), _mm256_set1_epi32(Address::kUMask)));
}

// Draws count (at least one) pixels from left as op.PutEight eight at a
// time, a span of eight or more ending on an eight that overlaps the one
// before (its pixels drawn twice come out as drawn once), so that the rest of
// a row costs no branch on its length; a shorter span through the
// operation's Put.
template <std::size_t N, class Op>
[[ISG_AVX2]] inline void ISGSpanByEight(const Op& op, uint16_t* left, int64_t count,
                                        const std::array<uint32_t, N>& start, const std::array<uint32_t, N>& step,
                                        const ISGLaneSteps<N>& laneSteps) {
  if (count < 8) {
    ISGPutSpan(left, count, start, step, laneSteps, op);
    return;
  }
  ISGEight lanes{}, stride{}, last{};
  const uint32_t lastColumn = static_cast<uint32_t>(count - 8);
#pragma GCC unroll 4
  for (std::size_t k = 0; k < N; ++k) {
    // Lanes 0 to 7 steps from the triangle's four-lane offsets, without a
    // multiply for each row to wait on.
    const __m128i four = reinterpret_cast<__m128i>(laneSteps.offsets[k]);
    const __m256i columns = _mm256_inserti128_si256(
        _mm256_castsi128_si256(four), _mm_add_epi32(four, reinterpret_cast<__m128i>(laneSteps.stride[k])), 1);
    lanes.of[k] = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(start[k])), columns);
    stride.of[k] = _mm256_set1_epi32(static_cast<int>(step[k] * 8));
    last.of[k] = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(start[k] + lastColumn * step[k])), columns);
  }
  uint16_t* const lastEight = left + lastColumn;
  for (; left < lastEight; left += 8) {
    op.PutEight(left, lanes);
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) lanes.of[k] = _mm256_add_epi32(lanes.of[k], stride.of[k]);
  }
  op.PutEight(lastEight, last);
}

#define ISG_SPAN_BY_EIGHT                                                                                        \
  static constexpr bool kSpanValues = true;                                                                      \
  static constexpr int64_t kSpanValuesFrom = 8;                                                                  \
  template <std::size_t N>                                                                                       \
  [[gnu::target("avx2")]] void SpanValues(uint16_t* left, int64_t count, const std::array<uint32_t, N>& start,   \
                                          const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps) \
      const {                                                                                                    \
    ISGSpanByEight(*this, left, count, start, step, laneSteps);                                                  \
  }

// Eight pixels' colours gathered lane by lane in one vector, and for the
// keyed fills their texels in another (set whole, from one gather): stored
// with one vector store, or blended with the old pixels, rather than eight
// 16-bit stores each with its own test. Packing in the vector unit leaves
// the integer ports to the lookups.
struct ISGPackedEight {
  __m128i colours = _mm_setzero_si128();
  __m128i keys = _mm_setzero_si128();

  template <int kLane>
  [[ISG_AVX2]] void Add(uint32_t colour) {
    colours = _mm_insert_epi16(colours, static_cast<int>(colour), kLane);
  }

  [[ISG_AVX2]] void Store(uint16_t* pixel) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), colours); }
  // Stores the pixels whose key is non-zero and keeps the old value of the
  // rest.
  [[ISG_AVX2]] void StoreKeyed(uint16_t* pixel) const {
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
    const __m128i zero = _mm_cmpeq_epi16(keys, _mm_setzero_si128());
    const __m128i out = _mm_blendv_epi8(colours, old, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), out);
  }
};

// The low halves of eight 32-bit lanes as eight 16-bit ones, in order.
[[ISG_AVX2]] inline __m128i ISGLowHalves(__m256i lanes) {
  const __m256i pick = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                        0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_shuffle_epi8(lanes, pick), 0x08));
}

// The 8-bit texels at eight indices read with one gather of 32-bit words:
// each texel the low byte of the word it starts, but for the last three of
// the texture, read from the word ending the texture so that nothing past
// it is read.
template <int W, int H>
[[ISG_AVX2]] inline __m256i ISGTexelBytes(const uint8_t* texels, __m256i index) {
  static_assert(W * H >= 4);
  const __m256i word = _mm256_min_epu32(index, _mm256_set1_epi32(W * H - 4));
  const __m256i shift = _mm256_slli_epi32(_mm256_sub_epi32(index, word), 3);
  const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), word, 1);
  return _mm256_and_si256(_mm256_srlv_epi32(words, shift), _mm256_set1_epi32(0xFF));
}

// The statements once for each lane i from 0 to 7, i a constant, the
// packing's lanes being immediates.
#define ISG_LANE(n, ...) \
  {                      \
    constexpr int i = n; \
    __VA_ARGS__          \
  }
// clang-format off
#define ISG_EACH_OF_EIGHT(...)                                               \
  ISG_LANE(0, __VA_ARGS__) ISG_LANE(1, __VA_ARGS__) ISG_LANE(2, __VA_ARGS__) \
  ISG_LANE(3, __VA_ARGS__) ISG_LANE(4, __VA_ARGS__) ISG_LANE(5, __VA_ARGS__) \
  ISG_LANE(6, __VA_ARGS__) ISG_LANE(7, __VA_ARGS__)
// clang-format on

// Eight texels a round for the fills that put each texel as it is read:
// opaque, transparent (texel 0 left out) or direct. The opaque one's eight
// colours put with eight 16-bit stores rather than packed (the packing's
// inserts all wait on one port) came out at 1.39-1.41 of the plain loop for
// triangles of 20,000 to 60,000 pixels against 1.27 (three alternating
// pinned runs), and was left out: this fill is the unit the scene frames
// are measured in, and the shaded textured fills, which draw those scenes,
// did not share the gain (their transparent one stored a pixel at a time
// came out at 1.28-1.30 against 1.40-1.43).
template <int W, int H>
struct ISGOpTextureAvx2 : ISGOpTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    uint32_t index[8];
    ISGLanesOut(ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]), index);
    ISGPackedEight eight;
    ISG_EACH_OF_EIGHT(eight.Add<i>(this->colours[this->texels[index[i]]]);)
    eight.Store(pixel);
  }
};

// Its keys from one gather of the eight texels, as the shaded transparent
// one's: 2.37 / 2.44 of the plain loop (minimum / median of three
// alternating pinned runs, triangles of 20,000 to 60,000 pixels) against
// 2.26 / 2.37 with each texel put into the key vector as it was read.
template <int W, int H>
struct ISGOpTransparentTextureAvx2 : ISGOpTransparentTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    uint32_t index[8];
    const __m256i indices = ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]);
    ISGLanesOut(indices, index);
    ISGPackedEight eight;
    ISG_EACH_OF_EIGHT(eight.Add<i>(this->colours[this->texels[index[i]]]);)
    eight.keys = ISGLowHalves(ISGTexelBytes<W, H>(this->texels, indices));
    eight.StoreKeyed(pixel);
  }
};

// The direct texels read with one gather of eight 32-bit words: each texel
// is the low half of the word it starts, but for the last one of the
// texture, read as the high half of the word before it so that nothing past
// the texture is read. One gather, one shift and one store for eight
// pixels: 1.63-1.66 of the plain loop for triangles of 20,000 to 60,000
// pixels against 1.54-1.56 with each texel read and stored by itself.
template <int W, int H>
struct ISGOpDirectTextureAvx2 : ISGOpDirectTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    const __m256i index = ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]);
    const __m256i word = _mm256_min_epu32(index, _mm256_set1_epi32(W * H - 2));
    const __m256i shift = _mm256_slli_epi32(_mm256_sub_epi32(index, word), 4);
    const __m256i texels = _mm256_srlv_epi32(
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(this->texels), word, sizeof(uint16_t)), shift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), ISGLowHalves(texels));
  }
};

// The split colour of each texel through the pixel's shade row, for the
// transparent fill, the eight pixels' keys from one gather of their texels
// (1.42-1.45 of the plain loop for triangles of 20,000 to 60,000 pixels
// against 1.39-1.41 with each texel put into the key vector as it was read).
// The opaque one stays on four lanes, its lookups being most of its work:
// each eight-pixel form of it came out slower, on large triangles and on
// the asteroid frame alike, whether its eight results were packed into one
// store, or a group at one level was shaded by byte shuffles of the row (few
// groups of a lit model's small triangles lie at one level, or at two), and
// so did four results put with one 64-bit store. Also measured on triangles
// of 20,000 to 60,000 pixels and not kept (rates over the plain loop,
// minimum / median of three alternating pinned runs, against this tree):
//  - the opaque rows of eight or more pixels handed from the walk to a row
//    compiled for AVX2, the eight pixels' keys moved out of the vector at
//    once and each pixel stored by itself: 1.23 / 1.24 against 1.22 / 1.23,
//    and 0.67 / 0.67 against 0.70 / 0.70 for triangles of 40 to 60 pixels;
//  - every lookup of both fills a gather (texels, split colours, and each
//    channel as the low byte of a 32-bit word from its shade row), with no
//    index moved out of the vector: opaque 0.98 / 0.98 against 1.22 / 1.22,
//    transparent 1.35 / 1.37 against 1.43 / 1.45; five gathers in a chain
//    take longer than the forty plain loads they replace;
//  - a channel's two left shifts made multiplies, off the ports the shifts
//    and the other channel arithmetic share: opaque 1.14 / 1.17 against
//    1.22 / 1.22, transparent 1.27 / 1.29 against 1.38 / 1.39.
template <int W, int H, class Shader>
struct ISGOpShadedTransparentTextureSplitAvx2 : ISGOpShadedTextureSplit<W, H, true, Shader> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    uint32_t index[8], row[8];
    const __m256i indices = ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]);
    ISGLanesOut(indices, index);
    ISGLanesOut(_mm256_and_si256(_mm256_srli_epi32(lanes.of[2], 8), _mm256_set1_epi32(0xFF00)), row);
    ISGPackedEight eight;
    ISG_EACH_OF_EIGHT(const uint8_t texel = this->texels[index[i]];
                      eight.Add<i>(this->shader.ApplySplit(this->shader.table + row[i], (*this->splits)[texel]));)
    eight.keys = ISGLowHalves(ISGTexelBytes<W, H>(this->texels, indices));
    eight.StoreKeyed(pixel);
  }
};

// The level colours of eight pixels read with one gather (the table is a
// kilobyte, in the nearest cache), stored with one vector store; for the
// transparent fill blended with the old pixels where the level blackens,
// rather than a branch and a store a pixel: for triangles of 20,000 to
// 60,000 pixels 3.1-3.3 of the plain loop against 2.5, transparent
// 2.57-2.59 against 1.78-1.80.
template <bool kTransparent>
struct ISGOpByLevelAvx2 : ISGOpByLevel<kTransparent> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    const __m256i level = _mm256_and_si256(_mm256_srli_epi32(lanes.of[0], 16), _mm256_set1_epi32(0xFF));
    const __m256i entries =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(this->levels->data()), level, sizeof(uint32_t));
    const __m128i colours = ISGLowHalves(entries);
    if constexpr (kTransparent) {
      const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
      const __m128i blackens = ISGLowHalves(_mm256_srli_epi32(entries, 16));
      const __m128i draw = _mm_cmpeq_epi16(blackens, _mm_setzero_si128());
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), _mm_blendv_epi8(old, colours, draw));
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), colours);
    }
  }
};

#undef ISG_SPAN_BY_EIGHT
#undef ISG_EACH_OF_EIGHT
#undef ISG_LANE
#endif
