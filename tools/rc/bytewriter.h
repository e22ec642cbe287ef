#pragma once
// Little-endian writing of a file image, field by field.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace rc {

class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) { Put(v, 2); }
  void U32(std::uint32_t v) { Put(v, 4); }
  void U64(std::uint64_t v) { Put(v, 8); }
  void Bytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Chars(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  // NUL-terminated UTF-16.
  void Sz(std::u16string_view s) {
    for (char16_t c : s) U16(c);
    U16(0);
  }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  // Pads with zeros to the next multiple of `unit`.
  void Align(std::size_t unit) {
    while (bytes_.size() % unit != 0) bytes_.push_back(0);
  }
  // Overwrites a 32-bit field written earlier.
  void PatchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Data() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  void Put(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

}  // namespace rc
