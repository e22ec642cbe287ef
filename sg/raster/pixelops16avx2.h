#pragma once
// 256-bit variants of the per-pixel operations of pixelops16.h: rows drawn
// eight pixels a round, each table read for the eight at once by a gather,
// the last pixels of a row by the operation they extend. Only for functions
// compiled for AVX2 and called when ISGUseAvx2() holds. Internal.
//
// A gather reads four bytes at each index, so indices into tables of bytes
// or 16-bit entries are first held below the table's end, less the four
// bytes, and the entry shifted down from where it then lies in the word:
// every byte read belongs to the table.

#include <array>
#include <bit>
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

// Byte kCount - 1 at most, where kCount >= 4.
template <uint32_t kCount>
[[ISG_AVX2]] inline __m256i ISGGatherBytes(const uint8_t* table, __m256i index) {
  const __m256i at = _mm256_min_epu32(index, _mm256_set1_epi32(kCount - 4));
  const __m256i shift = _mm256_slli_epi32(_mm256_sub_epi32(index, at), 3);
  const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), at, 1);
  return _mm256_and_si256(_mm256_srlv_epi32(words, shift), _mm256_set1_epi32(0xFF));
}

// 16-bit entry kCount - 1 at most, where kCount >= 2; bits 16 and up are not
// cleared.
template <uint32_t kCount>
[[ISG_AVX2]] inline __m256i ISGGatherHalves(const uint16_t* table, __m256i index) {
  const __m256i at = _mm256_min_epu32(index, _mm256_set1_epi32(kCount - 2));
  const __m256i shift = _mm256_slli_epi32(_mm256_sub_epi32(index, at), 4);
  const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), at, 2);
  return _mm256_srlv_epi32(words, shift);
}

// The low 16 bits of each lane, in lane order.
[[ISG_AVX2]] inline __m128i ISGLowHalves(__m256i lanes) {
  const __m256i pick = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                        0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_shuffle_epi8(lanes, pick), 0x08));
}

[[ISG_AVX2]] inline void ISGStoreEight(uint16_t* pixel, __m256i colours) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), ISGLowHalves(colours));
}

// Stores the eight colours but where the lane of keep is all ones.
[[ISG_AVX2]] inline void ISGStoreEightUnless(uint16_t* pixel, __m256i keep, __m256i colours) {
  const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel),
                   _mm_blendv_epi8(ISGLowHalves(colours), old, ISGLowHalves(keep)));
}

template <int W, int H>
[[ISG_AVX2]] inline __m256i ISGTexelIndices(__m256i u, __m256i v) {
  using Address = ISGTexelAddress<W, H>;
  return _mm256_or_si256(
      _mm256_and_si256(_mm256_srli_epi32(v, Address::kVShift), _mm256_set1_epi32(Address::kVMask)),
      _mm256_and_si256(_mm256_srli_epi32(u, 16), _mm256_set1_epi32(Address::kUMask)));
}

// Draws count (at least one) pixels from left as op.PutEight eight at a
// time, the rest through the operation's Put.
template <std::size_t N, class Op>
[[ISG_AVX2]] inline void ISGSpanByEight(const Op& op, uint16_t* left, int64_t count,
                                        const std::array<uint32_t, N>& start,
                                        const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps) {
  std::array<uint32_t, N> values = start;
  if (count >= 8) {
    ISGEight lanes{}, stride{};
    const __m256i columns = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) {
      lanes.of[k] = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(start[k])),
                                  _mm256_mullo_epi32(columns, _mm256_set1_epi32(static_cast<int>(step[k]))));
      stride.of[k] = _mm256_set1_epi32(static_cast<int>(step[k] * 8));
    }
    do {
      op.PutEight(left, lanes);
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) lanes.of[k] = _mm256_add_epi32(lanes.of[k], stride.of[k]);
      count -= 8;
      left += 8;
    } while (count >= 8);
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) values[k] = static_cast<uint32_t>(_mm256_cvtsi256_si32(lanes.of[k]));
  }
  if (count > 0) ISGPutSpan(left, count, values, step, laneSteps, op);
}

#define ISG_SPAN_BY_EIGHT                                                                                \
  static constexpr bool kSpanValues = true;                                                              \
  template <std::size_t N>                                                                               \
  [[gnu::target("avx2")]] void SpanValues(uint16_t* left, int64_t count, const std::array<uint32_t, N>& start,      \
                               const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps)    \
      const {                                                                                            \
    ISGSpanByEight(*this, left, count, start, step, laneSteps);                                          \
  }

// Texel indices of eight pixels at once, their two lookups one by one:
// gathered, the lookups cost more.
template <int W, int H>
struct ISGOpTextureAvx2 : ISGOpTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    alignas(32) uint32_t index[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(index), ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]));
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) pixel[i] = this->colours[this->texels[index[i]]];
  }
};

template <int W, int H>
struct ISGOpTransparentTextureAvx2 : ISGOpTransparentTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    const __m256i texel = ISGGatherBytes<W * H>(this->texels, ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]));
    ISGStoreEightUnless(pixel, _mm256_cmpeq_epi32(texel, _mm256_setzero_si256()),
                        ISGGatherHalves<256>(this->colours, texel));
  }
};

template <int W, int H>
struct ISGOpDirectTextureAvx2 : ISGOpDirectTexture<W, H> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    ISGStoreEight(pixel, ISGGatherHalves<W * H>(this->texels, ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1])));
  }
};

// The split colour of each texel through the pixel's shade row, for the
// transparent fill (the opaque one is quicker without gathers). Every index
// of a fixed layout is below 128, so a word read at the row plus an index
// ends inside the 65 536-byte table without being held back.
template <int W, int H, class Shader>
struct ISGOpShadedTransparentTextureSplitAvx2 : ISGOpShadedTextureSplit<W, H, true, Shader> {
  static_assert(Shader::kBlueOffset + (Shader::kBlueMask >> std::countr_zero(Shader::kBlueMask)) < 128);
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] __m256i Channel(__m256i row, __m256i index) const {
    const __m256i word = _mm256_i32gather_epi32(reinterpret_cast<const int*>(this->shader.table),
                                                _mm256_add_epi32(row, index), 1);
    return _mm256_and_si256(word, _mm256_set1_epi32(0xFF));
  }
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    const __m256i texel = ISGGatherBytes<W * H>(this->texels, ISGTexelIndices<W, H>(lanes.of[0], lanes.of[1]));
    const __m256i split =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(this->splits->data()), texel, 4);
    const __m256i row = _mm256_and_si256(_mm256_srli_epi32(lanes.of[2], 8), _mm256_set1_epi32(0xFF00));
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i red = Channel(row, _mm256_and_si256(split, byte));
    const __m256i green = Channel(row, _mm256_and_si256(_mm256_srli_epi32(split, 8), byte));
    const __m256i blue = Channel(row, _mm256_srli_epi32(split, 16));
    const __m256i colour = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi32(red, std::countr_zero(Shader::kRedMask)), _mm256_slli_epi32(green, std::countr_zero(Shader::kGreenMask))),
        _mm256_slli_epi32(blue, std::countr_zero(Shader::kBlueMask)));
    ISGStoreEightUnless(pixel, _mm256_cmpeq_epi32(texel, _mm256_setzero_si256()), colour);
  }
};

template <bool kTransparent>
struct ISGOpByLevelAvx2 : ISGOpByLevel<kTransparent> {
  ISG_SPAN_BY_EIGHT
  [[ISG_AVX2]] void PutEight(uint16_t* pixel, const ISGEight& lanes) const {
    const __m256i level = _mm256_and_si256(_mm256_srli_epi32(lanes.of[0], 16), _mm256_set1_epi32(0xFF));
    const __m256i entry = _mm256_i32gather_epi32(reinterpret_cast<const int*>(this->levels->data()), level, 4);
    if constexpr (kTransparent)
      ISGStoreEightUnless(pixel, _mm256_cmpgt_epi32(_mm256_srli_epi32(entry, 16), _mm256_setzero_si256()),
                          entry);
    else
      ISGStoreEight(pixel, entry);
  }
};

#undef ISG_SPAN_BY_EIGHT
#endif
