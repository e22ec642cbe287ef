#include "tools/rulesdata/source_lines.h"

#include <charconv>

namespace rulesdata {

std::vector<SourceLine> SplitSourceLines(std::string_view text, std::vector<Problem>& problems) {
  std::vector<SourceLine> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    SourceLine line{number, {}};
    bool broken = false;
    for (std::size_t i = 0; i < raw.size();) {
      const char c = raw[i];
      if (c == ';') break;
      if (c == ' ' || c == '\t' || c == '\r') {
        ++i;
      } else if (c == '"') {
        const std::size_t close = raw.find('"', i + 1);
        if (close == std::string_view::npos) {
          problems.push_back({number, "unclosed quote"});
          broken = true;
          break;
        }
        line.tokens.emplace_back(raw.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        std::size_t j = i;
        while (j < raw.size() && raw[j] != ' ' && raw[j] != '\t' && raw[j] != '\r' && raw[j] != ';') ++j;
        line.tokens.emplace_back(raw.substr(i, j - i));
        i = j;
      }
    }
    if (!broken && !line.tokens.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::int64_t> ParseNumber(std::string_view token, std::int64_t low, std::int64_t high) {
  std::int64_t value = 0;
  const char* first = token.data();
  const char* last = token.data() + token.size();
  if (!token.empty() && token[0] == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<std::vector<std::int64_t>> ParseNumberList(std::string_view token, std::size_t count, std::int64_t low,
                                                         std::int64_t high) {
  std::vector<std::int64_t> values;
  while (true) {
    const std::size_t comma = token.find(',');
    const auto value = ParseNumber(token.substr(0, comma), low, high);
    if (!value) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) break;
    token = token.substr(comma + 1);
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

}  // namespace rulesdata
