#pragma once
// The asteroids the player marked in the solar view by clicking them, in
// the order marked, and the pure rules of the view's asteroid filters: the
// power label and the collision warning merged into the status line.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct GotoEntry;

class SolarMarks {
 public:
  // A record's count is 16-bit wide: a full list refuses more.
  static constexpr std::size_t kMaxMarks = 65535;

  // False when the list is full (nothing added).
  bool Add(std::uint16_t asteroid);
  bool IsMarked(std::uint32_t asteroid) const;
  // The first record of that asteroid goes; none: nothing changes.
  void Remove(std::uint16_t asteroid);
  void Clear() { marks_.clear(); }
  std::size_t Count() const { return marks_.size(); }
  // The asteroid of record `index`, false past the end.
  bool At(std::size_t index, std::uint16_t* asteroid) const;
  // The first mark that stands in none of the slots as an asteroid, else the
  // first mark; false for an empty list.
  bool FirstOutside(std::span<const GotoEntry> slots, std::uint16_t* asteroid) const;

 private:
  std::vector<std::uint16_t> marks_;
};

// The power filter's label and verdict: `coefficient` is the owner guild's
// power coefficient (-1 none), `output` the local chapter's power output
// there. Writes "%d" or "%d (%d)" into label (size bytes).
bool PowerFilterLabel(int coefficient, std::uint32_t output, char* label, std::size_t size);

// The status line after a collision warning: the warning alone when no line
// is shown; nothing new (false) when the shown line already names both
// asteroids; else the warning, five blanks and the shown line.
bool MergeCollisionWarning(const std::string& warning, bool lineShown, const std::string& shown,
                           const std::string& nameA, const std::string& nameB, std::string* out);
