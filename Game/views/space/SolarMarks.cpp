// The solar view's marked asteroids and its filter labels and warnings.
#include "Game/views/space/SolarMarks.h"

#include <algorithm>
#include <cstdio>

#include "Game/views/frame/CVGeneric.h"

bool SolarMarks::Add(std::uint16_t asteroid) {
  if (marks_.size() >= kMaxMarks) return false;
  marks_.push_back(asteroid);
  return true;
}

bool SolarMarks::IsMarked(std::uint32_t asteroid) const {
  return std::find(marks_.begin(), marks_.end(), asteroid) != marks_.end();
}

void SolarMarks::Remove(std::uint16_t asteroid) {
  const auto it = std::find(marks_.begin(), marks_.end(), asteroid);
  if (it != marks_.end()) marks_.erase(it);
}

bool SolarMarks::At(std::size_t index, std::uint16_t* asteroid) const {
  if (index >= marks_.size()) {
    *asteroid = 0xFFFF;
    return false;
  }
  *asteroid = marks_[index];
  return true;
}

bool SolarMarks::FirstOutside(std::span<const GotoEntry> slots, std::uint16_t* asteroid) const {
  if (marks_.empty()) return false;
  for (std::uint16_t a : marks_) {
    const bool stored = std::any_of(slots.begin(), slots.end(),
                                    [a](const GotoEntry& e) { return e.kind == GOTO_ASTEROID && e.id == a; });
    if (!stored) {
      *asteroid = a;
      return true;
    }
  }
  *asteroid = marks_.front();
  return true;
}

bool PowerFilterLabel(int coefficient, std::uint32_t output, char* label, std::size_t size) {
  if (output != 0) {
    if (coefficient < 0)
      std::snprintf(label, size, "%u", output);
    else
      std::snprintf(label, size, "%d (%u)", coefficient, output);
    return true;
  }
  if (coefficient < 0) return false;
  std::snprintf(label, size, "%d", coefficient);
  return true;
}

bool MergeCollisionWarning(const std::string& warning, bool lineShown, const std::string& shown,
                           const std::string& nameA, const std::string& nameB, std::string* out) {
  if (!lineShown) {
    *out = warning;
    return true;
  }
  if (shown.find(nameA) != std::string::npos && shown.find(nameB) != std::string::npos) return false;
  *out = warning + "     " + shown;
  return true;
}
