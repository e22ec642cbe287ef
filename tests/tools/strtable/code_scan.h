#pragma once
// Finds the text IDs that C++ code passes as string literals to the text
// functions: GetText, GetTextAlloc, LoadRawText, Find, and the message-box
// helpers (any function whose name contains "Box" or "YesNo"). An ID here is
// a literal of exactly 8 characters from A-Z, 0-9 and _ ! & ? +, standing as a
// direct argument of the call; comments, character literals and the insides
// of other string literals are skipped.

#include <string>
#include <string_view>
#include <vector>

struct TextIdUse {
  std::string id;
  std::string function;
  int line = 0;
};

bool IsTextFunction(std::string_view name);

std::vector<TextIdUse> FindTextIdUses(std::string_view source);
