#include "Game/base/GDataFile.h"

#include <cstddef>
#include <vector>

#include "Game/base/GInstData.h"
#include "platform/core/files.h"

std::optional<std::vector<std::uint8_t>> ReadBinaryDataFile(const char* path) {
  plat::FILE* fp = OpenDataFile(path, "rb");
  if (fp == nullptr) return std::nullopt;
  // A file whose length can be told is read with one call of that length;
  // one whose length cannot is read in chunks to its end.
  constexpr std::size_t kChunk = 4096;
  long size = -1;
  if (plat::fseek(fp, 0, SEEK_END) == 0) {
    size = plat::ftell(fp);
    if (plat::fseek(fp, 0, SEEK_SET) != 0) {
      plat::fclose(fp);
      return std::nullopt;
    }
  }
  std::vector<std::uint8_t> bytes;
  if (size >= 0) {
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(bytes.empty() ? 0 : plat::fread(bytes.data(), 1, bytes.size(), fp));
  } else {
    for (std::size_t n = kChunk; n == kChunk;) {
      const std::size_t at = bytes.size();
      bytes.resize(at + kChunk);
      n = plat::fread(bytes.data() + at, 1, kChunk, fp);
      bytes.resize(at + n);
    }
  }
  const bool failed = plat::ferror(fp) != 0;
  plat::fclose(fp);
  if (failed) return std::nullopt;
  return bytes;
}
