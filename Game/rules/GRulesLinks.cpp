#include "Game/rules/GRulesLinks.h"

RulesLinks g_rulesLinks;

bool RulesSendToAll(std::span<std::uint8_t> packet) {
  return g_rulesLinks.send ? g_rulesLinks.send(-1, packet) : false;
}

void RulesShowMessage(const char* text) {
  if (g_rulesLinks.showMessage) g_rulesLinks.showMessage(text);
}
