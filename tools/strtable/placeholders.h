#pragma once
// The placeholders of one text as the text functions read them: "%s1", "%n1"
// and "%f1" fill argument slot 1 (to 8) with a string, an integer or a number;
// "%(ID)" inserts the raw text of another ID; "%%" is a percent sign.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace strtable {

inline constexpr int kMaxSlots = 8;

struct PlaceholderScan {
  // One line per fault: a '%' that forms no placeholder, a slot out of 1..8, a
  // slot used with two type letters, a slot below the highest one that the
  // text never uses (it would have no type letter), a malformed "%(ID)".
  std::vector<std::string> problems;
  std::vector<std::string> references;         // the IDs named by "%(ID)", in order
  std::array<char, kMaxSlots + 1> slotType{};  // 's', 'n', 'f' or 0, by slot number
  int highestSlot = 0;
};

PlaceholderScan ScanPlaceholders(std::string_view text);

}  // namespace strtable
