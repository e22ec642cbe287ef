#pragma once
// The names the notification lines are made of, looked up in the game data
// with every number checked first: an asteroid, unit, chapter, module,
// mineral or hull class that does not exist gives an empty name (or null),
// never a read past a table. Game thread only.

#include <cstdint>
#include <string>

class CGUnit;
struct Notification;

namespace notify_names {

// Asteroid number x, or empty when there is none.
std::string Asteroid(std::uint32_t x);
bool AsteroidExists(std::uint32_t x);
// The unit with id x (null when gone or x is -1).
CGUnit* Unit(std::uint32_t x);
// Chapter id x of any guild; a member slot of the local guild.
std::string Chapter(std::uint32_t x);
std::string GuildChapter(std::uint32_t slot);
std::string Module(std::uint32_t x);
std::string HullClass(std::uint32_t x);
std::string Mineral(std::uint32_t x);
std::string GuildName(std::uint32_t guild);
// A text field of a record, cut at its first zero or its 64 bytes.
std::string Field(const char (&text)[64]);
// Such a field read as a decimal number (0 when it holds none).
std::int32_t FieldNumber(const char (&text)[64]);
inline std::uint16_t Low(std::uint32_t x) { return static_cast<std::uint16_t>(x & 0xFFFF); }
inline std::uint16_t High(std::uint32_t x) { return static_cast<std::uint16_t>(x >> 16); }

}  // namespace notify_names
