#include "tools/strtable/table_check.h"

#include <algorithm>
#include <map>
#include <set>

#include "tools/strtable/placeholders.h"
#include "tools/strtable/text_id.h"

namespace strtable {
namespace {

void CheckOrder(const std::vector<StringEntry>& entries, std::vector<TableProblem>& problems) {
  for (std::size_t i = 1; i < entries.size(); ++i) {
    const int order = CompareTextIds(MakeTextIdKey(entries[i - 1].id), MakeTextIdKey(entries[i].id));
    if (order == 0) {
      problems.push_back({entries[i].line, entries[i].id + " is a second entry of the same ID"});
    } else if (order > 0) {
      problems.push_back(
          {entries[i].line, entries[i].id + " is out of order: it must come before " + entries[i - 1].id});
    }
  }
}

void CheckNumbers(const std::vector<StringEntry>& entries, std::vector<TableProblem>& problems) {
  std::map<unsigned, const StringEntry*> owner;
  for (const StringEntry& e : entries) {
    const auto [it, added] = owner.emplace(e.number, &e);
    if (!added) {
      problems.push_back(
          {e.line, e.id + " takes string number " + std::to_string(e.number) + ", already taken by " + it->second->id});
    }
  }
}

void CheckTexts(const std::vector<StringEntry>& entries, std::vector<TableProblem>& problems) {
  std::set<std::string> ids;
  for (const StringEntry& e : entries) ids.insert(e.id);

  for (const StringEntry& e : entries) {
    if (e.text.size() > kMaxTextLength) {
      problems.push_back({e.line, e.id + " has " + std::to_string(e.text.size()) + " characters, more than " +
                                      std::to_string(kMaxTextLength)});
    }
    const PlaceholderScan scan = ScanPlaceholders(e.text);
    for (const std::string& p : scan.problems) problems.push_back({e.line, e.id + ": " + p});
    for (const std::string& ref : scan.references) {
      if (!ids.contains(ref)) problems.push_back({e.line, e.id + ": \"%(" + ref + ")\" names an ID not in the table"});
    }
  }
}

}  // namespace

std::vector<TableProblem> CheckTable(const std::vector<StringEntry>& entries) {
  std::vector<TableProblem> problems;
  CheckOrder(entries, problems);
  CheckNumbers(entries, problems);
  CheckTexts(entries, problems);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const TableProblem& a, const TableProblem& b) { return a.line < b.line; });
  return problems;
}

}  // namespace strtable
