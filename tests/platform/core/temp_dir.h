#pragma once
// A scratch directory per test, removed afterwards, and small file helpers.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace plat_test {

class TempDir {
 public:
  TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "quencore-XXXXXX").string();
    path_ = ::mkdtemp(templ.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace plat_test
