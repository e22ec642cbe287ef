#include "hvmulti/HvChatManager.h"

#include "hvmulti/HvMulti.h"

int CHvChatManager::Send(std::uint32_t from, std::uint32_t to, const char* text) {
  return multi_ ? multi_->SendSzChat(from, to, text) : HVM_ERR_NOSESSION;
}
