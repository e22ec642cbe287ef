#include "Game/rules/GRulesLinks.h"

#include "Game/base/ClientShell.h"
#include "Game/base/PacketSink.h"

bool RulesSendToAll(std::span<std::uint8_t> packet) { return PacketSink().Send(-1, packet); }

void RulesShowMessage(const char* text) { ClientShell().ShowRulesMessage(text); }
