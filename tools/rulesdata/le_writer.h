#pragma once
// Appends little-endian fields to a growing byte image.

#include <cstdint>
#include <string_view>
#include <vector>

namespace rulesdata {

class LEWriter {
 public:
  void U8(std::uint64_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint64_t v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(std::uint64_t v) {
    U16(v);
    U16(v >> 16);
  }
  // The text in a field of `size` bytes, zero-filled (the caller keeps it shorter).
  void FixedText(std::string_view text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) U8(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace rulesdata
