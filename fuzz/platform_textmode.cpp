// Text-mode reads: whatever the bytes, fread, fgets and fgetc all give the
// file up to its first Ctrl-Z with every CR LF turned into LF, however the
// reads are cut up.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/scratch.h"
#include "platform/core/files.h"

namespace {

std::string Expected(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += static_cast<char>(bytes[i]);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  // The first byte chooses the sizes the reads are cut into.
  const std::size_t chunk = data[0] % 17 + 1;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  const std::string want = Expected(bytes);

  plat::FILE* f = scratch.Open("text.txt", bytes, "rt");
  if (f == nullptr) __builtin_trap();
  std::string got;
  char buf[32];
  for (std::size_t n; (n = plat::fread(buf, 1, chunk, f)) > 0;) got.append(buf, n);
  if (got != want) __builtin_trap();

  plat::rewind(f);
  got.clear();
  while (plat::fgets(buf, static_cast<int>(chunk) + 1, f) != nullptr) got += buf;
  // A NUL in the text ends what the caller of fgets can see of a line.
  if (want.find('\0') == std::string::npos && got != want) __builtin_trap();

  plat::rewind(f);
  got.clear();
  for (int c; (c = plat::fgetc(f)) != EOF;) got += static_cast<char>(c);
  if (got != want || !plat::feof(f)) __builtin_trap();
  plat::fclose(f);
  return 0;
}
