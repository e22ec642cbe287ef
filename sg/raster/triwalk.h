#pragma once
// The triangle set-up and integer edge walk shared by the triangle fills,
// a template over the attributes interpolated, the pixel type and the
// per-pixel operation. Internal to the rasterizer.
//
// The fill hands ISGTriWalk a maker of its operation. An operation is either
// per pixel,
//     void operator()(Pixel& pixel, const std::array<uint32_t, N>& values) const;
// called along each span from the long-edge pixel toward the short-edge pixel
// with the 16.16 attribute values at that pixel, or, with
//     static constexpr bool kWholeSpans = true;
//     void Span(Pixel* left, Pixel* right) const;
// handed each non-empty row from its left end to its right end, or, with
//     static constexpr bool kRowRecords = true;
//     void Row(int32_t row, int64_t longOffset, int64_t shortOffset,
//              const std::array<uint32_t, N>& values) const;
// handed every row as the walk leaves it, drawn or empty, with the long-edge
// values (for fills that record rows first and draw them later), or, with
//     static constexpr std::size_t kKeys = K;
//     template <class T> static std::array<T, K> Keys(const std::array<T, N>& values);
//     void Put(Pixel& pixel, const std::array<uint32_t, K>& keys) const;
// per pixel, where Keys turns the attribute values into the K table offsets
// the pixel reads (the same expressions for one pixel's uint32_t values and
// for ISGLanes of four) and Put draws with them.
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

// Attribute sets, read from the vertex by truncation to 27.5 integers.
struct ISGAttrsNone {
  static constexpr std::size_t kCount = 0;
  static void Load(const SGQVert&, std::array<int32_t, 0>&) {}
};

struct ISGAttrsQ {
  static constexpr std::size_t kCount = 1;
  static void Load(const SGQVert& vertex, std::array<int32_t, 1>& out) {
    out[0] = ISGFixedFromFloat(vertex.q);
  }
};

struct ISGAttrsUV {
  static constexpr std::size_t kCount = 2;
  static void Load(const SGQVert& vertex, std::array<int32_t, 2>& out) {
    out[0] = ISGFixedFromFloat(vertex.u);
    out[1] = ISGFixedFromFloat(vertex.v);
  }
};

struct ISGAttrsUVQ {
  static constexpr std::size_t kCount = 3;
  static void Load(const SGQVert& vertex, std::array<int32_t, 3>& out) {
    out[0] = ISGFixedFromFloat(vertex.u);
    out[1] = ISGFixedFromFloat(vertex.v);
    out[2] = ISGFixedFromFloat(vertex.q);
  }
};

// Top, middle and bottom by y; parity is true for an even reordering of the
// passed order. Ties are broken exactly as the table of tests below does.
struct ISGTriOrder {
  const SGQVert* top;
  const SGQVert* middle;
  const SGQVert* bottom;
  bool parity;
};

inline ISGTriOrder ISGTriOrderByY(const SGQVert* p1, const SGQVert* p2, const SGQVert* p3) {
  if (p1->y < p2->y) {
    if (p3->y >= p2->y) return {p1, p2, p3, true};
    if (p1->y < p3->y) return {p1, p3, p2, false};
    return {p3, p1, p2, true};
  }
  if (p1->y < p3->y) return {p2, p1, p3, false};
  if (p3->y < p2->y) return {p3, p2, p1, false};
  return {p2, p3, p1, true};
}

// A 27.5 value rounded up to a whole pixel row, still in 27.5.
inline int32_t ISGRoundUpRow(int32_t value) {
  return ISGAdd32(value, 31) & ~31;
}

// One edge's walk state: the pixel on the current row, the two row steps
// (stepA for the slope rounded down, stepB one pixel further right; the same
// step for a whole slope) and the error term that chooses between them.
struct ISGEdge {
  int64_t offset;  // pixel offset of the edge pixel from fbPixels
  int64_t stepA;
  int64_t stepB;
  int32_t error;
  int32_t fraction;
  int32_t pixel;     // column of the edge pixel on the first row
  int32_t columnsA;  // stepA and stepB less the pitch: columns moved per row
  int32_t columnsB;
};

// 0x200000 / height for the heights of most edges, so that an edge's set-up
// costs no division.
inline constexpr int32_t kISGReciprocals = 1024;
inline constexpr auto kISGReciprocalTable = [] {
  std::array<int32_t, kISGReciprocals> table{};
  for (int32_t height = 1; height < kISGReciprocals; ++height) table[height] = 0x200000 / height;
  return table;
}();

// The slope in 16.16 pixels per row of an edge over (width, height), 27.5,
// from a truncated integer reciprocal. height must not be 0.
struct ISGSlopeFixed {
  static int32_t Of(int32_t width, int32_t height) {
    const int32_t reciprocal =
        static_cast<uint32_t>(height) < kISGReciprocals ? kISGReciprocalTable[height] : 0x200000 / height;
    return ISGFixedMulShift5(width, reciprocal);
  }
};

// Sets up the edge from (originX, originY) with the given slope at the 27.5
// row startY. kRoundUp picks the left-edge rounding (ceil) over the
// right-edge one (floor). The slope's sign is as unpredictable as the order
// of the vertices, so it selects values instead of code.
template <bool kRoundUp>
inline ISGEdge ISGEdgeSetUp(int32_t originX, int32_t originY, int32_t slope, int32_t startY, int32_t pitch) {
  ISGEdge edge{};
  const int32_t magnitude = ISGNeg32(slope) >> 16;
  const int32_t whole = slope >= 0 ? slope >> 16 : ISGNeg32(magnitude);
  const int32_t x = ISGAdd32(ISGShl32(originX, 11), ISGFixedMulShift5(ISGSub32(startY, originY), slope));
  const int32_t fraction = slope & 0xFFFF;
  const bool split = fraction != 0;
  edge.pixel = kRoundUp ? ISGAdd32(x, 0xFFFF) >> 16 : x >> 16;
  // Rounding up, the fraction is measured from the pixel to its right.
  edge.fraction = kRoundUp ? (0x10000 - fraction) & 0xFFFF : fraction;
  const int32_t error = !split ? 0x8000 : kRoundUp ? ISGSub32(ISGShl32(edge.pixel, 16), x) : x & 0xFFFF;
  edge.error = ISGSub32(0x10000, error);
  edge.columnsA = whole - (split && slope < 0);
  edge.columnsB = whole + (split && slope > 0);
  edge.stepA = static_cast<int64_t>(pitch) + edge.columnsA;
  edge.stepB = static_cast<int64_t>(pitch) + edge.columnsB;
  return edge;
}

// Moves an edge to the next row; returns all ones when it took stepA, else 0.
// A left edge (rounded up) takes stepA when its error runs out, a right edge
// (rounded down) takes stepB. The choice follows the slope's fraction, which
// no predictor learns, so it is made with masks rather than branches.
template <bool kRoundUp>
inline uint32_t ISGEdgeStep(ISGEdge& edge) {
  const int32_t error = ISGSub32(edge.error, edge.fraction);
  const uint32_t carry = 0u - static_cast<uint32_t>(error <= 0);
  edge.error = ISGAdd32(error, static_cast<int32_t>(carry & 0x10000));
  const uint32_t takeA = kRoundUp ? carry : ~carry;
  const uint64_t wideA = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(takeA)));
  edge.offset += edge.stepB + static_cast<int64_t>(static_cast<uint64_t>(edge.stepA - edge.stepB) & wideA);
  return takeA;
}

template <std::size_t N>
struct ISGLongEdge {
  ISGEdge edge;
  std::array<uint32_t, N> values;  // attributes at the edge pixel
  std::array<uint32_t, N> rowA;    // attribute steps with stepA and stepB
  std::array<uint32_t, N> rowB;
};

template <class Op>
concept ISGWholeSpanOp = Op::kWholeSpans;
template <class Op>
concept ISGKeyedOp = Op::kKeys >
0;

// Four 32-bit lanes, one per pixel, in the compiler's vector extension:
// shifts, masks and sums written as for uint32_t act lane by lane.
using ISGLanes = uint32_t __attribute__((vector_size(16)));
inline constexpr int kISGLaneCount = 4;
template <class Op>
concept ISGRowRecordOp = Op::kRowRecords;

// Runs op along count pixels from pixel in direction kStep. The attribute
// values are kept in scalars: as an array carried from pixel to pixel they
// were packed into vector registers and stored and reloaded every pixel.
template <int kStep, std::size_t N, class Pixel, class Op>
inline void ISGWalkSpan(Pixel* pixel, int64_t count, const std::array<uint32_t, N>& start,
                        const std::array<uint32_t, N>& step, const Op& op) {
  static_assert(N <= 3);
  uint32_t a0 = 0, a1 = 0, a2 = 0;
  if constexpr (N > 0) a0 = start[0];
  if constexpr (N > 1) a1 = start[1];
  if constexpr (N > 2) a2 = start[2];
  for (; count > 0; --count, pixel += kStep) {
    if constexpr (N == 0) op(*pixel, std::array<uint32_t, 0>{});
    if constexpr (N == 1) op(*pixel, std::array<uint32_t, 1>{a0});
    if constexpr (N == 2) op(*pixel, std::array<uint32_t, 2>{a0, a1});
    if constexpr (N == 3) op(*pixel, std::array<uint32_t, 3>{a0, a1, a2});
    if constexpr (N > 0) a0 += step[0];
    if constexpr (N > 1) a1 += step[1];
    if constexpr (N > 2) a2 += step[2];
  }
}

// A triangle's span steps in vector lanes: lane i of offsets is i steps,
// every lane of stride four steps.
template <std::size_t N>
struct ISGLaneSteps {
  std::array<ISGLanes, N> offsets;
  std::array<ISGLanes, N> stride;

  explicit ISGLaneSteps(const std::array<uint32_t, N>& step) {
    for (std::size_t k = 0; k < N; ++k) {
      offsets[k] = ISGLanes{0, 1, 2, 3} * step[k];
      stride[k] = ISGLanes{} + step[k] * kISGLaneCount;
    }
  }
};

// ISGWalkSpan for an op that reads tables: the table offsets of four pixels
// at a time are computed in vector lanes, leaving the scalar work to the
// loads and the store. Lane i holds the values of pixel i of the four, which
// are the values the one-pixel walk reaches by adding the step i times.
template <int kStep, std::size_t N, class Pixel, class Op>
requires ISGKeyedOp<Op>
[[gnu::always_inline]] inline void ISGWalkSpan(Pixel* pixel, int64_t count,
                                               const std::array<uint32_t, N>& start,
                                               const std::array<uint32_t, N>& step, const Op& op,
                                               const ISGLaneSteps<N>& laneSteps) {
  constexpr std::size_t K = Op::kKeys;
  std::array<ISGLanes, N> lanes;
  for (std::size_t k = 0; k < N; ++k) lanes[k] = laneSteps.offsets[k] + start[k];
  for (; count >= kISGLaneCount; count -= kISGLaneCount, pixel += kStep * kISGLaneCount) {
    const std::array<ISGLanes, K> keys = Op::Keys(lanes);
#pragma GCC unroll 4
    for (int i = 0; i < kISGLaneCount; ++i) {
      std::array<uint32_t, K> pixelKeys;
      for (std::size_t k = 0; k < K; ++k) pixelKeys[k] = keys[k][i];
      op.Put(pixel[kStep * i], pixelKeys);
    }
    for (std::size_t k = 0; k < N; ++k) lanes[k] += laneSteps.stride[k];
  }
  std::array<uint32_t, N> values;
  for (std::size_t k = 0; k < N; ++k) values[k] = lanes[k][0];
  for (; count > 0; --count, pixel += kStep) {
    op.Put(*pixel, Op::Keys(values));
    for (std::size_t k = 0; k < N; ++k) values[k] += step[k];
  }
}

// Draws the rows of one half until endRow. kLongRight: the long edge is the
// right edge (area not negative) and spans run right to left.
template <bool kLongRight, std::size_t N, class Pixel, class Op>
inline void ISGTriWalkRows(ISGLongEdge<N>& longEdgeState, ISGEdge shortEdge, int32_t& rowState,
                           int32_t endRow, const std::array<uint32_t, N>& spanStep, Pixel* base,
                           const Op& opState) {
  // Work on copies whose addresses do not escape: as far as the compiler
  // knows, a pixel store could change anything reached through a reference.
  ISGLongEdge<N> longEdge = longEdgeState;
  const Op op = opState;
  const std::array<uint32_t, N> step = spanStep;
  [[maybe_unused]] const ISGLaneSteps<N> laneSteps(step);
  int32_t row = rowState;
  while (row < endRow) {
    if constexpr (ISGRowRecordOp<Op>) {
      op.Row(row, longEdge.edge.offset, shortEdge.offset, longEdge.values);
    } else if constexpr (ISGWholeSpanOp<Op>) {
      const int64_t left = kLongRight ? shortEdge.offset : longEdge.edge.offset;
      const int64_t right = kLongRight ? longEdge.edge.offset : shortEdge.offset;
      if (left <= right) op.Span(base + left, base + right);
    } else {
      const int64_t count = kLongRight ? longEdge.edge.offset - shortEdge.offset + 1
                                       : shortEdge.offset - longEdge.edge.offset + 1;
      Pixel* const first = base + longEdge.edge.offset;
      if constexpr (ISGKeyedOp<Op>) {
        if (count > 0) ISGWalkSpan<kLongRight ? -1 : 1>(first, count, longEdge.values, step, op, laneSteps);
      } else {
        if (count > 0) ISGWalkSpan<kLongRight ? -1 : 1>(first, count, longEdge.values, step, op);
      }
    }
    const uint32_t takeA = ISGEdgeStep<!kLongRight>(longEdge.edge);
    for (std::size_t k = 0; k < N; ++k)
      longEdge.values[k] += longEdge.rowB[k] + ((longEdge.rowA[k] - longEdge.rowB[k]) & takeA);
    ISGEdgeStep<kLongRight>(shortEdge);
    ++row;
  }
  longEdgeState = longEdge;
  rowState = row;
}

template <bool kLongRight, class Attrs, class Slope, class Pixel, class Op>
inline void ISGTriWalkEdges(const ISGTriOrder& order, int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2,
                            int32_t pitch, const std::array<int32_t, Attrs::kCount>& topValues,
                            const std::array<uint32_t, Attrs::kCount>& gradX,
                            const std::array<uint32_t, Attrs::kCount>& gradY, Pixel* base, const Op& op) {
  constexpr std::size_t N = Attrs::kCount;
  const SGQVert& top = *order.top;
  const SGQVert& middle = *order.middle;
  const SGQVert& bottom = *order.bottom;

  const int32_t firstY = ISGRoundUpRow(top.y);
  const int32_t prestep = ISGSub32(firstY, top.y);
  int32_t row = firstY >> 5;
  const int32_t middleRow = ISGAdd32(middle.y, 31) >> 5;

  ISGLongEdge<N> longEdge;
  longEdge.edge = ISGEdgeSetUp<!kLongRight>(top.x, top.y, Slope::Of(dx2, dy2), firstY, pitch);
  longEdge.edge.offset = static_cast<int64_t>(pitch) * row + longEdge.edge.pixel;
  const int32_t towardPixel = ISGSub32(ISGShl32(longEdge.edge.pixel, 5), top.x);
  for (std::size_t k = 0; k < N; ++k) {
    const int32_t gx = static_cast<int32_t>(gradX[k]);
    const int32_t gy = static_cast<int32_t>(gradY[k]);
    longEdge.values[k] = static_cast<uint32_t>(ISGShl32(topValues[k], 11)) +
                         static_cast<uint32_t>(ISGFixedMulShift5(towardPixel, gx)) +
                         static_cast<uint32_t>(ISGFixedMulShift5(prestep, gy));
    longEdge.rowA[k] = gradY[k] + static_cast<uint32_t>(longEdge.edge.columnsA) * gradX[k];
    longEdge.rowB[k] = gradY[k] + static_cast<uint32_t>(longEdge.edge.columnsB) * gradX[k];
  }

  std::array<uint32_t, N> spanStep;
  for (std::size_t k = 0; k < N; ++k) spanStep[k] = kLongRight ? 0u - gradX[k] : gradX[k];

  // The upper half's short edge runs from the top, the lower half's from the
  // middle vertex; a half with rows left whose short edge has no height ends
  // the fill.
  struct Half {
    const SGQVert* origin;
    int32_t width, height, startY, endRow;
  };
  const Half halves[2] = {
      {&top, dx1, dy1, firstY, middleRow},
      {&middle, ISGSub32(dx2, dx1), ISGSub32(dy2, dy1), ISGRoundUpRow(middle.y),
       ISGAdd32(ISGShl32(bottom.y, 11), 0xFFFF) >> 16},
  };
  for (const Half& half : halves) {
    if (row >= half.endRow) continue;
    if (half.height == 0) return;
    ISGEdge shortEdge = ISGEdgeSetUp<kLongRight>(half.origin->x, half.origin->y,
                                                 Slope::Of(half.width, half.height), half.startY, pitch);
    shortEdge.offset = static_cast<int64_t>(pitch) * row + shortEdge.pixel;
    ISGTriWalkRows<kLongRight>(longEdge, shortEdge, row, half.endRow, spanStep, base, op);
  }
}

// The whole fill: ordering, empty-row exit, area and back-face rejection,
// gradients with the sliver rule, then the walk. makeOp() builds the
// operation once the triangle is known to be drawn, so a rejected triangle
// reads neither its colour nor its tables.
template <class Attrs, class Pixel, class MakeOp>
void ISGTriWalk(const SGQVert* p1, const SGQVert* p2, const SGQVert* p3, const SGRasterFrame* frame,
                const MakeOp& makeOp) {
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
    const double inverse = 1.0 / area;
    for (std::size_t k = 0; k < N; ++k) {
      const int32_t da1 = ISGSub32(middleValues[k], topValues[k]);
      const int32_t da2 = ISGSub32(bottomValues[k], topValues[k]);
      gradX[k] = static_cast<uint32_t>(ISGFixedGradientBy(dy2, da1, da2, dy1, area, inverse));
      gradY[k] = static_cast<uint32_t>(ISGFixedGradientBy(da2, dx1, dx2, da1, area, inverse));
    }
  }
  if (dy2 == 0) return;

  constexpr int kPixelShift = std::countr_zero(sizeof(Pixel));
  const int32_t pitch = frame->fbPitch >> kPixelShift;
  Pixel* base = static_cast<Pixel*>(frame->fbPixels);
  const auto op = makeOp();
  if (area >= 0)
    ISGTriWalkEdges<true, Attrs, ISGSlopeFixed>(order, dx1, dy1, dx2, dy2, pitch, topValues, gradX, gradY,
                                                base, op);
  else
    ISGTriWalkEdges<false, Attrs, ISGSlopeFixed>(order, dx1, dy1, dx2, dy2, pitch, topValues, gradX, gradY,
                                                 base, op);
}
