// Stored model blocks: any bytes are refused or become a model whose stored
// block is exactly the input.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/seeds.h"
#include "sg/model/model.h"
#include "tools/sgdata/sgdata.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Ship blocks of the generator, with and without a billboard and hard points;
  // each one relocates.
  fuzz::WriteSeedsIfAsked([] {
    sgdata::ShipShape plain;
    plain.billboard = false;
    plain.hardPoints.clear();
    sgdata::ShipShape stretched;
    stretched.length = 9.f;
    stretched.hardPoints.push_back({4.f, 1.f, 0.f});
    const fuzz::Seeds seeds = {sgdata::MakeShipBlock(sgdata::ShipShape{}), sgdata::MakeShipBlock(plain),
                               sgdata::MakeShipBlock(stretched)};
    for (const auto& seed : seeds) {
      SGModel* model = nullptr;
      if (SGModelRelocate(seed.data(), static_cast<std::uint32_t>(seed.size()), &model) != SG_ERROR_NONE) std::exit(1);
      SGModelFree(model);
    }
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) {
    return 0;
  }
  SGModel* model = nullptr;
  if (SGModelRelocate(data, static_cast<std::uint32_t>(size), &model) != SG_ERROR_NONE) {
    return 0;
  }
  const std::uint32_t packed = SGModelPackedSize(model);
  std::vector<std::uint8_t> again(packed);
  if (packed != size || SGModelUnrelocate(model, again.data(), packed) != SG_ERROR_NONE) {
    std::abort();
  }
  // Meaningless words (spare bytes, parent links) come back as 0; everything else as read.
  SGModel* reread = nullptr;
  if (SGModelRelocate(again.data(), packed, &reread) != SG_ERROR_NONE) {
    std::abort();
  }
  std::vector<std::uint8_t> third(packed);
  SGModelUnrelocate(reread, third.data(), packed);
  if (third != again) {
    std::abort();
  }
  SGModelCountHardPoints(model);
  SGModelComputeBounds(model);
  SGModel* copy = SGModelCopy(model);
  SGModelScale(copy, 2.f);
  SGModelFree(copy);
  SGModelFree(reread);
  SGModelFree(model);
  return 0;
}
