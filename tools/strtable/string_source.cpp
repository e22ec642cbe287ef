#include "tools/strtable/string_source.h"

#include <charconv>
#include <optional>

#include "tools/strtable/text_id.h"

namespace strtable {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view SkipBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TakeWord(std::string_view& s) {
  std::size_t n = 0;
  while (n < s.size() && !IsBlank(s[n])) ++n;
  const std::string_view word = s.substr(0, n);
  s.remove_prefix(n);
  return word;
}

// Parses the quoted text at the start of s and consumes it; the error says
// what is wrong when it returns nothing.
std::optional<std::string> TakeQuotedText(std::string_view& s, std::string& error) {
  if (s.empty() || s.front() != '"') {
    error = "the text must start with a double quote";
    return std::nullopt;
  }
  std::string text;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\') {
      if (++i == s.size()) break;
      switch (s[i]) {
        case 'n':
          text += '\n';
          break;
        case 't':
          text += '\t';
          break;
        case '\\':
          text += '\\';
          break;
        case '"':
          text += '"';
          break;
        default:
          error = std::string("unknown escape \\") + s[i];
          return std::nullopt;
      }
      continue;
    }
    if (c < ' ' || c > '~') {
      error = "the text holds a character that is not printable ASCII";
      return std::nullopt;
    }
    text += c;
  }
  error = "the text has no closing double quote";
  return std::nullopt;
}

std::optional<StringEntry> ParseLine(std::string_view line, std::string& error) {
  std::string_view rest = SkipBlanks(line);
  StringEntry entry;

  const std::string_view id = TakeWord(rest);
  if (!IsValidTextId(id)) {
    error = "'" + std::string(id) + "' is not a text ID of 1 to 8 characters";
    return std::nullopt;
  }
  entry.id = std::string(id);

  rest = SkipBlanks(rest);
  const std::string_view number = TakeWord(rest);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size() || value > 0xFFFF) {
    error = "'" + std::string(number) + "' is not a string number from 0 to 65535";
    return std::nullopt;
  }
  entry.number = static_cast<std::uint16_t>(value);

  rest = SkipBlanks(rest);
  std::optional<std::string> text = TakeQuotedText(rest, error);
  if (!text) return std::nullopt;
  entry.text = std::move(*text);

  if (!SkipBlanks(rest).empty()) {
    error = "unexpected characters after the text";
    return std::nullopt;
  }
  return entry;
}

}  // namespace

ParsedSource ParseStringSource(std::string_view content) {
  ParsedSource parsed;
  int lineNumber = 0;
  while (!content.empty()) {
    ++lineNumber;
    const std::size_t eol = content.find('\n');
    const std::string_view line = content.substr(0, eol);
    content.remove_prefix(eol == std::string_view::npos ? content.size() : eol + 1);

    const std::string_view body = SkipBlanks(line);
    if (body.empty() || body.front() == '#') continue;

    std::string error;
    if (std::optional<StringEntry> entry = ParseLine(line, error)) {
      entry->line = lineNumber;
      parsed.entries.push_back(std::move(*entry));
    } else {
      parsed.errors.push_back({lineNumber, std::move(error)});
    }
  }
  return parsed;
}

}  // namespace strtable
