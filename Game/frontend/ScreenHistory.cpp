#include "Game/frontend/ScreenHistory.h"

std::int16_t ScreenHistory::Next(std::int16_t requested) {
  if (requested == kScreenBack) {
    // Going back records nothing: the popped screen is shown as it was.
    last = count > 0 ? static_cast<std::int16_t>(entries[--count]) : static_cast<std::int16_t>(kScreenTitle);
    return last;
  }
  if (requested == kScreenTitle) {
    count = 0;
    last = 0;
  } else if (requested < last) {
    while (count > 0 && requested < static_cast<std::int16_t>(entries[count - 1])) --count;
    last = count > 0 ? static_cast<std::int16_t>(entries[--count]) : 0;
  }
  if (count < kHistorySize) {
    if (last >= 1 && last != requested) entries[count++] = static_cast<std::uint16_t>(last);
    last = requested;
  }
  return requested;
}
