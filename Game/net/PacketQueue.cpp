#include "Game/net/PacketQueue.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "hvmulti/HvMulti.h"

CPacketQueue::CPacketQueue(CHvMulti* m, std::int16_t n) : multi(m) {
  read = write = new PacketNode;
  read->next = read->prev = read;
  nodes_ = 1;
  const int extra = std::max<int>(n, 5);
  for (int i = 0; i < extra; ++i) LinkBefore(new PacketNode, read);
}

CPacketQueue::~CPacketQueue() {
  PacketNode* node = read->next;
  while (node != read) {
    PacketNode* next = node->next;
    delete node;
    node = next;
  }
  delete read;
}

void CPacketQueue::Unlink(PacketNode* node) {
  --nodes_;
  node->prev->next = node->next;
  node->next->prev = node->prev;
  node->next = node->prev = node;
}

void CPacketQueue::LinkBefore(PacketNode* node, PacketNode* before) {
  ++nodes_;
  node->prev = before->prev;
  node->next = before;
  before->prev->next = node;
  before->prev = node;
}

int CPacketQueue::Fill() {
  const int n = multi->CheckMessages();
  if (n < 1) return n;
  for (int i = 0; i < n; ++i) {
    if (write->next == read || write->next->taken) {
      // The rest stays with the library, whose own bound then holds the
      // sender back, until the ring drains. Only a ring whose every waiting
      // packet waits behind one that cannot come in any more is lost.
      if (nodes_ >= kMaxQueueNodes) {
        if (!AnyDeliverable()) overflowed_ = true;
        break;
      }
      LinkBefore(new PacketNode, write->next);
    }
    if (!write->buffer) write->buffer = std::make_unique<std::uint8_t[]>(kMaxPacketSize);
    write->length = kMaxPacketSize;
    const int r = multi->GetTop(write->buffer.get(), &write->length, &write->from, &write->to, &write->extra);
    write->result = static_cast<std::int16_t>(r);
    if (r == HVM_MSG_PACKET) {
      // A packet too short for a header has no sequence to order it by: it is
      // dropped like a message that does not fit.
      PacketHeader header;
      if (!ReadPacketHeader({write->buffer.get(), write->length}, header)) continue;
      write->sequence = header.sequence;
    } else {
      write->sequence = 0;
    }
    if (r == HVM_MSG_PACKET || r == HVM_MSG_SYSTEM || r == HVM_MSG_CHAT) write = write->next;
  }
  return n;
}

int CPacketQueue::GetNext(std::uint8_t** data, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
                          std::uint32_t* extra, PacketNode** node) {
  if (node) *node = nullptr;
  if (read == write) return kQueueEmpty;
  PacketNode* cur = read;
  const std::uint32_t s = cur->sequence;
  if (s != 0) {
    std::uint32_t& expected = CounterOf(expected_, cur->from);
    if (s < expected) {  // a duplicate: skipped, its node refilled later
      read = read->next;
      return kQueueEmpty;
    }
    if (s > expected) {  // early: moved to the end of the waiting run
      if (cur->next == write) return kQueueEmpty;
      read = cur->next;
      Unlink(cur);
      LinkBefore(cur, write);
      return kQueueEmpty;
    }
    lastDelivered = s;
    ++expected;
  }
  if (data) *data = cur->buffer.get();
  if (length) *length = cur->length;
  if (from) *from = cur->from;
  if (to) *to = cur->to;
  if (extra) *extra = cur->extra;
  if (node) {
    cur->taken = 1;
    *node = cur;
  }
  read = read->next;
  return cur->result;
}

void CPacketQueue::ReleaseNode(PacketNode* node) {
  if (!node || node->next == node) return;
  if (read == node) read = node->next;
  if (write == node) write = node->next;
  Unlink(node);
  delete node;
}

void CPacketQueue::ResetSequence() {
  // What the old session left waiting would otherwise come out under the new
  // session's numbers; its nodes stay for reuse.
  read = write;
  overflowed_ = false;
  lastDelivered = 0;
  expected_.clear();
  nextOut_.clear();
}

std::uint32_t& CPacketQueue::CounterOf(std::vector<Counter>& counters, std::uint32_t player) {
  for (Counter& c : counters)
    if (c.player == player) return c.next;
  counters.push_back(Counter{player, 1});
  return counters.back().next;
}

bool CPacketQueue::AnyDeliverable() const {
  for (const PacketNode* n = read; n != write; n = n->next)
    if (n->sequence == 0 || n->sequence <= Expected(n->from)) return true;
  return false;
}

std::uint32_t CPacketQueue::Expected(std::uint32_t from) const {
  for (const Counter& c : expected_)
    if (c.player == from) return c.next;
  return 1;
}
