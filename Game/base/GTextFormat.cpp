#include "Game/base/GTextFormat.h"

#include <array>
#include <cstdio>

#include "Game/base/TraceError.h"

namespace {

// One piece of a raw text as both scans see it.
struct Token {
  enum class Kind { Char, Slot, Ref } kind = Kind::Char;
  char ch = 0;        // Char: the character to copy; Slot: the type letter
  int slot = 0;       // Slot: 1..8
  std::string_view id;  // Ref: the text between the parentheses
};

bool IsSlotDigit(char c) { return c >= '1' && c <= '8'; }

// Splits `raw` into tokens and hands each to `emit`. A '%' that starts no
// placeholder is dropped; so is a '%' that ends the text.
template <class Emit>
void Tokenize(std::string_view raw, Emit&& emit) {
  std::size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (c != '%') {
      emit(Token{Token::Kind::Char, c, 0, {}});
      ++i;
      continue;
    }
    if (i + 1 >= raw.size()) break;
    const char next = raw[i + 1];
    if (next == '%') {
      emit(Token{Token::Kind::Char, '%', 0, {}});
      i += 2;
    } else if (next == '(' && raw.find(')', i + 2) != std::string_view::npos) {
      const std::size_t close = raw.find(')', i + 2);
      emit(Token{Token::Kind::Ref, 0, 0, raw.substr(i + 2, close - (i + 2))});
      i = close + 1;
    } else if (i + 2 < raw.size() && IsSlotDigit(raw[i + 2])) {
      emit(Token{Token::Kind::Slot, next, raw[i + 2] - '0', {}});
      i += 3;
    } else {
      emit(Token{Token::Kind::Char, next, 0, {}});
      i += 2;
    }
  }
}

bool IsFilledType(char type) { return type == 's' || type == 'n' || type == 'f'; }

std::string FormatNumber(double value) {
  const int n = std::snprintf(nullptr, 0, "%.2f", value);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, "%.2f", value);
  return out;
}

// The text of one typed slot from its argument; empty (and reported) when the
// argument is of another kind.
std::string SlotText(char type, const TextArg& arg) {
  std::string text;
  if (type == 's' && arg.kind() == TextArg::Kind::String) {
    text = arg.string();
  } else if (type == 'n' && arg.kind() == TextArg::Kind::Integer) {
    text = std::to_string(arg.integer());
  } else if (type == 'f' && arg.kind() != TextArg::Kind::String) {
    text = FormatNumber(arg.kind() == TextArg::Kind::Number ? arg.number() : arg.integer());
  } else {
    TraceError("Text argument of the wrong kind", __FILE__, __LINE__);
  }
  if (text.size() > kMaxSlotChars) text.resize(kMaxSlotChars);
  return text;
}

}  // namespace

std::string FormatText(std::string_view raw, std::span<const TextArg> args, const RawTextLookup& lookup) {
  // First scan: the type of each slot and the highest slot used.
  std::array<char, kMaxTextArgs + 1> types{};
  int highest = 0;
  Tokenize(raw, [&](const Token& t) {
    if (t.kind != Token::Kind::Slot) return;
    types[t.slot] = t.ch;
    if (t.slot > highest) highest = t.slot;
  });

  // The arguments, one per slot in slot order; an unknown type letter takes none.
  if (args.size() > kMaxTextArgs) args = args.first(kMaxTextArgs);
  std::array<std::string, kMaxTextArgs + 1> slots;
  std::size_t next = 0;
  for (int d = 1; d <= highest; ++d) {
    const char type = types[d];
    if (type != 0 && !IsFilledType(type)) {
      TraceError("Unknown placeholder type in text", __FILE__, __LINE__);
      continue;
    }
    if (next >= args.size()) break;  // never more than the caller passed
    const TextArg& arg = args[next++];
    if (type != 0) slots[d] = SlotText(type, arg);
  }

  // Second scan: the finished text.
  std::string out;
  auto append = [&](std::string_view s) { out.append(s.substr(0, kMaxTextChars - out.size())); };
  Tokenize(raw, [&](const Token& t) {
    switch (t.kind) {
      case Token::Kind::Char:
        append(std::string_view(&t.ch, 1));
        break;
      case Token::Kind::Slot:
        if (IsFilledType(t.ch)) {
          append(slots[t.slot]);
        } else {
          // Not a placeholder: its '%' is dropped, the rest stands.
          const char rest[2] = {t.ch, static_cast<char>('0' + t.slot)};
          append(std::string_view(rest, 2));
        }
        break;
      case Token::Kind::Ref:
        if (lookup) {
          if (std::optional<std::string> inserted = lookup(std::string(t.id).c_str())) append(*inserted);
        }
        break;
    }
  });
  return out;
}
