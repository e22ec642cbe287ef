#pragma once
// What the data panel's read-outs share: texts by text ID, number formatting,
// the game's local chapter and guild, and the colours they write in.
// Game thread only.

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Game/base/GIDString.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "platform/core/types.h"

namespace datapanel {

constexpr plat::COLORREF kPaleYellow = 0xD7FFFF;
constexpr plat::COLORREF kGreen = 0x00FF00;
constexpr plat::COLORREF kRed = 0x0000FF;
constexpr plat::COLORREF kYellow = 0x00FFFF;
constexpr plat::COLORREF kBarRed = 0x0000B4;
constexpr plat::COLORREF kBarYellow = 0x00C8C8;
constexpr plat::COLORREF kGrey = 0x646464;

// The text of an ID with its arguments (empty without a game or for an unknown ID).
template <class... Args>
std::string Text(const char* id, const Args&... args) {
  char buffer[256] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, buffer, sizeof buffer, args...);
  return buffer;
}

// printf into a string of at most 255 characters.
inline std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// The local player's guild and chapter number, as the game data has them.
inline CGChapter* LocalChapter() { return g_gameData ? g_gameData->GetLocalChapter() : nullptr; }
// A chapter of any guild by its number, or null.
inline CGChapter* Chapter(std::uint32_t id) {
  return g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(id) : nullptr;
}
inline const char* ChapterName(std::uint32_t id) {
  const CGChapter* c = Chapter(id);
  return c && c->GetName() ? c->GetName() : "";
}
// The local chapter's trait k (0 without one).
inline int Trait(int k) {
  const CGChapter* c = LocalChapter();
  return c ? c->GetTrait(k) : 0;
}
// v raised by the local chapter's trait k in percent, truncating toward zero.
inline int WithTrait(int v, int k) {
  const int t = Trait(k);
  return t == 0 ? v : v + v * t / 100;
}

}  // namespace datapanel
