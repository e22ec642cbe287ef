#pragma once
// The game model's binary streams. Images in memory (rules files, packets,
// resource data) go through the platform's little-endian reader and writer;
// the saved blocks of an open file go through the same field reads and
// writes, with the file as their source or sink.

#include <cstdint>
#include <span>

#include "platform/core/bytes.h"
#include "platform/core/files.h"

class FileReader : public plat::FieldReader<FileReader> {
 public:
  explicit FileReader(plat::FILE* fp) : m_fp(fp) {}

 private:
  friend class plat::FieldReader<FileReader>;
  bool ReadRaw(std::span<std::uint8_t> out) {
    return out.empty() || (m_fp != nullptr && plat::fread(out.data(), 1, out.size(), m_fp) == out.size());
  }
  plat::FILE* m_fp;
};

class FileWriter : public plat::FieldWriter<FileWriter> {
 public:
  explicit FileWriter(plat::FILE* fp) : m_fp(fp) {}

 private:
  friend class plat::FieldWriter<FileWriter>;
  bool WriteRaw(std::span<const std::uint8_t> bytes) {
    return bytes.empty() || (m_fp != nullptr && plat::fwrite(bytes.data(), 1, bytes.size(), m_fp) == bytes.size());
  }
  plat::FILE* m_fp;
};
