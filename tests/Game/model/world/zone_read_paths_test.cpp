// A zone's fixed fields are decoded straight from a saved game's bytes when
// enough of them follow, and copied out first otherwise (a block at the very
// end, or a file): every version of the block, with and without the
// ATV-construction block and the lists, must read alike all three ways.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

constexpr std::uint8_t kOwner = 9;

class ZoneReadPaths : public WorldTest {
 protected:
  ZoneReadPaths() { rules.localChapter = kOwner; }

  // The block of a zone of the given kind, in the form of `version`.
  std::vector<std::uint8_t> Block(bool construction, bool lists, std::uint8_t version) {
    CGZone z(6, 2);
    z.SetOwner(kOwner);
    z.SetAtvCounts(4, 0, 2, 1);
    z.SetAtvKindEntrenched(2, 0x11223344);
    z.zoneWord = 0x0A0B0C0D;
    z.facilityOwner = kOwner;
    if (version >= 2) z.SetFacilities(construction ? FACILITY_POWER | FACILITY_ATV_CONSTRUCTION : FACILITY_POWER);
    if (construction && version >= 2) z.atvConstruction[2] = 0x5A;
    if (lists) {
      z.AddAtvMoves(1, 2, 4);
      z.AddArrivingAtvs(3, 2, 4, 0);
    }
    std::vector<std::uint8_t> b = Saved(z);
    const std::ptrdiff_t word = 33 + (construction && version >= 2 ? 4 : 0);
    if (version < 4) b.erase(b.begin() + word, b.begin() + word + 4);
    if (version < 2) b.erase(b.begin() + 8, b.begin() + 13);
    return b;
  }

  // What a load of `bytes` gives: its status, and the zone saved again.
  static std::tuple<LoadStatus, std::vector<std::uint8_t>> FromMemory(std::span<const std::uint8_t> bytes,
                                                                      std::uint8_t version, std::size_t* used) {
    CGZone z(0, 0);
    BlockReader r(bytes);
    const LoadStatus s = z.Load(r, version);
    *used = r.Pos();
    return {s, Saved(z)};
  }
};

TEST_F(ZoneReadPaths, EveryVersionReadsAlikeFromMemoryWithBytesAfterItAndFromAFile) {
  for (std::uint8_t version = 1; version <= 4; ++version) {
    for (const bool construction : {false, true}) {
      for (const bool lists : {false, true}) {
        SCOPED_TRACE(testing::Message() << "version " << int{version} << " construction " << construction
                                        << " lists " << lists);
        const std::vector<std::uint8_t> block = Block(construction, lists, version);
        std::size_t used = 0;
        const auto alone = FromMemory(block, version, &used);
        ASSERT_EQ(std::get<0>(alone), LoadStatus::kOk);
        if (version == 4) {
          EXPECT_EQ(std::get<1>(alone), block);
        }

        std::vector<std::uint8_t> followed = block;
        followed.insert(followed.end(), 80, 0xA5);
        EXPECT_EQ(FromMemory(followed, version, &used), alone);
        EXPECT_EQ(used, block.size());

        CGZone fromFile(0, 0);
        ASSERT_EQ(box.Loaded(std::string(block.begin(), block.end()),
                             [&](plat::FILE* fp) { return fromFile.Load(fp, version); }),
                  1);
        EXPECT_EQ(Saved(fromFile), std::get<1>(alone));

        // A wrong end byte with bytes after it is refused, the zone unchanged.
        followed[block.size() - 1] = 0xE3;
        CGZone kept(1, 1);
        kept.zoneWord = 77;
        BlockReader r(followed);
        EXPECT_EQ(kept.Load(r, version), LoadStatus::kBadEndByte);
        EXPECT_EQ(kept.zoneWord, 77u);
      }
    }
  }
}

}  // namespace
}  // namespace world_test
