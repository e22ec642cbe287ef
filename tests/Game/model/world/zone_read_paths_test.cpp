// A zone's fixed fields are decoded straight from a saved game's bytes when
// enough of them follow, and copied out first otherwise (a block at the very
// end, or a file): every version of the block, with and without the
// ATV-construction block and the lists, must read alike all three ways.
#include <gtest/gtest.h>

#include <new>
#include <span>
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
  // Each zone block the file may hold: every version, with and without a
  // construction block and lists.
  template <class Check>
  void ForEachBlock(Check check) {
    for (std::uint8_t version = 1; version <= 4; ++version)
      for (const bool construction : {false, true})
        for (const bool lists : {false, true}) {
          SCOPED_TRACE(testing::Message()
                       << "version " << int{version} << " construction " << construction << " lists " << lists);
          check(Block(construction, lists, version), version, construction);
        }
  }
};

TEST_F(ZoneReadPaths, EveryVersionReadsAlikeFromMemoryWithBytesAfterItAndFromAFile) {
  ForEachBlock([&](const std::vector<std::uint8_t>& block, std::uint8_t version, bool) {
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
    ASSERT_EQ(
        box.Loaded(std::string(block.begin(), block.end()), [&](plat::FILE* fp) { return fromFile.Load(fp, version); }),
        1);
    EXPECT_EQ(Saved(fromFile), std::get<1>(alone));

    // A wrong end byte with bytes after it is refused, the zone unchanged.
    followed[block.size() - 1] = 0xE3;
    CGZone kept(1, 1);
    kept.zoneWord = 77;
    BlockReader r(followed);
    EXPECT_EQ(kept.Load(r, version), LoadStatus::kBadEndByte);
    EXPECT_EQ(kept.zoneWord, 77u);
  });
}

// A block read over a zone that held everything (the construction block with
// bytes the file does not keep, the zone word, facilities, lists) leaves
// nothing of it, every way the block is read; and a zone made from its block
// stands as one made and then loaded.
TEST_F(ZoneReadPaths, ABlockReadOverAFullZoneLeavesNothingOfIt) {
  ForEachBlock([&](const std::vector<std::uint8_t>& block, std::uint8_t version, bool construction) {
    std::vector<std::uint8_t> followed = block;
    followed.insert(followed.end(), 80, 0xA5);
    std::size_t used = 0;
    const auto fresh = FromMemory(followed, version, &used);
    ASSERT_EQ(std::get<0>(fresh), LoadStatus::kOk);

    for (const bool withBytesAfter : {false, true}) {
      CGZone full(3, 3);
      full.SetOwner(kOwner);
      full.SetFacilities(FACILITY_MINING | FACILITY_ATV_CONSTRUCTION);
      full.facilityOwner = 5;
      for (int i = 0; i < kAtvConstructionBlockSize; ++i) full.atvConstruction[i] = 0x77;
      full.zoneWord = 0xFEEDu;
      full.AddAtvMoves(0, 3, 2);
      full.AddArrivingAtvs(1, 1, 2, 0);
      full.AddAttackingAtvs(2, 1, 2);
      BlockReader r(withBytesAfter ? std::span<const std::uint8_t>(followed) : std::span<const std::uint8_t>(block));
      ASSERT_EQ(full.Load(r, version), LoadStatus::kOk);
      EXPECT_EQ(Saved(full), std::get<1>(fresh));
      if (construction && version >= 2) {
        ASSERT_TRUE(full.atvConstruction);
        EXPECT_EQ(full.atvConstruction[4], 0);
        EXPECT_EQ(full.atvConstruction[5], 0);
      } else {
        EXPECT_FALSE(full.atvConstruction);
      }
    }

    alignas(CGZone) unsigned char room[sizeof(CGZone)];
    BlockReader r(followed);
    ASSERT_EQ(CGZone::MakeFromBlock(room, r, version), LoadStatus::kOk);
    auto* made = std::launder(reinterpret_cast<CGZone*>(room));
    EXPECT_EQ(r.Pos(), block.size());
    EXPECT_EQ(Saved(*made), std::get<1>(fresh));
    made->~CGZone();
  });
}

// An asteroid's zones read as a run, each made from its block: the same zones
// as made first and loaded one by one, in every version. A run whose k-th
// block is damaged (a wrong end byte, or cut short) leaves no zones, and the
// next run reads whole.
TEST_F(ZoneReadPaths, ARunOfZonesReadsAsZonesMadeAndLoadedAndADamagedOneLeavesNone) {
  for (std::uint8_t version = 1; version <= 4; ++version) {
    SCOPED_TRACE(testing::Message() << "version " << int{version});
    constexpr int kZones = 7;
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> ends;
    for (int i = 0; i < kZones; ++i) {
      const std::vector<std::uint8_t> b = Block(i % 3 == 1, i % 2 == 0, version);
      bytes.insert(bytes.end(), b.begin(), b.end());
      ends.push_back(bytes.size());
    }
    std::vector<std::vector<std::uint8_t>> expected;
    BlockReader one(bytes);
    for (int i = 0; i < kZones; ++i) {
      CGZone z(0, 0);
      ASSERT_EQ(z.Load(one, version), LoadStatus::kOk);
      expected.push_back(Saved(z));
    }

    const auto readRun = [&](std::span<const std::uint8_t> from, ZoneRun& run) {
      BlockReader r(from);
      return run.Load(kZones, version, r);
    };
    ZoneRun run;
    ASSERT_EQ(readRun(bytes, run), LoadStatus::kOk);
    ASSERT_EQ(run.size(), kZones);
    for (int i = 0; i < kZones; ++i) EXPECT_EQ(Saved(*run.get(static_cast<std::uint16_t>(i))), expected[i]) << i;

    for (const int k : {0, 3, kZones - 1}) {
      std::vector<std::uint8_t> badEnd = bytes;
      badEnd[ends[k] - 1] = 0xE3;
      EXPECT_EQ(readRun(badEnd, run), LoadStatus::kBadEndByte) << k;
      EXPECT_EQ(run.size(), 0);
      EXPECT_EQ(run.get(0), nullptr);
      const std::span<const std::uint8_t> cut(bytes.data(), ends[k] - 1);
      EXPECT_NE(readRun(cut, run), LoadStatus::kOk) << k;
      EXPECT_EQ(run.size(), 0);
      ASSERT_EQ(readRun(bytes, run), LoadStatus::kOk);
      EXPECT_EQ(Saved(*run.get(kZones - 1)), expected[kZones - 1]);
    }
  }
}

}  // namespace
}  // namespace world_test
