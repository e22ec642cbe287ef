#pragma once
// What the rules data (hulls, modules, designs, default battle plans) asks of
// the program around it: the session's sends and the program's OK box, both
// through the interfaces of Game/base, so that the rules data also works with
// no program around (tests, tools). The game's facts come through
// GRulesFacts.h.

#include <cstdint>
#include <span>

// Sends to all players through the packet sink, sequenced; false when
// nothing could be sent.
bool RulesSendToAll(std::span<std::uint8_t> packet);
// The rules' complaint in the client shell's OK box.
void RulesShowMessage(const char* text);
