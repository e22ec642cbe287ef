#pragma once

#include <filesystem>
#include <string>

// The source tree and the build tree of the project this test belongs to.
inline std::filesystem::path ProjectSourceDir() {
  return (std::filesystem::path(QUEN_TEST_DATA_DIR) / ".." / ".." / ".." / "..").lexically_normal();
}

inline std::filesystem::path ProjectBuildDir() { return std::filesystem::path(QUEN_BUILD_DIR); }

std::string ReadWholeFile(const std::filesystem::path& path);
