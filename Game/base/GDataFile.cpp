#include "Game/base/GDataFile.h"

#include <array>

#include "Game/base/GInstData.h"
#include "platform/core/files.h"

std::optional<std::vector<std::uint8_t>> ReadBinaryDataFile(const char* path) {
  plat::FILE* fp = OpenDataFile(path, "rb");
  if (fp == nullptr) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::array<std::uint8_t, 4096> chunk;
  for (;;) {
    const std::size_t n = plat::fread(chunk.data(), 1, chunk.size(), fp);
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (n < chunk.size()) break;
  }
  const bool failed = plat::ferror(fp) != 0;
  plat::fclose(fp);
  if (failed) return std::nullopt;
  return bytes;
}
