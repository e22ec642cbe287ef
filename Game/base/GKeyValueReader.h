#pragma once
// The line reader of the rules text files ("gamevar.dat", "defBP.dat"): each
// entry is a key, '=', a value and a line end, read one character at a time.
//
// A ';' as the first character of a key makes a comment up to and including
// its line end. Any other character before the '=' belongs to the key, line
// ends included, so a key after a blank line is not recognised. A last line
// without a line end is not used. Keys of 64 characters or more and values of
// 200 or more are outside the format: the entry is passed over.

#include <functional>
#include <string_view>

#include "platform/core/files.h"

constexpr std::size_t kMaxKeyChars = 63;
constexpr std::size_t kMaxValueChars = 199;

using KeyValueHandler = std::function<void(std::string_view key, std::string_view value)>;

// Reads `fp` to its end, handing each complete entry to `onEntry`. Returns the
// number of entries passed over for a key or value past the format's lengths,
// a last one without its line end included.
std::size_t ReadKeyValueLines(plat::FILE* fp, const KeyValueHandler& onEntry);
// The same over a file's text already in memory.
std::size_t ReadKeyValueLines(std::string_view text, const KeyValueHandler& onEntry);
