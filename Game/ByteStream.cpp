#include "Game/ByteStream.h"

#include <algorithm>

bool ByteReader::ReadRaw(std::span<std::uint8_t> out) {
  if (out.size() > Remaining()) return false;
  std::copy_n(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos), out.size(), out.begin());
  m_pos += out.size();
  return true;
}

bool ByteWriter::WriteRaw(std::span<const std::uint8_t> bytes) {
  if (!m_isFixed) {
    m_grown.insert(m_grown.end(), bytes.begin(), bytes.end());
    return true;
  }
  if (bytes.size() > m_fixed.size() - m_pos) return false;
  std::copy(bytes.begin(), bytes.end(), m_fixed.begin() + static_cast<std::ptrdiff_t>(m_pos));
  m_pos += bytes.size();
  return true;
}
