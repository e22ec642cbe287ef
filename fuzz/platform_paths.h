#pragma once
// What the path targets check of every resolved DOS path.

#include <algorithm>
#include <filesystem>

namespace fuzz {

// Whether `path` is `root` or lies below it, by their components alone. Both
// are made absolute first: a drive mapped to a relative folder that normalises
// to "." (".", "a/..") loses that component, while the paths below it do not.
inline bool Inside(const std::filesystem::path& root, const std::filesystem::path& path) {
  const auto r = std::filesystem::absolute(root).lexically_normal();
  const auto p = std::filesystem::absolute(path).lexically_normal();
  const auto rn = std::distance(r.begin(), r.end()), pn = std::distance(p.begin(), p.end());
  if (pn < rn) return false;
  // A trailing separator reads as an empty last component.
  auto rend = r.end();
  if (rn > 0 && std::prev(rend)->empty()) --rend;
  return std::equal(r.begin(), rend, p.begin());
}

}  // namespace fuzz
