#pragma once
// Reading the resource directory of a module image (the PE format of a
// resource-only DLL, 32- or 64-bit). Every header, directory, string and data
// block is checked against the image's size before use; a directory reached
// twice (a loop or a shared subtree) refuses the image.
// Pure functions on the bytes given: may be called from several threads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/resource/resname.h"

namespace plat {

// One resource of an image: where its bytes lie in the image file.
struct ResourceRecord {
  ResName type{0};
  ResName name{0};
  WORD language = 0;
  DWORD codePage = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
};

struct ResourceListing {
  std::vector<ResourceRecord> records;  // in directory order
  std::string error;                    // empty when the image was read
};

ResourceListing ReadResourceDirectory(std::span<const std::uint8_t> image);

}  // namespace plat
