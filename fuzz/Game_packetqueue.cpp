// The received-packet queue under any traffic: packets with any sequence
// numbers and lengths, library notices and chat, fills and takes in any order,
// nodes lent and given back, from three senders. Each sender's sequenced
// packets come out strictly in its order, and what comes out is what was
// received.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/net/PacketQueue.h"
#include "hvmulti/HvMulti.h"
#include "platform/core/bytes.h"

namespace {

struct Message {
  int result = HVM_MSG_PACKET;
  std::vector<std::uint8_t> bytes;
  std::uint32_t from = 0;
  std::uint32_t number = 0;
};

// The library as the queue sees it: messages waiting in arrival order.
class PeerTraffic final : public CHvMulti {
 public:
  int CheckMessages() override { return static_cast<int>(waiting.size()); }
  int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
             std::uint32_t* extra) override {
    if (waiting.empty()) return HVM_ERR_NOMESSAGE;
    const Message m = waiting.front();
    waiting.pop_front();
    if (m.bytes.size() > *length) {
      *length = static_cast<std::uint32_t>(m.bytes.size());
      return HVM_ERR_BUFFERSMALL;
    }
    std::copy(m.bytes.begin(), m.bytes.end(), buffer);
    *length = static_cast<std::uint32_t>(m.bytes.size());
    *from = m.from;
    *to = 1;
    *extra = m.number;
    return m.result;
  }
  std::deque<Message> waiting;
};

// Every message carries its number in `extra`, and the payload of a packet
// past its header is that number's low byte repeated.
struct Sent {
  int result;
  std::vector<std::uint8_t> bytes;
};

void CheckTaken(const std::vector<Sent>& sent, int result, const std::uint8_t* data, std::uint32_t length,
                std::uint32_t number) {
  if (number >= sent.size()) __builtin_trap();
  const Sent& s = sent[number];
  if (result != s.result || length != s.bytes.size() || data == nullptr) __builtin_trap();
  if (!std::equal(s.bytes.begin(), s.bytes.end(), data)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static PeerTraffic& peer = *new PeerTraffic;  // its engine never opens; kept for the whole run
  peer.waiting.clear();
  plat::ByteReader script({data, size});
  CPacketQueue queue(&peer, static_cast<std::int16_t>(script.U8() % 8));
  std::vector<Sent> sent;
  std::vector<PacketNode*> lent;
  std::map<std::uint32_t, std::uint32_t> expected;  // per sender
  auto expectedOf = [&expected](std::uint32_t sender) -> std::uint32_t& {
    return expected.try_emplace(sender, 1).first->second;
  };

  for (int step = 0; step < 4000 && script.Remaining() > 0; ++step) {
    switch (script.U8() % 8) {
      case 0:
      case 1: {  // a packet: sequence, length, payload
        const std::uint8_t pick = script.U8();
        const std::uint32_t sequence = pick < 200 ? pick % 12 : script.U32();
        const std::uint32_t sender = 1 + pick % 3;
        const std::uint8_t kind = script.U8();
        std::size_t length = kind < 240 ? 8 + kind % 24 : (kind % 4 == 0 ? 1100 : kind % 8);
        std::vector<std::uint8_t> bytes(length, static_cast<std::uint8_t>(sent.size()));
        const auto header = plat::EncodeLE(sequence);
        for (std::size_t i = 0; i < 4 && 4 + i < length; ++i) bytes[4 + i] = header[i];
        peer.waiting.push_back({HVM_MSG_PACKET, bytes, sender, static_cast<std::uint32_t>(sent.size())});
        sent.push_back({HVM_MSG_PACKET, bytes});
        break;
      }
      case 2: {  // a notice or a chat text
        const int result = script.U8() % 2 ? HVM_MSG_SYSTEM : HVM_MSG_CHAT;
        std::vector<std::uint8_t> bytes(8 + script.U8() % 8, 0x5A);
        peer.waiting.push_back({result, bytes, 0, static_cast<std::uint32_t>(sent.size())});
        sent.push_back({result, bytes});
        break;
      }
      case 3:
        queue.Fill();
        break;
      case 4:
      case 5: {  // take the next message, sometimes borrowing its node
        const bool borrow = script.U8() % 2 == 0;
        std::uint8_t* got = nullptr;
        std::uint32_t length = 0, from = 0, to = 0, extra = 0;
        PacketNode* node = nullptr;
        const int r = queue.GetNext(&got, &length, &from, &to, &extra, borrow ? &node : nullptr);
        if (r == kQueueEmpty) break;
        CheckTaken(sent, r, got, length, extra);
        if (r == HVM_MSG_PACKET) {
          PacketHeader header;
          if (!ReadPacketHeader({got, length}, header)) __builtin_trap();
          if (header.sequence != 0 && header.sequence != expectedOf(from)++) __builtin_trap();
        }
        if (node != nullptr) lent.push_back(node);
        break;
      }
      case 6: {  // give a borrowed node back, its data unchanged until then
        if (lent.empty()) break;
        const std::size_t i = script.U8() % lent.size();
        PacketNode* node = lent[i];
        CheckTaken(sent, node->result, node->buffer.get(), node->length, node->extra);
        lent.erase(lent.begin() + static_cast<std::ptrdiff_t>(i));
        queue.ReleaseNode(node);
        break;
      }
      default:
        if (script.U8() % 16 == 0) {
          queue.ResetSequence();
          expected.clear();
        }
        break;
    }
  }
  for (PacketNode* node : lent) queue.ReleaseNode(node);
  return 0;
}
