#pragma once
// The per-fragment rasteriser the span rasteriser is checked against.

#include "platform/d3d/d3draster.h"

namespace d3dtest {

void ReferenceDrawTriangle(const plat::d3d_impl::RasterTarget& target, const plat::d3d_impl::RasterState& state,
                           const plat::D3DTLVERTEX& a, const plat::D3DTLVERTEX& b, const plat::D3DTLVERTEX& c);

}  // namespace d3dtest
