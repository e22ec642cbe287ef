#pragma once
// Little-endian binary images, one field at a time. Every file block, packet
// and resource image of the game model goes through these, so a short or
// corrupt image is refused instead of being read past its end.
//
// Readers and writers share one field encoding through FieldReader and
// FieldWriter; a concrete reader or writer only moves raw bytes (memory here,
// files in GFileStream.h). Failures are sticky: after the first short read or
// refused write every further call fails, so a block can read all its fields
// and test Ok() once.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

// The types that have a fixed little-endian image: integers and IEEE floats.
template <class T>
concept ByteField = (std::is_integral_v<T> && !std::is_same_v<T, bool>) || std::is_same_v<T, float> ||
                    std::is_same_v<T, double>;

namespace bytestream_detail {
template <std::size_t N> struct UnsignedOfSize;
template <> struct UnsignedOfSize<1> { using type = std::uint8_t; };
template <> struct UnsignedOfSize<2> { using type = std::uint16_t; };
template <> struct UnsignedOfSize<4> { using type = std::uint32_t; };
template <> struct UnsignedOfSize<8> { using type = std::uint64_t; };
}  // namespace bytestream_detail

template <ByteField T>
constexpr std::array<std::uint8_t, sizeof(T)> EncodeLE(T value) {
  using U = typename bytestream_detail::UnsignedOfSize<sizeof(T)>::type;
  const U bits = std::bit_cast<U>(value);
  std::array<std::uint8_t, sizeof(T)> out{};
  for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  return out;
}

template <ByteField T>
constexpr T DecodeLE(std::span<const std::uint8_t, sizeof(T)> bytes) {
  using U = typename bytestream_detail::UnsignedOfSize<sizeof(T)>::type;
  U bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<U>(static_cast<U>(bytes[i]) << (8 * i));
  return std::bit_cast<T>(bits);
}

// Derived provides bool ReadRaw(std::span<std::uint8_t>) that fills the span
// whole or reports failure.
template <class Derived>
class FieldReader {
 public:
  // Reads one field; false (and `out` untouched) when it is not all there.
  template <ByteField T>
  bool Read(T& out) {
    std::array<std::uint8_t, sizeof(T)> bytes;
    if (!ReadBytes(bytes)) return false;
    out = DecodeLE<T>(bytes);
    return true;
  }
  bool ReadBytes(std::span<std::uint8_t> out) {
    if (m_failed) return false;
    if (!static_cast<Derived*>(this)->ReadRaw(out)) m_failed = true;
    return !m_failed;
  }
  // True while every read so far succeeded.
  bool Ok() const { return !m_failed; }

 protected:
  void Fail() { m_failed = true; }

 private:
  bool m_failed = false;
};

// Derived provides bool WriteRaw(std::span<const std::uint8_t>).
template <class Derived>
class FieldWriter {
 public:
  template <ByteField T>
  bool Write(T value) {
    const auto bytes = EncodeLE(value);
    return WriteBytes(bytes);
  }
  bool WriteBytes(std::span<const std::uint8_t> bytes) {
    if (m_failed) return false;
    if (!static_cast<Derived*>(this)->WriteRaw(bytes)) m_failed = true;
    return !m_failed;
  }
  bool Ok() const { return !m_failed; }

 private:
  bool m_failed = false;
};

// Reads from a byte image in memory; never past its end.
class ByteReader : public FieldReader<ByteReader> {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

  // Moves past `n` bytes; fails (moving nowhere) when fewer remain.
  bool Skip(std::size_t n) {
    if (Ok() && n <= Remaining()) {
      m_pos += n;
      return true;
    }
    Fail();
    return false;
  }
  std::size_t Position() const { return m_pos; }
  std::size_t Remaining() const { return m_data.size() - m_pos; }

 private:
  friend class FieldReader<ByteReader>;
  bool ReadRaw(std::span<std::uint8_t> out);

  std::span<const std::uint8_t> m_data;
  std::size_t m_pos = 0;
};

// Writes into a buffer of its own that grows, or into a fixed span that it never
// overruns (a packet of known size).
class ByteWriter : public FieldWriter<ByteWriter> {
 public:
  ByteWriter() = default;
  explicit ByteWriter(std::span<std::uint8_t> fixed) : m_fixed(fixed), m_isFixed(true) {}

  // The bytes written so far.
  std::span<const std::uint8_t> Bytes() const {
    return m_isFixed ? std::span<const std::uint8_t>(m_fixed.first(m_pos)) : std::span<const std::uint8_t>(m_grown);
  }
  std::size_t Size() const { return m_isFixed ? m_pos : m_grown.size(); }

 private:
  friend class FieldWriter<ByteWriter>;
  bool WriteRaw(std::span<const std::uint8_t> bytes);

  std::vector<std::uint8_t> m_grown;
  std::span<std::uint8_t> m_fixed;
  std::size_t m_pos = 0;
  bool m_isFixed = false;
};
