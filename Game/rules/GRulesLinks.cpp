#include "Game/rules/GRulesLinks.h"

#include "Game/base/ClientShell.h"
#include "Game/base/GIDString.h"
#include "Game/base/PacketSink.h"

RulesLinks g_rulesLinks;

std::uint16_t RulesLocalChapterId() { return g_rulesLinks.localChapterId ? g_rulesLinks.localChapterId() : 0; }

int RulesLocalGuild() { return RulesLocalChapterId() >> 3; }

std::uint8_t RulesChapterTrait(std::uint8_t chapter, int trait) {
  return g_rulesLinks.chapterTrait ? g_rulesLinks.chapterTrait(chapter, trait) : 0;
}

std::uint32_t RulesCurrentTurn() { return g_rulesLinks.currentTurn ? g_rulesLinks.currentTurn() : 0; }

std::uint8_t RulesChaptersPerGuild() { return g_rulesLinks.chaptersPerGuild ? g_rulesLinks.chaptersPerGuild() : 8; }

bool RulesSendToAll(std::span<std::uint8_t> packet) { return PacketSink().Send(-1, packet); }

void RulesShowMessage(const char* text) { ClientShell().ShowRulesMessage(text); }

const char* FetchRulesText(const char* id, char* buffer, std::size_t size) {
  if (size == 0) return buffer;
  buffer[0] = '\0';
  if (g_rulesLinks.textIndex != nullptr) g_rulesLinks.textIndex->GetText(id, buffer, size);
  return buffer;
}
