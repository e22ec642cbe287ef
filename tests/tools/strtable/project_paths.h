#pragma once

#include <filesystem>

#include "tests/support/source_scan.h"

// The source tree and the build tree of the project this test belongs to.
inline std::filesystem::path ProjectSourceDir() {
  return (std::filesystem::path(QUEN_TEST_DATA_DIR) / ".." / ".." / ".." / "..").lexically_normal();
}

inline std::filesystem::path ProjectBuildDir() { return std::filesystem::path(QUEN_BUILD_DIR); }

using quentest::ReadWholeFile;
