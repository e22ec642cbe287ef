#pragma once
// The game's notification list: whatever the turn brings to the player's
// attention, with the player's category and code filters. The notification
// panel shows the entries that pass the filters; the model stores, filters,
// clears and saves them.
//
// Game thread only.

#include <cstdint>
#include <memory>

#include "Game/base/GBlockStream.h"
#include "platform/core/files.h"

constexpr std::uint8_t kNotifyEndByte = 0xD6;
constexpr int kNotifyCategories = 6;
constexpr int kNotifyCodes = 30;
constexpr int kNotifyTextSize = 64;
constexpr std::uint16_t kNotifyFirstCapacity = 20;
constexpr std::uint16_t kNotifyGrowStep = 10;
constexpr std::uint16_t kAllChapters = 0xFFFF;

struct Notification {
  std::uint16_t chapter = 0;
  std::uint16_t category = 0;  // 1..6; 0 marks a cleared entry
  std::uint16_t code = 0;      // category x 100 + number 1..30
  char text1[kNotifyTextSize] = {};
  char text2[kNotifyTextSize] = {};
  std::uint16_t param1 = 0;
  std::uint32_t param2 = 0;
  std::uint32_t param3 = 0;
  std::uint32_t read = 0;
};

class CGNotificationList {
 public:
  // A block of 20 entries, none used.
  CGNotificationList();
  CGNotificationList(const CGNotificationList&) = delete;
  CGNotificationList& operator=(const CGNotificationList&) = delete;

  // Appends an entry (texts cut to 63 characters; null texts empty). A free
  // slot always follows the last entry; a list whose block cannot grow past
  // 65,535 slots takes no more (0), else 1. An unfiltered entry moves the
  // notification panel.
  int Add(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1, const char* text2,
          std::uint16_t param1, std::uint32_t param2, std::uint32_t param3);
  // A chapter's entries get category 0 and read 0 (the count stays);
  // kAllChapters clears every entry and empties the list.
  void Clear(std::uint16_t chapter);
  // Index of the n-th visible entry of `chapter`; -1 when none or n is -1.
  int FindVisible(int n, std::uint16_t chapter) const;
  // Indexes are category - 1 (0..5) and code number - 1 (0..29); others are ignored.
  void SetCodeFilter(int category, int code, std::uint32_t value);
  void ToggleCodeFilter(int entry);
  int IsFiltered(int entry) const;
  int HasFilteredEntries() const;
  int CountVisible() const;
  std::uint32_t IsRead(int entry) const;
  const Notification* GetEntry(int entry) const;
  Notification* GetEntry(int entry);
  std::uint16_t GetCount() const { return count; }
  std::uint16_t GetCapacity() const { return capacity; }

  // Capacity, count, show all, filters, entries of 148 bytes, 0xD6. Load
  // refuses a count that leaves no free slot and keeps the list as it was
  // unless the whole block reads.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  std::uint32_t categoryFilters[kNotifyCategories] = {};
  std::uint32_t codeFilters[kNotifyCategories][kNotifyCodes] = {};
  std::uint32_t showAll = 0;

 private:
  // The code filter of an entry, or null when its category or code number is
  // outside the table.
  std::uint32_t* CodeFilterOf(const Notification& n);
  const std::uint32_t* CodeFilterOf(const Notification& n) const;

  std::unique_ptr<Notification[]> entries;
  std::uint16_t capacity = 0;
  std::uint16_t count = 0;
};
