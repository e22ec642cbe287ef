#pragma once
// Received messages in sequence order. The multiplayer library keeps what it
// received until the main thread copies it into this ring (Fill); the
// dispatcher and the blocking receive take the messages one at a time
// (GetNext): each sender's sequenced packets strictly in that sender's
// sequence order, duplicates skipped, early ones held back until the gap is
// filled; unsequenced packets and the library's own messages as they come. The
// queue also numbers outgoing packets, one sequence per receiving player.
// The ring holds at most kMaxQueueNodes nodes: a fill that would need more
// stops, leaving the rest with the library, and when nothing waiting in the
// ring can be handed out (every packet is early) marks the queue overflowed,
// which the session treats as a lost connection (a stream that never closes
// its gap would otherwise grow for ever). Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

class CHvMulti;

struct PacketNode {
  std::unique_ptr<std::uint8_t[]> buffer;  // 1056 bytes, made on first use and kept
  std::uint32_t sequence = 0;              // header sequence, 0 for unsequenced and library messages
  std::int16_t result = 0;                 // the library's fetch result
  std::uint32_t length = 0;
  std::uint32_t from = 0, to = 0, extra = 0;
  std::uint32_t taken = 0;  // 1 while lent to a caller
  PacketNode* next = nullptr;
  PacketNode* prev = nullptr;
};

// GetNext: nothing to hand out.
constexpr int kQueueEmpty = -22;
// The most nodes the ring grows to.
constexpr int kMaxQueueNodes = 1024;

class CPacketQueue {
 public:
  // One head node and max(n, 5) further nodes, all without buffers.
  CPacketQueue(CHvMulti* multi, std::int16_t n);
  ~CPacketQueue();
  CPacketQueue(const CPacketQueue&) = delete;
  CPacketQueue& operator=(const CPacketQueue&) = delete;

  // Copies every waiting library message into the ring, as far as the ring's
  // bound allows. Returns the library's count of waiting messages, or its
  // non-positive result.
  int Fill();
  // Hands out the next message in order: its fetch result (0 packet, 3 and 4
  // library messages), or kQueueEmpty. Each out pointer may be null. With
  // `node`, the node is lent (marked taken) and must come back through
  // ReleaseNode; the data stays valid until then. Without it, the data stays
  // valid until the next Fill.
  int GetNext(std::uint8_t** data, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to, std::uint32_t* extra,
              PacketNode** node);
  // Takes back a lent node: unlinks and frees it.
  void ReleaseNode(PacketNode* node);
  // The next outgoing sequence number towards library player `to` (then
  // counts up); each player's numbers start at 1.
  std::uint32_t NextSequence(std::uint32_t to) { return CounterOf(nextOut_, to)++; }
  // The sequence number next handed out from library player `from`.
  std::uint32_t Expected(std::uint32_t from) const;
  // Back to the state of a new session: nothing delivered or waiting (lent
  // nodes stay lent), every counter at 1, no overflow.
  void ResetSequence();
  // A fill met a full ring with nothing in it to hand out (since the last reset).
  bool Overflowed() const { return overflowed_; }

  // Number of nodes in the ring.
  int NodeCount() const { return nodes_; }

  PacketNode* read = nullptr;
  PacketNode* write = nullptr;
  CHvMulti* multi;
  std::uint32_t lastDelivered = 0;  // the last sequenced packet handed out, of any sender

 private:
  struct Counter {
    std::uint32_t player;
    std::uint32_t next;
  };
  static std::uint32_t& CounterOf(std::vector<Counter>& counters, std::uint32_t player);
  // Some waiting message can be handed out (or skipped as a duplicate).
  bool AnyDeliverable() const;
  void Unlink(PacketNode* node);
  void LinkBefore(PacketNode* node, PacketNode* before);

  std::vector<Counter> expected_;  // per sender
  std::vector<Counter> nextOut_;   // per receiver
  int nodes_ = 0;
  bool overflowed_ = false;
};
