#pragma once
// Seed corpora a target writes itself. The build runs each target listed in
// fuzz/CMakeLists.txt once with QUEN_FUZZ_SEEDS=<folder>: the target then
// writes its seeds there (made by the same code that makes the well-formed
// files it fuzzes) and ends without fuzzing; scripts/fuzz gathers the folder.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fuzz {

using Seeds = std::vector<std::vector<std::uint8_t>>;

// Call from LLVMFuzzerInitialize: without QUEN_FUZZ_SEEDS it does nothing.
template <class Make>
void WriteSeedsIfAsked(Make make) {
  const char* folder = std::getenv("QUEN_FUZZ_SEEDS");
  if (folder == nullptr || *folder == '\0') return;
  std::filesystem::create_directories(folder);
  int n = 0;
  for (const std::vector<std::uint8_t>& seed : make()) {
    std::ofstream out(std::filesystem::path(folder) / ("seed-" + std::to_string(n++)), std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    if (!out) std::exit(1);
  }
  std::exit(n > 0 ? 0 : 1);
}

}  // namespace fuzz
