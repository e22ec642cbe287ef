#pragma once
// Little-endian binary images, one field at a time. Every file image, packet
// and resource is read and written through these, so a short or corrupt image
// is refused instead of being read past its end, and no structure is ever laid
// over outside bytes.
//
// Failures are sticky: after the first short read or refused write every
// further call fails, so a block can go through all its fields and test Ok()
// once. A failed read leaves its destination untouched; the reads that return
// a value return 0.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace plat {

// The types with a fixed little-endian image: integers and IEEE floats.
template <class T>
concept LEField =
    (std::is_integral_v<T> && !std::is_same_v<T, bool>) || std::is_same_v<T, float> || std::is_same_v<T, double>;

namespace bytes_detail {
template <std::size_t N>
struct Bits;
template <>
struct Bits<1> {
  using type = std::uint8_t;
};
template <>
struct Bits<2> {
  using type = std::uint16_t;
};
template <>
struct Bits<4> {
  using type = std::uint32_t;
};
template <>
struct Bits<8> {
  using type = std::uint64_t;
};
}  // namespace bytes_detail

template <LEField T>
constexpr std::array<std::uint8_t, sizeof(T)> EncodeLE(T value) {
  using U = typename bytes_detail::Bits<sizeof(T)>::type;
  const U bits = std::bit_cast<U>(value);
  std::array<std::uint8_t, sizeof(T)> out{};
  // On a little-endian machine the image is the value's own bytes: one copy,
  // where the loop below is not always merged into one store.
  if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
    std::memcpy(out.data(), &bits, sizeof(U));
    return out;
  }
  for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  return out;
}

template <LEField T>
constexpr T DecodeLE(std::span<const std::uint8_t, sizeof(T)> bytes) {
  using U = typename bytes_detail::Bits<sizeof(T)>::type;
  U bits = 0;
  if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
    std::memcpy(&bits, bytes.data(), sizeof(U));
    return std::bit_cast<T>(bits);
  }
  for (std::size_t i = 0; i < sizeof(T); ++i) bits = static_cast<U>(bits | (static_cast<U>(bytes[i]) << (8 * i)));
  return std::bit_cast<T>(bits);
}

// Decodes `out.size()` fields from `bytes`, their images one after another;
// false, and `out` untouched, unless `bytes` holds exactly that many images.
// On a little-endian machine the images are the values' own bytes: one copy
// of the block, where a field-by-field loop stores one field at a time.
template <LEField T>
bool DecodeLEArray(std::span<const std::uint8_t> bytes, std::span<T> out) {
  if (bytes.size() != out.size_bytes()) return false;
  if constexpr (std::endian::native == std::endian::little) {
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size_bytes());
  } else {
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = DecodeLE<T>(std::span<const std::uint8_t, sizeof(T)>(bytes.data() + i * sizeof(T), sizeof(T)));
  }
  return true;
}

// Sequential typed reads over a byte source. Derived provides
// `bool ReadRaw(std::span<std::uint8_t> out)`, which fills `out` whole or
// reports failure.
template <class Derived>
class FieldReader {
 public:
  // True while every read so far succeeded.
  bool Ok() const { return !failed_; }

  // The next field; false, with `out` untouched, when it is not all there.
  template <LEField T>
  bool Read(T& out) {
    std::array<std::uint8_t, sizeof(T)> bytes;
    if (!ReadBytes(bytes)) return false;
    out = DecodeLE<T>(bytes);
    return true;
  }
  // The next field by value; 0 when it is not all there.
  template <LEField T>
  T Get() {
    T v{};
    Read(v);
    return v;
  }
  std::uint8_t U8() { return Get<std::uint8_t>(); }
  std::uint16_t U16() { return Get<std::uint16_t>(); }
  std::uint32_t U32() { return Get<std::uint32_t>(); }
  std::uint64_t U64() { return Get<std::uint64_t>(); }
  std::int8_t I8() { return Get<std::int8_t>(); }
  std::int16_t I16() { return Get<std::int16_t>(); }
  std::int32_t I32() { return Get<std::int32_t>(); }
  std::int64_t I64() { return Get<std::int64_t>(); }
  float F32() { return Get<float>(); }
  double F64() { return Get<double>(); }

  // Fills `out` from the next bytes; false when they are not all there.
  bool ReadBytes(std::span<std::uint8_t> out) {
    if (!failed_ && !static_cast<Derived*>(this)->ReadRaw(out)) failed_ = true;
    return !failed_;
  }

 protected:
  void Fail() { failed_ = true; }

 private:
  bool failed_ = false;
};

// Sequential typed writes into a byte sink. Derived provides
// `bool WriteRaw(std::span<const std::uint8_t> bytes)`, which takes the bytes
// whole or none of them and reports failure.
template <class Derived>
class FieldWriter {
 public:
  // True while every write so far succeeded.
  bool Ok() const { return !failed_; }

  template <LEField T>
  bool Write(T value) {
    const auto bytes = EncodeLE(value);
    return WriteBytes(bytes);
  }
  bool U8(std::uint8_t v) { return Write(v); }
  bool U16(std::uint16_t v) { return Write(v); }
  bool U32(std::uint32_t v) { return Write(v); }
  bool U64(std::uint64_t v) { return Write(v); }
  bool I8(std::int8_t v) { return Write(v); }
  bool I16(std::int16_t v) { return Write(v); }
  bool I32(std::int32_t v) { return Write(v); }
  bool I64(std::int64_t v) { return Write(v); }
  bool F32(float v) { return Write(v); }
  bool F64(double v) { return Write(v); }

  bool WriteBytes(std::span<const std::uint8_t> bytes) {
    if (!failed_ && !static_cast<Derived*>(this)->WriteRaw(bytes)) failed_ = true;
    return !failed_;
  }
  // The characters as bytes, with no terminator.
  bool Chars(std::string_view text) {
    return WriteBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }

 protected:
  void Fail() { failed_ = true; }

 private:
  bool failed_ = false;
};

// Reads an image in memory; never past its end.
class ByteReader : public FieldReader<ByteReader> {
 public:
  ByteReader() = default;
  // Reads `data` from `pos`; a start past the end fails at once.
  explicit ByteReader(std::span<const std::uint8_t> data, std::size_t pos = 0)
      : data_(data), pos_(std::min(pos, data.size())) {
    if (pos > data.size()) Fail();
  }

  std::size_t Pos() const { return pos_; }
  std::size_t Size() const { return data_.size(); }
  // What is left to read; 0 once the reader has failed.
  std::size_t Remaining() const { return Ok() ? data_.size() - pos_ : 0; }

  // Moves to `pos` from the start; fails when that is past the end.
  bool Seek(std::size_t pos) {
    if (!Ok() || pos > data_.size()) {
      Fail();
      return false;
    }
    pos_ = pos;
    return true;
  }
  // Moves past `n` bytes; fails, moving nowhere, when fewer remain.
  bool Skip(std::size_t n) {
    if (n > Remaining()) {
      Fail();
      return false;
    }
    pos_ += n;
    return Ok();
  }
  // Moves forward to the next multiple of `unit` (not 0) counted from the start.
  bool Align(std::size_t unit) {
    if (unit == 0) {
      Fail();
      return false;
    }
    return Skip((unit - pos_ % unit) % unit);
  }
  // The next n bytes, in place; empty (and failed) when fewer remain.
  std::span<const std::uint8_t> Bytes(std::size_t n) {
    if (n > Remaining()) {
      Fail();
      return {};
    }
    const auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
  }

  // Random access, counted from the start. These neither move the reader nor
  // fail it: each answers for itself, false (with `out` untouched) when the
  // field lies outside the image.
  bool Has(std::size_t offset, std::size_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  template <LEField T>
  bool ReadAt(std::size_t offset, T& out) const {
    if (!Has(offset, sizeof(T))) return false;
    out = DecodeLE<T>(data_.subspan(offset).template first<sizeof(T)>());
    return true;
  }
  // Consecutive fields from `offset`; all or none.
  template <LEField T>
  bool ReadAt(std::size_t offset, std::span<T> out) const {
    if (!Has(offset, out.size_bytes())) return false;
    for (std::size_t i = 0; i < out.size(); ++i) ReadAt(offset + i * sizeof(T), out[i]);
    return true;
  }

 private:
  friend class FieldReader<ByteReader>;
  bool ReadRaw(std::span<std::uint8_t> out) {
    const auto from = Bytes(out.size());
    if (from.size() != out.size()) return false;
    std::copy(from.begin(), from.end(), out.begin());
    return true;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Writes into a buffer of its own that grows, or into a fixed span that it
// never overruns (a packet or record of known size).
class ByteWriter : public FieldWriter<ByteWriter> {
 public:
  ByteWriter() = default;
  explicit ByteWriter(std::span<std::uint8_t> fixed) : fixed_(fixed), isFixed_(true) {}

  // The bytes written in order so far.
  std::span<const std::uint8_t> Data() const {
    return isFixed_ ? std::span<const std::uint8_t>(fixed_.first(pos_)) : std::span<const std::uint8_t>(grown_);
  }
  std::size_t Size() const { return Data().size(); }
  // The bytes written in order so far: moved out of a growing writer, which is
  // left empty; copied from a fixed one.
  std::vector<std::uint8_t> Take() {
    if (isFixed_) return {Data().begin(), Data().end()};
    return std::exchange(grown_, {});
  }

  bool Zeros(std::size_t n) {
    std::span<std::uint8_t> to;
    if (!Ok() || !Extend(n, to)) {
      Fail();
      return false;
    }
    std::fill(to.begin(), to.end(), std::uint8_t{0});
    return true;
  }
  // Pads with zeros to the next multiple of `unit` (not 0) counted from the start.
  bool Align(std::size_t unit) {
    if (unit == 0) {
      Fail();
      return false;
    }
    return Zeros((unit - Size() % unit) % unit);
  }

  // Overwrites a field at `offset` from the start without moving: inside what
  // was written for a growing writer, anywhere in the span for a fixed one.
  // Outside, nothing is written and the writer fails.
  template <LEField T>
  bool WriteAt(std::size_t offset, T value) {
    const auto bytes = EncodeLE(value);
    return WriteAt(offset, std::span<const std::uint8_t>(bytes));
  }
  // Consecutive fields from `offset`; all or none.
  template <LEField T>
  bool WriteAt(std::size_t offset, std::span<const T> values) {
    const std::size_t limit = isFixed_ ? fixed_.size() : grown_.size();
    if (!Ok() || offset > limit || values.size_bytes() > limit - offset) {
      Fail();
      return false;
    }
    std::uint8_t* to = (isFixed_ ? fixed_.data() : grown_.data()) + offset;
    for (const T& v : values) {
      const auto bytes = EncodeLE(v);
      to = std::copy(bytes.begin(), bytes.end(), to);
    }
    return true;
  }

 private:
  friend class FieldWriter<ByteWriter>;
  bool WriteRaw(std::span<const std::uint8_t> bytes) {
    std::span<std::uint8_t> to;
    if (!Extend(bytes.size(), to)) return false;
    std::copy(bytes.begin(), bytes.end(), to.begin());
    return true;
  }
  // Room for `n` more bytes at the end, in `to`; false when a fixed span has none.
  bool Extend(std::size_t n, std::span<std::uint8_t>& to) {
    if (!isFixed_) {
      grown_.resize(grown_.size() + n);
      to = std::span<std::uint8_t>(grown_).last(n);
      return true;
    }
    if (n > fixed_.size() - pos_) return false;
    to = fixed_.subspan(pos_, n);
    pos_ += n;
    return true;
  }

  std::vector<std::uint8_t> grown_;
  std::span<std::uint8_t> fixed_;
  std::size_t pos_ = 0;
  bool isFixed_ = false;
};

// Text fields of a fixed width, in an image or in a record's char array: on
// reading, the characters up to the first zero or the field's end; on
// writing, at most width - 1 characters and zeros to the field's end, so the
// field always holds its terminator.
struct FixedText {
  template <std::size_t N>
  static std::string Of(const char (&field)[N]) {
    return std::string(field, std::find(field, field + N, '\0'));
  }
  template <std::size_t N>
  static void Set(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.data(), n, field);
    std::fill(field + n, field + N, '\0');
  }
  // False, with `out` untouched, when the field is not all there.
  static bool Read(ByteReader& r, std::size_t width, std::string& out) {
    const auto field = r.Bytes(width);
    if (!r.Ok()) return false;
    out.assign(field.begin(), std::find(field.begin(), field.end(), std::uint8_t{0}));
    return true;
  }
  static bool Write(ByteWriter& w, std::size_t width, std::string_view text) {
    const std::string_view kept = text.substr(0, width == 0 ? 0 : width - 1);
    return w.Chars(kept) && w.Zeros(width - kept.size());
  }
};

// A fixed-size image (a record or a packet) with bounds-checked field access
// at offsets. A field that does not lie wholly inside the image reads as zero
// and is not written.
template <std::size_t N>
struct ByteImage {
  static constexpr std::size_t kSize = N;
  std::array<std::uint8_t, N> bytes{};

  template <LEField T>
  T Get(std::size_t at) const {
    T v{};
    ByteReader(bytes).ReadAt(at, v);
    return v;
  }
  template <LEField T>
  void Put(std::size_t at, T v) {
    ByteWriter(bytes).WriteAt(at, v);
  }
  void PutBytes(std::size_t at, std::span<const std::uint8_t> data) { ByteWriter(bytes).WriteAt(at, data); }
  std::uint8_t U8(std::size_t at) const { return Get<std::uint8_t>(at); }
  std::uint16_t U16(std::size_t at) const { return Get<std::uint16_t>(at); }
  std::uint32_t U32(std::size_t at) const { return Get<std::uint32_t>(at); }
  void SetU8(std::size_t at, std::uint8_t v) { Put(at, v); }
  void SetU16(std::size_t at, std::uint16_t v) { Put(at, v); }
  void SetU32(std::size_t at, std::uint32_t v) { Put(at, v); }

  // A FixedText field of `width` bytes at `at`; empty when it lies outside.
  std::string Text(std::size_t at, std::size_t width) const {
    ByteReader r(bytes, at);
    std::string text;
    FixedText::Read(r, width, text);
    return text;
  }
  void SetText(std::size_t at, std::size_t width, std::string_view text) {
    if (!ByteReader(bytes).Has(at, width)) return;
    ByteWriter w{std::span(bytes).subspan(at, width)};
    FixedText::Write(w, width, text);
  }
};

}  // namespace plat
