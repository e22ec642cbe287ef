#pragma once
// A BMP file image as the game's tools and outside programs write them: file
// header, 40-byte info header, colour table, rows bottom row first. `table` is
// the colour table's bytes (blue, green, red, zero), `rows` the rows as stored,
// padded by the caller. `gap` zero bytes stand between table and rows; a
// nonzero `sizeField` is written as the file's size instead of the true one.

#include <cstdint>
#include <vector>

#include "platform/core/bytes.h"

namespace quentest {

inline std::vector<std::uint8_t> BmpFile(std::uint16_t bits, std::int32_t w, std::int32_t h,
                                         const std::vector<std::uint8_t>& table, const std::vector<std::uint8_t>& rows,
                                         std::uint32_t gap = 0, std::uint32_t sizeField = 0) {
  const auto offset = static_cast<std::uint32_t>(14 + 40 + table.size()) + gap;
  plat::ByteWriter out;
  out.U16(0x4D42);
  for (std::uint32_t v : {sizeField ? sizeField : offset + static_cast<std::uint32_t>(rows.size()), 0u, offset, 40u})
    out.U32(v);
  out.I32(w);
  out.I32(h);
  out.U16(1);
  out.U16(bits);
  out.Zeros(16);  // compression, image size, resolutions
  out.U32(bits == 8 ? static_cast<std::uint32_t>(table.size() / 4) : 0);
  out.U32(0);
  out.WriteBytes(table);
  out.Zeros(gap);
  out.WriteBytes(rows);
  return out.Take();
}

}  // namespace quentest
