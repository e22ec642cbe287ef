#pragma once
// The text rules files, checked and put into the form the game reads:
// CR LF line ends, every line ended, no blank lines (the game's line reader
// would take a blank line into the next key), no blanks around keys.
//
//   defBP.txt -> "defBP.dat": ';' comments and KEY=VALUE lines, eleven blocks
//     of the eight battle-plan keys, one per unit class; each value is written
//     in the width the game writes it back in (hit chance and the two retreat
//     thresholds two digits, the others one).
//   gamevar.txt -> "gamevar.dat": ';' comments and KEY=VALUE lines of the game
//     variables' keys.
//   astnames.txt -> "astnames.dat": one asteroid name per line, at least 151,
//     each at most 251 characters and without '|'; '#' starts a comment line.

#include <string>
#include <string_view>
#include <vector>

#include "tools/rulesdata/source_lines.h"

namespace rulesdata {

struct CompiledText {
  std::string text;  // empty when there are problems
  std::vector<Problem> problems;
  std::size_t records = 0;  // blocks, entries or names
};

CompiledText CompileDefBP(std::string_view source);
CompiledText CompileGameVar(std::string_view source);
CompiledText CompileAstNames(std::string_view source);

}  // namespace rulesdata
