#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"
#include "tests/Game/model/world/world_generator.h"

namespace world_test {
namespace {

// The whole world model in the order the game data saves it.
std::vector<std::uint8_t> SaveWorld(const CGSolarDB& solar, const CGuildList& guilds, const CGPoolDB& pools,
                                    const CGNotificationList& notes) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  EXPECT_TRUE(solar.Save(w) && guilds.Save(w) && pools.Save(w) && notes.Save(w));
  return bytes;
}

class WorldRoundTrip : public WorldTest {
 protected:
  WorldRoundTrip() {
    GenerateSolarSystem(solar, kMaxAsteroids, 17);
    GenerateChapters(guilds, 18);
    for (std::uint32_t a = 0; a < kMaxAsteroids; a += 3) pools.SetMineral(a, a % 4, a * 10);
    notes.Add(3, 4, 414, "Rock 123", nullptr, 3, 7, 0xFFFFFFFF);
  }
};

TEST_F(WorldRoundTrip, GeneratedSystemLoadsBackByteForByte) {
  const std::vector<std::uint8_t> bytes = SaveWorld(solar, guilds, pools, notes);
  CGSolarDB solar2;
  CGuildList guilds2(8);
  CGPoolDB pools2;
  CGNotificationList notes2;
  BlockReader r(bytes);
  ASSERT_EQ(solar2.Load(r), LoadStatus::kOk);
  ASSERT_EQ(guilds2.Load(r), LoadStatus::kOk);
  ASSERT_EQ(pools2.Load(r), LoadStatus::kOk);
  ASSERT_EQ(notes2.Load(r), LoadStatus::kOk);
  EXPECT_EQ(r.Pos(), bytes.size());
  EXPECT_EQ(SaveWorld(solar2, guilds2, pools2, notes2), bytes);
  EXPECT_EQ(g_numAsteroids, kMaxAsteroids);
  EXPECT_STREQ(guilds2.GetChapter(39)->GetName(), "Chapter 39");
}

// The client steps the orbits itself after a turn; from the same saved
// state it must reach the server's positions, coefficients and radiation to
// the bit.
TEST_F(WorldRoundTrip, ATurnStepsTheSameOnEverySide) {
  const std::vector<std::uint8_t> start = Saved(solar);
  CGSolarDB client;
  ASSERT_EQ(Load(client, start), LoadStatus::kOk);
  plat::srand(99);
  solar.AdvanceTurn();
  const std::vector<std::uint8_t> server = Saved(solar);
  EXPECT_NE(server, start);
  rules.solar = &client;
  plat::srand(99);
  client.AdvanceTurn();
  EXPECT_EQ(Saved(client), server);
}

TEST_F(WorldRoundTrip, ChaptersThatDoNotFitAreRefused) {
  const std::vector<std::uint8_t> bytes = Saved(guilds);
  CGuildList small(4);
  EXPECT_EQ(Load(small, bytes), LoadStatus::kBadEndByte);  // eight chapters stored, four expected
  CGuildList target(8);
  const std::vector<std::uint8_t> before = Saved(target);
  for (std::size_t n = 0; n < bytes.size(); n += 97)
    ASSERT_NE(Load(target, std::span(bytes).first(n)), LoadStatus::kOk) << n;
  EXPECT_EQ(Saved(target), before);
}

// A list that already holds a game is replaced whole by a block that reads,
// its guilds and chapters staying where they are, and kept whole by one that
// does not.
TEST_F(WorldRoundTrip, ALoadOverAPlayedListReplacesItOrLeavesIt) {
  const std::vector<std::uint8_t> bytes = Saved(guilds);
  CGuildList played(8);
  GenerateChapters(played, 5);
  played.GetChapter(9)->AddNote("Only in the played game");
  played.GetGuild(1)->interregnum = 3;
  const std::vector<std::uint8_t> before = Saved(played);
  ASSERT_NE(before, bytes);
  CGChapter* chapter = played.GetChapter(9);
  CGuild* guild = played.GetGuild(1);

  std::vector<std::uint8_t> late = bytes;
  late.back() ^= 0xFF;  // the last guild's end byte
  EXPECT_EQ(Load(played, late), LoadStatus::kBadEndByte);
  EXPECT_EQ(Saved(played), before);

  ASSERT_EQ(Load(played, bytes), LoadStatus::kOk);
  EXPECT_EQ(Saved(played), bytes);
  EXPECT_EQ(std::make_tuple(played.GetChapter(9), played.GetGuild(1)), std::make_tuple(chapter, guild));
  EXPECT_EQ(chapter->notes.count, 1);

  // Read straight in, as the game root does: the played lists and boards go.
  CGuildList again(8);
  GenerateChapters(again, 6);
  again.GetChapter(9)->AddNote("Only in the played game");
  again.GetGuild(2)->PostVoteOffer(std::vector<std::uint8_t>(32, 0));
  BlockReader r(bytes);
  ASSERT_EQ(again.ReadInto(r), LoadStatus::kOk);
  EXPECT_EQ(Saved(again), bytes);
}

}  // namespace
}  // namespace world_test
