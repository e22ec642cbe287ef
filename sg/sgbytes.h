#pragma once
// Little-endian access to the library's file images (packed model blocks, the
// 32-byte material and texture records, texture and palette files). Readers
// check every range before touching it; in-memory records never alias the bytes.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "sg/sgassert.h"

inline std::uint32_t ISGLoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void ISGStoreU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// A read-only view of an image; every read states its offset and fails outside.
struct ISGByteReader {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size && length <= size - offset;
  }
  bool U32(std::uint64_t offset, std::uint32_t* out) const {
    if (!Has(offset, 4)) {
      return false;
    }
    *out = ISGLoadU32(data + offset);
    return true;
  }
  bool F32(std::uint64_t offset, float* out) const {
    std::uint32_t bits = 0;
    if (!U32(offset, &bits)) {
      return false;
    }
    *out = std::bit_cast<float>(bits);
    return true;
  }
  bool F32s(std::uint64_t offset, float* out, int count) const {
    for (int i = 0; i < count; ++i) {
      if (!F32(offset + 4 * static_cast<std::uint64_t>(i), &out[i])) {
        return false;
      }
    }
    return true;
  }
};

// A writer into an image of known size; writing outside it is a programming error.
struct ISGByteWriter {
  std::uint8_t* data = nullptr;
  std::size_t size = 0;

  void U32(std::uint64_t offset, std::uint32_t v) {
    ISG_ASSERT(offset <= size && size - offset >= 4, "sgbytes");
    ISGStoreU32(data + offset, v);
  }
  void F32(std::uint64_t offset, float v) { U32(offset, std::bit_cast<std::uint32_t>(v)); }
  void F32s(std::uint64_t offset, const float* v, int count) {
    for (int i = 0; i < count; ++i) {
      F32(offset + 4 * static_cast<std::uint64_t>(i), v[i]);
    }
  }
};
