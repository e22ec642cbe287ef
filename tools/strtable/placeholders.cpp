#include "tools/strtable/placeholders.h"

#include "tools/strtable/text_id.h"

namespace strtable {
namespace {

bool IsTypeLetter(char c) { return c == 's' || c == 'n' || c == 'f'; }

void ScanReference(std::string_view text, std::size_t& i, PlaceholderScan& scan) {
  // i stands on the '(' after the percent sign.
  const std::size_t close = text.find(')', i + 1);
  if (close == std::string_view::npos) {
    scan.problems.push_back("\"%(\" without a closing parenthesis");
    i = text.size();
    return;
  }
  const std::string_view id = text.substr(i + 1, close - i - 1);
  if (IsValidTextId(id)) {
    scan.references.emplace_back(id);
  } else {
    scan.problems.push_back("\"%(" + std::string(id) + ")\" does not name a text ID");
  }
  i = close + 1;
}

void ScanSlot(std::string_view text, std::size_t& i, PlaceholderScan& scan) {
  // i stands on the type letter after the percent sign.
  const char type = text[i];
  const std::string shown = std::string("%") + type;
  if (i + 1 == text.size() || text[i + 1] < '0' || text[i + 1] > '9') {
    scan.problems.push_back("\"" + shown + "\" has no slot number");
    ++i;
    return;
  }
  const int slot = text[i + 1] - '0';
  i += 2;
  if (slot < 1 || slot > kMaxSlots) {
    scan.problems.push_back("\"" + shown + std::to_string(slot) + "\" uses a slot outside 1 to 8");
    return;
  }
  char& known = scan.slotType[static_cast<std::size_t>(slot)];
  if (known != 0 && known != type) {
    scan.problems.push_back("slot " + std::to_string(slot) + " is used as both %" + known + " and %" + type);
  }
  known = type;
  if (slot > scan.highestSlot) scan.highestSlot = slot;
}

}  // namespace

PlaceholderScan ScanPlaceholders(std::string_view text) {
  PlaceholderScan scan;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      ++i;
      continue;
    }
    if (++i == text.size()) {
      scan.problems.push_back("the text ends with a lone '%'");
      break;
    }
    const char c = text[i];
    if (c == '%') {
      ++i;
    } else if (c == '(') {
      ScanReference(text, i, scan);
    } else if (IsTypeLetter(c)) {
      ScanSlot(text, i, scan);
    } else {
      scan.problems.push_back(std::string("\"%") + c + "\" is not a placeholder (write %% for a percent sign)");
      ++i;
    }
  }
  for (int slot = 1; slot < scan.highestSlot; ++slot) {
    if (scan.slotType[static_cast<std::size_t>(slot)] == 0) {
      scan.problems.push_back("slot " + std::to_string(slot) + " has no placeholder, so its argument has no type");
    }
  }
  return scan;
}

}  // namespace strtable
