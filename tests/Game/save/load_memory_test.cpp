// A saved game's model is read from one copy of its bytes in memory: it must
// be the game a field-by-field read of the file gives, and a block cut short
// anywhere must be refused without reading past its end.
#include <gtest/gtest.h>

#include <span>

#include "Game/base/GBlockStream.h"
#include "tests/Game/save/save_fixture.h"
#include "tests/support/scoped_file.h"

namespace save_test {
namespace {

TEST_F(SaveFixture, TheModelReadFromMemoryIsTheModelReadFromTheFile) {
  StartGame(300);
  AddUnit(3, (3u << 26) | 0x800, 2, "Named in memory");
  g_gameData->AddToSelection(SEL_ASTEROID, 2, 2);
  const auto saved = ModelBytes();

  delete g_gameData;
  g_gameData = new CGameData(9, 8);
  {
    quentest::ScopedFile fp("C:\\model.bin", "rb");
    ASSERT_EQ(g_gameData->Load(fp.get()), 1);
  }
  EXPECT_EQ(ModelBytes("from-file.bin"), saved);

  delete g_gameData;
  g_gameData = new CGameData(9, 8);
  BlockReader r(saved);
  ASSERT_EQ(g_gameData->Load(r), 1);
  EXPECT_EQ(r.Pos(), saved.size());
  EXPECT_EQ(ModelBytes("from-memory.bin"), saved);
}

TEST_F(SaveFixture, AModelCutShortIsRefusedFromMemory) {
  StartGame(40);
  const auto saved = ModelBytes();
  for (std::size_t cut = 0; cut < saved.size(); cut += saved.size() / 61 + 1) {
    delete g_gameData;
    g_gameData = new CGameData(9, 8);
    BlockReader r(std::span<const std::uint8_t>(saved).first(cut));
    EXPECT_EQ(g_gameData->Load(r), 0) << cut;
    EXPECT_LE(r.Pos(), cut);
  }
}

}  // namespace
}  // namespace save_test
