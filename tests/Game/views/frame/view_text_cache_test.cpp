// The kept pixels of viewport texts: what a strip's pixels become, which keys
// find them, the bounds and the least recently used entry giving way.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "Game/views/frame/ViewTextCache.h"

namespace {

using TextRun = ViewTextCache::Run;

using Fields = std::tuple<int, int, int, int>;

std::vector<Fields> FieldsOf(std::span<const TextRun> runs) {
  std::vector<Fields> out;
  for (const TextRun& r : runs) out.emplace_back(r.x, r.y, r.length, r.value);
  return out;
}

// A strip of 16-bit pixels, transparent (0) unless set.
struct Strip {
  Strip(int w, int h) : width(w), rows(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
  void Set(int x, int y, int n, std::uint16_t v) {
    for (int i = 0; i < n; ++i) pixels[static_cast<std::size_t>(y) * width + x + i] = v;
  }
  const std::uint8_t* bits() const { return reinterpret_cast<const std::uint8_t*>(pixels.data()); }
  long pitch() const { return width * 2; }
  int width, rows;
  std::vector<std::uint16_t> pixels;
};

ViewTextCache::Key KeyOf(const std::string& text) { return {text, 0xFFFFFF, 0, nullptr, 80, false}; }

TEST(ViewTextCache, KeepsTheSetPixelsAsRunsOfOneValue) {
  auto cache = std::make_unique<ViewTextCache>();
  Strip s(20, 3);
  s.Set(2, 0, 3, 0x1234);
  s.Set(5, 0, 2, 0x4321);  // touching, another value: a run of its own
  s.Set(19, 1, 1, 0x1234);
  s.Set(0, 2, 20, 0xFFFF);
  const std::string text = "Scout 12";
  ASSERT_TRUE(cache->Store(KeyOf(text), s.bits(), s.pitch(), s.width, s.rows, 0, 7));
  ViewTextCache::Found found;
  ASSERT_TRUE(cache->Find(KeyOf(text), &found));
  EXPECT_EQ(found.height, 7);
  const std::vector<Fields> want{{2, 0, 3, 0x1234}, {5, 0, 2, 0x4321}, {19, 1, 1, 0x1234}, {0, 2, 20, 0xFFFF}};
  EXPECT_EQ(FieldsOf(found.runs), want);

  // A key differing in any one field is another text.
  const ViewTextCache::Key base = KeyOf(text);
  std::vector<ViewTextCache::Key> others(6, base);
  others[0].text = "Scout 13";
  others[1].colour = 0xFFFFFE;
  others[2].format = 1;
  others[3].font = &found;
  others[4].width = 81;
  others[5].upperCase = true;
  for (const ViewTextCache::Key& k : others) EXPECT_FALSE(cache->Find(k, &found));

  // Kept under a copy of its text: the caller's buffer may change.
  std::string caller = "Scout 14";
  ASSERT_TRUE(cache->Store(KeyOf(caller), s.bits(), s.pitch(), s.width, s.rows, 0, 9));
  caller[0] = 'X';
  EXPECT_TRUE(cache->Find(KeyOf("Scout 14"), &found));

  cache->Clear();
  EXPECT_FALSE(cache->Find(KeyOf(text), &found));
}

TEST(ViewTextCache, RefusesTextsAndStripsPastItsBounds) {
  auto cache = std::make_unique<ViewTextCache>();
  Strip s(584, 20);
  s.Set(0, 0, 3, 1);
  const std::string longest(ViewTextCache::kMaxText, 'a'), tooLong(ViewTextCache::kMaxText + 1, 'a');
  ViewTextCache::Found found;
  EXPECT_TRUE(cache->Store(KeyOf(longest), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  EXPECT_TRUE(cache->Find(KeyOf(longest), &found));
  EXPECT_FALSE(cache->Store(KeyOf(tooLong), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  EXPECT_FALSE(cache->Find(KeyOf(tooLong), &found));

  // Every other pixel set: 292 runs a row, 5840 in all.
  for (int y = 0; y < s.rows; ++y)
    for (int x = 0; x < s.width; x += 2) s.Set(x, y, 1, 7);
  EXPECT_FALSE(cache->Store(KeyOf("dots"), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  EXPECT_FALSE(cache->Find(KeyOf("dots"), &found));
  // Refused over a held key: the held runs stay.
  EXPECT_FALSE(cache->Store(KeyOf(longest), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  ASSERT_TRUE(cache->Find(KeyOf(longest), &found));
  EXPECT_EQ(found.runs.size(), 1u);
}

TEST(ViewTextCache, TheLeastRecentlyUsedTextGivesWay) {
  auto cache = std::make_unique<ViewTextCache>();
  Strip s(8, 1);
  s.Set(1, 0, 2, 5);
  ViewTextCache::Found found;
  const int stores = 20 * ViewTextCache::kSets * ViewTextCache::kWays;
  // Looked up after every store, the first text is never its set's oldest.
  ASSERT_TRUE(cache->Store(KeyOf("kept"), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  for (int i = 0; i < stores; ++i) {
    ASSERT_TRUE(cache->Store(KeyOf("label " + std::to_string(i)), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
    ASSERT_TRUE(cache->Find(KeyOf("kept"), &found)) << "evicted after " << i;
  }
  // Left alone, it goes; the latest texts fill every entry.
  ASSERT_TRUE(cache->Store(KeyOf("left"), s.bits(), s.pitch(), s.width, s.rows, 0, 1));
  for (int i = 0; i < stores; ++i)
    cache->Store(KeyOf("other " + std::to_string(i)), s.bits(), s.pitch(), s.width, s.rows, 0, 1);
  EXPECT_FALSE(cache->Find(KeyOf("left"), &found));
  int held = 0;
  for (int i = 0; i < stores; ++i) held += cache->Find(KeyOf("other " + std::to_string(i)), &found) ? 1 : 0;
  EXPECT_EQ(held, ViewTextCache::kSets * ViewTextCache::kWays);
  EXPECT_TRUE(cache->Find(KeyOf("other " + std::to_string(stores - 1)), &found));
}

}  // namespace
