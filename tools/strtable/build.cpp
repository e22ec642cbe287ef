#include "tools/strtable/build.h"

#include "tools/strtable/index_table.h"
#include "tools/strtable/rc_script.h"
#include "tools/strtable/string_source.h"

namespace strtable {

BuiltTable BuildStringTable(std::string_view sourceContent) {
  BuiltTable built;
  const ParsedSource parsed = ParseStringSource(sourceContent);
  for (const SourceError& e : parsed.errors) built.problems.push_back({e.line, e.message});
  // A table with unreadable lines would be checked without them; report the
  // syntax first so that the table checks do not point at the gaps.
  if (!built.problems.empty()) return built;

  built.problems = CheckTable(parsed.entries);
  if (!built.problems.empty()) return built;

  built.entryCount = parsed.entries.size();
  built.script = BuildStringTableScript(parsed.entries);
  built.index = BuildIndexTable(parsed.entries);
  return built;
}

}  // namespace strtable
