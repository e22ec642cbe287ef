#pragma once
// The readable rules sources (hulls.txt, modules.txt): one record per line,
// blank-separated tokens, a token in double quotes may hold blanks, ';'
// outside quotes starts a comment that runs to the line end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rulesdata {

struct SourceLine {
  int number = 0;  // 1-based
  std::vector<std::string> tokens;
};

struct Problem {
  int line = 0;
  std::string message;
};

// The lines that hold tokens; an unclosed quote is a problem and drops its line.
std::vector<SourceLine> SplitSourceLines(std::string_view text, std::vector<Problem>& problems);

// A decimal number within [low, high]; nothing when the token is not one.
std::optional<std::int64_t> ParseNumber(std::string_view token, std::int64_t low, std::int64_t high);
// A comma-separated list of exactly `count` numbers within [low, high].
std::optional<std::vector<std::int64_t>> ParseNumberList(std::string_view token, std::size_t count, std::int64_t low,
                                                         std::int64_t high);

}  // namespace rulesdata
