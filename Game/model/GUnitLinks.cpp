#include "Game/model/GUnitLinks.h"
#include "Game/rules/GRulesFacts.h"

UnitLinks g_unitLinks;

std::uint16_t UnitNumAsteroids() { return g_unitLinks.numAsteroids ? g_unitLinks.numAsteroids() : 0; }

bool UnitAsteroidExists(std::uint16_t asteroid) {
  return asteroid < UnitNumAsteroids() && g_unitLinks.asteroidExists && g_unitLinks.asteroidExists(asteroid);
}

bool UnitAsteroidPosition(std::uint16_t asteroid, Location* out) {
  return UnitAsteroidExists(asteroid) && g_unitLinks.asteroidPosition && g_unitLinks.asteroidPosition(asteroid, out);
}

bool UnitChapterExists(std::uint8_t chapter) { return g_unitLinks.chapterExists && g_unitLinks.chapterExists(chapter); }

std::uint32_t UnitChapterOrganics(std::uint8_t chapter) {
  return g_unitLinks.chapterOrganics ? g_unitLinks.chapterOrganics(chapter) : 0;
}

void UnitSetChapterOrganics(std::uint8_t chapter, std::uint32_t amount) {
  if (g_unitLinks.setChapterOrganics) g_unitLinks.setChapterOrganics(chapter, amount);
}

bool UnitChapterRenegade(std::uint8_t chapter) {
  return g_unitLinks.chapterRenegade && g_unitLinks.chapterRenegade(chapter);
}

std::uint8_t UnitChapterCamp(std::uint8_t chapter) {
  return g_unitLinks.chapterCamp ? g_unitLinks.chapterCamp(chapter) : 0;
}

int UnitChapterLimit() { return 32 + RulesFacts().ChaptersPerGuild(); }
