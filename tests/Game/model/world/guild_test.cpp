#include <gtest/gtest.h>

#include <vector>

#include "Game/model/GNotifyCodes.h"
#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

std::vector<std::uint8_t> MineralPost(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral,
                                      std::uint16_t term) {
  std::vector<std::uint8_t> p(22, 0);
  p[8] = seller;
  p[9] = asteroid;
  p[10] = mineral;
  p[12] = static_cast<std::uint8_t>(term);
  p[20] = 9;
  return p;
}

std::vector<std::uint8_t> VotePost(std::uint8_t slot, std::uint8_t asteroid) {
  std::vector<std::uint8_t> p(32, 0);
  p[10] = slot;
  p[12] = asteroid;
  p[28] = 5;
  return p;
}

class GuildTest : public WorldTest {
 protected:
  CGuild& guild = *guilds.GetGuild(2);
};

TEST_F(GuildTest, RenegadeNeedsMoreThanHalfTheVotes) {
  const std::uint8_t against[8] = {2, 3, 0, 0, 0, 0, 0, 0};
  guild.SetVotes(against, nullptr, 5);
  EXPECT_EQ(guild.IsRenegade(0), 0);
  EXPECT_EQ(guild.IsRenegade(1), 1);
  EXPECT_EQ(guild.GetChapter(1)->renegade, 1u);
  guild.SetVotes(nullptr, nullptr, 4);
  EXPECT_EQ(guild.IsRenegade(0), 0);
  EXPECT_EQ(guild.IsRenegade(1), 1);
  EXPECT_EQ(guild.IsRenegade(9), 0);
}

TEST_F(GuildTest, InterregnumCentresOnTheMostVotes) {
  const std::uint8_t held[8] = {1, 3, 3, 0, 0, 0, 0, 0};
  guild.SetVotes(nullptr, held, 7);
  guild.GetChapter(0)->SetRenegade(1);
  guild.GetChapter(4)->VoteForImperator(1);
  guild.BeginInterregnum({});
  EXPECT_EQ(guild.interregnum, 1u);
  EXPECT_EQ(guild.interregnumLeader, 1);     // the first of the equal ones
  EXPECT_EQ(guild.GetChapter(4)->camp, 0u);  // voted for the leader
  EXPECT_EQ(guild.GetChapter(0)->camp, 1u);
  EXPECT_EQ(guild.GetChapter(0)->renegade, 0u);
  guild.GetChapter(0)->SetRenegade(1);
  guild.ClearRenegades();
  EXPECT_EQ(guild.interregnum, 0u);
  EXPECT_EQ(guild.GetChapter(0)->camp, 0u);
  EXPECT_EQ(guild.GetChapter(0)->renegade, 0u);

  std::vector<std::uint8_t> packet(20, 1);
  packet[10] = 6;
  packet[12 + 3] = 0;
  guild.BeginInterregnum(packet);
  EXPECT_EQ(guild.interregnumLeader, 6);
  EXPECT_EQ(guild.GetChapter(3)->camp, 1u);
  EXPECT_EQ(guild.GetChapter(2)->camp, 0u);

  const std::uint8_t none[8] = {};
  guild.SetVotes(nullptr, none, 7);
  guild.GetChapter(0)->SetRenegade(1);
  guild.BeginInterregnum(std::span(packet).first(15));  // too short: as no packet
  EXPECT_EQ(guild.interregnumLeader, 0xFF);
  EXPECT_EQ(guild.GetChapter(0)->renegade, 1u);  // nothing more happened
}

TEST_F(GuildTest, ImperatorVotesAreTheHeldVotesOfTheBackers) {
  // Every member starts backing itself; slots 2 and 5 turn to slot 1.
  const std::uint8_t held[8] = {1, 3, 2, 0, 1, 4, 1, 1};
  guild.SetVotes(nullptr, held, 13);
  guild.GetChapter(2)->VoteForImperator(1);
  guild.GetChapter(5)->VoteForImperator(1);
  EXPECT_EQ(guild.ImperatorVotesFor(1), 3u + 2u + 4u);
  EXPECT_EQ(guild.ImperatorVotesFor(0), 1u);
  EXPECT_EQ(guild.ImperatorVotesFor(2), 0u) << "its own votes went to slot 1";
  EXPECT_EQ(guild.ImperatorVotesFor(3), 0u) << "a member without votes adds none";
  EXPECT_EQ(guild.ImperatorVotesFor(8), 0u);
  // A member that backs nobody counts for nobody.
  for (auto& vote : guild.GetChapter(0)->imperatorVotes) vote = 0;
  std::uint32_t all = 0;
  for (std::uint32_t slot = 0; slot < 8; ++slot) all += guild.ImperatorVotesFor(slot);
  EXPECT_EQ(all, 13u - 1u);
}

TEST_F(GuildTest, ChaptersByNumber) {
  EXPECT_EQ(guilds.GetChapter(37), guilds.GetGuild(4)->GetChapter(5));
  EXPECT_EQ(guilds.GetChapter(37)->GetChapterNumber(), 37);
  EXPECT_EQ(guilds.GetChapter(40), nullptr);
  CGuildList four(4);
  EXPECT_EQ(four.GetChapter(37), nullptr);
  EXPECT_EQ(four.GetGuild(4)->totalVotes, 4);
  ASSERT_NE(four.GetChapter(35), nullptr);
  EXPECT_EQ(four.GetChapter(35)->GetChapterNumber(), 35);
  EXPECT_EQ(four.GetChapter(36), nullptr);
}

TEST_F(GuildTest, BoardsKeepOneOfferPerKeyAndOneNoticePerTurn) {
  rules.localChapter = 16;  // slot 0 of this guild
  guild.PostMineralOffer(MineralPost(17, 4, 2, 10));
  guild.PostMineralOffer(MineralPost(17, 4, 2, 20));
  ASSERT_EQ(guild.mineralOffers.count, 1);
  EXPECT_EQ(guild.GetMineralOffer(0)->terms[0], 20);
  EXPECT_EQ(guild.GetMineralOffer(0)->terms[4], 9);
  const std::vector<std::uint8_t> shortPost = MineralPost(17, 5, 2, 1);
  EXPECT_EQ(guild.PostMineralOffer(std::span(shortPost).first(21)), 0);
  EXPECT_EQ(notes.GetCount(), 1);
  rules.turn = 3;
  guild.PostVoteOffer(VotePost(2, 7));
  guild.PostVoteOffer(VotePost(3, 8));
  guild.PostVoteOffer(VotePost(0, 9));  // the local chapter's own
  EXPECT_EQ(notes.GetCount(), 2);
  EXPECT_EQ(notes.GetEntry(1)->category, 2);
  EXPECT_EQ(notes.GetEntry(1)->code, notify::kVoteOffersPosted);
  rules.turn = 4;
  guild.PostVoteOffer(VotePost(3, 8));
  EXPECT_EQ(notes.GetCount(), 3);
  EXPECT_EQ(guild.voteOffers.count, 3);
  EXPECT_EQ(guild.FindVoteOffer(8)->terms[3], 5u);
  EXPECT_EQ(guild.RemoveVoteOffer(8), 1);
  EXPECT_EQ(guild.RemoveVoteOffer(8), 0);
  EXPECT_EQ(guild.RemoveMineralOffer(17, 4, 2), 1);
  EXPECT_EQ(guild.GetMineralOffer(0), nullptr);
}

TEST_F(GuildTest, SavedBoardsAndVotes) {
  std::vector<std::uint8_t> ship(36, 0);
  ship[10] = 3;
  ship[12] = 0x44;
  ship[16] = 0x34;
  ship[17] = 0x12;  // first term 0x1234: only its low byte is kept
  guild.PostShipOffer(ship);
  guild.PostMineralOffer(MineralPost(17, 4, 2, 10));
  guild.PostVoteOffer(VotePost(2, 7));
  guild.interregnum = 1;
  guild.GetChapter(5)->SetName("Sable");
  const std::vector<std::uint8_t> bytes = Saved(guild);
  CGuild copy(2, 8);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_EQ(copy.FindShipOffer(0x44)->firstTerm, 0x34u);
  EXPECT_STREQ(copy.GetChapter(5)->GetName(), "Sable");
  CGChapter* kept = copy.GetChapter(5);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(copy.GetChapter(5), kept);  // pointers to chapters outlive a load

  std::vector<std::uint8_t> bad = bytes;
  bad[0] = 2;
  EXPECT_EQ(Load(copy, bad), LoadStatus::kBadVersion);
  bad = bytes;
  bad[17 + 3] = 0x80;  // more mineral offers than a board holds
  EXPECT_EQ(Load(copy, bad), LoadStatus::kBadCount);
  EXPECT_EQ(copy.interregnum, 1u);
}

TEST_F(GuildTest, GuildTwosTwoDarkColours) {
  std::uint32_t dark = 0, light = 0;
  GetColorPair(2, &dark, &light);
  EXPECT_EQ(dark, 0x800000u);
  EXPECT_EQ(GetDarkColor(2), 0xA01E1Eu);
  GetColorPair(5, &dark, &light);
  EXPECT_EQ(light, 0u);
}

}  // namespace
}  // namespace world_test
