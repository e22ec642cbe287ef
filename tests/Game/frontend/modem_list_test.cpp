#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Game/frontend/CModemDlg.h"
#include "platform/core/registry.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kModems = "System\\CurrentControlSet\\Services\\Class\\Modem\\";

class ModemList : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetRegistryFile(tmp.path() / "registry.reg"); }
  void TearDown() override { plat::ResetRegistryFile(); }

  // A modem subkey, with its description unless `description` is null.
  static void AddModem(const char* subkey, const char* description) {
    plat::HKEY key = nullptr;
    const std::string path = std::string(kModems) + subkey;
    ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, plat::REG_OPTION_NON_VOLATILE,
                                   plat::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              plat::ERROR_SUCCESS);
    if (description)
      plat::RegSetValueEx(key, "DriverDesc", 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(description),
                          static_cast<plat::DWORD>(std::strlen(description) + 1));
    plat::RegCloseKey(key);
  }

  quentest::TempDir tmp;
};

TEST_F(ModemList, AMachineWithoutTheModemKeyListsNothing) { EXPECT_TRUE(ListModems().empty()); }

TEST_F(ModemList, ModemsAreListedByTheirDescriptionsInKeyOrder) {
  AddModem("0001", "Second Modem");
  AddModem("0000", "First Modem 28800");
  EXPECT_EQ(ListModems(), (std::vector<std::string>{"First Modem 28800", "Second Modem"}));
}

TEST_F(ModemList, AModemWithoutADescriptionEndsTheListWithTheErrorCode) {
  AddModem("0000", "Working Modem");
  AddModem("0001", nullptr);
  AddModem("0002", "Never Reached");
  const std::vector<std::string> modems = ListModems();
  ASSERT_EQ(modems.size(), 2u);
  EXPECT_EQ(modems[0], "Working Modem");
  EXPECT_EQ(modems[1][0], ':');
  EXPECT_NE(modems[1], ":0");
}

}  // namespace
