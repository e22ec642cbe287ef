#pragma once
// The byte streams the world model's saved blocks go through: the same field
// reads and writes whether the block lives in an open file (a saved game) or
// in memory (copies, checks, benchmarks). A reader refuses to read past the
// end of its source; counts read from a block are checked against the limits
// below before anything is allocated for them.
//
// Not thread-safe: one stream per thread.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/core/files.h"

// Why a world-model block was refused. Every Load of the world model returns
// 1 for kOk and 0 otherwise; the loaders that say why give one of these, and
// leave the object as it was before the load whenever the result is not kOk.
enum class LoadStatus {
  kOk = 0,
  kTruncated,   // the block ends before its last field
  kBadVersion,  // a version newer than this program writes
  kBadCount,    // a count beyond what the model can hold
  kBadEndByte,  // the closing validity byte is wrong
};

class BlockReader : public plat::FieldReader<BlockReader> {
 public:
  explicit BlockReader(plat::FILE* fp) : m_fp(fp) {}
  explicit BlockReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  // A name as the model stores it: u8 length L (characters + 1, 0 for none),
  // then L bytes. The text kept is cut at its first zero; L = 0 gives null.
  // False when the bytes are not all there.
  bool Name(std::unique_ptr<char[]>& out);
  // A text stored as u32 length (with its zero) and that many bytes; a length
  // above `maxLength` is refused (kBadCount) before anything is allocated.
  LoadStatus Text32(std::unique_ptr<char[]>& out, std::uint32_t maxLength);
  // Reads a status for the end byte: kOk when it equals `expected`.
  LoadStatus EndByte(std::uint8_t expected);
  // kTruncated once any read failed, else kOk.
  LoadStatus Status() const { return Ok() ? LoadStatus::kOk : LoadStatus::kTruncated; }

  // Bytes consumed so far (memory sources), for callers that check position.
  std::size_t Pos() const { return m_pos; }
  // The open file read from, or null for a memory source.
  plat::FILE* File() const { return m_fp; }
  // The bytes of a memory source not yet read (none for a file, or once a
  // read failed).
  std::span<const std::uint8_t> Rest() const {
    return m_fp != nullptr || !Ok() ? std::span<const std::uint8_t>() : m_bytes.subspan(m_pos);
  }
  // The next `scratch.size()` bytes as one block: in place for a memory
  // source, else read into `scratch`. Empty, and the reader failed, when they
  // are not all there (a block of no bytes is empty too: Ok() tells).
  std::span<const std::uint8_t> Block(std::span<std::uint8_t> scratch) {
    const std::size_t n = scratch.size();
    if (m_fp == nullptr && Ok() && n <= m_bytes.size() - m_pos) {
      m_pos += n;
      return m_bytes.subspan(m_pos - n, n);
    }
    if (!ReadBytes(scratch)) return {};
    return scratch;
  }
  // Reads a run of fields of one type, a block at a time; false when they are
  // not all there.
  template <plat::LEField T>
  bool ReadEach(std::span<T> out) {
    constexpr std::size_t kPerBlock = kEachScratch / sizeof(T);
    std::uint8_t scratch[kEachScratch];
    for (std::size_t at = 0; at < out.size(); at += kPerBlock) {
      const std::size_t n = std::min(kPerBlock, out.size() - at);
      const auto bytes = Block({scratch, n * sizeof(T)});
      if (bytes.empty()) return false;
      plat::DecodeLEArray<T>(bytes, out.subspan(at, n));
    }
    return true;
  }
  // Passes over `n` bytes of a memory source that another reader has decoded
  // from Rest(); false, and the reader failed, past the end or for a file.
  bool Skip(std::size_t n);

 private:
  friend class plat::FieldReader<BlockReader>;
  // A memory source's field is copied here, inline: a saved game is read
  // from memory and most fields are one to four bytes.
  bool ReadRaw(std::span<std::uint8_t> out) {
    if (m_fp == nullptr && out.size() <= m_bytes.size() - m_pos) {
      if (!out.empty()) std::memcpy(out.data(), m_bytes.data() + m_pos, out.size());
      m_pos += out.size();
      return true;
    }
    return ReadFromFile(out);
  }
  bool ReadFromFile(std::span<std::uint8_t> out);

  static constexpr std::size_t kEachScratch = 256;

  plat::FILE* m_fp = nullptr;
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

// Decodes the fields of a block whose size was checked when it was taken
// (BlockReader::Block), in order and without a check per field: a record's
// fixed part costs one check however many fields it has. The caller's layout
// must not decode more than N bytes.
template <std::size_t N>
class FixedFields {
 public:
  explicit FixedFields(std::span<const std::uint8_t, N> bytes) : m_at(bytes.data()) {}

  template <plat::LEField T>
  T Get() {
    assert(m_used + sizeof(T) <= N);
    const T value = plat::DecodeLE<T>(std::span<const std::uint8_t, sizeof(T)>(m_at + m_used, sizeof(T)));
    m_used += sizeof(T);
    return value;
  }
  template <plat::LEField T>
  void Read(T& out) {
    out = Get<T>();
  }
  std::uint8_t U8() { return Get<std::uint8_t>(); }
  std::uint16_t U16() { return Get<std::uint16_t>(); }
  std::uint32_t U32() { return Get<std::uint32_t>(); }
  std::int32_t I32() { return Get<std::int32_t>(); }
  void Bytes(std::span<std::uint8_t> out) {
    assert(m_used + out.size() <= N);
    if (!out.empty()) std::memcpy(out.data(), m_at + m_used, out.size());
    m_used += out.size();
  }
  // The next K bytes as they stand.
  template <std::size_t K>
  std::span<const std::uint8_t, K> Take() {
    assert(m_used + K <= N);
    const std::span<const std::uint8_t, K> out(m_at + m_used, K);
    m_used += K;
    return out;
  }
  // Bytes decoded so far; N once the whole block is.
  std::size_t Used() const { return m_used; }

 private:
  const std::uint8_t* m_at;
  std::size_t m_used = 0;
};

class BlockWriter : public plat::FieldWriter<BlockWriter> {
 public:
  explicit BlockWriter(plat::FILE* fp) : m_fp(fp) {}
  // Appends to `sink`, which must outlive the writer.
  explicit BlockWriter(std::vector<std::uint8_t>* sink) : m_sink(sink) {}
  // Writes into a buffer of its own, `reserve` bytes to begin with, that
  // grows as needed; Written() gives what was written. The fastest sink for a
  // large block of small fields, written out whole afterwards.
  explicit BlockWriter(std::size_t reserve);

  // u8 length (characters + 1) and the characters with their zero. A null
  // name is written as the empty name (length 1, one zero); a name of more
  // than 254 characters is cut to 254 so that its length fits the byte.
  bool Name(const char* name);
  // u32 length (with the zero) and the text with its zero; null as "".
  bool Text32(const char* text);

  // The bytes written into the writer's own buffer (none for other sinks).
  std::span<const std::uint8_t> Written() const { return {m_own.get(), m_used}; }

 private:
  friend class plat::FieldWriter<BlockWriter>;
  // Fields are a few bytes each: into the writer's own buffer they are
  // copied inline, with one copy of their fixed size.
  bool WriteRaw(std::span<const std::uint8_t> bytes) {
    if (m_own != nullptr && bytes.size() <= m_capacity - m_used) {
      if (!bytes.empty()) std::memcpy(m_own.get() + m_used, bytes.data(), bytes.size());
      m_used += bytes.size();
      return true;
    }
    return WriteElsewhere(bytes);
  }
  // A vector's or a file's write, or one that grows the writer's own buffer.
  bool WriteElsewhere(std::span<const std::uint8_t> bytes);

  plat::FILE* m_fp = nullptr;
  std::vector<std::uint8_t>* m_sink = nullptr;
  std::unique_ptr<std::uint8_t[]> m_own;
  std::size_t m_capacity = 0;
  std::size_t m_used = 0;
};

// 1 for kOk, else 0: the results the model's FILE* operations give.
inline int LoadResult(LoadStatus s) { return s == LoadStatus::kOk ? 1 : 0; }
