#include "Game/dialogs/HighScoreTable.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Game/base/GDataFile.h"
#include "Game/base/GInstData.h"
#include "platform/core/files.h"

namespace {

// Reads little-endian fields off the decoded bytes; a field the bytes do not
// hold whole is not read, and nothing after it.
class FieldReader {
 public:
  explicit FieldReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  template <typename T>
  bool Read(T* out) {
    if (m_bytes.size() - m_at < sizeof(T)) return false;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint64_t>(m_bytes[m_at + i]) << (8 * i);
    m_at += sizeof(T);
    *out = static_cast<T>(v);
    return true;
  }
  bool Read(char* out, std::size_t n) {
    if (m_bytes.size() - m_at < n) return false;
    std::memcpy(out, m_bytes.data() + m_at, n);
    m_at += n;
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_at = 0;
};

template <typename T>
void Put(std::vector<std::uint8_t>* out, T value) {
  const auto v = static_cast<std::make_unsigned_t<T>>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::string InstallFile() { return std::string(g_instData.GetInstallPath()).append(kHighScoreFile); }

}  // namespace

void HighScoreEntry::SetName(std::string_view text) {
  std::memset(name, 0, sizeof name);
  std::memcpy(name, text.data(), std::min(text.size(), sizeof name - 1));
}

HighScoreTable DecodeHighScores(std::span<const std::uint8_t> file) {
  // A 13 before a 10 is the text file's line end; a lone 13 is a byte of its own.
  std::vector<std::uint8_t> bytes;
  bytes.reserve(std::min(file.size(), kHighScoreRecordSize * kHighScoreRows));
  for (std::size_t i = 0; i < file.size() && bytes.size() < kHighScoreRecordSize * kHighScoreRows; ++i) {
    if (file[i] == 13 && i + 1 < file.size() && file[i + 1] == 10) continue;
    bytes.push_back(file[i]);
  }
  HighScoreTable table{};
  FieldReader r(bytes);
  for (HighScoreEntry& e : table) {
    HighScoreEntry read;
    const bool whole = r.Read(read.name, sizeof read.name) && r.Read(&read.guild) && r.Read(&read.chapters) &&
                       r.Read(&read.asteroids) && r.Read(&read.turns) && r.Read(&read.owned) && r.Read(&read.score) &&
                       r.Read(&read.conditions) && r.Read(&read.result);
    read.name[sizeof read.name - 1] = '\0';
    e = read;
    if (!whole) break;
  }
  return table;
}

std::vector<std::uint8_t> EncodeHighScores(const HighScoreTable& table) {
  std::vector<std::uint8_t> records;
  records.reserve(kHighScoreRecordSize * kHighScoreRows);
  for (const HighScoreEntry& e : table) {
    records.insert(records.end(), e.name, e.name + sizeof e.name);
    Put(&records, e.guild);
    Put(&records, e.chapters);
    Put(&records, e.asteroids);
    Put(&records, e.turns);
    Put(&records, e.owned);
    Put(&records, e.score);
    Put(&records, e.conditions);
    Put(&records, e.result);
  }
  std::vector<std::uint8_t> file;
  file.reserve(records.size() + 16);
  for (std::uint8_t b : records) {
    if (b == 10) file.push_back(13);
    file.push_back(b);
  }
  return file;
}

int PlaceHighScore(HighScoreTable* table, const HighScoreEntry& entry) {
  for (int row = 0; row < kHighScoreRows; ++row) {
    if ((*table)[row].score >= entry.score) continue;
    std::move_backward(table->begin() + row, table->end() - 1, table->end());
    (*table)[row] = entry;
    (*table)[row].name[kHighScoreNameSize - 1] = '\0';
    return row;
  }
  return -1;
}

HighScoreTable ReadHighScoreFile() {
  const std::string path = InstallFile();
  const auto bytes = ReadBinaryDataFile(path.c_str());
  return bytes ? DecodeHighScores(*bytes) : HighScoreTable{};
}

bool WriteHighScoreFile(const HighScoreTable& table) {
  const std::string path = InstallFile();
  plat::FILE* f = OpenDataFile(path.c_str(), "wb");
  if (!f) return false;
  const std::vector<std::uint8_t> bytes = EncodeHighScores(table);
  const bool written = plat::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return plat::fclose(f) == 0 && written;
}
