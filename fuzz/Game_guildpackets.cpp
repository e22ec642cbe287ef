// The market and chat packets as the client and the server read them: any
// bytes either refuse or read within the image, and what reads builds again
// into the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/net/GuildPackets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  MineralOfferPacket offer;
  if (MineralOfferPacket::Parse(image, &offer)) {
    MineralOfferPacket again;
    const auto built = offer.Build();
    if (!MineralOfferPacket::Parse(built.bytes, &again) || again.amount != offer.amount) std::abort();
  } else if (size >= kMineralOfferSize) {
    std::abort();
  }
  MineralPurchasePacket purchase;
  if (MineralPurchasePacket::Parse(image, &purchase)) {
    MineralPurchasePacket again;
    const auto built = purchase.Build();
    if (!MineralPurchasePacket::Parse(built.bytes, &again) || again.amount != purchase.amount) std::abort();
  }
  ChatPacket chat;
  if (ChatPacket::Parse(image, &chat)) {
    if (chat.text.size() > kMaxChatText) std::abort();
    ChatPacket again;
    if (!ChatPacket::Parse(chat.Build(), &again) || again.text != chat.text) std::abort();
  }
  return 0;
}
