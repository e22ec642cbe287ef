#pragma once
// A scratch installation per test: a temporary directory mapped as drive C
// (and D for the CD), a registry file of its own, the current directory at C:\.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/core/registry.h"

namespace model_test {

class Sandbox {
 public:
  Sandbox() {
    std::string templ = (std::filesystem::temp_directory_path() / "quenmodel-XXXXXX").string();
    m_root = ::mkdtemp(templ.data());
    std::filesystem::create_directories(m_root / "c");
    std::filesystem::create_directories(m_root / "cd");
    plat::SetRegistryFile(m_root / "registry.reg");
    plat::ClearDrives();
    plat::SetDrive('C', m_root / "c");
    plat::SetDrive('D', m_root / "cd", plat::DriveType::CdRom);
    EXPECT_TRUE(plat::SetCurrentDosDirectory("C:\\"));
  }
  ~Sandbox() {
    plat::ResetRegistryFile();
    plat::ClearDrives();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Host path of a file on drive C ("c/...") or D ("cd/...").
  std::filesystem::path Host(const std::string& rel) const { return m_root / rel; }

  void Write(const std::string& rel, const std::string& bytes) const {
    std::filesystem::create_directories(Host(rel).parent_path());
    std::ofstream(Host(rel), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(Host(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The bytes `save` writes to a new file C:\<name>; it must answer `expected`.
  template <class F>
  std::string Saved(F&& save, const std::string& name = "saved.bin", int expected = 1) const {
    plat::FILE* fp = plat::fopen(("C:\\" + name).c_str(), "wb");
    EXPECT_EQ(save(fp), expected) << name;
    plat::fclose(fp);
    return Read("c/" + name);
  }
  // What `load` answers reading `bytes` from a file on C.
  template <class F>
  int Loaded(const std::string& bytes, F&& load) const {
    Write("c/loaded.bin", bytes);
    plat::FILE* fp = plat::fopen("C:\\loaded.bin", "rb");
    const int result = load(fp);
    plat::fclose(fp);
    return result;
  }

  // Sets a string value under HKEY_CURRENT_USER\SOFTWARE\Halvorn\Quenbar\<key>.
  void SetValue(const char* key, const char* name, const std::string& value) const {
    const std::string path = std::string("SOFTWARE\\Halvorn\\Quenbar\\") + key;
    plat::HKEY h = nullptr;
    ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, plat::KEY_ALL_ACCESS,
                                   nullptr, &h, nullptr),
              plat::ERROR_SUCCESS);
    plat::RegSetValueEx(h, name, 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(value.c_str()),
                        static_cast<plat::DWORD>(value.size() + 1));
    plat::RegCloseKey(h);
  }

 private:
  std::filesystem::path m_root;
};

}  // namespace model_test
