#pragma once
// Received messages in sequence order. The multiplayer library keeps what it
// received until the main thread copies it into this ring (Fill); the
// dispatcher and the blocking receive take the messages one at a time
// (GetNext): sequenced packets strictly in sequence order, duplicates skipped,
// early ones held back until the gap is filled; unsequenced packets and the
// library's own messages as they come. The queue also numbers outgoing
// packets. Main thread only.

#include <cstdint>
#include <memory>

class CHvMulti;

struct PacketNode {
  std::unique_ptr<std::uint8_t[]> buffer;  // 1056 bytes, made on first use and kept
  std::uint32_t sequence = 0;              // header sequence, 0 for unsequenced and library messages
  std::int16_t result = 0;                 // the library's fetch result
  std::uint32_t length = 0;
  std::uint32_t from = 0, to = 0, extra = 0;
  std::uint32_t taken = 0;                 // 1 while lent to a caller
  PacketNode* next = nullptr;
  PacketNode* prev = nullptr;
};

// GetNext: nothing to hand out.
constexpr int kQueueEmpty = -22;

class CPacketQueue {
 public:
  // One head node and max(n, 5) further nodes, all without buffers.
  CPacketQueue(CHvMulti* multi, std::int16_t n);
  ~CPacketQueue();
  CPacketQueue(const CPacketQueue&) = delete;
  CPacketQueue& operator=(const CPacketQueue&) = delete;

  // Copies every waiting library message into the ring. Returns the library's
  // count of waiting messages, or its non-positive result.
  int Fill();
  // Hands out the next message in order: its fetch result (0 packet, 3 and 4
  // library messages), or kQueueEmpty. Each out pointer may be null. With
  // `node`, the node is lent (marked taken) and must come back through
  // ReleaseNode; the data stays valid until then. Without it, the data stays
  // valid until the next Fill.
  int GetNext(std::uint8_t** data, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
              std::uint32_t* extra, PacketNode** node);
  // Takes back a lent node: unlinks and frees it.
  void ReleaseNode(PacketNode* node);
  // The next outgoing sequence number (then counts up).
  std::uint32_t NextSequence() { return nextOut++; }
  // Back to the state of a new session: nothing delivered, both counters at 1.
  void ResetSequence();

  // Number of nodes in the ring.
  int NodeCount() const;

  PacketNode* read = nullptr;
  PacketNode* write = nullptr;
  CHvMulti* multi;
  std::uint32_t lastDelivered = 0;
  std::uint32_t expected = 1;
  std::uint32_t nextOut = 1;

 private:
  static void Unlink(PacketNode* node);
  static void LinkBefore(PacketNode* node, PacketNode* before);
};
