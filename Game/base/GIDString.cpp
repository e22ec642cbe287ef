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

std::optional<std::size_t> CIDString::RawInto(const char* id, std::span<char> out) const {
  int number = -1;
  int length = 0;
  if (Find(id, &number, &length) < 0) return std::nullopt;
  // As LoadRawText reads it: at most length - 1 characters.
  std::array<char, kMaxTextChars + 1> text;
  const std::size_t size = std::min({static_cast<std::size_t>(std::max(length, 0)), out.size() + 1, text.size()});
  if (size == 0) return 0;
  const int n = plat::LoadString(m_module, static_cast<plat::UINT>(number), text.data(), static_cast<int>(size));
  const std::size_t copied = std::min(static_cast<std::size_t>(std::max(n, 0)), out.size());
  std::memcpy(out.data(), text.data(), copied);
  return copied;
}

std::optional<std::size_t> CIDString::FinishedInto(const char* id, std::span<const TextArg> args,
                                                   std::span<char> out) const {
  int number = -1;
  int length = 0;
  if (Find(id, &number, &length) < 0) return std::nullopt;
  std::array<char, kMaxRawOnStack + 1> onStack;
  std::vector<char> onHeap;
  std::span<char> raw = onStack;
  if (length > static_cast<int>(onStack.size())) {
    onHeap.resize(static_cast<std::size_t>(length));
    raw = onHeap;
  }
  int n = 0;
  if (length > 0) n = plat::LoadString(m_module, static_cast<plat::UINT>(number), raw.data(), length);
  const std::string_view text(raw.data(), static_cast<std::size_t>(std::max(n, 0)));
  return FormatTextInto(
      text, args, [this](const char* ref, std::span<char> room) { return RawInto(ref, room); }, out);
}

char* CIDString::GetTextV(const char* id, char* dst, std::size_t dstSize, std::span<const TextArg> args) const {
  if (dst == nullptr || dstSize == 0) return dst;
  if (!FinishedInto(id, args, {dst, dstSize})) dst[0] = '\0';
  return dst;
}

std::unique_ptr<char[]> CIDString::GetTextAllocV(const char* id, std::span<const TextArg> args) const {
  std::array<char, kMaxTextChars + 1> text;
  const std::optional<std::size_t> n = FinishedInto(id, args, text);
  if (!n) return nullptr;
  auto out = std::make_unique<char[]>(*n + 1);
  std::memcpy(out.get(), text.data(), *n + 1);
  return out;
}
