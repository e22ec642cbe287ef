#pragma once
// Writing resource-only modules: a DLL image in the PE format with one .rsrc
// section, as the system's resource calls read them.

#include <cstdint>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/resname.h"

namespace rc {

constexpr plat::WORD kDefaultLanguage = 0x0409;

struct Resource {
  plat::ResName type{0};
  plat::ResName name{0};
  plat::WORD language = kDefaultLanguage;
  std::vector<std::uint8_t> data;
};

enum class ImageFormat { Pe32, Pe32Plus };

// The module image holding `resources`. Names are stored in upper case, as the
// lookups compare them without regard to case; each directory lists its names
// first, sorted, then its numbers ascending. Two resources of the same type,
// name and language, or a name longer than 65535 characters, throw
// std::invalid_argument.
std::vector<std::uint8_t> WriteModuleImage(const std::vector<Resource>& resources,
                                           ImageFormat format = ImageFormat::Pe32);

}  // namespace rc
