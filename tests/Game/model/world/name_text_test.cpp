// Names of the world model: short ones kept inside their object, longer ones
// on the heap, both read from a saved game's bytes as the block reader reads
// a name (none for length 0, cut at the first zero, unchanged when cut short).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Game/model/GNameText.h"
#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

using namespace std::string_literals;

std::vector<std::uint8_t> NameBlock(const std::string& text) {
  std::vector<std::uint8_t> b(text.size() + 1, static_cast<std::uint8_t>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) b[i + 1] = static_cast<std::uint8_t>(text[i]);
  return b;
}

TEST(NameText, NoNameEmptyShortAndLongNames) {
  NameText n;
  EXPECT_FALSE(n);
  EXPECT_EQ(n.get(), nullptr);
  n.Assign(nullptr);
  ASSERT_TRUE(n);
  EXPECT_STREQ(n.get(), "");
  for (const std::size_t length : {NameText::kInline, NameText::kInline + 1, std::size_t{254}}) {
    const std::string text(length, 'q');
    n.Assign(text.c_str());
    EXPECT_EQ(n.get(), text);
    NameText moved(std::move(n));
    EXPECT_EQ(moved.get(), text) << length;
    EXPECT_FALSE(n);
    n = std::move(moved);
    EXPECT_EQ(n.get(), text);
  }
  n.reset();
  EXPECT_EQ(n.get(), nullptr);
}

TEST(NameText, ReadsAsTheBlockReaderReadsAName) {
  for (const std::string& text :
       {std::string("Rock 042\0"s), std::string("ab\0cd\0"s), std::string(254, 'x'), std::string(40, 'y') + '\0'}) {
    std::vector<std::uint8_t> b = NameBlock(text);
    b.push_back(0x77);  // the next field
    NameText ours;
    std::unique_ptr<char[]> theirs;
    BlockReader r1(b), r2(b);
    ASSERT_TRUE(ours.Read(r1));
    ASSERT_TRUE(r2.Name(theirs));
    EXPECT_STREQ(ours.get(), theirs.get());
    EXPECT_EQ(r1.Pos(), r2.Pos());
  }
  NameText none;
  none.Assign("old");
  const std::vector<std::uint8_t> noName = {0};
  BlockReader zero(noName);
  ASSERT_TRUE(none.Read(zero));
  EXPECT_FALSE(none);

  NameText kept;
  kept.Assign("kept");
  const std::vector<std::uint8_t> cut = {10, 'a', 'b', 'c'};
  BlockReader r(cut);
  EXPECT_FALSE(kept.Read(r));
  EXPECT_STREQ(kept.get(), "kept");
}

TEST_F(WorldTest, LongAndShortAsteroidNamesSurviveASaveAndALoad) {
  solar.CreateAsteroidArray(2);
  for (const std::string& name : {std::string("Ix"), std::string(200, 'L')}) {
    CGAsteroid* a = AddAsteroid(1, 2);
    a->SetName(name.c_str());
    const std::vector<std::uint8_t> bytes = Saved(*a);
    CGAsteroid copy(0);
    ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
    EXPECT_EQ(copy.name.get(), name);
    EXPECT_EQ(Saved(copy), bytes);
  }
}

}  // namespace
}  // namespace world_test
