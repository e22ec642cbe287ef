#pragma once
// Little-endian reading of outside bytes with bounds checks. A read past the
// end yields zero and marks the reader failed; callers check Ok() once after a
// group of reads instead of after each one.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace plat {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data, std::size_t pos = 0)
      : data_(data), pos_(pos), ok_(pos <= data.size()) {}

  bool Ok() const { return ok_; }
  std::size_t Pos() const { return pos_; }
  std::size_t Size() const { return data_.size(); }
  std::size_t Remaining() const { return ok_ ? data_.size() - pos_ : 0; }

  void Seek(std::size_t pos) {
    if (!ok_ || pos > data_.size()) {
      ok_ = false;
      return;
    }
    pos_ = pos;
  }
  void Skip(std::size_t n) {
    if (n > Remaining()) {
      ok_ = false;
      return;
    }
    pos_ += n;
  }
  // Moves forward to the next multiple of `unit` counted from the start.
  void Align(std::size_t unit) {
    std::size_t rem = pos_ % unit;
    if (rem != 0) Skip(unit - rem);
  }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }
  std::uint64_t U64() { return Take(8); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }

  // The next n bytes; empty (and failed) when fewer remain.
  std::span<const std::uint8_t> Bytes(std::size_t n) {
    if (n > Remaining()) {
      ok_ = false;
      return {};
    }
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
  }

 private:
  std::uint64_t Take(std::size_t n) {
    if (n > Remaining()) {
      ok_ = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace plat
