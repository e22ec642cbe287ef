#pragma once
// Rules parsed from a file, kept between game roots while the file is the one
// they were read from (see platform/core/filestamp.h), so that a new game
// reads a rules file again only when it was changed, replaced or removed.
// One entry per kind of rules file; a root takes a copy of what is kept,
// since research changes each game's records. May be called from several
// threads.

#include <memory>
#include <mutex>
#include <utility>

#include "platform/core/filestamp.h"

template <class Parsed>
class KeptRules {
 public:
  // What was kept from the file as `file` stamps it; null when nothing was,
  // it was kept from another version or another file, or the stamp is not
  // settled.
  std::shared_ptr<const Parsed> Find(const plat::StampedFile& file) const {
    std::lock_guard lock(mutex_);
    return file.settled && kept_ != nullptr && stamp_ == file.stamp ? kept_ : nullptr;
  }
  // Keeps `parsed`, read from the file stamped `stamp`, in place of what was
  // kept; a stamp taken while the file was not settled keeps nothing.
  void Keep(const plat::StampedFile& file, std::shared_ptr<const Parsed> parsed) {
    std::lock_guard lock(mutex_);
    stamp_ = file.stamp;
    kept_ = file.settled ? std::move(parsed) : nullptr;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    kept_ = nullptr;
  }

 private:
  mutable std::mutex mutex_;
  plat::FileStamp stamp_;
  std::shared_ptr<const Parsed> kept_;
};
