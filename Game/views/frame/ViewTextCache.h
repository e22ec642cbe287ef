#pragma once
// The viewport's texts as last rendered: for a text drawn with a font, colour,
// format and width, the runs of pixels its rendering set in a 16-bit strip, so
// a label drawn again every frame is copied instead of laid out again.
// Bounded: kSets x kWays entries, texts of at most kMaxText characters and
// kMaxRuns runs; a new text takes the place of its set's least recently used
// one. Once an entry has held a text, reusing it makes no heap call unless the
// new text needs more runs than any it held. Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/core/types.h"

class ViewTextCache {
 public:
  static constexpr int kSets = 64;
  static constexpr int kWays = 8;
  static constexpr std::size_t kMaxText = 64;
  static constexpr std::size_t kMaxRuns = 1024;

  // What decides the rendered pixels. `font` is only compared, never used.
  struct Key {
    std::string_view text;
    plat::COLORREF colour = 0;
    plat::UINT format = 0;
    const void* font = nullptr;
    int width = 0;
    bool upperCase = false;
  };
  // Pixels x .. x + length - 1 of strip row y, all of one value.
  struct Run {
    std::int16_t x;
    std::int16_t y;
    std::int16_t length;
    std::uint16_t value;
  };
  struct Found {
    std::span<const Run> runs;
    int height = 0;  // what the rendering returned
  };

  // The key's runs, or false when it is not held (or cannot be: too long).
  bool Find(const Key& key, Found* out);
  // Keeps the pixels of a rendered strip (`rows` rows of `width` 16-bit
  // pixels, `pitch` bytes apart) that differ from `transparent`. False, and
  // nothing kept, when the text is too long or the pixels make too many runs.
  bool Store(const Key& key, const std::uint8_t* bits, long pitch, int width, int rows, std::uint16_t transparent,
             int height);
  // Forgets every text (the fonts or the surfaces changed).
  void Clear();

 private:
  struct Entry {
    std::uint64_t hash = 0;
    std::uint32_t lastUse = 0;  // 0: empty
    Key key;                    // its text points into `text`
    std::array<char, kMaxText> text{};
    int height = 0;
    std::vector<Run> runs;
  };
  static std::uint64_t Hash(const Key& key);
  static bool Same(const Entry& e, const Key& key, std::uint64_t hash);

  std::array<Entry, kSets * kWays> entries_;
  std::uint32_t clock_ = 0;
};

// Copies the runs inside `source` (strip coordinates) into a 16-bit surface:
// strip pixel (x, y) lands on (left + x - source.left, top + y - source.top).
// The caller has clipped `source` so that every pixel lands inside.
void DrawTextRuns(std::span<const ViewTextCache::Run> runs, const plat::RECT& source, std::uint8_t* bits, long pitch,
                  int left, int top);
