#pragma once
// Whole binary rules files ("hulls.dat", "modules.dat"), read at once so that
// their records are parsed through the bounds-checked ByteReader.

#include <cstdint>
#include <optional>
#include <vector>

// Opens `path` with OpenDataFile in mode "rb" and reads it to its end (the
// length it had when opened, where that can be told); nothing when it cannot
// be opened or read.
std::optional<std::vector<std::uint8_t>> ReadBinaryDataFile(const char* path);
