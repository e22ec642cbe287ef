#pragma once
// The game core's scratch installation: the shared scratch drive (C, with
// the CD as D, a registry file of its own, the current directory at C:\),
// addressed as "c/..." and "cd/...", with the save, load and registry steps
// the model's tests share.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/core/registry.h"
#include "tests/support/scoped_file.h"
#include "tests/support/scratch_drive.h"

namespace model_test {

class Sandbox {
 public:
  // Host path of a file on drive C ("c/...") or D ("cd/...").
  std::filesystem::path Host(const std::string& rel) const {
    if (rel.rfind("cd/", 0) == 0) return m_drive.OnCd(rel.substr(3));
    return m_drive.Host(rel.rfind("c/", 0) == 0 ? rel.substr(2) : rel);
  }
  void Write(const std::string& rel, const std::string& bytes) const { quentest::WriteHostFile(Host(rel), bytes); }
  std::string Read(const std::string& rel) const { return quentest::ReadHostFile(Host(rel)); }

  // The bytes `save` writes to a new file C:\<name>; it must answer `expected`.
  template <class F>
  std::string Saved(F&& save, const std::string& name = "saved.bin", int expected = 1) const {
    {
      quentest::ScopedFile fp("C:\\" + name, "wb");
      EXPECT_EQ(save(fp.get()), expected) << name;
    }
    return Read("c/" + name);
  }
  // What `load` answers reading `bytes` from a file on C.
  template <class F>
  int Loaded(const std::string& bytes, F&& load) const {
    Write("c/loaded.bin", bytes);
    quentest::ScopedFile fp("C:\\loaded.bin", "rb");
    return load(fp.get());
  }

  // The same for an object's Save(FILE*) and Load(FILE*).
  template <class T>
  std::string SavedOf(T& object, const std::string& name = "saved.bin") const {
    return Saved([&](plat::FILE* fp) { return object.Save(fp); }, name);
  }
  template <class T>
  int LoadedInto(T& object, const std::string& bytes) const {
    return Loaded(bytes, [&](plat::FILE* fp) { return object.Load(fp); });
  }

  // Sets a string value under HKEY_CURRENT_USER\SOFTWARE\Halvorn\Quenbar\<key>.
  void SetValue(const char* key, const char* name, const std::string& value) const {
    const std::string path = std::string("SOFTWARE\\Halvorn\\Quenbar\\") + key;
    plat::HKEY h = nullptr;
    ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr,
                                   &h, nullptr),
              plat::ERROR_SUCCESS);
    plat::RegSetValueEx(h, name, 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(value.c_str()),
                        static_cast<plat::DWORD>(value.size() + 1));
    plat::RegCloseKey(h);
  }

 private:
  quentest::ScratchDrive m_drive;
};

}  // namespace model_test
