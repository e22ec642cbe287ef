// ".nob" archives through the archive reader in both modes: any bytes are
// refused with a status or read inside the file. Each input is tried as it
// is and laid over a well-formed archive of each mode, which stands in for a
// seed corpus.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "media/ResourceArchive.h"
#include "tools/nob/nobwriter.h"

namespace {

std::vector<std::uint8_t> Seed(std::uint32_t mode) {
  std::vector<nob::Resource> resources(3);
  for (std::uint32_t i = 0; i < resources.size(); ++i) {
    resources[i].type = i + 1;
    resources[i].data.assign(16 + 8 * i, static_cast<std::uint8_t>(i));
    resources[i].data[0] = 8;
    resources[i].data[1] = resources[i].data[2] = resources[i].data[3] = 0;
    resources[i].fixups = {0};
  }
  resources[1].flags = 16;
  return *nob::WriteArchive(100, mode, resources);
}

void Read(const std::vector<std::uint8_t>& bytes) {
  fuzz::Scratch::Get().Write("f.nob", bytes);
  if (ArchiveOpen("Q:\\f.nob", 1) != 0) return;
  ResourceCursor cursor;
  int guard = 0;
  while (ResourceEnumNext(&cursor) && ++guard < 64) {
    std::uint8_t* data = ResourceGet(cursor.id);
    if (!data) continue;
    if (ResourceSize(cursor.id) > bytes.size()) __builtin_trap();
    // Touch every byte: a block shorter than its size shows up under ASan.
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < ResourceSize(cursor.id); ++i) sum += data[i];
    (void)sum;
    ResourceRelease(data);
  }
  ArchiveClose("f.nob");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Both well-formed archives as they are.
  fuzz::WriteSeedsIfAsked([] { return fuzz::Seeds{Seed(1), Seed(2)}; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool up = ArchiveSystemInit(nullptr, 0, 16384, 200000) == 1;
  if (!up) return 0;
  Read(std::vector<std::uint8_t>(data, data + size));
  for (const std::uint32_t mode : {1u, 2u}) {
    auto laid = Seed(mode);
    for (std::size_t i = 0; i < size && i < laid.size(); ++i) laid[i] ^= data[i];
    Read(laid);
  }
  return 0;
}
