// The session's receive path under any traffic: packets with any sequence
// numbers, senders and lengths, library notices and chat, with blocking
// receives, pumps and sends in any order. A receive either gives a whole
// packet header or gives up; the queue never grows past its bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "tests/Game/net/fake_multi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool virtualClock = (plat::UseVirtualClock(0), true);  // receives wait without sleeping
  (void)virtualClock;
  plat::ByteReader script({data, size});
  auto fake = std::make_unique<nettest::FakeMulti>();
  nettest::FakeMulti& multi = *fake;
  multi.serverId = script.U8() % 2 ? 9 : HVM_ID_NONE;
  multi.players = {HvMPlayerInfo{5, false, true, "me", "me"}, HvMPlayerInfo{7, false, false, "b", "b"}};
  CNetSession session(std::move(fake));
  session.player.id = 5;
  session.receiveLimitMs = 20;
  session.StorePlayerId(1, 7);

  for (int step = 0; step < 2000 && script.Remaining() > 0; ++step) {
    switch (script.U8() % 6) {
      case 0:
      case 1: {  // a packet
        const std::uint8_t pick = script.U8();
        const std::uint32_t sequence = pick < 200 ? pick % 16 : script.U32();
        const std::size_t length = script.U8() % 40;
        multi.AddPacket(sequence, length, 6 + script.U8() % 4);
        break;
      }
      case 2:
        if (script.U8() % 2)
          multi.AddNotice(script.U8() % 2 ? HVM_NOTICE_LEFT : HVM_NOTICE_JOINED, script.U8());
        else
          multi.inbox.push_back(nettest::FakeMulti::Message{HVM_MSG_CHAT, {'h', 'i', 0}, 7});
        break;
      case 3: {
        std::uint8_t* packet = nullptr;
        if (session.Receive(&packet) == 0) {
          PacketHeader header;
          if (packet == nullptr || !ReadPacketHeader({packet, kPacketHeaderSize}, header)) __builtin_trap();
        }
        break;
      }
      case 4:
        session.Pump(200);
        break;
      default: {
        std::uint8_t out[16] = {};
        session.Send(script.U8() % 2 ? 1 : kAllPlayersSlot, out, sizeof out);
        break;
      }
    }
    if (session.queue && session.queue->NodeCount() > kMaxQueueNodes) __builtin_trap();
  }
  return 0;
}
