#pragma once
// The fixture module of these tests (data/fixture.dll, compiled from
// data/fixture.rc), loaded once per test and freed after it.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/resource/module.h"

namespace restest {

inline std::filesystem::path FixturePath() { return std::filesystem::path(QUEN_TEST_DATA_DIR) / "fixture.dll"; }

inline std::vector<std::uint8_t> FixtureBytes() {
  std::ifstream in(FixturePath(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FixtureModule : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = plat::LoadLibrary(FixturePath().c_str());
    ASSERT_NE(module_, nullptr) << plat::LastModuleError();
  }
  void TearDown() override { plat::FreeLibrary(module_); }

  plat::HMODULE module_ = nullptr;
};

}  // namespace restest
