#pragma once
// The vector instructions the fills may use. A fill family with a 256-bit
// path draws with it only where it measured faster than the base path on
// this processor, for triangles of few pixels and of many (ISGManyPixels)
// apart: the first time the family draws triangles of a size, both paths
// draw a sample of such triangles in turn, and the wide path is kept for the
// program's life only when it wins clearly twice over (ISGWideWinsClearly,
// two series of rounds); else the base path is (on some processors the
// gathers of the wide paths lose to the scalar reads, and more so on short
// rows, and a near tie is not worth the risk of a noisy round). A caller may instead hold every fill to one set, which
// is how the tests compare the wide paths with the ones every x86-64 processor runs and the benchmarks print each path
// beside the other. Not for use while another thread draws.

#include <cstddef>
#include <cstdint>

enum class ISGVectorSet {
  kBase,  // what every processor the build targets has (SSE2 on x86-64)
  kAvx2,  // 256-bit integer lanes with gathers
};

// The fill families that have a 256-bit path.
enum class ISGWidePath : std::uint8_t {
  kShaded,                    // untextured Gouraud (triangles of many pixels only)
  kShadedTransparent,         // the same with skipped pixels
  kTexture,                   // 8-bit texels through the colour table
  kTransparentTexture,        // the same, texel 0 keeping the old pixel
  kShadedTransparentTexture,  // shaded transparent texels (many pixels only)
  kDirectTexture,             // 16-bit texels
  kCount,
};

// kAvx2 when the fills may draw with 256-bit paths (each family by its
// measure, or every one after ISGLimitVectorSet(kAvx2)); kBase when the
// processor lacks them or the fills are held to the base set.
ISGVectorSet ISGVectorSetInUse();

// Holds every fill to `set` (never more than the processor has): kBase, the
// base paths; kAvx2, the wide path of every family that has one, measured
// faster or not.
void ISGLimitVectorSet(ISGVectorSet set);

// The default: each family takes the path it measured faster, measured the
// first time it draws (earlier measures are kept).
void ISGUseMeasuredVectorPaths();

// Whether the family's wide path measured faster for triangles of many
// pixels (or of few); measures it now when it has not been. False on a
// processor without the wide set.
bool ISGWidePathMeasuredFaster(ISGWidePath path, bool manyPixels);

// The chooser's rule over one series of rounds in which the base and the
// wide path drew the same sample in turn (base[i] and wide[i] the times of
// round i): the wide path wins clearly when its fastest round took at most
// kISGWideMargin of the base path's fastest and it was the faster in more than
// half of the rounds. False for a series of no rounds.
inline constexpr double kISGWideMargin = 0.9;
bool ISGWideWinsClearly(const double* base, const double* wide, std::size_t rounds);

namespace isg_detail {
enum : std::uint8_t { kDrawBase = 0, kDrawWide = 1, kNotMeasured = 2 };
constexpr std::size_t kChoices = static_cast<std::size_t>(ISGWidePath::kCount) * 2;
extern std::uint8_t g_drawWith[kChoices];
bool MeasureWidePath(ISGWidePath path, bool manyPixels);
}  // namespace isg_detail

// True when the family draws triangles of many pixels (or of few) with its
// 256-bit path now.
inline bool ISGUseAvx2(ISGWidePath path, bool manyPixels) {
  const std::uint8_t with = isg_detail::g_drawWith[static_cast<std::size_t>(path) * 2 + (manyPixels ? 1 : 0)];
  if (with == isg_detail::kNotMeasured) [[unlikely]]
    return isg_detail::MeasureWidePath(path, manyPixels);
  return with == isg_detail::kDrawWide;
}
