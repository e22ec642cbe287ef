#pragma once
// The resource tests' fixture module (tests/platform/resource/data/fixture.dll,
// compiled from fixture.rc beside it), whose cursor, icons and bitmap other
// tests use too: loaded for a scope and freed at its end (null when it cannot
// be loaded). Not for use from several threads.

#include <filesystem>

#include "platform/resource/module.h"

namespace quentest {

inline std::filesystem::path FixtureModulePath() {
  return std::filesystem::path(QUEN_SOURCE_DIR) / "tests/platform/resource/data/fixture.dll";
}

struct FixtureModule {
  FixtureModule() : module(plat::LoadLibrary(FixtureModulePath().c_str())) {}
  ~FixtureModule() { plat::FreeLibrary(module); }
  FixtureModule(const FixtureModule&) = delete;
  FixtureModule& operator=(const FixtureModule&) = delete;

  plat::HMODULE module;
};

}  // namespace quentest
