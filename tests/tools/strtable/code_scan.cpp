#include "code_scan.h"

#include <cctype>

namespace {

struct Token {
  enum Kind { kIdentifier, kString, kPunct } kind;
  std::string text;  // identifier, string contents or the punctuation character
  int line;
};

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '\n') {
        ++line_;
        ++i_;
      } else if (s_.substr(i_, 2) == "//") {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else if (s_.substr(i_, 2) == "/*") {
        SkipBlockComment();
      } else if (c == '"') {
        tokens.push_back({Token::kString, ReadString(), line_});
      } else if (c == '\'') {
        SkipCharLiteral();
      } else if (IsIdentChar(c)) {
        ReadWord(tokens);
      } else {
        if (!std::isspace(static_cast<unsigned char>(c))) tokens.push_back({Token::kPunct, std::string(1, c), line_});
        ++i_;
      }
    }
    return tokens;
  }

 private:
  void SkipBlockComment() {
    i_ += 2;
    while (i_ < s_.size() && s_.substr(i_, 2) != "*/") {
      if (s_[i_] == '\n') ++line_;
      ++i_;
    }
    i_ += 2;
  }

  // i_ stands on the opening quote.
  std::string ReadString() {
    std::string text;
    for (++i_; i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n'; ++i_) {
      if (s_[i_] == '\\' && i_ + 1 < s_.size()) text += s_[i_++];
      text += s_[i_];
    }
    ++i_;
    return text;
  }

  // R"delim( ... )delim"; i_ stands on the opening quote.
  void SkipRawString() {
    const std::size_t paren = s_.find('(', i_);
    if (paren == std::string_view::npos) {
      i_ = s_.size();
      return;
    }
    const std::string close = ")" + std::string(s_.substr(i_ + 1, paren - i_ - 1)) + "\"";
    const std::size_t end = s_.find(close, paren);
    const std::size_t stop = end == std::string_view::npos ? s_.size() : end + close.size();
    for (; i_ < stop; ++i_) {
      if (s_[i_] == '\n') ++line_;
    }
  }

  void SkipCharLiteral() {
    for (++i_; i_ < s_.size() && s_[i_] != '\'' && s_[i_] != '\n'; ++i_) {
      if (s_[i_] == '\\') ++i_;
    }
    ++i_;
  }

  // A word: an identifier, a number (whose ' digit separators stay inside it)
  // or a string prefix such as u8 or LR.
  void ReadWord(std::vector<Token>& tokens) {
    const std::size_t start = i_;
    const bool number = std::isdigit(static_cast<unsigned char>(s_[i_]));
    while (i_ < s_.size() && (IsIdentChar(s_[i_]) || (number && s_[i_] == '\'' ))) ++i_;
    const std::string_view word = s_.substr(start, i_ - start);
    if (number) return;
    if (i_ < s_.size() && s_[i_] == '"' && (word == "u8" || word == "u" || word == "U" || word == "L")) {
      tokens.push_back({Token::kString, ReadString(), line_});
    } else if (i_ < s_.size() && s_[i_] == '"' && !word.empty() && word.back() == 'R' && word.size() <= 3) {
      SkipRawString();
    } else {
      tokens.push_back({Token::kIdentifier, std::string(word), line_});
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  int line_ = 1;
};

bool LooksLikeTextId(const std::string& s) {
  if (s.size() != 8) return false;
  bool letter = false;
  for (const char c : s) {
    if (std::isupper(static_cast<unsigned char>(c))) {
      letter = true;
    } else if (!std::isdigit(static_cast<unsigned char>(c)) && c != '_' && c != '!' && c != '&' && c != '?' &&
               c != '+') {
      return false;
    }
  }
  return letter;
}

}  // namespace

bool IsTextFunction(std::string_view name) {
  return name == "GetText" || name == "GetTextAlloc" || name == "LoadRawText" || name == "Find" ||
         name.find("Box") != std::string_view::npos || name.find("YesNo") != std::string_view::npos;
}

std::vector<TextIdUse> FindTextIdUses(std::string_view source) {
  const std::vector<Token> tokens = Lexer(source).Run();
  std::vector<TextIdUse> uses;
  for (std::size_t t = 0; t + 1 < tokens.size(); ++t) {
    if (tokens[t].kind != Token::kIdentifier || !IsTextFunction(tokens[t].text)) continue;
    if (tokens[t + 1].kind != Token::kPunct || tokens[t + 1].text != "(") continue;
    int depth = 0;
    for (std::size_t a = t + 1; a < tokens.size(); ++a) {
      const Token& tok = tokens[a];
      if (tok.kind == Token::kPunct && (tok.text == "(" || tok.text == "[" || tok.text == "{")) ++depth;
      if (tok.kind == Token::kPunct && (tok.text == ")" || tok.text == "]" || tok.text == "}") && --depth == 0) break;
      if (depth == 1 && tok.kind == Token::kString && LooksLikeTextId(tok.text)) {
        uses.push_back({tok.text, tokens[t].text, tok.line});
      }
    }
  }
  return uses;
}
