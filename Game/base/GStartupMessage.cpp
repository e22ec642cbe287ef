#include "Game/base/GStartupMessage.h"

#include <utility>

namespace {
// Built on first use: the static initialisers that queue may run before this
// file's own.
std::vector<std::string>& Pending() {
  static std::vector<std::string> messages;
  return messages;
}
}  // namespace

void QueueStartupMessage(const char* text) { Pending().emplace_back(text != nullptr ? text : ""); }

std::vector<std::string> TakeStartupMessages() { return std::exchange(Pending(), {}); }
