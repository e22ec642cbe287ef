// Stored model blocks: any bytes are refused or become a model whose stored
// block is exactly the input.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sg/model/model.h"

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
