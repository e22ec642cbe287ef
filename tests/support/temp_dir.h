#pragma once
// A fresh host directory, removed with everything in it when it goes.

#include <filesystem>
#include <string>

namespace quentest {

class TempDir {
 public:
  // `stem` names the directory ("<stem>-XXXXXX" in the host's temporary folder).
  explicit TempDir(const std::string& stem = "quentest");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Whole host files as bytes. WriteHostFile makes the folders above the file.
void WriteHostFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadHostFile(const std::filesystem::path& file);

}  // namespace quentest
