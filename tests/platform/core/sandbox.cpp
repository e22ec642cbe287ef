// Every test of this program runs with its configuration directory in a
// scratch place, so nothing here can touch the user's real registry file.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace {

class ConfigSandbox : public ::testing::Environment {
 public:
  void SetUp() override { ::setenv("QUENBAR_CONFIG_DIR", dir_.path().c_str(), 1); }

 private:
  quentest::TempDir dir_;
};

[[maybe_unused]] ::testing::Environment* const g_sandbox = ::testing::AddGlobalTestEnvironment(new ConfigSandbox);

}  // namespace
