#include "Game/model/GUnitLinks.h"
#include "Game/rules/GRulesFacts.h"

UnitLinks g_unitLinks;

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
