#include "code_scan.h"

#include <cctype>

#include "tests/support/source_scan.h"

namespace {

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
  using quentest::SourceToken;
  const std::vector<SourceToken> tokens = quentest::TokenizeSource(source);
  std::vector<TextIdUse> uses;
  for (std::size_t t = 0; t + 1 < tokens.size(); ++t) {
    if (tokens[t].kind != SourceToken::kIdentifier || !IsTextFunction(tokens[t].text)) continue;
    if (tokens[t + 1].kind != SourceToken::kPunct || tokens[t + 1].text != "(") continue;
    int depth = 0;
    for (std::size_t a = t + 1; a < tokens.size(); ++a) {
      const SourceToken& tok = tokens[a];
      const bool punct = tok.kind == SourceToken::kPunct;
      if (punct && (tok.text == "(" || tok.text == "[" || tok.text == "{")) ++depth;
      if (punct && (tok.text == ")" || tok.text == "]" || tok.text == "}") && --depth == 0) break;
      if (depth == 1 && tok.kind == SourceToken::kString && LooksLikeTextId(tok.text)) {
        uses.push_back({tok.text, tokens[t].text, tok.line});
      }
    }
  }
  return uses;
}
