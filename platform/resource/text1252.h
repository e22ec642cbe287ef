#pragma once
// The game's 8-bit text is Windows-1252; resource modules store UTF-16.
// Pure functions: may be called from several threads.

#include <cstdint>
#include <string>

namespace plat {

// The Windows-1252 byte of a UTF-16 code unit; '?' when it has none.
char Utf16ToCp1252(std::uint16_t unit);
// The UTF-16 code unit of a Windows-1252 byte (the five unassigned bytes map
// to themselves, as the system's tables do).
std::uint16_t Cp1252ToUtf16(unsigned char byte);

}  // namespace plat
