// The placeholder engine of the texts: any raw text with any arguments (up to
// ten, of every kind) gives a finished text within the length limit, and the
// lookup of "%(ID)" is only asked for IDs of the text; filled into a small
// buffer, it gives the beginning of the same text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Game/base/GTextFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  // The strings are kept apart first: a string argument only views its text.
  const std::size_t argCount = in.ConsumeIntegralInRange<std::size_t>(0, kMaxTextArgs + 2);
  std::vector<std::string> strings(argCount);
  for (std::string& s : strings) s = in.ConsumeRandomLengthString(200);
  std::vector<TextArg> args;
  for (std::size_t i = 0; i < argCount; ++i) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
      case 0:
        args.emplace_back(strings[i]);
        break;
      case 1:
        args.emplace_back(in.ConsumeIntegral<std::int64_t>());
        break;
      default:
        args.emplace_back(in.ConsumeFloatingPoint<double>());
        break;
    }
  }
  const std::string inserted = in.ConsumeRandomLengthString(1200);
  const std::string raw = in.ConsumeRemainingBytesAsString();

  const RawTextLookup lookup = [&](const char* id) -> std::optional<std::string> {
    // Every ID asked for stands after a "%(" of the raw text (up to a NUL of its own).
    if (raw.find("%(" + std::string(id)) == std::string::npos) __builtin_trap();
    if (std::strlen(id) % 2 == 1) return std::nullopt;
    return inserted;
  };
  const std::string out = FormatText(raw, args, lookup);
  if (out.size() > kMaxTextChars) __builtin_trap();
  // A text without a '%' stands as it is.
  if (raw.find('%') == std::string::npos && out != raw.substr(0, kMaxTextChars)) __builtin_trap();
  // Into a small buffer: the whole text's beginning, NUL-terminated.
  const RawTextReader reader = [&](const char* id, std::span<char> room) -> std::optional<std::size_t> {
    const std::optional<std::string> text = lookup(id);
    if (!text) return std::nullopt;
    const std::size_t n = std::min(text->size(), room.size());
    std::memcpy(room.data(), text->data(), n);
    return n;
  };
  char small[64];
  const std::size_t n = FormatTextInto(raw, args, reader, small);
  if (n != std::min(out.size(), sizeof small - 1) || small[n] != '\0' || out.compare(0, n, small, n) != 0)
    __builtin_trap();
  return 0;
}
