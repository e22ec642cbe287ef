#pragma once
// Wall-clock time in the shapes the game uses: the C runtime's time and
// localtime, and the kernel's SYSTEMTIME and FILETIME records.

#include <cstdint>
#include <ctime>

#include "platform/core/types.h"

namespace plat {

using time_t = std::int64_t;

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;      // 1..12
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

// 100-nanosecond intervals since 1601-01-01 UTC, split in two halves.
struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// Seconds since 1970-01-01 UTC; also stored through `out` when it is not null.
time_t time(time_t* out);

// The local broken-down time of `*t`. The result lives in storage of the
// calling thread, valid until that thread's next call. Null when `t` is null or
// out of range.
std::tm* localtime(const time_t* t);

// The current time in UTC.
void GetSystemTime(SYSTEMTIME* out);

}  // namespace plat
