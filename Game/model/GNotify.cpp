#include "Game/model/GNotify.h"

#include <algorithm>
#include <cstring>

#include "Game/model/GViewNotices.h"

namespace {

void CopyNotifyText(char (&dst)[kNotifyTextSize], const char* src) {
  std::memset(dst, 0, sizeof dst);
  if (src != nullptr) std::strncpy(dst, src, kNotifyTextSize - 1);
}

}  // namespace

CGNotificationList::CGNotificationList()
    : entries(std::make_unique<Notification[]>(kNotifyFirstCapacity)), capacity(kNotifyFirstCapacity) {}

int CGNotificationList::Add(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1,
                            const char* text2, std::uint16_t param1, std::uint32_t param2, std::uint32_t param3) {
  // A free slot must follow the new entry; the u16 capacity cannot grow past 65,535.
  if (count + 1 >= capacity && capacity > 0xFFFF - kNotifyGrowStep) return 0;
  Notification& n = entries[count];
  n.chapter = chapter;
  n.category = category;
  n.code = code;
  CopyNotifyText(n.text1, text1);
  CopyNotifyText(n.text2, text2);
  n.param1 = param1;
  n.param2 = param2;
  n.param3 = param3;
  n.read = 0;
  const int added = count++;
  if (count == capacity) {
    auto grown = std::make_unique<Notification[]>(capacity + kNotifyGrowStep);
    std::copy_n(entries.get(), count, grown.get());
    entries = std::move(grown);
    capacity = static_cast<std::uint16_t>(capacity + kNotifyGrowStep);
  }
  if (IsFiltered(added) == 0) ViewNotices().NotificationPanelNewLine();
  return 1;
}

void CGNotificationList::Clear(std::uint16_t chapter) {
  for (std::uint16_t i = 0; i < count; ++i) {
    if (chapter != kAllChapters && entries[i].chapter != chapter) continue;
    entries[i].category = 0;
    entries[i].read = 0;
  }
  if (chapter == kAllChapters) count = 0;
}

std::uint32_t* CGNotificationList::CodeFilterOf(const Notification& n) {
  return const_cast<std::uint32_t*>(std::as_const(*this).CodeFilterOf(n));
}

const std::uint32_t* CGNotificationList::CodeFilterOf(const Notification& n) const {
  const int category = n.category - 1;
  const int code = n.code % 100 - 1;
  if (category < 0 || category >= kNotifyCategories || code < 0 || code >= kNotifyCodes) return nullptr;
  return &codeFilters[category][code];
}

int CGNotificationList::FindVisible(int n, std::uint16_t chapter) const {
  if (n < 0) return -1;
  int seen = 0;
  for (int i = 0; i < count; ++i) {
    const Notification& e = entries[i];
    if (e.category == 0 || e.category > kNotifyCategories || categoryFilters[e.category - 1] != 0) continue;
    const std::uint32_t* code = CodeFilterOf(e);
    if (code != nullptr && *code != 0 && showAll == 0) continue;
    if (e.chapter != chapter) continue;
    if (seen++ == n) return i;
  }
  return -1;
}

void CGNotificationList::SetCodeFilter(int category, int code, std::uint32_t value) {
  if (category >= 0 && category < kNotifyCategories && code >= 0 && code < kNotifyCodes)
    codeFilters[category][code] = value;
}

void CGNotificationList::ToggleCodeFilter(int entry) {
  if (Notification* e = GetEntry(entry))
    if (std::uint32_t* code = CodeFilterOf(*e)) *code = *code != 0 ? 0 : 1;
}

int CGNotificationList::IsFiltered(int entry) const {
  const Notification* e = GetEntry(entry);
  if (e == nullptr) return 0;
  if (e->category >= 1 && e->category <= kNotifyCategories && categoryFilters[e->category - 1] != 0) return 1;
  const std::uint32_t* code = CodeFilterOf(*e);
  return code != nullptr && *code != 0 ? 1 : 0;
}

int CGNotificationList::HasFilteredEntries() const {
  for (int i = 0; i < count; ++i)
    if (IsFiltered(i) != 0) return 1;
  return 0;
}

int CGNotificationList::CountVisible() const {
  if (showAll != 0) return count;
  int n = 0;
  for (int i = 0; i < count; ++i) n += IsFiltered(i) == 0 ? 1 : 0;
  return n;
}

std::uint32_t CGNotificationList::IsRead(int entry) const {
  const Notification* e = GetEntry(entry);
  return e != nullptr ? e->read : 0;
}

const Notification* CGNotificationList::GetEntry(int entry) const {
  return entry >= 0 && entry < count ? &entries[entry] : nullptr;
}

Notification* CGNotificationList::GetEntry(int entry) {
  return entry >= 0 && entry < count ? &entries[entry] : nullptr;
}

int CGNotificationList::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGNotificationList::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGNotificationList::Save(BlockWriter& w) const {
  w.U16(capacity);
  w.U16(count);
  w.U32(showAll);
  for (std::uint32_t f : categoryFilters) w.U32(f);
  for (const auto& row : codeFilters)
    for (std::uint32_t f : row) w.U32(f);
  for (int i = 0; i < count; ++i) {
    const Notification& n = entries[i];
    w.U16(n.chapter);
    w.U16(n.category);
    w.U16(n.code);
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(n.text1), kNotifyTextSize});
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(n.text2), kNotifyTextSize});
    w.U16(n.param1);
    w.U32(n.param2);
    w.U32(n.param3);
    w.U32(n.read);
  }
  w.U8(kNotifyEndByte);
  return w.Ok();
}

LoadStatus CGNotificationList::Load(BlockReader& r) {
  const std::uint16_t storedCapacity = r.U16();
  const std::uint16_t storedCount = r.U16();
  if (!r.Ok()) return LoadStatus::kTruncated;
  // The list keeps a free slot after its last entry.
  if (storedCount >= storedCapacity) return LoadStatus::kBadCount;
  std::uint32_t all = r.U32();
  std::uint32_t categories[kNotifyCategories];
  std::uint32_t codes[kNotifyCategories][kNotifyCodes];
  for (std::uint32_t& f : categories) r.Read(f);
  for (auto& row : codes)
    for (std::uint32_t& f : row) r.Read(f);
  if (!r.Ok()) return LoadStatus::kTruncated;
  auto block = std::make_unique<Notification[]>(storedCapacity);
  for (int i = 0; i < storedCount; ++i) {
    Notification& n = block[i];
    r.Read(n.chapter);
    r.Read(n.category);
    r.Read(n.code);
    r.ReadBytes({reinterpret_cast<std::uint8_t*>(n.text1), kNotifyTextSize});
    r.ReadBytes({reinterpret_cast<std::uint8_t*>(n.text2), kNotifyTextSize});
    // A text that fills its field has no terminator of its own.
    n.text1[kNotifyTextSize - 1] = '\0';
    n.text2[kNotifyTextSize - 1] = '\0';
    r.Read(n.param1);
    r.Read(n.param2);
    r.Read(n.param3);
    r.Read(n.read);
    if (!r.Ok()) return LoadStatus::kTruncated;
  }
  const LoadStatus end = r.EndByte(kNotifyEndByte);
  if (end != LoadStatus::kOk) return end;
  entries = std::move(block);
  capacity = storedCapacity;
  count = storedCount;
  showAll = all;
  std::copy(std::begin(categories), std::end(categories), categoryFilters);
  for (int c = 0; c < kNotifyCategories; ++c) std::copy(std::begin(codes[c]), std::end(codes[c]), codeFilters[c]);
  return LoadStatus::kOk;
}
