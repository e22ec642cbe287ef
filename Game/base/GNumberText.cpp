#include "Game/base/GNumberText.h"

#include <climits>
#include <cstdint>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
}

// Sign and digits at the front of `s`; false when no digit follows the sign.
bool TakeNumber(std::string_view& s, int& out) {
  std::string_view t = s;
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || !IsDigit(t.front())) return false;
  std::int64_t value = 0;
  while (!t.empty() && IsDigit(t.front())) {
    if (value <= INT_MAX) value = value * 10 + (t.front() - '0');  // further digits only keep it clamped
    t.remove_prefix(1);
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  out = static_cast<int>(value);
  s = t;
  return true;
}

}  // namespace

int ParseInt(std::string_view text) {
  SkipBlanks(text);
  int value = 0;
  return TakeNumber(text, value) ? value : 0;
}

bool ScanInt(std::string_view& rest, int& out) {
  std::string_view s = rest;
  SkipBlanks(s);
  if (!TakeNumber(s, out)) return false;
  rest = s;
  return true;
}

bool ScanChar(std::string_view& rest, char& out) {
  std::string_view s = rest;
  SkipBlanks(s);
  if (s.empty()) return false;
  out = s.front();
  rest = s.substr(1);
  return true;
}
