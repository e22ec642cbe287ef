#pragma once
// Writes ".nob" resource archives in the layout of media/ArchiveFormat.h: the
// resources in index order get the ids base + 1 + 2 x index. May be called
// from several threads.

#include <cstdint>
#include <optional>
#include <vector>

namespace nob {

struct Resource {
  std::uint32_t type = 0;
  std::uint32_t flags = 0;
  std::vector<std::uint8_t> data;
  // Offsets of the u32 words of `data` that hold offsets into `data`.
  std::vector<std::uint32_t> fixups;
};

// The archive image, or nothing when the base id is odd, a fix-up does not
// name a word inside its data that points inside it, or the image would not
// fit 32-bit offsets. `mode` is 1 (stdio) or 2 (mapped).
std::optional<std::vector<std::uint8_t>> WriteArchive(std::uint32_t baseId, std::uint32_t mode,
                                                      const std::vector<Resource>& resources);

// The id of the resource at `index`.
constexpr std::uint32_t ResourceId(std::uint32_t baseId, std::uint32_t index) { return baseId + 1 + 2 * index; }

}  // namespace nob
