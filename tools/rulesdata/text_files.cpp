#include "tools/rulesdata/text_files.h"

#include <array>
#include <cstdio>
#include <set>
#include <sstream>

#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GGameVar.h"

namespace rulesdata {
namespace {

constexpr std::size_t kUnitClasses = 11;
constexpr std::size_t kMinAsteroidNames = 151;
constexpr std::size_t kMaxAsteroidNameChars = 251;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Calls `onLine` with each line's number and trimmed text.
template <class F>
void ForEachLine(std::string_view text, F onLine) {
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    ++number;
    onLine(number, Trim(text.substr(0, end)));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
}

struct KeyValue {
  std::string_view key, value;
};

// A KEY=VALUE line; nothing (and a problem) for any other.
std::optional<KeyValue> SplitEntry(int number, std::string_view line, std::vector<Problem>& problems) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos || eq == 0) {
    problems.push_back({number, "expected KEY=VALUE"});
    return std::nullopt;
  }
  return KeyValue{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

}  // namespace

CompiledText CompileDefBP(std::string_view source) {
  CompiledText out;
  DefaultBattlePlanTable table;
  std::size_t block = 0;
  std::size_t next = 0;  // the key expected next within the block
  ForEachLine(source, [&](int number, std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    const auto entry = SplitEntry(number, line, out.problems);
    if (!entry) return;
    if (block == kUnitClasses) {
      out.problems.push_back({number, "more than eleven blocks"});
      return;
    }
    const DefBPKey& expected = kDefBPKeys[next];
    if (entry->key != expected.key) {
      out.problems.push_back({number, "expected " + std::string(expected.key)});
      return;
    }
    // The game writes each value back in place, in its width.
    const int limit = expected.width == 1 ? 9 : 99;
    const auto value = ParseNumber(entry->value, 0, limit);
    if (!value) {
      out.problems.push_back({number, "the value must be a number 0.." + std::to_string(limit)});
      return;
    }
    DefBPValue(table, static_cast<int>(block), expected) = static_cast<std::uint8_t>(*value);
    if (++next == std::size(kDefBPKeys)) {
      next = 0;
      ++block;
    }
  });
  if (block != kUnitClasses || next != 0) out.problems.push_back({0, "defBP needs eleven whole blocks"});
  out.records = block;
  if (out.problems.empty()) out.text = DefaultBattlePlanText(table);
  return out;
}

CompiledText CompileGameVar(std::string_view source) {
  CompiledText out;
  std::string entries;  // the checked entries, as the game's reader takes them
  ForEachLine(source, [&](int number, std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    const auto entry = SplitEntry(number, line, out.problems);
    if (!entry) return;
    if (!CGameVariables::IsKey(entry->key)) {
      out.problems.push_back({number, "unknown game variable \"" + std::string(entry->key) + "\""});
      return;
    }
    if (entry->value.empty()) {
      out.problems.push_back({number, "a value is missing"});
      return;
    }
    entries += std::string(entry->key) + "=" + std::string(entry->value) + "\n";
    ++out.records;
  });
  if (out.problems.empty()) out.text = GameVariablesText(CGameVariables(entries));
  return out;
}

CompiledText CompileAstNames(std::string_view source) {
  CompiledText out;
  std::ostringstream text;
  std::set<std::string, std::less<>> seen;
  ForEachLine(source, [&](int number, std::string_view line) {
    if (line.empty() || line.front() == '#') return;
    if (line.size() > kMaxAsteroidNameChars || line.find('|') != std::string_view::npos) {
      out.problems.push_back({number, "a name holds at most 251 characters and no '|'"});
      return;
    }
    if (!seen.insert(std::string(line)).second) {
      out.problems.push_back({number, "name \"" + std::string(line) + "\" given twice"});
      return;
    }
    text << line << "\r\n";
    ++out.records;
  });
  if (out.records < kMinAsteroidNames) {
    out.problems.push_back({0, "at least 151 names are needed, one per asteroid"});
  }
  if (out.problems.empty()) out.text = text.str();
  return out;
}

}  // namespace rulesdata
