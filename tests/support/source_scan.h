#pragma once
// Reading the project's own C++ sources, for the tests that check that every
// name the code asks for (text IDs, assets, 3D files) is built: the tokens of
// a source, the source files of some folders, and printf formats matched
// against the names they can produce. Header-only, so that tool tests linked
// against nothing but their tool can use it. Any thread.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace quentest {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

struct SourceToken {
  enum Kind { kIdentifier, kString, kPunct } kind;
  std::string text;  // the identifier, the string's contents with escapes undone, or the character
  int line;
};

// Identifiers, string literals (u8, u, U and L ones too) and punctuation;
// comments, character literals, numbers (with their ' separators) and raw
// strings are passed over.
inline std::vector<SourceToken> TokenizeSource(std::string_view s) {
  std::vector<SourceToken> tokens;
  int line = 1;
  auto isIdent = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  auto skipTo = [&](std::size_t& i, std::size_t end) {  // counts the lines passed over
    for (; i < end && i < s.size(); ++i) line += s[i] == '\n';
  };
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (s.substr(i, 2) == "//") {
      skipTo(i, s.find('\n', i));
    } else if (s.substr(i, 2) == "/*") {
      const std::size_t end = s.find("*/", i + 2);
      skipTo(i, end == std::string_view::npos ? s.size() : end + 2);
    } else if (c == '"') {
      std::string text;
      for (++i; i < s.size() && s[i] != '"' && s[i] != '\n'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
          const char e = s[++i];
          text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          text += s[i];
        }
      }
      tokens.push_back({SourceToken::kString, text, line});
      i += i < s.size() && s[i] == '"';
    } else if (c == '\'') {
      for (++i; i < s.size() && s[i] != '\'' && s[i] != '\n'; ++i) i += s[i] == '\\';
      i += i < s.size() && s[i] == '\'';
    } else if (isIdent(c)) {
      const std::size_t start = i;
      const bool number = std::isdigit(static_cast<unsigned char>(c));
      while (i < s.size() && (isIdent(s[i]) || (number && s[i] == '\''))) ++i;
      const std::string_view word = s.substr(start, i - start);
      const bool quoted = i < s.size() && s[i] == '"';
      if (quoted && word.size() <= 3 && word.back() == 'R') {  // R"delim( ... )delim"
        const std::size_t open = s.find('(', i);
        const std::string close = ")" + std::string(s.substr(i + 1, open - i - 1)) + "\"";
        const std::size_t end = open == std::string_view::npos ? open : s.find(close, open);
        skipTo(i, end == std::string_view::npos ? s.size() : end + close.size());
      } else if (!number && !(quoted && (word == "u8" || word == "u" || word == "U" || word == "L"))) {
        tokens.push_back({SourceToken::kIdentifier, std::string(word), line});
      }
    } else {
      if (c == '\n') ++line;
      if (!std::isspace(static_cast<unsigned char>(c)))
        tokens.push_back({SourceToken::kPunct, std::string(1, c), line});
      ++i;
    }
  }
  return tokens;
}

// Calls `visit(path, text)` for every file below root/<dir> of each folder of
// `dirs` (those that exist) whose extension is one of `extensions`.
inline void ForEachSourceFile(const std::filesystem::path& root, std::initializer_list<const char*> dirs,
                              std::initializer_list<const char*> extensions,
                              const std::function<void(const std::filesystem::path&, const std::string&)>& visit) {
  for (const char* dir : dirs) {
    if (!std::filesystem::is_directory(root / dir)) continue;
    for (const auto& file : std::filesystem::recursive_directory_iterator(root / dir)) {
      const std::string ext = file.path().extension().string();
      if (file.is_regular_file() && std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
        visit(file.path(), ReadWholeFile(file.path()));
      }
    }
  }
}

namespace source_scan_detail {

// A directive of a format: %s and %c any text, %x hexadecimal digits, any
// other decimal ones; 0 a literal character.
inline bool Match(std::string_view f, std::size_t i, std::string_view name, std::size_t n) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  if (i == f.size()) return n == name.size();
  if (f[i] != '%' || i + 1 == f.size() || f[i + 1] == '%') {
    const std::size_t next = f[i] == '%' && i + 1 < f.size() ? i + 2 : i + 1;
    return n < name.size() && lower(name[n]) == lower(f[i]) && Match(f, next, name, n + 1);
  }
  std::size_t j = i + 1;
  while (j < f.size() && std::string_view("-+ #0123456789.").find(f[j]) != std::string_view::npos) ++j;
  if (j == f.size()) return false;
  const char conv = lower(f[j]);
  const bool any = conv == 's' || conv == 'c';
  for (std::size_t end = any ? n : n + 1; end <= name.size(); ++end) {
    if (!any) {
      const unsigned char last = static_cast<unsigned char>(name[end - 1]);
      if (!(conv == 'x' ? std::isxdigit(last) : std::isdigit(last))) break;
    }
    if (Match(f, j + 1, name, end)) return true;
  }
  return false;
}

}  // namespace source_scan_detail

// Whether a printf format can produce the name, case ignored: %s and %c stand
// for any text, %d for decimal digits, %x for hexadecimal ones, %% for '%'.
inline bool FormatMatches(std::string_view format, std::string_view name) {
  return source_scan_detail::Match(format, 0, name, 0);
}

}  // namespace quentest
