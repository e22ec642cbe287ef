#pragma once
// Tokens of a resource script after preprocessing, and the error every stage
// of the compiler throws with the place it happened.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace rc {

struct Location {
  std::filesystem::path file;
  int line = 0;
};

class CompileError : public std::runtime_error {
 public:
  CompileError(const Location& where, const std::string& what)
      : std::runtime_error(where.file.string() + ":" + std::to_string(where.line) + ": " + what) {}
  explicit CompileError(const std::string& what) : std::runtime_error(what) {}
};

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;          // identifier or punctuation character
  std::uint32_t number = 0;  // Number
  bool isLong = false;       // Number with an L suffix
  std::u16string str;        // String, as UTF-16
  bool wide = false;         // String with an L prefix
  Location where;
};

}  // namespace rc
