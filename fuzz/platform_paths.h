#pragma once
// What the path targets check of every resolved DOS path.

#include <algorithm>
#include <filesystem>

namespace fuzz {

// Whether `path` is `root` or lies below it, by their components alone.
inline bool Inside(const std::filesystem::path& root, const std::filesystem::path& path) {
  const auto r = root.lexically_normal(), p = path.lexically_normal();
  const auto rn = std::distance(r.begin(), r.end()), pn = std::distance(p.begin(), p.end());
  if (pn < rn) return false;
  // A trailing separator reads as an empty last component.
  auto rend = r.end();
  if (rn > 0 && std::prev(rend)->empty()) --rend;
  return std::equal(r.begin(), rend, p.begin());
}

}  // namespace fuzz
