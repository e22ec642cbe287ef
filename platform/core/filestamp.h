#pragma once
// What tells one version of a file from another without reading it: the
// file's identity (device and inode), its size and its modification time to
// the nanosecond. Content kept from a file is still the file's while its
// stamp is unchanged, provided the stamp was settled when first taken: file
// systems stamp times at a coarse grain (a clock tick, two seconds on FAT),
// so a file written again within the grain of its last stamp could keep it.
// May be called from several threads.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace plat {

struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;  // nanoseconds since the epoch
  bool operator==(const FileStamp&) const = default;
};

struct StampedFile {
  FileStamp stamp;
  // The modification time was more than the grain (two seconds) before the
  // stamp was taken, by the real-time clock.
  bool settled = false;
  // The file stamped, as the host names it: read from there, the bytes are
  // those of the file stamped without resolving its name again.
  std::filesystem::path host;
};

// The stamp of the regular file `dosPath` names (resolved through dospath.h);
// nothing when the path does not resolve or names no regular file.
std::optional<StampedFile> StampFile(std::string_view dosPath);

}  // namespace plat
