// The registry of a fresh installation, read back as the program reads it.
#include "tools/registry/fresh_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/core/registry.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Value(plat::HKEY root, const char* key, const char* name) {
  plat::HKEY h = nullptr;
  if (plat::RegOpenKeyEx(root, key, 0, plat::KEY_READ, &h) != plat::ERROR_SUCCESS) return "(no key)";
  char data[260] = {};
  plat::DWORD size = sizeof data;
  const bool ok = plat::RegQueryValueEx(h, name, nullptr, nullptr, reinterpret_cast<plat::BYTE*>(data), &size) ==
                  plat::ERROR_SUCCESS;
  plat::RegCloseKey(h);
  return ok ? data : "(none)";
}

TEST(FreshRegistry, HoldsTheLayoutTheDrivesAndTheServer) {
  const quentest::TempDir dir("fresh-registry");
  const auto file = dir.path() / "registry.reg";
  registrydata::FreshInstallation install{"C:\\QUENBAR", "D:\\",    {{"PATH", "."}, {"GUILD13DPATH", "3DDATA/GUILD1"}},
                                          "/host/c",     "/host/d", "/host/quensrvr"};
  std::string error = "(none)";
  ASSERT_TRUE(registrydata::WriteFreshRegistry(file, install, error)) << error;
  // Written again over an older file, nothing of the older one stays.
  install.directories.pop_back();
  ASSERT_TRUE(registrydata::WriteFreshRegistry(file, install, error)) << error;

  plat::SetRegistryFile(file);
  constexpr const char* kRelease = "SOFTWARE\\Halvorn\\Quenbar\\Release";
  EXPECT_EQ(Value(plat::HKEY_CURRENT_USER, kRelease, "PATH"), "C:\\QUENBAR\\");
  EXPECT_EQ(Value(plat::HKEY_CURRENT_USER, kRelease, "GUILD13DPATH"), "(none)");
  EXPECT_EQ(Value(plat::HKEY_CURRENT_USER, kRelease, "CDPATH"), "D:\\");
  EXPECT_EQ(Value(plat::HKEY_CURRENT_USER, kRelease, "QUICKSTARTFILE"), "");
  EXPECT_EQ(Value(plat::HKEY_CURRENT_USER, "SOFTWARE\\Halvorn\\Quenbar\\Debug", "KILLSERVERONEXIT"), "1");
  EXPECT_EQ(Value(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Drives", "D"), "/host/d");
  EXPECT_EQ(Value(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", "QuenSrvr.exe"), "/host/quensrvr");
  plat::ResetRegistryFile();

  // A value the file cannot keep fails the whole write, and the file stays as it was.
  const auto before = std::filesystem::file_size(file);
  install.directories.push_back({"HELPPATH", "HE\nLP"});
  EXPECT_FALSE(registrydata::WriteFreshRegistry(file, install, error));
  EXPECT_NE(error.find("HELPPATH"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(file), before);
}

}  // namespace
