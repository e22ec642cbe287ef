#pragma once
// hulls.txt -> "hulls.dat". The source:
//
//   layout NAME                      a set of module slots that hulls share
//   slot X Y ANCHOR_X ANCHOR_Y TYPE...   one slot of the layout above (at most 20):
//       the top-left corner of its 30 x 30 box on the 242 x 367 hull picture,
//       the point it points to (1 1: none), the module types it takes
//       (construction computer damagecontrol defense power propulsion scout
//       ecm tracking transport weapon) or "any"
//   section GUILD                    the hulls of guild 0..4 follow, in file order
//   hull NAME CLASS SIZE MASS LIMIT METALS SILICATES EXOTICS REACTIVES STRUCTURE LAYOUT NEXT START
//       CLASS a unit-class abbreviation (genp .. batt); SIZE the hull's size
//       value 0..255 (below 20 its ships are drawn smaller); NEXT the name of the
//       hull of the same section that improves on it, or "-"; START "yes"
//       when researched from the start, else "no"
//   empty                            an entry that takes up an index and holds no hull

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/rulesdata/source_lines.h"

namespace rulesdata {

struct CompiledFile {
  std::vector<std::uint8_t> bytes;  // empty when there are problems
  std::vector<Problem> problems;
  std::size_t records = 0;  // hulls or modules written
};

CompiledFile CompileHulls(std::string_view source);

// The mask bit of a module type name, kSlotAny for "any"; nothing for another word.
constexpr std::uint32_t kSlotAny = 0x1000;
std::optional<std::uint32_t> ModuleTypeBit(std::string_view name);
// The index of a module type name (construction 0 .. weapon 10); nothing for another word.
std::optional<int> ModuleTypeIndex(std::string_view name);

}  // namespace rulesdata
