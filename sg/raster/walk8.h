#pragma once
// The floating-point set-up of the 8-bpp textured walkers over the shared edge
// walk of triwalk.h, recording rows into a span list. Internal.
//
// Precision: the area A, k = 2048 / A and the edge reciprocals 65536 / height
// are rounded to 32-bit floats; deltas, attribute differences and products
// are kept in double, which holds them exactly for on-screen triangles.

#include <array>
#include <cstddef>
#include <cstdint>

#include "sg/raster/fill.h"
#include "sg/raster/fixed.h"
#include "sg/raster/span8.h"
#include "sg/raster/triwalk.h"

struct ISGSlopeFloat {
  static int32_t Of(int32_t width, int32_t height) {
    const float reciprocal = 65536.0f / static_cast<float>(height);
    return ISGFixedFromDouble(static_cast<double>(width) * reciprocal);
  }
};

// Attribute lists of the walkers: the vertex fields, and where the list keeps
// their steps and row values.
struct ISGAttrs8UV {
  static constexpr std::size_t kCount = 2;
  static std::array<float, 2> Of(const SGQVert& v) { return {v.u, v.v}; }
  // Attributes not carried are recorded as 0, so no filler reads an unset field.
  static void Steps(SGSpanList& list, const std::array<uint32_t, 2>& g) {
    list.slDuDx = static_cast<int32_t>(g[0]);
    list.slDvDx = static_cast<int32_t>(g[1]);
    list.slDqDx = list.slDcDx = 0;
  }
  static void Values(SGSpan& span, const std::array<uint32_t, 2>& a) {
    span.spU = static_cast<int32_t>(a[0]);
    span.spV = static_cast<int32_t>(a[1]);
    span.spQ = span.spCol = 0;
  }
};

struct ISGAttrs8UVQ {
  static constexpr std::size_t kCount = 3;
  static std::array<float, 3> Of(const SGQVert& v) { return {v.u, v.v, v.q}; }
  static void Steps(SGSpanList& list, const std::array<uint32_t, 3>& g) {
    ISGAttrs8UV::Steps(list, {g[0], g[1]});
    list.slDqDx = static_cast<int32_t>(g[2]);
  }
  static void Values(SGSpan& span, const std::array<uint32_t, 3>& a) {
    ISGAttrs8UV::Values(span, {a[0], a[1]});
    span.spQ = static_cast<int32_t>(a[2]);
  }
};

struct ISGAttrs8UVQC {
  static constexpr std::size_t kCount = 4;
  static std::array<float, 4> Of(const SGQVert& v) { return {v.u, v.v, v.q, v.col}; }
  static void Steps(SGSpanList& list, const std::array<uint32_t, 4>& g) {
    ISGAttrs8UVQ::Steps(list, {g[0], g[1], g[2]});
    list.slDcDx = static_cast<int32_t>(g[3]);
  }
  static void Values(SGSpan& span, const std::array<uint32_t, 4>& a) {
    ISGAttrs8UVQ::Values(span, {a[0], a[1], a[2]});
    span.spCol = static_cast<int32_t>(a[3]);
  }
};

struct ISGAttrs8UVC {
  static constexpr std::size_t kCount = 3;
  static std::array<float, 3> Of(const SGQVert& v) { return {v.u, v.v, v.col}; }
  static void Steps(SGSpanList& list, const std::array<uint32_t, 3>& g) {
    ISGAttrs8UV::Steps(list, {g[0], g[1]});
    list.slDcDx = static_cast<int32_t>(g[2]);
  }
  static void Values(SGSpan& span, const std::array<uint32_t, 3>& a) {
    ISGAttrs8UV::Values(span, {a[0], a[1]});
    span.spCol = static_cast<int32_t>(a[2]);
  }
};

template <class Attrs>
struct ISGOpRecordRows {
  static constexpr bool kRowRecords = true;
  SGSpanList* list;
  uintptr_t base;

  void Row(int32_t row, int64_t longOffset, int64_t shortOffset,
           const std::array<uint32_t, Attrs::kCount>& values) const {
    const int64_t index = static_cast<int64_t>(row) - list->slFirstRow;
    if (index < 0 || index >= kSGSpanRows) return;  // the walker's row bound makes this unreachable
    SGSpan& span = list->slSpans[index];
    span.spLong = base + static_cast<uintptr_t>(longOffset);
    span.spShort = base + static_cast<uintptr_t>(shortOffset);
    Attrs::Values(span, values);
    list->slLastRow = row;
  }
};

// Sets up and walks the triangle into the list. classify(gradX, gradY) gives
// the extra flag bits of a triangle whose gradients were computed.
template <class Attrs, class Classify>
uint32_t ISGWalk8(const SGQVert* p1, const SGQVert* p2, const SGQVert* p3, const SGRasterFrame* frame, SGSpanList* list,
                  const Classify& classify) {
  constexpr std::size_t N = Attrs::kCount;
  const ISGTriOrder order = ISGTriOrderByY(p1, p2, p3);
  const SGQVert& top = *order.top;
  const SGQVert& middle = *order.middle;
  const SGQVert& bottom = *order.bottom;
  if (ISGRoundUpRow(top.y) == ISGRoundUpRow(bottom.y)) return 0;

  const int32_t dx1 = ISGSub32(middle.x, top.x);
  const int32_t dx2 = ISGSub32(bottom.x, top.x);
  const int32_t dy1 = ISGSub32(middle.y, top.y);
  const int32_t dy2 = ISGSub32(bottom.y, top.y);
  const double fdx1 = static_cast<float>(dx1), fdx2 = static_cast<float>(dx2);
  const double fdy1 = static_cast<float>(dy1), fdy2 = static_cast<float>(dy2);
  const float area = static_cast<float>((fdx2 * fdy1 - fdy2 * fdx1) * 0.03125);
  if (order.parity ? !(area < 0) : !(area > 0)) return 0;

  std::array<uint32_t, N> gradX{}, gradY{};
  uint32_t flags = 0;
  const int32_t extentX = ISGSub32(std::max({p1->x, p2->x, p3->x}), std::min({p1->x, p2->x, p3->x}));
  const double extent = std::max(extentX, dy2);
  const double threshold = std::max(extent * extent * (1.0 / 16384), 16.0);
  if (area >= threshold || -area >= threshold) {
    const float k = static_cast<float>(2048.0 / area);
    const std::array<float, N> a0 = Attrs::Of(top), a1 = Attrs::Of(middle), a2 = Attrs::Of(bottom);
    for (std::size_t i = 0; i < N; ++i) {
      const double da1 = static_cast<double>(a1[i]) - a0[i];
      const double da2 = static_cast<double>(a2[i]) - a0[i];
      gradX[i] = static_cast<uint32_t>(ISGFixedFromDouble((da2 * fdy1 - fdy2 * da1) * k));
      gradY[i] = static_cast<uint32_t>(ISGFixedFromDouble((fdx2 * da1 - da2 * fdx1) * k));
    }
    flags |= classify(gradX, gradY);
  }
  if (dy2 == 0) return 0;

  const int32_t firstRow = ISGRoundUpRow(top.y) >> 5;
  const int32_t endRow = ISGAdd32(ISGShl32(bottom.y, 11), 0xFFFF) >> 16;
  if (static_cast<int64_t>(endRow) - firstRow > kSGSpanRows) return 0;

  std::array<int32_t, N> topValues;
  const std::array<float, N> topFloats = Attrs::Of(top);
  for (std::size_t i = 0; i < N; ++i) topValues[i] = ISGFixedFromFloat(topFloats[i]);
  list->slFirstRow = firstRow;
  list->slLastRow = firstRow - 1;
  Attrs::Steps(*list, gradX);

  const ISGOpRecordRows<Attrs> op{list, reinterpret_cast<uintptr_t>(frame->fbPixels)};
  auto* base = static_cast<uint8_t*>(frame->fbPixels);
  if (area >= 0)
    ISGTriWalkEdges<true, Attrs, ISGSlopeFloat>(order, dx1, dy1, dx2, dy2, frame->fbPitch, topValues, gradX, gradY,
                                                base, op);
  else
    ISGTriWalkEdges<false, Attrs, ISGSlopeFloat>(order, dx1, dy1, dx2, dy2, frame->fbPitch, topValues, gradX, gradY,
                                                 base, op);
  if (list->slLastRow < list->slFirstRow) return 0;
  return flags | (area >= 0 ? SG_FILL_RIGHT_TO_LEFT : SG_FILL_LEFT_TO_RIGHT);
}
