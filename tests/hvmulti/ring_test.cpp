// The received-message queue: first in, first out through growth, wrapping
// and emptying, with every item reachable by its place behind the front.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "hvmulti/Ring.h"

namespace {

TEST(HvMRing, KeepsOrderAndPlacesAgainstADeque) {
  hvm::Ring<std::vector<int>> ring;
  std::deque<int> model;
  std::mt19937 rng(57);
  int next = 0;
  for (int step = 0; step < 20000; ++step) {
    // Runs of pushes and pops of random lengths: the queue grows past its
    // first size, wraps round its storage, and empties now and then.
    const bool push = model.empty() || (rng() % 100) < (step % 3000 < 1500 ? 60u : 40u);
    if (push) {
      auto& slot = ring.PushSlot();
      slot.assign(1 + next % 5, next);
      model.push_back(next++);
    } else {
      ASSERT_EQ(ring.front(), std::vector<int>(1 + model.front() % 5, model.front()));
      ring.pop_front();
      model.pop_front();
    }
    ASSERT_EQ(ring.size(), model.size());
    if (step % 97 != 0) continue;
    for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(ring[i].front(), model[i]) << "place " << i;
  }
}

TEST(HvMRing, AnEmptiedQueueStartsAgainAtItsFirstSlot) {
  hvm::Ring<std::vector<int>> ring;
  for (int i = 0; i < 40; ++i) ring.PushSlot() = {i};
  for (int i = 0; i < 37; ++i) ring.pop_front();
  ring.PushSlot() = {100};
  while (!ring.empty()) ring.pop_front();
  // The next item lands in the first slot, which still holds what it held.
  EXPECT_EQ(ring.PushSlot(), std::vector<int>{0});
  EXPECT_EQ(ring[0], std::vector<int>{0});
}

}  // namespace
