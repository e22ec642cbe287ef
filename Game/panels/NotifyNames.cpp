#include "Game/panels/NotifyNames.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"

namespace notify_names {

namespace {

constexpr std::uint32_t kMineralTypes = 4;
constexpr std::uint32_t kUnitClasses = 11;

std::string Safe(const char* text) { return text ? text : ""; }

}  // namespace

bool AsteroidExists(std::uint32_t x) { return g_gameData && g_gameData->solarDB.GetAsteroid(x) != nullptr; }

std::string Asteroid(std::uint32_t x) {
  CGAsteroid* a = g_gameData ? g_gameData->solarDB.GetAsteroid(x) : nullptr;
  return a ? Safe(a->GetName()) : std::string();
}

CGUnit* Unit(std::uint32_t x) {
  if (!g_gameData || x == 0xFFFFFFFFu) return nullptr;
  return g_gameData->pieces.FindUnit(x, nullptr);
}

std::string Chapter(std::uint32_t x) {
  const CGChapter* c = g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(x) : nullptr;
  return c ? Safe(c->GetName()) : std::string();
}

std::string GuildChapter(std::uint32_t slot) {
  const CGuild* guild = g_gameData ? g_gameData->GetLocalGuild() : nullptr;
  const CGChapter* c = guild ? guild->GetChapter(slot) : nullptr;
  return c ? Safe(c->GetName()) : std::string();
}

std::string Module(std::uint32_t x) {
  const ModuleRecord* m = g_gameData && g_gameData->moduleDB && x <= 0x7FFFFFFF
                              ? g_gameData->moduleDB->GetRecord(static_cast<int>(x))
                              : nullptr;
  return m ? std::string(m->name, strnlen(m->name, sizeof m->name)) : std::string();
}

std::string HullClass(std::uint32_t x) {
  // An unknown class has its own text.
  return Safe(CGHullDB::GetHullClassText(x < kUnitClasses ? static_cast<int>(x) : -1));
}

std::string Mineral(std::uint32_t x) {
  if (x >= kMineralTypes || !g_gameData || !g_gameData->textIndex) return {};
  char id[16];
  std::snprintf(id, sizeof id, "MINTYPE%u", x);
  char text[100] = {};
  g_gameData->textIndex->GetText(id, text, sizeof text);
  return text;
}

std::string GuildName(std::uint32_t guild) {
  if (guild >= kGuildCount) return {};
  char name[50] = {};
  GetGuildName(guild, name);
  return std::string(name, strnlen(name, sizeof name));
}

std::string Field(const char (&text)[64]) { return std::string(text, strnlen(text, sizeof text)); }

std::int32_t FieldNumber(const char (&text)[64]) {
  const std::string s = Field(text);
  std::size_t at = s.find_first_not_of(" \t");
  if (at == std::string::npos) return 0;
  std::int32_t value = 0;
  std::from_chars(s.data() + at, s.data() + s.size(), value);
  return value;
}

}  // namespace notify_names
