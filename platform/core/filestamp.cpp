#include "platform/core/filestamp.h"

#include <sys/stat.h>
#include <time.h>

#include "platform/core/dospath.h"

namespace plat {

namespace {

constexpr std::int64_t kStampGrainNs = 2'000'000'000;

std::int64_t Nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

}  // namespace

std::optional<StampedFile> StampFile(std::string_view dosPath) {
  // The clock is read before the file: a change made after the stat moves the
  // file's time past the one kept, whatever the clock says by then.
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  auto host = ResolveDosPath(dosPath);
  struct stat st {};
  if (!host || ::stat(host->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  StampedFile f;
  f.stamp.device = st.st_dev;
  f.stamp.inode = st.st_ino;
  f.stamp.size = static_cast<std::uint64_t>(st.st_size);
  f.stamp.modifiedNs = Nanoseconds(st.st_mtim);
  f.settled = f.stamp.modifiedNs < Nanoseconds(now) - kStampGrainNs;
  f.host = std::move(*host);
  return f;
}

}  // namespace plat
