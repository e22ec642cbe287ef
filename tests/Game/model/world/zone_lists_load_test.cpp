// A zone block without ATV moves, arrivals or attacks is read past its three
// empty lists at once: the zone must come out as a read of the lists one by
// one leaves it, whatever lists it held before, and a damaged block must
// leave it as it was.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

constexpr std::uint8_t kOwner = 9;

class ZoneListsLoad : public WorldTest {
 protected:
  ZoneListsLoad() {
    rules.localChapter = kOwner;
    played.SetOwner(kOwner);
    played.SetAtvCounts(3, 1, 0, 2);
    played.AddAtvMoves(2, 3, 6);
    played.AddArrivingAtvs(1, 4, 6, 0);
    played.AddAttackingAtvs(0, 2, 5);
    quiet.SetOwner(kOwner);
    quiet.SetAtvCounts(1, 0, 0, 7);
    quiet.zoneWord = 0x0A0B0C0D;
  }

  static auto Lists(const CGZone& z) {
    return std::make_tuple(z.atvMoves.count, z.arriving.count, z.attacking.count, z.atvMoves.capacity,
                           z.arriving.capacity, z.attacking.capacity);
  }

  CGZone played{4, 1};
  CGZone quiet{5, 1};
};

TEST_F(ZoneListsLoad, AZoneWithoutListsLoadedOverOneWithListsTakesFreshEmptyOnes) {
  const std::vector<std::uint8_t> empty = Saved(quiet);
  ASSERT_EQ(Lists(played), std::make_tuple(3, 1, 1, 10, 10, 10));
  ASSERT_EQ(Load(played, empty, 4), LoadStatus::kOk);
  EXPECT_EQ(Lists(played), std::make_tuple(0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Saved(played), empty);

  // A zone that never had lists stays without any.
  CGZone again(0, 0);
  ASSERT_EQ(Load(again, empty, 4), LoadStatus::kOk);
  EXPECT_EQ(Lists(again), std::make_tuple(0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Saved(again), empty);
}

TEST_F(ZoneListsLoad, ADamagedBlockWithoutListsLeavesTheZoneAsItWas) {
  const std::vector<std::uint8_t> before = Saved(played);
  std::vector<std::uint8_t> block = Saved(quiet);
  block.back() = 0xE1;
  EXPECT_EQ(Load(played, block, 4), LoadStatus::kBadEndByte);
  EXPECT_EQ(Saved(played), before);
  block.back() = kZoneEndByte;
  for (std::size_t n = 0; n < block.size(); ++n) {
    EXPECT_EQ(Load(played, std::span(block).first(n), 4), LoadStatus::kTruncated) << n;
    EXPECT_EQ(Saved(played), before) << n;
  }
  // A list count that is not zero is read as a list, not passed over.
  std::vector<std::uint8_t> oneMove = block;
  const std::size_t counts = block.size() - 7;
  oneMove[counts] = 1;
  oneMove.insert(oneMove.begin() + static_cast<std::ptrdiff_t>(counts) + 2, {kOwner, 6, 2});
  CGZone moved(0, 0);
  ASSERT_EQ(Load(moved, oneMove, 4), LoadStatus::kOk);
  ASSERT_EQ(moved.atvMoves.count, 1);
  EXPECT_EQ(std::make_tuple(moved.atvMoves.items[0]->sourceZone, moved.atvMoves.items[0]->kind), std::make_tuple(6, 2));
  EXPECT_EQ(Saved(moved), oneMove);
}

}  // namespace
}  // namespace world_test
