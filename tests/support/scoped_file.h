#pragma once
// A file of the platform layer opened for one scope and closed at its end,
// instead of an fopen/fclose pair that an early return or failed assertion
// would leave open.

#include <string>
#include <utility>

#include "platform/core/files.h"

namespace quentest {

class ScopedFile {
 public:
  ScopedFile(const std::string& dosPath, const char* mode) : file_(plat::fopen(dosPath.c_str(), mode)) {}
  ~ScopedFile() { Close(); }
  ScopedFile(ScopedFile&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}
  // Closes the file held and takes the other's.
  ScopedFile& operator=(ScopedFile&& other) noexcept {
    if (this != &other) {
      Close();
      file_ = std::exchange(other.file_, nullptr);
    }
    return *this;
  }

  plat::FILE* get() const { return file_; }
  operator plat::FILE*() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }
  // Closes now: fclose's answer, EOF when nothing was open.
  int Close() { return file_ ? plat::fclose(std::exchange(file_, nullptr)) : EOF; }

 private:
  plat::FILE* file_;
};

}  // namespace quentest
