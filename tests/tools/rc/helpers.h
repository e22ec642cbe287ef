#pragma once
// Small helpers of the compiler tests: scripts compiled from text in a
// scratch folder, and modules loaded from the result.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resource/module.h"
#include "tools/rc/compiler.h"
#include "tools/rc/encoders.h"
#include "tools/rc/moduleimage.h"

namespace rctest {

class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) : path_(std::filesystem::temp_directory_path() / ("quenrc_" + name)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, std::string_view content) const {
    auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }

 private:
  std::filesystem::path path_;
};

// The resources of a script that must compile.
inline std::vector<rc::Resource> MustCompile(std::string_view text, const std::filesystem::path& name = "test.rc",
                                             const rc::CompileOptions& options = {}) {
  rc::CompileResult r = rc::CompileScriptText(text, name, options);
  EXPECT_TRUE(r.Ok()) << r.error;
  return r.resources;
}

inline std::string CompileError(std::string_view text, const std::filesystem::path& name = "test.rc") {
  return rc::CompileScriptText(text, name).error;
}

// A loaded module that frees itself.
class Loaded {
 public:
  explicit Loaded(const std::vector<std::uint8_t>& image) : m_(plat::LoadLibraryFromMemory(image)) {}
  explicit Loaded(const std::vector<rc::Resource>& resources, rc::ImageFormat format = rc::ImageFormat::Pe32)
      : Loaded(rc::WriteModuleImage(resources, format)) {}
  ~Loaded() { plat::FreeLibrary(m_); }
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;
  plat::HMODULE Get() const { return m_; }

 private:
  plat::HMODULE m_;
};

inline std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

}  // namespace rctest
