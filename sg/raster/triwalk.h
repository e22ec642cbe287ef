#pragma once
// The triangle set-up and integer edge walk shared by the triangle fills,
// a template over the attributes interpolated, the pixel type and the
// operation that draws. Internal to the rasterizer.
//
// The fill hands ISGTriWalk a maker of its operation. An operation either,
// with
//     static constexpr bool kWholeSpans = true;
//     void Span(Pixel* left, Pixel* right) const;
// is handed each non-empty row from its left end to its right end, or, with
//     static constexpr bool kRowRecords = true;
//     void Row(int32_t row, int64_t longOffset, int64_t shortOffset,
//              const std::array<uint32_t, N>& values) const;
// is handed every row as the walk leaves it, drawn or empty, with the
// long-edge values (for fills that record rows first and draw them later),
// or, with
//     static constexpr std::size_t kKeys = K;
//     template <class T> static std::array<T, K> Keys(const std::array<T, N>& values);
//     void Put(Pixel& pixel, const std::array<uint32_t, K>& keys) const;
// draws pixel by pixel, where Keys turns the 16.16 attribute values of a
// pixel into the K table offsets it reads (the same expressions for one
// pixel's uint32_t values and for ISGLanes of four) and Put draws with them;
// a pixel Put twice must come out as Put once, as short rows are drawn in
// overlapping groups. Such an operation may add
//     static constexpr bool kSpanValues = true;
//     void SpanValues(Pixel* left, int64_t count, const std::array<uint32_t, N>& start,
//                     const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps) const;
// and
//     static constexpr int64_t kSpanValuesFrom = M;
// to draw each row of M or more pixels itself from the values of its left
// pixel and the column step, for wider lanes than ISGPutSpan's.
//
// The walk's attribute values are affine in the pixel, modulo 2^32: starting
// from the long-edge pixel of the first row, each row adds the row gradient
// and each column the column gradient, whatever path the edges take. So a
// pixel's values follow from its row and column alone, no value is stepped
// along an edge, and spans are drawn from their left end whichever side the
// long edge is on.
//
// Pixel addresses are kept as signed offsets from fbPixels, so no pointer is
// formed for a row that draws nothing.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "sg/raster/fill.h"
#include "sg/raster/fixed.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The vertex fields from u on as 27.5 integers by ISGFixedFromFloat. The
// processor's conversion of four floats at once gives INT32_MIN for a NaN
// or a value outside the 32-bit range too, without a test per field.
inline std::array<int32_t, 4> ISGFixedFromVertex(const SGQVert& vertex) {
#if defined(__SSE2__)
  std::array<int32_t, 4> out;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data()), _mm_cvttps_epi32(_mm_loadu_ps(&vertex.u)));
  return out;
#else
  return {ISGFixedFromFloat(vertex.u), ISGFixedFromFloat(vertex.v), ISGFixedFromFloat(vertex.q),
          ISGFixedFromFloat(vertex.col)};
#endif
}

// Attribute sets, read from the vertex by truncation to 27.5 integers.
struct ISGAttrsNone {
  static constexpr std::size_t kCount = 0;
  static void Load(const SGQVert&, std::array<int32_t, 0>&) {}
};

struct ISGAttrsQ {
  static constexpr std::size_t kCount = 1;
  static void Load(const SGQVert& vertex, std::array<int32_t, 1>& out) { out[0] = ISGFixedFromVertex(vertex)[2]; }
};

struct ISGAttrsUV {
  static constexpr std::size_t kCount = 2;
  static void Load(const SGQVert& vertex, std::array<int32_t, 2>& out) {
    const std::array<int32_t, 4> all = ISGFixedFromVertex(vertex);
    out[0] = all[0];
    out[1] = all[1];
  }
};

struct ISGAttrsUVQ {
  static constexpr std::size_t kCount = 3;
  static void Load(const SGQVert& vertex, std::array<int32_t, 3>& out) {
    const std::array<int32_t, 4> all = ISGFixedFromVertex(vertex);
    out[0] = all[0];
    out[1] = all[1];
    out[2] = all[2];
  }
};

// Top, middle and bottom by y; parity is true for an even reordering of the
// passed order. Ties are broken as the table below sets out.
struct ISGTriOrder {
  const SGQVert* top;
  const SGQVert* middle;
  const SGQVert* bottom;
  bool parity;
};

inline ISGTriOrder ISGTriOrderByY(const SGQVert* p1, const SGQVert* p2, const SGQVert* p3) {
  // The outcome of the three comparisons is as random as the vertices, so
  // it picks the order from a table rather than a branch: indices of top,
  // middle and bottom, and the parity, by (p1 < p2, p3 >= p2, p1 < p3).
  static constexpr uint8_t kOrders[8][4] = {
      {2, 1, 0, 0}, {1, 0, 2, 0}, {1, 2, 0, 1}, {1, 0, 2, 0}, {2, 0, 1, 1}, {0, 2, 1, 0}, {0, 1, 2, 1}, {0, 1, 2, 1},
  };
  const unsigned index = static_cast<unsigned>(p1->y < p2->y) << 2 | static_cast<unsigned>(p3->y >= p2->y) << 1 |
                         static_cast<unsigned>(p1->y < p3->y);
  // Measured and not kept, against this array (the 200-rock scene frame,
  // medians of seven alternating pinned runs): each vertex picked by
  // selects, which the compiler made branches, 7.21 full-viewport fills
  // against 6.96; by masks of the three pointers, 7.06 against 6.98.
  const SGQVert* const points[3] = {p1, p2, p3};
  const uint8_t* order = kOrders[index];
  return {points[order[0]], points[order[1]], points[order[2]], order[3] != 0};
}

// A 27.5 value rounded up to a whole pixel row, still in 27.5.
inline int32_t ISGRoundUpRow(int32_t value) { return ISGAdd32(value, 31) & ~31; }

// 0x200000 / height for the heights of most edges, so that an edge's set-up
// costs no division.
inline constexpr int32_t kISGReciprocals = 1024;
inline constexpr auto kISGReciprocalTable = [] {
  std::array<int32_t, kISGReciprocals> table{};
  for (int32_t height = 1; height < kISGReciprocals; ++height) table[height] = 0x200000 / height;
  return table;
}();

// The slope in 16.16 pixels per row of an edge over (width, height), 27.5,
// from a truncated integer reciprocal. A height of 0 gives slope 0.
struct ISGSlopeFixed {
  static int32_t Of(int32_t width, int32_t height) {
    const int32_t reciprocal =
        static_cast<uint32_t>(height) < kISGReciprocals ? kISGReciprocalTable[height] : 0x200000 / height;
    return ISGFixedMulShift5(width, reciprocal);
  }
};

// An edge's 16.16 x on the 27.5 row startY, from (originX, originY) along
// slope, widened to 64 bits and biased so that its pixel is x >> 16 on this
// row and, adding the slope once a row, on every row below: a bias of
// 0xFFFF for the left edge's ceiling, 0 for the right edge's floor. The
// 32-bit start wraps as the registers do; the walk down from it does not.
inline int64_t ISGEdgeStartX(int32_t originX, int32_t originY, int32_t slope, int32_t startY, int32_t bias) {
  const int32_t x = ISGAdd32(ISGShl32(originX, 11), ISGFixedMulShift5(ISGSub32(startY, originY), slope));
  return ISGAdd32(x, bias);
}

template <class Op>
concept ISGWholeSpanOp = Op::kWholeSpans;
template <class Op>
concept ISGRowRecordOp = Op::kRowRecords;
template <class Op>
concept ISGSpanValuesOp = Op::kSpanValues;

// Four 32-bit lanes, one per pixel, in the compiler's vector extension:
// shifts, masks and sums written as for uint32_t act lane by lane.
using ISGLanes = uint32_t __attribute__((vector_size(16)));
inline constexpr int kISGLaneCount = 4;

template <class Op>
concept ISGPixelTailOp = Op::kPixelTail;

// A triangle's column steps in vector lanes: lane i of offsets is i steps,
// every lane of stride four steps.
template <std::size_t N>
struct ISGLaneSteps {
  std::array<ISGLanes, N> offsets;
  std::array<ISGLanes, N> stride;

  explicit ISGLaneSteps(const std::array<uint32_t, N>& step) {
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) {
      offsets[k] = ISGLanes{0, 1, 2, 3} * step[k];
      stride[k] = ISGLanes{} + step[k] * kISGLaneCount;
    }
  }
};

// Whether an operation with a pixel tail draws a row of up to three pixels
// as its two ends and then, for three, its middle, so that a row of one is
// drawn twice, rather than a pixel at a time: one branch a row in place of a
// loop exit. The shaded textured rows of the 200-rock scene frame drawn so
// took it from 6.93 / 6.94 full-viewport fills to 6.81 / 6.85 (minimum /
// median of seven alternating pinned runs), 8 to 12 pixel triangles from
// 0.51-0.52 of the plain loop's rate to 0.52-0.53, and shaded transparent
// ones from 0.52-0.54 to 0.55-0.58. An operation whose pixel reads the old
// one pays more for a pixel drawn twice; its fill sets this false. Measured
// and not kept: an empty row drawn as a row of one into a spare pixel, so
// that no row of up to three pixels branched on whether it draws: 7.13
// against 6.86 (medians of seven); rows of five to seven pixels drawn as
// their first four and then the rest by the ends of the last four, rather
// than as two overlapping fours: 6.84 against 6.85.
template <class Op>
inline constexpr bool kISGShortRowEnds = true;

// Puts the four pixels from pixel, whose first has the values in lane 0.
template <std::size_t N, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGPutFour(Pixel* pixel, const std::array<ISGLanes, N>& lanes, const Op& op) {
  constexpr std::size_t K = Op::kKeys;
  const std::array<ISGLanes, K> keys = Op::Keys(lanes);
#pragma GCC unroll 4
  for (int i = 0; i < kISGLaneCount; ++i) {
    std::array<uint32_t, K> pixelKeys;
#pragma GCC unroll 4
    for (std::size_t k = 0; k < K; ++k) pixelKeys[k] = keys[k][i];
    op.Put(pixel[i], pixelKeys);
  }
}

// Puts pixel i (0 to 3) of the four from left whose keys are in the lanes.
template <std::size_t K, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGPutLane(Pixel* left, const std::array<ISGLanes, K>& keys, uint32_t i,
                                              const Op& op) {
  std::array<uint32_t, K> pixelKeys;
#pragma GCC unroll 4
  for (std::size_t k = 0; k < K; ++k) pixelKeys[k] = keys[k][i];
  op.Put(left[i], pixelKeys);
}

// The values of the pixel `columns` steps right of one with the values start.
template <std::size_t N>
[[gnu::always_inline]] inline std::array<uint32_t, N> ISGValuesAt(const std::array<uint32_t, N>& start,
                                                                  const std::array<uint32_t, N>& step,
                                                                  uint32_t columns) {
  std::array<uint32_t, N> values;
#pragma GCC unroll 4
  for (std::size_t k = 0; k < N; ++k) values[k] = start[k] + columns * step[k];
  return values;
}

template <std::size_t N>
[[gnu::always_inline]] inline std::array<ISGLanes, N> ISGLanesFrom(const std::array<uint32_t, N>& start,
                                                                   const ISGLaneSteps<N>& laneSteps) {
  std::array<ISGLanes, N> lanes;
#pragma GCC unroll 4
  for (std::size_t k = 0; k < N; ++k) lanes[k] = laneSteps.offsets[k] + start[k];
  return lanes;
}

// The drawing of ISGPutSpan, below, for an operation with a pixel tail, from
// the lanes of the span's first four pixels rather than its left pixel's
// values.
template <std::size_t N, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGPutTailSpan(Pixel* left, int64_t count, std::array<ISGLanes, N> lanes,
                                                  const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps,
                                                  const Op& op) {
  const uint32_t last = static_cast<uint32_t>(count - 1);
  if (count >= kISGLaneCount) {
    const uint32_t lastFour = last - (kISGLaneCount - 1);
    std::array<ISGLanes, N> lastLanes;
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) lastLanes[k] = lanes[k] + lastFour * step[k];
    Pixel* const end = left + lastFour;
    for (; left < end; left += kISGLaneCount) {
      ISGPutFour(left, lanes, op);
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) lanes[k] += laneSteps.stride[k];
    }
    ISGPutFour(end, lastLanes, op);
    return;
  }
  const std::array<ISGLanes, Op::kKeys> keys = Op::Keys(lanes);
  if constexpr (kISGShortRowEnds<Op>) {
    ISGPutLane(left, keys, 0, op);
    ISGPutLane(left, keys, last, op);
    if (last == 2) ISGPutLane(left, keys, 1, op);
  } else {
    for (uint32_t i = 0; i < count; ++i) ISGPutLane(left, keys, i, op);
  }
}

// Draws the count (at least one) pixels from left, whose first has the
// values start, a column adding step. No loop runs a pixel at a time, so a
// span's length costs no loop exit to predict: up to four pixels are both
// ends and their inner neighbours, up to eight two fours overlapping, longer
// ones four at a time and a last four ending at the right end. The keys of
// up to four pixels are worked out at once in the lanes of the span's first
// four (against three values a span and keys a pixel worked out one by one:
// 0.61 of the plain loop's rate for textured triangles of 8 to 12 pixels
// against 0.55, 0.83 against 0.75 for 40 to 60).
//
// An operation whose pixels cost more than a mispredicted loop exit says
//     static constexpr bool kPixelTail = true;
// and has its rows of up to three pixels drawn by their ends and middle
// (kISGShortRowEnds) or one by one instead, keyed from the lanes of the
// span's first four, and its longer rows four at a
// time ending on an overlapping four as the others' do. These are the shaded
// textured ones (drawing their short rows as the others' overlapping fours
// made triangles of 8 to 12 pixels slower, 0.40 of the plain loop's rate
// against 0.48, and as three puts whatever their length, both ends and the
// middle, left the 200-rock scene frame at 7.21 full-viewport fills against
// 7.15, medians of eight alternating pinned runs; a tail of their long rows
// drawn one by one left a loop exit to mispredict, that frame 7.12 against
// 7.29, medians of ten) and the shaded transparent one, whose pixels each
// take a branch (0.51 of the plain loop's rate against 0.48-0.50 for 8 to 12
// pixels, 0.66-0.67 against 0.63 for 40 to 60; the opaque shaded one came
// out slower with a pixel tail, 0.64 against 0.70 for 40 to 60). Short rows
// keyed from lanes rather than a value stepped and keyed a pixel took the
// 200-rock frame from 7.16-7.21 to 7.02-7.09 (four alternating pinned runs).
//
// A pixel drawn twice comes out as drawn once, for every operation: its
// result depends on its values and on an old value that the first drawing
// keeps where the second would.
template <std::size_t N, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGPutSpan(Pixel* left, int64_t count, const std::array<uint32_t, N>& start,
                                              const std::array<uint32_t, N>& step, const ISGLaneSteps<N>& laneSteps,
                                              const Op& op) {
  const uint32_t last = static_cast<uint32_t>(count - 1);
  if constexpr (ISGPixelTailOp<Op>) {
    ISGPutTailSpan(left, count, ISGLanesFrom(start, laneSteps), step, laneSteps, op);
    return;
  }
  if (count <= kISGLaneCount) {
    const uint32_t half = last >> 1;  // 0 or 1: with last - half, the inner neighbours
    const std::array<ISGLanes, Op::kKeys> keys = Op::Keys(ISGLanesFrom(start, laneSteps));
    ISGPutLane(left, keys, 0, op);
    ISGPutLane(left, keys, half, op);
    ISGPutLane(left, keys, last - half, op);
    ISGPutLane(left, keys, last, op);
    return;
  }
  const uint32_t lastFour = last - (kISGLaneCount - 1);
  std::array<ISGLanes, N> lanes = ISGLanesFrom(start, laneSteps);
  if (count > 2 * kISGLaneCount) {
    Pixel* const end = left + lastFour;
    Pixel* pixel = left;
    do {
      ISGPutFour(pixel, lanes, op);
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) lanes[k] += laneSteps.stride[k];
      pixel += kISGLaneCount;
    } while (pixel < end);
  } else {
    ISGPutFour(left, lanes, op);
  }
  ISGPutFour(left + lastFour, ISGLanesFrom(ISGValuesAt(start, step, lastFour), laneSteps), op);
}

// The walk between the edges: the long edge's and both short edges' biased
// 16.16 x on the current row and their slopes, the row, its offset from
// fbPixels and the attribute values at its column 0. The rows above
// middleRow take the upper short edge, the rest the lower one; both are
// stepped on every row, so that one loop walks the whole triangle and
// ends once, and the lower edge starts as far above the middle vertex's
// row as that lies below the first row, which 64-bit steps bring back to
// its value there exactly.
template <std::size_t N>
struct ISGWalkState {
  int64_t longX, upperX, lowerX;
  int32_t longSlope, upperSlope, lowerSlope;
  int32_t row, middleRow;
  int64_t rowOffset;
  std::array<uint32_t, N> rowValues;
};

// Draws the rows until endRow. kLongRight: the long edge is the right edge.
template <bool kLongRight, std::size_t N, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGWalkRows(ISGWalkState<N>& s, int32_t endRow, int32_t pitch,
                                               const std::array<uint32_t, N>& gradX,
                                               const std::array<uint32_t, N>& gradY,
                                               [[maybe_unused]] const ISGLaneSteps<N>& laneSteps, Pixel* base,
                                               const Op& op) {
  // An operation with a pixel tail and no drawing of its own keeps each
  // row's column-0 values as the lanes of its first four columns: a row's
  // lanes are then these plus its left column's steps, and no value is
  // carried from row to row outside the vector registers (the 200-rock
  // scene frame 6.80 / 6.80, 6.77 / 6.83 and 6.72 / 6.80 full-viewport fills
  // against 6.82 / 6.86, 6.80 / 6.85 and 6.76 / 6.88, minimum / median of
  // seven or eight alternating pinned runs).
  constexpr bool kRowLanes = ISGPixelTailOp<Op> && !ISGSpanValuesOp<Op> && !ISGRowRecordOp<Op> && !ISGWholeSpanOp<Op>;
  [[maybe_unused]] std::array<ISGLanes, N> rowLanes, gradYLanes;
  if constexpr (kRowLanes) {
    rowLanes = ISGLanesFrom(s.rowValues, laneSteps);
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) gradYLanes[k] = ISGLanes{} + gradY[k];
  }
  for (; s.row < endRow; ++s.row) {
    const int64_t shortX = s.row < s.middleRow ? s.upperX : s.lowerX;
    const int64_t left = (kLongRight ? shortX : s.longX) >> 16;
    const int64_t right = (kLongRight ? s.longX : shortX) >> 16;
    if constexpr (ISGRowRecordOp<Op>) {
      const int64_t longPixel = kLongRight ? right : left;
      std::array<uint32_t, N> values;
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) values[k] = s.rowValues[k] + static_cast<uint32_t>(longPixel) * gradX[k];
      op.Row(s.row, s.rowOffset + longPixel, s.rowOffset + (kLongRight ? left : right), values);
    } else if constexpr (ISGWholeSpanOp<Op>) {
      if (left <= right) op.Span(base + s.rowOffset + left, base + s.rowOffset + right);
    } else if constexpr (kRowLanes) {
      if (left <= right) {
        std::array<ISGLanes, N> lanes;
#pragma GCC unroll 4
        for (std::size_t k = 0; k < N; ++k) lanes[k] = rowLanes[k] + static_cast<uint32_t>(left) * gradX[k];
        ISGPutTailSpan(base + s.rowOffset + left, right - left + 1, lanes, gradX, laneSteps, op);
      }
    } else {
      std::array<uint32_t, N> values;
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) values[k] = s.rowValues[k] + static_cast<uint32_t>(left) * gradX[k];
      if constexpr (ISGSpanValuesOp<Op>) {
        // Rows too short for the operation's own drawing, most rows of small
        // triangles, are drawn here without a call.
        const int64_t count = right - left + 1;
        if (count >= Op::kSpanValuesFrom)
          op.SpanValues(base + s.rowOffset + left, count, values, gradX, laneSteps);
        else if (count > 0)
          ISGPutSpan(base + s.rowOffset + left, count, values, gradX, laneSteps, op);
      } else if (left <= right) {
        ISGPutSpan(base + s.rowOffset + left, right - left + 1, values, gradX, laneSteps, op);
      }
    }
    s.longX += s.longSlope;
    s.upperX += s.upperSlope;
    s.lowerX += s.lowerSlope;
    s.rowOffset += pitch;
    if constexpr (kRowLanes) {
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) rowLanes[k] += gradYLanes[k];
    } else {
#pragma GCC unroll 4
      for (std::size_t k = 0; k < N; ++k) s.rowValues[k] += gradY[k];
    }
  }
}

// Sets up the edges and walks the rows. kLongRight: the long edge, from the
// top to the bottom vertex, is the right edge (area not negative).
template <bool kLongRight, class Attrs, class Slope, class Pixel, class Op>
[[gnu::always_inline]] inline void ISGTriWalkEdges(const ISGTriOrder& order, int32_t dx1, int32_t dy1, int32_t dx2,
                                                   int32_t dy2, int32_t pitch,
                                                   const std::array<int32_t, Attrs::kCount>& topValues,
                                                   const std::array<uint32_t, Attrs::kCount>& gradX,
                                                   const std::array<uint32_t, Attrs::kCount>& gradY, Pixel* base,
                                                   const Op& op) {
  constexpr std::size_t N = Attrs::kCount;
  constexpr int32_t kLongBias = kLongRight ? 0 : 0xFFFF;
  constexpr int32_t kShortBias = 0xFFFF - kLongBias;
  const SGQVert& top = *order.top;
  const SGQVert& middle = *order.middle;
  const SGQVert& bottom = *order.bottom;

  const int32_t firstY = ISGRoundUpRow(top.y);
  const int32_t prestep = ISGSub32(firstY, top.y);
  const int32_t middleRow = ISGAdd32(middle.y, 31) >> 5;
  const int32_t endRow = ISGAdd32(ISGShl32(bottom.y, 11), 0xFFFF) >> 16;

  ISGWalkState<N> s;
  s.longSlope = Slope::Of(dx2, dy2);
  s.longX = ISGEdgeStartX(top.x, top.y, s.longSlope, firstY, kLongBias);
  // The upper half's short edge runs from the top, the lower half's from the
  // middle vertex.
  s.upperSlope = Slope::Of(dx1, dy1);
  s.upperX = ISGEdgeStartX(top.x, top.y, s.upperSlope, firstY, kShortBias);
  s.row = firstY >> 5;
  s.middleRow = middleRow;
  // A lower half whose short edge has no height is not drawn.
  const int32_t lowerHeight = ISGSub32(dy2, dy1);
  const int32_t upperEnd = std::max(s.row, middleRow);
  const int32_t lastRow = lowerHeight == 0 ? upperEnd : std::max(upperEnd, endRow);
  s.lowerSlope = Slope::Of(ISGSub32(dx2, dx1), lowerHeight);
  s.lowerX = ISGEdgeStartX(middle.x, middle.y, s.lowerSlope, ISGRoundUpRow(middle.y), kShortBias) -
             static_cast<int64_t>(middleRow - s.row) * s.lowerSlope;
  s.rowOffset = static_cast<int64_t>(pitch) * s.row;
  // The values at column 0 of the first row, from the top vertex's: those
  // at the long edge's pixel less its column's steps, in which that column
  // drops out, so they wait on the gradients alone and not on the edge
  // (the 200-rock scene frame's medians 6.99 and 7.07 full-viewport fills
  // against 7.07 and 7.11, of seven and eight alternating pinned runs). The
  // same as from the long edge's pixel while that pixel's column, times 32,
  // less the top x fits 32 bits, as it does for any vertex the fills are
  // given.
#pragma GCC unroll 4
  for (std::size_t k = 0; k < N; ++k) {
    const auto towardColumn0 = static_cast<int32_t>((-int64_t{top.x} * static_cast<int32_t>(gradX[k])) >> 5);
    s.rowValues[k] = static_cast<uint32_t>(ISGShl32(topValues[k], 11)) + static_cast<uint32_t>(towardColumn0) +
                     static_cast<uint32_t>(ISGFixedMulShift5(prestep, static_cast<int32_t>(gradY[k])));
  }
  [[maybe_unused]] const ISGLaneSteps<N> laneSteps(gradX);
  ISGWalkRows<kLongRight>(s, lastRow, pitch, gradX, gradY, laneSteps, base, op);
}

// The whole fill: ordering, empty-row exit, area and back-face rejection,
// gradients with the sliver rule, then the walk. makeOp() builds the
// operation once the triangle is known to be drawn, so a rejected triangle
// reads neither its colour nor its tables.
//
// A triangle of 8 to 12 pixels costs about twice the plain loop over its
// rows, and a profile spreads that over every step of the set-up and the
// rows, none above a few per cent. The plain loop is handed each row's
// first pixel and length and pays for no set-up, so the walk cannot reach
// its rate for these triangles: measured with the fills cut short (minimum
// / median of three pinned runs, rates over the plain loop's), the set-up
// alone, to the first row's values and with no row walked, runs at
// 1.35 / 1.36 for shaded, 1.42 / 1.42 textured, 1.36 / 1.37 direct,
// 1.39 / 1.40 shaded textured, 1.47 / 1.49 shaded transparent, 1.99 / 1.99
// transparent textured and 1.76 / 1.78 shaded transparent textured, that
// is, it takes half to three quarters of the plain loop's whole time; and
// the rows walked with one store a row and no pixel work come out at
// 0.78 / 0.79, 0.73 / 0.74, 0.74 / 0.75, 0.95 / 0.95, 0.86 / 0.87,
// 1.04 / 1.04 and 1.22 / 1.23, the flat fill whole at 0.85 / 0.85. Only
// the two transparent textured fills have any room left for their pixels
// below the plain loop's time, and that less than their pixels take.
//
// Each of these came out no faster there, within the spread of pinned
// runs: both gradients of an attribute from one packed division; one walk
// taking the long edge's side as a value, rather than a walk for each side
// and a branch between them; the opaque shaded textured walk of a small
// triangle compiled for AVX2 and BMI2; the split colour table of the shaded
// textured fills kept from one triangle to the next (built once per colour
// table, the most a batch entry point could give): 0.49 of the plain loop
// for 8 to 12 pixels either way, 0.68 against 0.66 for 40 to 60.
//
// In the 200-rock asteroid frame the shaded textured triangles have a median
// of about 8 pixels, one in nine draws none and nearly one walked row in
// five is empty; taking their pixel work out entirely lowers the frame's
// fill time by only an eighth, so the rows' branches, not the pixels, set
// its cost. Measured on that frame (full-viewport fills a frame, pinned
// runs, this walk about 7.3 to 7.5) and not kept: gradients and operation
// made only once a row with a pixel is found, the empty rows above it passed
// first, 7.67; rows of up to three pixels drawn by three tests rather than
// a loop, 7.66 to 7.70; shaded textured rows of up to four pixels drawn as
// overlapping fours, 8.0 to 8.1; the rasterizer built with -O3, 8.15.
//
// Also measured and not kept, each against this walk in alternating pinned
// runs (the frame's full-viewport fills, minimum / median of six; the
// plain-loop ratios of 8 to 12 pixel triangles, minimum / median of three):
//  - the rows of a triangle of up to 16 rows found first into a fixed array,
//    each written at the next free place and counted only if it draws, so
//    that the drawing loop ran over drawn rows alone with no branch a row for
//    the empty ones, and a triangle with no drawn row left before its
//    gradients and operation: frame 7.50 to 7.72 against 7.26 to 7.45 (three
//    runs), shaded 0.47 against 0.51, shaded textured 0.45 against 0.48,
//    textured 0.52 against 0.56, flat 0.77 against 0.87 (and 1.18 against
//    1.29 for 40 to 60 pixels);
//  - the same with the gradients worked out first as here, only the
//    operation waiting for a drawn row: frame 7.66 / 7.72 against
//    7.30 / 7.39; shaded 0.51 against 0.51, shaded textured 0.47 against
//    0.48, flat 0.77 against 0.87;
//  - the edges set up before the gradients, so that a one-row triangle that
//    draws no pixel left before them: frame 7.50 / 7.54 against 7.28 / 7.37;
//    shaded 0.47 against 0.51, shaded textured 0.45 against 0.48;
//  - a triangle with no pixel-centre column in its x extent (widened by a
//    27.5 unit for the edges' rounding) passed before its gradients: frame
//    7.26 / 7.36 against 7.28 / 7.36, and the flat fill's small triangles
//    0.80 against 0.87.
//  - a triangle of one to four rows drawn as its first and last rows and
//    their inner neighbours, each row's edges and values from its index,
//    with no row loop whose exit depends on the row count (a row drawn twice
//    comes out as drawn once): 8 to 12 pixels, minimum / median of three
//    alternating runs, flat 0.83 / 0.84 against 0.85 / 0.86, shaded
//    0.43 / 0.44 against 0.57 / 0.59, textured 0.52 / 0.53 against
//    0.62 / 0.62, shaded textured 0.46 / 0.46 against 0.49 / 0.49; 40 to 60
//    pixels, shaded 0.62 / 0.63 against 0.74 / 0.74;
//  - the rows of the operations with a pixel tail ended on a last four
//    overlapping the one before it rather than a pixel at a time: shaded
//    textured 0.49 / 0.50 against 0.48 / 0.49 (8 to 12 pixels) and
//    0.67 / 0.67 against 0.68 / 0.68 (40 to 60), shaded transparent
//    textured 0.57 / 0.57 against 0.59 / 0.60 and 0.84 / 0.84 against
//    0.85 / 0.86;
//  - with a short row's keys from the lanes of its first four, the shaded
//    textured rows drawn as the others' overlapping fours rather than with
//    a pixel tail: opaque 0.47 / 0.47 against 0.48 / 0.48 (8 to 12 pixels)
//    and 0.68 / 0.68 against 0.68 / 0.68 (40 to 60), transparent
//    0.46 / 0.46 against 0.57 / 0.58 and 0.72 / 0.72 against 0.86 / 0.86;
//  - the AVX2 fills' rows of more than eight pixels ended on a last eight
//    overlapping the one before it, rather than on up to seven pixels by
//    the short-row drawing: 40 to 60 pixels, textured 0.82 / 0.83 against
//    0.81 / 0.82, direct 0.89 / 0.89 and transparent textured 1.13 / 1.13
//    either way;
//  - the lane offsets of one to three steps as masked sums of the step and
//    its double rather than a vector multiply, as the first row's keys wait
//    for them: every family within 0.02 of this walk either way;
//  - the gradients from one division of 1 by the area, each a product put
//    right by its remainder in 64-bit integers: frame 7.76 / 7.83 against
//    6.95 / 7.03 (eight runs).
//  - the list entry of the shaded textured fills setting up a group of
//    triangles first (ordering, rejection, gradients, edges and first-row
//    values into an array) and then walking them one after another from
//    copies of their set-ups: frame 7.40 / 7.44 against 7.07 / 7.09 for
//    groups of 32, 7.39 / 7.40 against 7.04 / 7.07 for groups of four; a
//    triangle's set-up already runs beside the walk before it.
// Working out the gradients after the edges costs more than the empty
// triangles it spares, and a second pass over a triangle's rows costs more
// than the empty rows' branches it saves.
//
// A later profile of that frame (perf's clock samples, pinned, this walk's
// frame then 7.07 full-viewport fills): the shaded textured list entry's
// walk 52%, the face lists 23%, the shaded textured fill of triangles of
// many pixels 6.7%, the parts' vertex preparation and lighting 4.7%, the
// instance sort 1.9% and its vector 1.7%; within the walk no instruction
// above 3%.
// Outside the fills, the same frame (0.80 ms pinned) is 0.03 ms of instance
// update and sort, 0.23 ms of part preparation, face sifting and corners,
// and 0.55 ms of fills with their batching; by profile samples this walk is
// 55% of the frame, the face lists' sifting, corners, screen vertices and
// batching 26%, instance sort and classification 6.5%, the parts' vertex
// preparation and lighting 4.5%, clipping 2%, each spread thin over its
// steps. Measured and not kept (frame minimum / median of five or six
// alternating pinned runs, against this tree):
//  - the subdivision's edge test per triangle without branches (the
//    farther end's ratio always divided out): 7.48 / 7.71 against
//    7.48 / 7.60;
//  - screen vertices of a face wholly inside the view made straight from the
//    prepared vertex, with no transformed vertex between (about 360 KB of
//    pool stores a frame fewer), alone: 7.21 / 7.23 against 7.28 / 7.30,
//    then 7.25 / 7.48 against 6.83 / 7.42. Kept together with the renderer's
//    settings read once for a face list's run rather than per triangle
//    (sg/render/epvertex.h), which with it gave 7.16 / 7.36 against
//    7.34 / 7.71, 7.16 / 7.24 against 7.43 / 7.57, 7.08 / 7.35 against
//    6.98 / 7.45 and 6.98 / 7.26 against 7.22 / 7.69 (the settings' part
//    alone, measured with their checks left out as a bound, 7.32 / 7.44
//    against 7.56 / 7.57).
template <class Attrs, class Pixel, class MakeOp>
[[gnu::always_inline]] inline void ISGTriWalk(const SGQVert* p1, const SGQVert* p2, const SGQVert* p3,
                                              const SGRasterFrame* frame, const MakeOp& makeOp) {
  constexpr std::size_t N = Attrs::kCount;
  const ISGTriOrder order = ISGTriOrderByY(p1, p2, p3);
  const SGQVert& top = *order.top;
  const SGQVert& middle = *order.middle;
  const SGQVert& bottom = *order.bottom;

  if (ISGRoundUpRow(top.y) == ISGRoundUpRow(bottom.y)) return;
  const int32_t dx1 = ISGSub32(middle.x, top.x);
  const int32_t dx2 = ISGSub32(bottom.x, top.x);
  const int32_t dy1 = ISGSub32(middle.y, top.y);
  const int32_t dy2 = ISGSub32(bottom.y, top.y);
  const int32_t area = ISGSub32(ISGFixedMulShift5(dx2, dy1), ISGFixedMulShift5(dy2, dx1));
  if (order.parity ? area >= 0 : area <= 0) return;

  std::array<int32_t, N> topValues{}, middleValues{}, bottomValues{};
  Attrs::Load(top, topValues);
  Attrs::Load(middle, middleValues);
  Attrs::Load(bottom, bottomValues);
  std::array<uint32_t, N> gradX{}, gradY{};
  const int32_t extentX = ISGSub32(std::max({p1->x, p2->x, p3->x}), std::min({p1->x, p2->x, p3->x}));
  const int32_t threshold = std::max(extentX, dy2);
  if (N > 0 && !(area < threshold && ISGNeg32(area) < threshold)) {
#pragma GCC unroll 4
    for (std::size_t k = 0; k < N; ++k) {
      const int32_t da1 = ISGSub32(middleValues[k], topValues[k]);
      const int32_t da2 = ISGSub32(bottomValues[k], topValues[k]);
      gradX[k] = static_cast<uint32_t>(ISGFixedGradientQuick(dy2, da1, da2, dy1, area));
      gradY[k] = static_cast<uint32_t>(ISGFixedGradientQuick(da2, dx1, dx2, da1, area));
    }
  }
  if (dy2 == 0) return;

  constexpr int kPixelShift = std::countr_zero(sizeof(Pixel));
  const int32_t pitch = frame->fbPitch >> kPixelShift;
  Pixel* base = static_cast<Pixel*>(frame->fbPixels);
  const auto op = makeOp();
  if (area >= 0)
    ISGTriWalkEdges<true, Attrs, ISGSlopeFixed>(order, dx1, dy1, dx2, dy2, pitch, topValues, gradX, gradY, base, op);
  else
    ISGTriWalkEdges<false, Attrs, ISGSlopeFixed>(order, dx1, dy1, dx2, dy2, pitch, topValues, gradX, gradY, base, op);
}
