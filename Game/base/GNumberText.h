#pragma once
// Decimal numbers in the text of data files and registry values, read the way
// the classic atoi and scanf read them, without their undefined cases: a value
// out of range is clamped instead of overflowing.

#include <string_view>

// Leading blanks, an optional sign, digits; stops at the first other
// character. 0 when there are no digits.
int ParseInt(std::string_view text);

// Takes one "%d" item from the front of `rest` (blanks, optional sign, at least
// one digit) and advances past it; false, with `rest` unchanged, when the next
// item is not a number.
bool ScanInt(std::string_view& rest, int& out);
// Takes one " %c" item: skips blanks, then one character.
bool ScanChar(std::string_view& rest, char& out);
