#include "platform/core/systime.h"

#include <chrono>

namespace plat {

time_t time(time_t* out) {
  const time_t now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  if (out != nullptr) *out = now;
  return now;
}

std::tm* localtime(const time_t* t) {
  thread_local std::tm result;
  if (t == nullptr) return nullptr;
  const std::time_t host = static_cast<std::time_t>(*t);
  return ::localtime_r(&host, &result);
}

void GetSystemTime(SYSTEMTIME* out) {
  if (out == nullptr) return;
  const auto now = std::chrono::system_clock::now();
  const auto days = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day ymd{days};
  const std::chrono::hh_mm_ss hms{std::chrono::duration_cast<std::chrono::milliseconds>(now - days)};
  out->wYear = static_cast<WORD>(static_cast<int>(ymd.year()));
  out->wMonth = static_cast<WORD>(static_cast<unsigned>(ymd.month()));
  out->wDay = static_cast<WORD>(static_cast<unsigned>(ymd.day()));
  out->wDayOfWeek = static_cast<WORD>(std::chrono::weekday{days}.c_encoding());
  out->wHour = static_cast<WORD>(hms.hours().count());
  out->wMinute = static_cast<WORD>(hms.minutes().count());
  out->wSecond = static_cast<WORD>(hms.seconds().count());
  out->wMilliseconds = static_cast<WORD>(hms.subseconds().count());
}

}  // namespace plat
