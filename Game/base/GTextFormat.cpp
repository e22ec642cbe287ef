#include "Game/base/GTextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "Game/base/TraceError.h"

namespace {

// One piece of a raw text as both scans see it.
struct Token {
  enum class Kind { Char, Slot, Ref } kind = Kind::Char;
  char ch = 0;          // Char: the character to copy; Slot: the type letter
  int slot = 0;         // Slot: 1..8
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

// The text of one filled slot, at most kMaxSlotChars characters.
struct SlotText {
  std::array<char, kMaxSlotChars + 1> chars{};
  std::size_t length = 0;
  std::string_view view() const { return {chars.data(), length}; }
};

// The text of one typed slot from its argument; empty (and reported) when the
// argument is of another kind.
void FillSlot(char type, const TextArg& arg, SlotText* slot) {
  char* first = slot->chars.data();
  if (type == 's' && arg.kind() == TextArg::Kind::String) {
    slot->length = std::min(arg.string().size(), kMaxSlotChars);
    std::memcpy(first, arg.string().data(), slot->length);
  } else if (type == 'n' && arg.kind() == TextArg::Kind::Integer) {
    slot->length = static_cast<std::size_t>(std::to_chars(first, first + kMaxSlotChars, arg.integer()).ptr - first);
  } else if (type == 'f' && arg.kind() != TextArg::Kind::String) {
    const double value = arg.kind() == TextArg::Kind::Number ? arg.number() : arg.integer();
    const int n = std::snprintf(first, slot->chars.size(), "%.2f", value);
    slot->length = std::min(static_cast<std::size_t>(n > 0 ? n : 0), kMaxSlotChars);
  } else {
    slot->length = 0;
    TraceError("Text argument of the wrong kind", __FILE__, __LINE__);
  }
}

}  // namespace

std::size_t FormatTextInto(std::string_view raw, std::span<const TextArg> args, const RawTextReader& reader,
                           std::span<char> out) {
  if (out.empty()) return 0;
  const std::size_t limit = std::min(kMaxTextChars, out.size() - 1);
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
  std::array<SlotText, kMaxTextArgs + 1> slots;
  std::size_t next = 0;
  for (int d = 1; d <= highest; ++d) {
    const char type = types[d];
    if (type != 0 && !IsFilledType(type)) {
      TraceError("Unknown placeholder type in text", __FILE__, __LINE__);
      continue;
    }
    if (next >= args.size()) break;  // never more than the caller passed
    const TextArg& arg = args[next++];
    if (type != 0) FillSlot(type, arg, &slots[d]);
  }

  // Second scan: the finished text.
  std::size_t length = 0;
  auto append = [&](std::string_view s) {
    const std::size_t n = std::min(s.size(), limit - length);
    std::memcpy(out.data() + length, s.data(), n);
    length += n;
  };
  Tokenize(raw, [&](const Token& t) {
    switch (t.kind) {
      case Token::Kind::Char:
        append(std::string_view(&t.ch, 1));
        break;
      case Token::Kind::Slot:
        if (IsFilledType(t.ch)) {
          append(slots[t.slot].view());
        } else {
          // Not a placeholder: its '%' is dropped, the rest stands.
          const char rest[2] = {t.ch, static_cast<char>('0' + t.slot)};
          append(std::string_view(rest, 2));
        }
        break;
      case Token::Kind::Ref: {
        if (!reader) break;
        // The reader reads the ID as a C string.
        std::array<char, 256> shortId;
        std::string longId;
        const char* id = shortId.data();
        if (t.id.size() < shortId.size()) {
          std::memcpy(shortId.data(), t.id.data(), t.id.size());
          shortId[t.id.size()] = '\0';
        } else {
          longId.assign(t.id);
          id = longId.c_str();
        }
        const std::span<char> room = out.subspan(length, limit - length);
        if (std::optional<std::size_t> n = reader(id, room)) length += std::min(*n, room.size());
        break;
      }
    }
  });
  out[length] = '\0';
  return length;
}

std::string FormatText(std::string_view raw, std::span<const TextArg> args, const RawTextLookup& lookup) {
  std::array<char, kMaxTextChars + 1> out;
  RawTextReader reader;
  if (lookup) {
    reader = [&lookup](const char* id, std::span<char> room) -> std::optional<std::size_t> {
      const std::optional<std::string> text = lookup(id);
      if (!text) return std::nullopt;
      const std::size_t n = std::min(text->size(), room.size());
      std::memcpy(room.data(), text->data(), n);
      return n;
    };
  }
  return std::string(out.data(), FormatTextInto(raw, args, reader, out));
}
