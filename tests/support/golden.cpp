#include "tests/support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/display/screen.h"

namespace quentest {

plat::Image Crop(const plat::Image& image, const plat::RECT& area) {
  const int left = std::clamp<int>(area.left, 0, image.width), right = std::clamp<int>(area.right, left, image.width);
  const int top = std::clamp<int>(area.top, 0, image.height), bottom = std::clamp<int>(area.bottom, top, image.height);
  plat::Image out;
  out.width = right - left;
  out.height = bottom - top;
  out.rgb.reserve(static_cast<std::size_t>(out.width) * out.height);
  for (int y = top; y < bottom; ++y) {
    const auto row = image.rgb.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    out.rgb.insert(out.rgb.end(), row + left, row + right);
  }
  return out;
}

plat::Image ScreenArea(const plat::RECT& area) { return Crop(plat::ScreenImage(), area); }

::testing::AssertionResult MatchesGolden(const plat::Image& image, const std::filesystem::path& golden) {
  const char* refresh = std::getenv("QUEN_REFRESH_GOLDEN");
  if (refresh && std::string(refresh) == "1") {
    if (!plat::WritePng(golden, image)) return ::testing::AssertionFailure() << "cannot write " << golden;
    return ::testing::AssertionSuccess();
  }
  const auto want = plat::ReadPng(golden);
  if (!want) return ::testing::AssertionFailure() << "no golden picture " << golden << " (refresh it on purpose)";
  const std::filesystem::path actual =
      std::filesystem::temp_directory_path() / (golden.stem().string() + ".actual.png");
  if (want->width != image.width || want->height != image.height) {
    plat::WritePng(actual, image);
    return ::testing::AssertionFailure() << golden.filename() << ": " << image.width << " x " << image.height
                                         << " captured, " << want->width << " x " << want->height
                                         << " kept; capture in " << actual;
  }
  std::size_t differing = 0, first = 0;
  for (std::size_t i = image.rgb.size(); i-- > 0;) {
    if (image.rgb[i] != want->rgb[i]) {
      ++differing;
      first = i;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  plat::WritePng(actual, image);
  return ::testing::AssertionFailure() << golden.filename() << ": " << differing << " pixels differ, the first at ("
                                       << first % static_cast<std::size_t>(image.width) << ", "
                                       << first / static_cast<std::size_t>(image.width) << "); capture in " << actual;
}

}  // namespace quentest
