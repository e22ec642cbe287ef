#include "Game/base/GIDString.h"

#include <algorithm>
#include <cstring>

#include "Game/base/TraceError.h"
#include "platform/core/bytes.h"
#include "platform/resource/module.h"

namespace {

constexpr int kIndexResource = 201;
constexpr const char* kIndexType = "INDEXTABLE";
constexpr std::size_t kEntryBytes = 12;

// The 8-byte key of an ID: its first 8 characters, padded with zero bytes.
std::array<char, 8> KeyOf(const char* id) {
  std::array<char, 8> key{};
  if (id != nullptr) std::memcpy(key.data(), id, strnlen(id, key.size()));
  return key;
}

// The entries of an index image; empty when the image is short or its count
// promises more entries than it holds.
std::vector<IDStringEntry> ParseIndex(std::span<const std::uint8_t> image) {
  plat::ByteReader r(image);
  std::uint32_t count = 0;
  if (!r.Read(count) || count > r.Remaining() / kEntryBytes) {
    TraceError("Text index corrupted", __FILE__, __LINE__);
    return {};
  }
  std::vector<IDStringEntry> entries(count);
  for (IDStringEntry& e : entries) {
    std::array<std::uint8_t, 8> id{};
    r.ReadBytes(id);
    std::memcpy(e.id, id.data(), id.size());
    r.Read(e.stringNumber);
    r.Read(e.bufferLength);
  }
  return entries;
}

}  // namespace

int CompareTextIds(const char* a, const char* b) {
  for (int i = 0; i < 8; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

CIDString::CIDString() : m_module(plat::GetModuleHandle(nullptr)) {
  plat::HRSRC found = plat::FindResource(m_module, kIndexResource, kIndexType);
  if (found == nullptr) return;
  m_resource = plat::LoadResource(m_module, found);
  const plat::BYTE* bytes = plat::LockResource(m_resource);
  if (bytes == nullptr) return;
  m_entries = ParseIndex({bytes, plat::SizeofResource(m_module, found)});
}

CIDString::~CIDString() {
  if (m_resource != nullptr) plat::FreeResource(m_resource);
}

int CIDString::Find(const char* id, int* stringNumber, int* bufferLength) const {
  *stringNumber = -1;
  const std::array<char, 8> key = KeyOf(id);
  const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key, [](const IDStringEntry& e, const auto& k) {
    return CompareTextIds(e.id, k.data()) < 0;
  });
  if (it == m_entries.end() || CompareTextIds(it->id, key.data()) != 0) return -1;
  if (bufferLength != nullptr) *bufferLength = it->bufferLength;
  return *stringNumber = it->stringNumber;
}

std::unique_ptr<char[]> CIDString::LoadRawText(const char* id) const {
  int number = -1;
  int length = 0;
  if (Find(id, &number, &length) < 0) return nullptr;
  auto text = std::make_unique<char[]>(static_cast<std::size_t>(length) + 1);
  plat::LoadString(m_module, static_cast<plat::UINT>(number), text.get(), length);
  return text;
}

std::optional<std::string> CIDString::RawText(const char* id) const {
  std::unique_ptr<char[]> raw = LoadRawText(id);
  if (!raw) return std::nullopt;
  return std::string(raw.get());
}

std::optional<std::string> CIDString::FinishedText(const char* id, std::span<const TextArg> args) const {
  std::optional<std::string> raw = RawText(id);
  if (!raw) return std::nullopt;
  return FormatText(*raw, args, [this](const char* ref) { return RawText(ref); });
}

char* CIDString::GetTextV(const char* id, char* dst, std::size_t dstSize, std::span<const TextArg> args) const {
  if (dst == nullptr || dstSize == 0) return dst;
  const std::string text = FinishedText(id, args).value_or(std::string());
  const std::size_t n = std::min(text.size(), dstSize - 1);
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
  return dst;
}

std::unique_ptr<char[]> CIDString::GetTextAllocV(const char* id, std::span<const TextArg> args) const {
  std::optional<std::string> text = FinishedText(id, args);
  if (!text) return nullptr;
  auto out = std::make_unique<char[]>(text->size() + 1);
  std::memcpy(out.get(), text->c_str(), text->size() + 1);
  return out;
}
