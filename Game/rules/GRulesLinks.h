#pragma once
// What the rules data (hulls, modules, designs, default battle plans) needs of
// the program around it: the session's sends, the program's OK box and the
// default-battle-plan dialog. The application fills these in; an empty link
// gives the value noted beside it, so that the rules data also works with no
// program around (tests, tools). The game's facts come through
// GRulesFacts.h.

#include <cstdint>
#include <functional>
#include <span>

struct DefaultBattlePlanTable;

struct RulesLinks {
  // CNetSession::Send to a player slot, -1 for all; CNetSession::BroadcastUnsequenced.
  // Each gets the whole packet, header first (nothing is sent).
  std::function<bool(int slot, std::span<std::uint8_t> packet)> send;
  std::function<bool(int slot, std::span<std::uint8_t> packet)> broadcastUnsequenced;

  // The program's OK box with a literal text (nothing shown).
  std::function<void(const char* text)> showMessage;
  // Runs the default-battle-plan dialog over `plans`; true when the player
  // confirmed, `plans` then holding the chosen plans (cancelled).
  std::function<bool(DefaultBattlePlanTable& plans)> runDefaultBattlePlanDialog;
};

extern RulesLinks g_rulesLinks;

// The links with their empty-link values.
// Sends to all players, sequenced; false when nothing could be sent.
bool RulesSendToAll(std::span<std::uint8_t> packet);
void RulesShowMessage(const char* text);
