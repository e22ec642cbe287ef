// Asking the others for their game settings: which block takes the answer.
#include <vector>

#include "Game/app/CClntApp.h"
#include "platform/core/bytes.h"
#include "shell_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SettingsRequest : shelltest::AppFixture {
  shelltest::LookingMulti* library = nullptr;
  std::uint32_t nextSequence = 1;  // of the host's packets

  void SetUp() override {
    AppFixture::SetUp();
    shell.screenFlow = [this](CClntApp& app, int) {
      ChooseChapter(app);
      return 1;
    };
  }
  CClntApp& Start() {
    CClntApp& app = AppFixture::Start();
    library = &UseRecordingLibrary();
    return app;
  }
  // The host's answer: its settings with their sequence number, after a
  // packet of another type that the wait drops.
  void HostAnswers(const GameSettingsPacket& settings) {
    library->AddPacket(nextSequence++);
    const auto image = ToBytes(settings);
    Bytes bytes(image.begin(), image.end());
    plat::ByteWriter(bytes).WriteAt<std::uint32_t>(4, nextSequence++);
    library->inbox.push_back({HVM_MSG_PACKET, bytes, 7});
  }
  static GameSettingsPacket HostSettings() {
    GameSettingsPacket host;
    host.chapterSlot = 2;
    host.isSettings = 1;
    host.difficulty = DIFFICULTY_HARD;
    host.fowShowInTransit = 2;
    host.randomOrbits = 1;
    host.traits[0] = 44;
    return host;
  }
};

// A block that was never sent (slot 40) or was sent for a chapter takes the
// host's settings, but keeps the traits the player set; the request names
// the asking chapter and is no settings packet.
TEST_F(SettingsRequest, ABlockWithASenderSlotTakesTheAnswerButKeepsItsTraits) {
  Start();
  for (const std::uint16_t slot : {kNoChapterSlot, std::uint16_t{5}}) {
    library->sent.clear();
    GameSettingsPacket mine;
    mine.chapterSlot = slot;
    mine.traits[3] = 9;
    HostAnswers(HostSettings());
    ASSERT_TRUE(g_app->RequestGameSettings(mine, 5)) << slot;
    EXPECT_EQ(mine.chapterSlot, 2u);
    EXPECT_EQ(mine.difficulty, DIFFICULTY_HARD);
    EXPECT_EQ(mine.fowShowInTransit, 2u);
    EXPECT_EQ(mine.randomOrbits, 1u);
    EXPECT_EQ(mine.traits[0], 0u);
    EXPECT_EQ(mine.traits[3], 9u);
    ASSERT_EQ(library->sent.size(), 1u);
    const Bytes& request = library->sent[0].bytes;
    ASSERT_EQ(request.size(), kGameSettingsSize);
    EXPECT_EQ(request[0], 53);
    EXPECT_EQ(request[8], 5);
    EXPECT_EQ(request[10], 0);
  }
}

// Settings last sent while no chapter was chosen are the player's own: the
// answer is awaited and left alone.
TEST_F(SettingsRequest, ABlockSentWithNoChapterChosenKeepsEveryField) {
  Start();
  GameSettingsPacket mine;
  mine.chapterSlot = kNoChapterChosen;
  mine.fowShowInTransit = 1;
  HostAnswers(HostSettings());
  ASSERT_TRUE(g_app->RequestGameSettings(mine, kNoChapterChosen));
  EXPECT_EQ(mine.chapterSlot, kNoChapterChosen);
  EXPECT_EQ(mine.fowShowInTransit, 1u);
  EXPECT_EQ(mine.difficulty, DIFFICULTY_EASY);
  EXPECT_TRUE(library->inbox.empty());  // both packets were taken
}

}  // namespace
