#include "server/trade/SrvTradeNotices.h"

#include "server/world/SrvWorld.h"

void SrvTellNewOffers(SrvWorld& world, std::uint16_t poster, std::uint16_t code) {
  const auto first = static_cast<std::uint16_t>(poster & ~7u);
  for (std::uint16_t c = first; c < first + world.chaptersPerGuild; ++c) {
    if (c == poster || !world.HasChapter(c)) continue;
    bool told = false;
    for (int i = 0; i < world.notices.GetCount() && !told; ++i) {
      const Notification* n = world.notices.GetEntry(i);
      told = n != nullptr && n->chapter == c && n->category == kSrvTradeCategory && n->code == code;
    }
    if (!told) world.notices.Add(c, kSrvTradeCategory, code, nullptr, nullptr, 0, 0, kSrvTradeNoUnit);
  }
}
