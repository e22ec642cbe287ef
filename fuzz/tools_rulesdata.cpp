// The data builder's readers of the rules sources: any text through each of
// the five compilers. A source compiled without problems gives a file the
// game reads back whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"
#include "tools/rulesdata/text_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const rulesdata::CompiledFile hulls = rulesdata::CompileHulls(text);
  if (hulls.problems.empty() && hulls.records > 0) {
    CGHullDB db("Q:\\absent.dat");
    if (db.LoadHulls(hulls.bytes) != 1) __builtin_trap();
  }
  const rulesdata::CompiledFile modules = rulesdata::CompileModules(text);
  if (modules.problems.empty() && modules.records > 0) {
    CGModuleDB db("Q:\\absent.dat");
    if (db.LoadModules(modules.bytes) != 1 || db.GetCount() != modules.records) __builtin_trap();
  }
  rulesdata::CompileDefBP(text);
  rulesdata::CompileGameVar(text);
  rulesdata::CompileAstNames(text);
  return 0;
}
