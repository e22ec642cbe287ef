#include "Game/views/frame/ViewTextCache.h"

#include <algorithm>
#include <cstring>

std::uint64_t ViewTextCache::Hash(const Key& key) {
  // FNV-1a over the text, then the other fields mixed in.
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const char c : key.text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  const std::uint64_t fields[] = {key.colour, key.format, reinterpret_cast<std::uintptr_t>(key.font),
                                  static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.width)),
                                  key.upperCase ? 1u : 0u};
  for (const std::uint64_t f : fields) h = (h ^ f) * 0x100000001B3ull;
  return h ^ (h >> 29);
}

bool ViewTextCache::Same(const Entry& e, const Key& key, std::uint64_t hash) {
  return e.lastUse && e.hash == hash && e.key.colour == key.colour && e.key.format == key.format &&
         e.key.font == key.font && e.key.width == key.width && e.key.upperCase == key.upperCase &&
         e.key.text == key.text;
}

bool ViewTextCache::Find(const Key& key, Found* out) {
  if (key.text.size() > kMaxText) return false;
  const std::uint64_t hash = Hash(key);
  Entry* set = &entries_[(hash % kSets) * kWays];
  for (int w = 0; w < kWays; ++w) {
    Entry& e = set[w];
    if (!Same(e, key, hash)) continue;
    e.lastUse = ++clock_;
    out->runs = e.runs;
    out->height = e.height;
    return true;
  }
  return false;
}

bool ViewTextCache::Store(const Key& key, const std::uint8_t* bits, long pitch, int width, int rows,
                          std::uint16_t transparent, int height) {
  if (key.text.size() > kMaxText || !bits || width < 0 || rows < 0) return false;
  // Counted first, so that a strip with too many runs leaves the set alone.
  std::size_t count = 0;
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(y) * pitch;
    std::uint16_t previous = transparent;
    for (int x = 0; x < width; ++x) {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * x, 2);
      if (v != transparent && v != previous) ++count;
      previous = v;
    }
  }
  if (count > kMaxRuns) return false;
  if (++clock_ == 0) {
    // The use counter wrapped: start again rather than evict at random.
    Clear();
    clock_ = 1;
  }
  const std::uint64_t hash = Hash(key);
  Entry* set = &entries_[(hash % kSets) * kWays];
  Entry* slot = set;
  for (int w = 0; w < kWays; ++w) {
    if (Same(set[w], key, hash)) {
      slot = &set[w];
      break;
    }
    if (set[w].lastUse < slot->lastUse) slot = &set[w];
  }
  slot->hash = hash;
  slot->lastUse = clock_;
  std::copy(key.text.begin(), key.text.end(), slot->text.begin());
  slot->key = key;
  slot->key.text = std::string_view(slot->text.data(), key.text.size());
  slot->height = height;
  slot->runs.clear();
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width;) {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * x, 2);
      if (v == transparent) {
        ++x;
        continue;
      }
      int end = x + 1;
      for (; end < width; ++end) {
        std::uint16_t next;
        std::memcpy(&next, row + 2 * end, 2);
        if (next != v) break;
      }
      slot->runs.push_back(
          Run{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::int16_t>(end - x), v});
      x = end;
    }
  }
  return true;
}

void ViewTextCache::Clear() {
  for (Entry& e : entries_) e.lastUse = 0;
}

void DrawTextRuns(std::span<const ViewTextCache::Run> runs, const plat::RECT& source, std::uint8_t* bits, long pitch,
                  int left, int top) {
  for (const ViewTextCache::Run& r : runs) {
    if (r.y < source.top || r.y >= source.bottom) continue;
    const int x0 = std::max<int>(r.x, source.left), x1 = std::min<int>(r.x + r.length, source.right);
    if (x0 >= x1) continue;
    std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(top + r.y - source.top) * pitch;
    auto* first = reinterpret_cast<std::uint16_t*>(row) + (left + x0 - source.left);
    std::fill_n(first, x1 - x0, r.value);
  }
}
