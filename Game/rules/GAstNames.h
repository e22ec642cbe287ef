#pragma once
// The asteroid names file "astnames.dat" in the install directory: text,
// names separated by '|' characters or line ends (a run of separators counts
// as one). Name number n (from 1) is the n-th name of the file.

#include <optional>
#include <string>

#include "platform/core/files.h"

// The longest name kept; the rest of a longer name is passed over.
constexpr std::size_t kMaxAsteroidNameChars = 251;

// Reads names from `fp` in turn and gives the n-th (n >= 1); nothing when the
// file holds fewer names.
std::optional<std::string> ReadAsteroidName(plat::FILE* fp, unsigned n);
// The same from "<install dir>astnames.dat", opened in text mode; nothing
// when the file cannot be opened.
std::optional<std::string> LoadAsteroidName(unsigned n);
