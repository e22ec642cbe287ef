#pragma once
// The placeholder engine of the text IDs: fills a raw text of the string table
// with the caller's arguments.
//
// "%s1".."%s8", "%n1".."%n8" and "%f1".."%f8" are numbered slots; the slot
// letters in the text decide what each argument is taken as, in slot order (not
// in the order the placeholders stand): a string, a 32-bit integer, a number
// printed as "%.2f". A slot number that does not occur in the text takes one
// argument and drops it. "%(ID)" inserts the raw text of another text ID as it
// stands, "%%" gives '%', and a '%' followed by anything else is dropped.
//
// Arguments are typed values: a slot never reads an argument that was not
// passed (it stays empty). "%s" takes a string, "%n" an integer, "%f" any
// number; an argument of another kind is reported and leaves its slot empty.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// One argument of a text: a string, an integer or a floating-point number. A
// string argument is only viewed, so it must outlive the call it is passed to.
class TextArg {
 public:
  enum class Kind { String, Integer, Number };

  TextArg(const char* s) : m_kind(Kind::String), m_string(s ? s : "") {}  // NOLINT: implicit by design
  TextArg(std::string_view s) : m_kind(Kind::String), m_string(s) {}      // NOLINT
  TextArg(const std::string& s) : m_kind(Kind::String), m_string(s) {}    // NOLINT
  // Integers are 32-bit values as the texts print them; wider ones keep their
  // low 32 bits.
  template <class I>
  requires(std::is_integral_v<I> && !std::is_same_v<I, bool> && !std::is_same_v<I, char>) TextArg(I value)
      : m_kind(Kind::Integer), m_integer(static_cast<std::int32_t>(value)) {}  // NOLINT
  TextArg(double value) : m_kind(Kind::Number), m_number(value) {}             // NOLINT
  TextArg(float value) : m_kind(Kind::Number), m_number(value) {}              // NOLINT

  Kind kind() const { return m_kind; }
  std::string_view string() const { return m_string; }
  std::int32_t integer() const { return m_integer; }
  double number() const { return m_number; }

 private:
  Kind m_kind;
  std::string_view m_string;
  std::int32_t m_integer = 0;
  double m_number = 0.0;
};

// The most arguments a text takes, and the limits of a slot and of a text.
constexpr std::size_t kMaxTextArgs = 8;
constexpr std::size_t kMaxSlotChars = 99;
constexpr std::size_t kMaxTextChars = 1023;

// Raw text of a text ID for "%(ID)", or nothing when the ID is unknown.
using RawTextLookup = std::function<std::optional<std::string>(const char* id)>;
// The same without heap calls: the raw text of `id` copied into `out` (cut to
// out.size() characters, no NUL), and the number copied; nothing when the ID
// is unknown.
using RawTextReader = std::function<std::optional<std::size_t>(const char* id, std::span<char> out)>;

// The finished text: `raw` with its placeholders filled, at most kMaxTextChars
// characters. Arguments past kMaxTextArgs are never taken.
std::string FormatText(std::string_view raw, std::span<const TextArg> args, const RawTextLookup& lookup);
// The finished text written into `out`, cut to min(kMaxTextChars,
// out.size() - 1) characters and a NUL (nothing for an empty `out`); returns
// its length. Makes no heap call unless an ID in "%(...)" is over 255
// characters long.
std::size_t FormatTextInto(std::string_view raw, std::span<const TextArg> args, const RawTextReader& reader,
                           std::span<char> out);
