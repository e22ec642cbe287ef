#pragma once
// The tables a 16-bit fill reads, drawn at random for a member: 8-bit texels
// with about a quarter transparent, 16-bit texels, shade rows (some levels
// all black, so that rows blacken) and a colour table.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "members.h"
#include "triangles.h"

struct FillTables {
  // Shade bytes run up to `shadeMax`; every `blackEvery`-th level is all 0.
  FillTables(const FillMember& member, TriangleSource& source, int shadeMax, std::size_t blackEvery)
      : texels8(static_cast<std::size_t>(member.w) * member.h), texels16(texels8.size()), shade(65536), colours(256) {
    for (std::size_t i = 0; i < texels8.size(); ++i) {
      texels8[i] = source.Pick(0, 3) == 0 ? 0 : static_cast<std::uint8_t>(source.Pick(1, 255));
      texels16[i] = static_cast<std::uint16_t>(source.Pick(0, 65535));
    }
    for (std::uint8_t& s : shade) s = static_cast<std::uint8_t>(source.Pick(0, 7) == 0 ? 0 : source.Pick(0, shadeMax));
    for (std::size_t level = 0; level < 256; level += blackEvery) std::fill_n(shade.begin() + level * 256, 256, 0);
    for (std::uint16_t& c : colours) c = static_cast<std::uint16_t>(source.Pick(0, 65535));
    texels = member.mode == RefMode::kDirectTexture ? static_cast<const void*>(texels16.data())
                                                    : static_cast<const void*>(texels8.data());
  }
  std::vector<std::uint8_t> texels8;
  std::vector<std::uint16_t> texels16;
  std::vector<std::uint8_t> shade;
  std::vector<std::uint16_t> colours;
  const void* texels = nullptr;
};
