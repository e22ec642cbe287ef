// The asteroid-space view's block of a saved game from any bytes: either it
// is refused, or it gives a camera mode of 1 to 4 and at most one filter bit
// of the six, and writing it back gives the same first 13 bytes (the inverted
// switch read as 0 or 1).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/views/space/CVAstSpace.h"
#include "fuzz/seeds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] {
    fuzz::Seeds seeds;
    seeds.push_back(BuildAstSpaceBlock(AstSpaceBlock{}));
    seeds.push_back(BuildAstSpaceBlock(AstSpaceBlock{4, 3, 0x10, 17, 1}));
    seeds.push_back(BuildAstSpaceBlock(AstSpaceBlock{1, 0xFFFF, 0x20, 255, 0}));
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AstSpaceBlock block;
  if (!ParseAstSpaceBlock(std::span<const std::uint8_t>(data, size), &block)) return 0;
  if (size < kAstSpaceBlockSize || block.cameraMode < 1 || block.cameraMode > 4) std::abort();
  if (block.filterMask & (block.filterMask - 1) || block.filterMask > 0x20) std::abort();
  if (block.filterInverted > 1) std::abort();
  const auto again = BuildAstSpaceBlock(block);
  for (std::size_t i = 1; i < 8; ++i)
    if (again[i] != data[i]) std::abort();
  return 0;
}
