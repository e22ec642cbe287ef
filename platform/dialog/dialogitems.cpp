// Reading and writing dialog items by id.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/dialog/dialog.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace plat {

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(GetWindowText(item, buffer, size)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  } else {
    std::snprintf(text, sizeof text, "%u", value);
  }
  return SetDlgItemText(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  HWND item = GetDlgItem(dialog, id);
  if (!item) return 0;
  const int length = GetWindowTextLength(item);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowText(item, text.data(), length + 1);

  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digits = i;
  std::uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > 0xFFFFFFFFull) return 0;
  }
  if (i == digits) return 0;
  if (isSigned) {
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  }
  // An unsigned reading of "-5" wraps round, as the classic conversion did.
  const auto value = static_cast<UINT>(negative ? (0 - magnitude) : magnitude);
  if (translated) *translated = TRUE;
  return value;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessage(item, msg, wParam, lParam) : 0;
}

}  // namespace plat
