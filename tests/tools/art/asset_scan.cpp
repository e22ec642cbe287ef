#include "asset_scan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

constexpr std::array<std::string_view, 7> kExtensions = {".ima", ".tga", ".bmp", ".wav", ".avi", ".ogg", ".dll"};
constexpr std::array<std::string_view, 3> kSoundCalls = {"PlayEffect", "PlaySoundAt", "PlayVoiceFile"};

bool EndsWithExtension(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::any_of(kExtensions.begin(), kExtensions.end(),
                     [&](std::string_view e) { return lower.size() > e.size() && lower.ends_with(e); });
}

bool IsHelpTopic(std::string_view s) {
  return s.size() > 1 && s[0] == '#' &&
         std::all_of(s.begin() + 1, s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The identifier directly before the '(' that precedes position `at`, when the
// literal is the call's first argument.
std::string CallBefore(std::string_view src, std::size_t at) {
  std::size_t i = at;
  while (i > 0 && std::isspace(static_cast<unsigned char>(src[i - 1]))) --i;
  if (i == 0 || src[i - 1] != '(') return {};
  --i;
  while (i > 0 && std::isspace(static_cast<unsigned char>(src[i - 1]))) --i;
  std::size_t end = i;
  while (i > 0 && (std::isalnum(static_cast<unsigned char>(src[i - 1])) || src[i - 1] == '_')) --i;
  return std::string(src.substr(i, end - i));
}

}  // namespace

std::vector<AssetUse> FindAssetUses(std::string_view src) {
  std::vector<AssetUse> out;
  int line = 1;
  for (std::size_t i = 0; i < src.size(); ++i) {
    const char c = src[i];
    if (c == '\n') {
      ++line;
    } else if (c == '/' && i + 1 < src.size() && src[i + 1] == '/') {
      while (i < src.size() && src[i] != '\n') ++i;
      --i;
    } else if (c == '/' && i + 1 < src.size() && src[i + 1] == '*') {
      std::size_t end = src.find("*/", i + 2);
      end = end == std::string_view::npos ? src.size() : end + 1;
      line += static_cast<int>(std::count(src.begin() + static_cast<std::ptrdiff_t>(i), src.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
      i = end;
    } else if (c == '\'' && !(i > 0 && std::isalnum(static_cast<unsigned char>(src[i - 1])))) {
      // a character literal (a digit separator follows an alphanumeric)
      for (++i; i < src.size() && src[i] != '\''; ++i) {
        if (src[i] == '\\') ++i;
      }
    } else if (c == 'R' && i + 1 < src.size() && src[i + 1] == '"' &&
               !(i > 0 && (std::isalnum(static_cast<unsigned char>(src[i - 1])) || src[i - 1] == '_'))) {
      const std::size_t open = src.find('(', i);
      if (open == std::string_view::npos) break;
      const std::string closing = ")" + std::string(src.substr(i + 2, open - i - 2)) + "\"";
      std::size_t end = src.find(closing, open);
      end = end == std::string_view::npos ? src.size() : end + closing.size() - 1;
      line += static_cast<int>(std::count(src.begin() + static_cast<std::ptrdiff_t>(i), src.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
      i = end;
    } else if (c == '"') {
      const std::size_t start = i;
      std::string text;
      for (++i; i < src.size() && src[i] != '"' && src[i] != '\n'; ++i) {
        if (src[i] == '\\' && i + 1 < src.size()) {
          ++i;
          text += src[i] == '\\' ? '\\' : src[i] == 'n' ? '\n' : src[i];
        } else {
          text += src[i];
        }
      }
      const std::string call = CallBefore(src, start);
      const bool sound = std::find(kSoundCalls.begin(), kSoundCalls.end(), call) != kSoundCalls.end();
      if (sound || EndsWithExtension(text) || text.rfind("IDC_CURSOR_", 0) == 0 || IsHelpTopic(text)) {
        out.push_back({text, line, sound});
      }
    }
  }
  return out;
}

std::string LookupPart(std::string_view text) {
  std::size_t slash = text.rfind('\\');
  std::string_view tail = slash == std::string_view::npos ? text : text.substr(slash + 1);
  return std::string(tail);
}

namespace {

enum class Piece { Char, Any, Digits, HexDigits };

// The format as pieces: a literal character, or a directive's kind.
std::vector<std::pair<Piece, char>> Pieces(std::string_view format) {
  std::vector<std::pair<Piece, char>> out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out.emplace_back(Piece::Char, '%');
        ++i;
        continue;
      }
      std::size_t j = i + 1;
      while (j < format.size() && std::string_view("-+ #0123456789.").find(format[j]) != std::string_view::npos) ++j;
      if (j < format.size()) {
        const char conv = format[j];
        out.emplace_back(conv == 's' || conv == 'c' ? Piece::Any
                         : conv == 'x' || conv == 'X' ? Piece::HexDigits
                                                      : Piece::Digits,
                         0);
        i = j;
        continue;
      }
    }
    out.emplace_back(Piece::Char, static_cast<char>(std::tolower(static_cast<unsigned char>(format[i]))));
  }
  return out;
}

bool Match(const std::vector<std::pair<Piece, char>>& pieces, std::size_t p, std::string_view name, std::size_t n) {
  if (p == pieces.size()) return n == name.size();
  const auto [kind, c] = pieces[p];
  if (kind == Piece::Char) {
    return n < name.size() && std::tolower(static_cast<unsigned char>(name[n])) == c && Match(pieces, p + 1, name, n + 1);
  }
  // a directive takes as many characters as it may (none for %s), the rest must match
  for (std::size_t end = n; end <= name.size(); ++end) {
    if (end > n) {
      const unsigned char last = static_cast<unsigned char>(name[end - 1]);
      if (kind == Piece::Digits && !std::isdigit(last)) break;
      if (kind == Piece::HexDigits && !std::isxdigit(last)) break;
    } else if (kind != Piece::Any) {
      continue;  // digits need at least one
    }
    if (Match(pieces, p + 1, name, end)) return true;
  }
  return false;
}

}  // namespace

bool FormatMatches(std::string_view format, std::string_view name) { return Match(Pieces(format), 0, name, 0); }
