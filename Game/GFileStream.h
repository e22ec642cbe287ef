#pragma once
// The field reader and writer of ByteStream.h over an open file: the saved
// blocks of the game model read and write through these.

#include <span>

#include "Game/ByteStream.h"
#include "platform/files.h"

class FileReader : public FieldReader<FileReader> {
 public:
  explicit FileReader(plat::FILE* fp) : m_fp(fp) {}

 private:
  friend class FieldReader<FileReader>;
  bool ReadRaw(std::span<std::uint8_t> out) {
    return out.empty() || (m_fp != nullptr && plat::fread(out.data(), 1, out.size(), m_fp) == out.size());
  }
  plat::FILE* m_fp;
};

class FileWriter : public FieldWriter<FileWriter> {
 public:
  explicit FileWriter(plat::FILE* fp) : m_fp(fp) {}

 private:
  friend class FieldWriter<FileWriter>;
  bool WriteRaw(std::span<const std::uint8_t> bytes) {
    return bytes.empty() || (m_fp != nullptr && plat::fwrite(bytes.data(), 1, bytes.size(), m_fp) == bytes.size());
  }
  plat::FILE* m_fp;
};
