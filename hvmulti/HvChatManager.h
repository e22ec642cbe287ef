#pragma once
// Chat over a session: texts of at most HVM_MAX_CHAT characters, received by
// the other side as HVM_MSG_CHAT messages.

#include <cstdint>

class CHvMulti;

class CHvChatManager {
 public:
  explicit CHvChatManager(CHvMulti* multi) : multi_(multi) {}

  // Sends `text` from player `from` to a player or a group. The result of
  // CHvMulti::SendSzChat, or HVM_ERR_NOSESSION without a library object.
  int Send(std::uint32_t from, std::uint32_t to, const char* text);
  CHvMulti* Multi() const { return multi_; }

 private:
  CHvMulti* multi_;
};
