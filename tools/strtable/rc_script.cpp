#include "tools/strtable/rc_script.h"

#include <algorithm>

namespace strtable {
namespace {

void AppendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\"\"";
        break;
      default:
        out += c;
        break;
    }
  }
  out += '"';
}

}  // namespace

std::string BuildStringTableScript(const std::vector<StringEntry>& entries) {
  std::vector<const StringEntry*> byNumber;
  byNumber.reserve(entries.size());
  for (const StringEntry& e : entries) byNumber.push_back(&e);
  std::stable_sort(byNumber.begin(), byNumber.end(),
                   [](const StringEntry* a, const StringEntry* b) { return a->number < b->number; });

  std::string script = "STRINGTABLE\nBEGIN\n";
  for (const StringEntry* e : byNumber) {
    script += "  " + std::to_string(e->number) + ", ";
    AppendQuoted(script, e->text);
    script += '\n';
  }
  script += "END\n";
  return script;
}

}  // namespace strtable
