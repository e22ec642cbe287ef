#include "tools/rc/preprocessor.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/resource/text1252.h"

namespace rc {
namespace {

constexpr int kMaxIncludeDepth = 32;

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CompileError("cannot open " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Replaces comments by blanks, keeping line ends so line numbers stay right.
std::string StripComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') {
      out.push_back(c);
      ++i;
      while (i < text.size() && text[i] != '"' && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '\n') out.push_back(text[i++]);
        out.push_back(text[i++]);
      }
      if (i < text.size() && text[i] == '"') out.push_back(text[i++]);
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i += 2;
      out.push_back(' ');
      while (i < text.size() && !(text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/')) {
        if (text[i] == '\n') out.push_back('\n');
        ++i;
      }
      i = std::min(text.size(), i + 2);
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

// Appends code point cp as UTF-16.
void PutCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

// Decodes one UTF-8 sequence at text[i]; a byte that starts none is a
// Windows-1252 character. Advances i.
std::uint32_t DecodeChar(std::string_view text, std::size_t& i) {
  auto b0 = static_cast<unsigned char>(text[i]);
  int extra = b0 >= 0xC2 && b0 <= 0xDF ? 1 : b0 >= 0xE0 && b0 <= 0xEF ? 2 : b0 >= 0xF0 && b0 <= 0xF4 ? 3 : 0;
  if (extra == 0) {
    ++i;
    return b0 < 0x80 ? b0 : plat::Cp1252ToUtf16(b0);
  }
  std::uint32_t cp = b0 & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= text.size()) {
      ++i;
      return plat::Cp1252ToUtf16(b0);
    }
    auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return plat::Cp1252ToUtf16(b0);
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return plat::Cp1252ToUtf16(b0);
  }
  i += extra + 1;
  return cp;
}

}  // namespace

Preprocessor::Preprocessor(std::vector<std::filesystem::path> includeDirs) : includeDirs_(std::move(includeDirs)) {}

std::vector<Token> Preprocessor::Run(const std::filesystem::path& script) {
  tokens_.clear();
  ProcessFile(script, 0);
  return std::move(tokens_);
}

std::vector<Token> Preprocessor::RunText(std::string_view text, const std::filesystem::path& name) {
  tokens_.clear();
  ProcessText(text, name, false, 0);
  return std::move(tokens_);
}

void Preprocessor::Define(const std::string& name, std::string_view value) {
  Location where{"<command line>", 0};
  if (name.empty() || !IsIdentStart(name[0]) ||
      !std::all_of(name.begin(), name.end(), [](char c) { return IsIdentChar(c); })) {
    throw CompileError(where, "bad macro name " + name);
  }
  std::vector<Token> tokens;
  Tokenize(value, where, tokens, false);
  macros_[name] = std::move(tokens);
}

void Preprocessor::AddDependency(const std::filesystem::path& p) {
  if (std::find(dependencies_.begin(), dependencies_.end(), p) == dependencies_.end()) dependencies_.push_back(p);
}

std::filesystem::path Preprocessor::FindFile(const std::string& name, const Location& from) {
  std::error_code ec;
  std::filesystem::path p(name);
  std::vector<std::filesystem::path> candidates;
  if (p.is_absolute()) {
    candidates.push_back(p);
  } else {
    candidates.push_back(from.file.parent_path() / p);
    for (const auto& dir : includeDirs_) candidates.push_back(dir / p);
  }
  for (const auto& c : candidates) {
    if (std::filesystem::is_regular_file(c, ec)) {
      AddDependency(c);
      return c;
    }
  }
  throw CompileError(from, "file not found: " + name);
}

void Preprocessor::ProcessFile(const std::filesystem::path& path, int depth) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  AddDependency(path);
  ProcessText(ReadWholeFile(path), path, ext == ".h" || ext == ".c", depth);
}

bool Preprocessor::Active() const { return conditionals_.empty() || conditionals_.back().active; }

void Preprocessor::ProcessText(std::string_view text, const std::filesystem::path& name, bool directivesOnly,
                               int depth) {
  std::string clean = StripComments(text);
  std::size_t openConditionals = conditionals_.size();
  std::size_t i = 0;
  int line = 1;
  while (i <= clean.size()) {
    // One logical line: physical lines joined where a backslash ends them.
    std::string logical;
    Location where{name, line};
    while (i <= clean.size()) {
      std::size_t end = clean.find('\n', i);
      if (end == std::string::npos) end = clean.size();
      std::string_view part(clean.data() + i, end - i);
      if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
      i = end + 1;
      ++line;
      if (!part.empty() && part.back() == '\\') {
        logical.append(part.substr(0, part.size() - 1));
        continue;
      }
      logical.append(part);
      break;
    }
    std::size_t first = 0;
    while (first < logical.size() && IsSpace(logical[first])) ++first;
    if (first < logical.size() && logical[first] == '#') {
      Directive(std::string_view(logical).substr(first + 1), where, depth);
    } else if (Active() && !directivesOnly) {
      Tokenize(logical, where, tokens_);
    }
  }
  if (conditionals_.size() != openConditionals) throw CompileError({name, line - 1}, "#if without #endif");
}

void Preprocessor::Directive(std::string_view line, const Location& where, int depth) {
  std::size_t i = 0;
  while (i < line.size() && IsSpace(line[i])) ++i;
  std::size_t start = i;
  while (i < line.size() && IsIdentChar(line[i])) ++i;
  std::string name(line.substr(start, i - start));
  std::string_view rest = line.substr(i);
  auto restWord = [&]() {
    std::size_t j = 0;
    while (j < rest.size() && IsSpace(rest[j])) ++j;
    std::size_t s = j;
    while (j < rest.size() && IsIdentChar(rest[j])) ++j;
    std::string word(rest.substr(s, j - s));
    if (word.empty()) throw CompileError(where, "#" + name + " needs a name");
    return word;
  };

  if (name == "ifdef" || name == "ifndef") {
    bool parent = Active();
    bool defined = parent && macros_.count(restWord()) != 0;
    conditionals_.push_back({parent && (name == "ifdef" ? defined : !defined), parent, false});
    return;
  }
  if (name == "else") {
    if (conditionals_.empty() || conditionals_.back().elseSeen) throw CompileError(where, "#else without #if");
    Conditional& c = conditionals_.back();
    c.elseSeen = true;
    c.active = c.parentActive && !c.active;
    return;
  }
  if (name == "endif") {
    if (conditionals_.empty()) throw CompileError(where, "#endif without #if");
    conditionals_.pop_back();
    return;
  }
  if (!Active()) return;

  if (name == "include") {
    std::size_t j = 0;
    while (j < rest.size() && IsSpace(rest[j])) ++j;
    if (j >= rest.size() || (rest[j] != '"' && rest[j] != '<')) throw CompileError(where, "#include needs a file name");
    char close = rest[j] == '"' ? '"' : '>';
    std::size_t end = rest.find(close, j + 1);
    if (end == std::string_view::npos) throw CompileError(where, "unterminated #include file name");
    if (depth >= kMaxIncludeDepth) throw CompileError(where, "#include nested too deep");
    std::filesystem::path file = FindFile(std::string(rest.substr(j + 1, end - j - 1)), where);
    ProcessFile(file, depth + 1);
  } else if (name == "define") {
    std::string macro = restWord();
    std::size_t at = rest.find(macro) + macro.size();
    if (at < rest.size() && rest[at] == '(') throw CompileError(where, "macros with arguments are not supported");
    std::vector<Token> value;
    Tokenize(rest.substr(at), where, value, false);
    macros_[macro] = std::move(value);
  } else if (name == "undef") {
    macros_.erase(restWord());
  } else if (name == "pragma") {
    // Compiler hints of shared headers (once, code_page) mean nothing here.
  } else {
    throw CompileError(where, "unsupported directive #" + name);
  }
}

void Preprocessor::Expand(const Token& t, std::vector<Token>& out, std::set<std::string>& active) {
  auto it = t.kind == TokenKind::Identifier ? macros_.find(t.text) : macros_.end();
  if (it == macros_.end() || active.count(t.text) != 0) {
    out.push_back(t);
    return;
  }
  active.insert(t.text);
  for (Token inner : it->second) {
    inner.where = t.where;
    Expand(inner, out, active);
  }
  active.erase(t.text);
}

void Preprocessor::Tokenize(std::string_view line, const Location& where, std::vector<Token>& out, bool expand) {
  std::size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    Token t;
    t.where = where;
    if (IsDigit(c)) {
      t.kind = TokenKind::Number;
      std::uint64_t v = 0;
      if (c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
        i += 2;
        if (i >= line.size() || HexValue(line[i]) < 0) throw CompileError(where, "bad hexadecimal number");
        while (i < line.size() && HexValue(line[i]) >= 0) {
          v = v * 16 + static_cast<std::uint64_t>(HexValue(line[i++]));
          if (v > 0xFFFFFFFFu) throw CompileError(where, "number too large");
        }
      } else {
        int base = c == '0' ? 8 : 10;
        while (i < line.size() && IsDigit(line[i])) {
          int d = line[i++] - '0';
          if (d >= base) throw CompileError(where, "bad octal number");
          v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
          if (v > 0xFFFFFFFFu) throw CompileError(where, "number too large");
        }
      }
      while (i < line.size() && (line[i] == 'L' || line[i] == 'l' || line[i] == 'U' || line[i] == 'u')) {
        if (line[i] == 'L' || line[i] == 'l') t.isLong = true;
        ++i;
      }
      if (i < line.size() && IsIdentChar(line[i])) throw CompileError(where, "bad number");
      t.number = static_cast<std::uint32_t>(v);
    } else if (c == '"' || (c == 'L' && i + 1 < line.size() && line[i + 1] == '"')) {
      t.kind = TokenKind::String;
      if (c == 'L') {
        t.wide = true;
        ++i;
      }
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i];
        if (d == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {  // "" is a quote
            t.str.push_back(u'"');
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        if (d == '\\' && i + 1 < line.size()) {
          char e = line[i + 1];
          i += 2;
          switch (e) {
            case 'n':
              t.str.push_back(u'\n');
              break;
            case 't':
              t.str.push_back(u'\t');
              break;
            case 'r':
              t.str.push_back(u'\r');
              break;
            case '"':
              t.str.push_back(u'"');
              break;
            case '\\':
              t.str.push_back(u'\\');
              break;
            case 'x': {
              std::uint32_t v = 0;
              int n = 0;
              while (i < line.size() && n < 4 && HexValue(line[i]) >= 0) {
                v = v * 16 + static_cast<std::uint32_t>(HexValue(line[i++]));
                ++n;
              }
              if (n == 0) throw CompileError(where, "bad \\x escape");
              t.str.push_back(static_cast<char16_t>(v));
              break;
            }
            default:
              if (e >= '0' && e <= '7') {
                std::uint32_t v = static_cast<std::uint32_t>(e - '0');
                for (int n = 1; n < 3 && i < line.size() && line[i] >= '0' && line[i] <= '7'; ++n) {
                  v = v * 8 + static_cast<std::uint32_t>(line[i++] - '0');
                }
                t.str.push_back(static_cast<char16_t>(v));
              } else {  // an unknown escape stays as written
                t.str.push_back(u'\\');
                --i;
              }
          }
          continue;
        }
        PutCodePoint(t.str, DecodeChar(line, i));
      }
      if (!closed) throw CompileError(where, "unterminated string");
    } else if (IsIdentStart(c)) {
      t.kind = TokenKind::Identifier;
      std::size_t s = i;
      while (i < line.size() && IsIdentChar(line[i])) ++i;
      t.text = std::string(line.substr(s, i - s));
    } else {
      t.kind = TokenKind::Punct;
      t.text = std::string(1, c);
      ++i;
    }
    if (expand) {
      std::set<std::string> active;
      Expand(t, out, active);
    } else {
      out.push_back(std::move(t));
    }
  }
}

}  // namespace rc
