#include "Game/base/GDataFile.h"

#include <cstddef>
#include <vector>

#include "Game/base/GInstData.h"
#include "platform/core/files.h"

std::optional<std::vector<std::uint8_t>> ReadBinaryDataFile(const char* path) {
  plat::FILE* fp = OpenDataFile(path, "rb");
  if (fp == nullptr) return std::nullopt;
  // The file's size, where it can be told, is read with one call (and one
  // byte more, which finds the end); a file that grows meanwhile, or whose
  // size cannot be told, is read on in chunks.
  constexpr std::size_t kChunk = 4096;
  std::size_t want = kChunk;
  if (plat::fseek(fp, 0, SEEK_END) == 0) {
    const long size = plat::ftell(fp);
    if (plat::fseek(fp, 0, SEEK_SET) != 0) {
      plat::fclose(fp);
      return std::nullopt;
    }
    if (size > 0) want = static_cast<std::size_t>(size) + 1;
  }
  std::vector<std::uint8_t> bytes;
  for (;;) {
    const std::size_t at = bytes.size();
    bytes.resize(at + want);
    const std::size_t n = plat::fread(bytes.data() + at, 1, want, fp);
    bytes.resize(at + n);
    if (n < want) break;
    want = kChunk;
  }
  const bool failed = plat::ferror(fp) != 0;
  plat::fclose(fp);
  if (failed) return std::nullopt;
  return bytes;
}
