#pragma once
// Golden pictures: a capture compared whole with a PNG kept beside the tests,
// instead of pixel probes. With QUEN_REFRESH_GOLDEN=1 in the environment the
// capture is written as the new golden picture and the check passes; that is
// the only way goldens change (tests/support/refresh-goldens runs every test
// program so).

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/core/types.h"
#include "platform/display/backend.h"

namespace quentest {

// The part `area` of a picture (clipped to it).
plat::Image Crop(const plat::Image& image, const plat::RECT& area);
// What the screen shows now, as the headless capture has it.
plat::Image ScreenArea(const plat::RECT& area);

// Success when `image` equals the PNG `golden` pixel for pixel. On a mismatch
// the capture is written beside the temporary folder's "<name>.actual.png"
// and the message says where and how many pixels differ.
::testing::AssertionResult MatchesGolden(const plat::Image& image, const std::filesystem::path& golden);

}  // namespace quentest
