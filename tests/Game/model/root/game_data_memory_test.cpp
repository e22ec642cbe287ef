// A saved game is read from memory, its standings, scores, review log and
// chapter statistics each as one checked block: the game must come back as a
// read from a file gives it, and a file cut inside any of those blocks must
// fail the load.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GChapter.h"
#include "tests/Game/model/root/root_fixture.h"

namespace root_test {
namespace {

TEST_F(RootGame, AGameReadFromMemoryIsTheGameReadFromAFile) {
  std::vector<std::uint8_t> bytes;
  {
    auto g = NewGame(12, 6);
    g->solarDB.CreateAsteroidArray(1);
    for (int row = 0; row < kStandingRows; ++row)
      for (int c = 0; c < kMaxChapters; ++c)
        g->standings[row][c] = {static_cast<std::uint8_t>(row),
                                static_cast<std::uint8_t>(c),
                                3,
                                0,
                                static_cast<std::uint16_t>(row * 100 + c),
                                static_cast<std::uint16_t>(0xA000 + c)};
    for (int c = 0; c < kMaxChapters; ++c) g->scores[c] = 0x01000000u * static_cast<std::uint32_t>(c) + 5;
    for (std::size_t a = 0; a < g->reviewLog.size(); ++a) g->reviewLog[a][a % 6] = static_cast<std::uint32_t>(a * 7);
    CGChapter* chapter = g->guildList->GetChapter(12);
    chapter->statistics[49].values[9] = 0xDEADBEEF;
    chapter->atvTech[3].values[5] = 42;
    chapter->SetName("A name longer than thirty characters, kept on the heap");
    bytes = Saved(*g);
  }
  auto fromFile = NewGame(0, 8);
  ASSERT_EQ(LoadInto(*fromFile), 1);
  auto fromMemory = NewGame(0, 8);
  BlockReader r{std::span<const std::uint8_t>(bytes)};
  ASSERT_EQ(fromMemory->Load(r), 1);
  EXPECT_EQ(Saved(*fromMemory, "memory.sav"), bytes);
  EXPECT_EQ(Saved(*fromFile, "file.sav"), bytes);
  EXPECT_EQ(fromMemory->standings[49][39].ships, 4939);
  EXPECT_EQ(fromMemory->scores[39], 0x27000005u);
  EXPECT_EQ(fromMemory->guildList->GetChapter(12)->statistics[49].values[9], 0xDEADBEEFu);

  // Cut inside the standings, the review log and past them.
  for (const std::size_t n : {std::size_t{120}, std::size_t{7000}, std::size_t{14100}, std::size_t{16000},
                              bytes.size() / 2, bytes.size() - 1}) {
    auto cut = NewGame(0, 8);
    BlockReader shortOne{std::span<const std::uint8_t>(bytes).first(n)};
    EXPECT_EQ(cut->Load(shortOne), 0) << n;
  }
}

}  // namespace
}  // namespace root_test
