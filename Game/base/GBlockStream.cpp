#include "Game/base/GBlockStream.h"

#include <algorithm>
#include <cstring>

bool BlockReader::ReadFromFile(std::span<std::uint8_t> out) {
  // A memory source comes here only when the field runs past its end.
  if (m_fp == nullptr) return false;
  return out.empty() || plat::fread(out.data(), 1, out.size(), m_fp) == out.size();
}

bool BlockReader::Skip(std::size_t n) {
  if (m_fp == nullptr && Ok() && n <= m_bytes.size() - m_pos) {
    m_pos += n;
    return true;
  }
  Fail();
  return false;
}

bool BlockReader::Name(std::unique_ptr<char[]>& out) {
  std::uint8_t length = 0;
  if (!Read(length)) return false;
  if (length == 0) {
    out.reset();
    return true;
  }
  auto text = std::make_unique<char[]>(std::size_t{length} + 1);
  if (!ReadBytes({reinterpret_cast<std::uint8_t*>(text.get()), length})) return false;
  text[length] = '\0';
  out = std::move(text);
  return true;
}

LoadStatus BlockReader::Text32(std::unique_ptr<char[]>& out, std::uint32_t maxLength) {
  std::uint32_t length = 0;
  if (!Read(length)) return LoadStatus::kTruncated;
  if (length > maxLength) return LoadStatus::kBadCount;
  auto text = std::make_unique<char[]>(std::size_t{length} + 1);
  if (!ReadBytes({reinterpret_cast<std::uint8_t*>(text.get()), length})) return LoadStatus::kTruncated;
  text[length] = '\0';
  out = std::move(text);
  return LoadStatus::kOk;
}

LoadStatus BlockReader::EndByte(std::uint8_t expected) {
  std::uint8_t byte = 0;
  if (!Read(byte)) return LoadStatus::kTruncated;
  return byte == expected ? LoadStatus::kOk : LoadStatus::kBadEndByte;
}

BlockWriter::BlockWriter(std::size_t reserve)
    : m_own(std::make_unique_for_overwrite<std::uint8_t[]>(std::max<std::size_t>(reserve, 1))),
      m_capacity(std::max<std::size_t>(reserve, 1)) {}

bool BlockWriter::WriteElsewhere(std::span<const std::uint8_t> bytes) {
  if (m_own != nullptr) {
    // Twice the room, or the field's if that is more.
    const std::size_t capacity = std::max(2 * m_capacity, m_used + bytes.size());
    auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    std::memcpy(grown.get(), m_own.get(), m_used);
    m_own = std::move(grown);
    m_capacity = capacity;
    std::memcpy(m_own.get() + m_used, bytes.data(), bytes.size());
    m_used += bytes.size();
    return true;
  }
  if (m_sink != nullptr) {
    m_sink->insert(m_sink->end(), bytes.begin(), bytes.end());
    return true;
  }
  return bytes.empty() || (m_fp != nullptr && plat::fwrite(bytes.data(), 1, bytes.size(), m_fp) == bytes.size());
}

bool BlockWriter::Name(const char* name) {
  const std::size_t chars = name == nullptr ? 0 : std::min<std::size_t>(std::strlen(name), 254);
  U8(static_cast<std::uint8_t>(chars + 1));
  if (chars != 0) WriteBytes({reinterpret_cast<const std::uint8_t*>(name), chars});
  return U8(0);
}

bool BlockWriter::Text32(const char* text) {
  const std::size_t chars = text == nullptr ? 0 : std::strlen(text);
  U32(static_cast<std::uint32_t>(chars + 1));
  if (chars != 0) WriteBytes({reinterpret_cast<const std::uint8_t*>(text), chars});
  return U8(0);
}
