// An e-mail game between two players, played through files alone: the
// server library creates the game and resolves each turn from the players'
// turn files; each player's client reads its input file, replays it into the
// game model, sends its moves into its turn file and keeps its state in its
// e-mail client file between turns.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/net/SessionSink.h"
#include "Game/save/EmailTurn.h"
#include "Game/save/SaveGame.h"
#include "hvmulti/HvMulti.h"
#include "platform/core/bytes.h"
#include "server/email/SrvEmail.h"
#include "tests/Game/model/root/root_fixture.h"
#include "tests/server/srv_packets.h"
#include "tests/support/recording_shell.h"

namespace {

// The program reads the e-mail input of the session it plays.
struct EmailShell : quentest::RecordingShell {
  CNetSession* session = nullptr;
  bool NextEmailPacket(std::span<std::uint8_t> buffer, std::uint32_t* length) override {
    return session != nullptr && ReadEmailPacket(*session, buffer, length) == 0;
  }
};

// The game's sends go to the session each turn attaches, and the session's
// turn-file packets into that player's turn file while a turn is played
// (nowhere otherwise).
struct EmailSink : CSessionSink {
  CNetSession* session = nullptr;
  std::uint16_t chapter = 0;
  void WriteEmailPacket(std::span<const std::uint8_t> packet, int) override {
    if (session != nullptr) {
      EXPECT_TRUE(::WriteEmailPacket(*session, chapter, packet.data(), static_cast<std::uint32_t>(packet.size())));
    }
  }
};

class EmailGame : public root_test::RootGame {
 protected:
  EmailGame() {
    folder = box.Host("").string() + "/";
    log.Open(folder + "server.log");
    // The server plays by the installation's rules, which the root wrote at C:\.
    box.SetValue("Release", "PATH", "C:\\");
    RegisterPacketSink(&sink);
  }
  ~EmailGame() override {
    RegisterPacketSink(nullptr);
    AttachSessionLinks(nullptr);
    delete g_gameData;
  }

  // One player's turn `turn`: the client starts, reads its input, plays `move`
  // (if any), ends the turn and keeps its state. The model's turn afterwards.
  std::uint32_t PlayTurn(std::uint16_t chapter, std::uint32_t turn,
                         const std::function<void(CNetSession&)>& move = {}) {
    CNetSession session(std::make_unique<CHvMulti>());
    sink.session = &session;
    sink.chapter = chapter;
    session.emailMode = 1;
    char name[32];
    std::snprintf(name, sizeof name, "duel-%u.s%02u", turn, static_cast<unsigned>(chapter));
    session.emailGameName = name;
    shell.session = &session;
    playerName = "Player " + std::to_string(chapter);
    EXPECT_EQ(ReadEmailInputFile(session, chapter), chapter);
    // The first input starts the game: the program makes its model for it.
    if (session.emailHeader == kEmailSkipReload) g_gameData = new CGameData(chapter, 8);
    AttachSessionLinks(&session);
    EXPECT_TRUE(ProcessEmailTurn(session));
    const std::uint32_t played = g_gameData->turn;
    if (move) move(session);
    // The end of turn names the next turn's state after the input file cut at its last '-'.
    char next[32];
    std::snprintf(next, sizeof next, "duel-%u-%02u.ecl", played + 1, static_cast<unsigned>(chapter));
    EXPECT_TRUE(WriteEmailClientFile(next));
    AttachSessionLinks(nullptr);
    shell.session = nullptr;
    sink.session = nullptr;
    delete g_gameData;
    return played;
  }

  std::string ServerLog() const {
    std::ifstream in(folder + "server.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string folder;
  EmailShell shell;
  EmailSink sink;
  std::string& playerName = shell.playerName;
  SrvLog log;
};

TEST_F(EmailGame, TwoPlayersPlayThreeTurnsThroughTurnFilesOnly) {
  ASSERT_TRUE(CreateEmailGame(folder, "duel", 11, log));
  const auto rename = [](CNetSession& session) {
    auto p = Pkt<48>(PKT_CHAPTER_NAME).U16(8, 9).Text(16, 32, "Nine Wolves");
    session.Send(kAllPlayersSlot, p.image.bytes.data(), 48);
  };
  for (std::uint32_t turn = 0; turn < 3; ++turn) {
    EXPECT_EQ(PlayTurn(9, turn, turn == 0 ? rename : std::function<void(CNetSession&)>{}), turn);
    // The turn file: the turn played, then what was sent, in order and unnumbered.
    const std::string file = box.Read("duel-" + std::to_string(turn) + ".c09");
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(rules_test::FieldAt<std::uint32_t>(bytes, 0), turn);
    std::vector<std::uint16_t> types;
    for (std::size_t at = 4; at + 4 <= bytes.size();) {
      const std::uint32_t n = rules_test::FieldAt<std::uint32_t>(bytes, at);
      ASSERT_LE(at + 4 + n, bytes.size());
      types.push_back(rules_test::Word(bytes, at + 4));
      EXPECT_EQ(rules_test::FieldAt<std::uint32_t>(bytes, at + 8), 0u);
      at += 4 + n;
    }
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), turn == 0 ? PKT_CHAPTER_NAME : PKT_PLAYER_NAME);
    EXPECT_EQ(PlayTurn(17, turn), turn);
    ASSERT_TRUE(ProcessEmailTurn(folder, "duel.esv", log));
    EXPECT_NE(ServerLog().find("turn " + std::to_string(turn) + " processed with 2 turn files"), std::string::npos)
        << ServerLog();
  }
  // The fourth turn's input carries what the others did: the rename reached the other player.
  std::string seen;
  EXPECT_EQ(PlayTurn(17, 3, [&](CNetSession&) { seen = g_gameData->guildList->GetChapter(9)->GetName(); }), 3u);
  EXPECT_EQ(seen, "Nine Wolves");
}

TEST_F(EmailGame, AnInputFileWithoutItsHeaderOrAGameToReplayIntoIsClosed) {
  const auto write = [](const std::string& name, std::span<const std::uint8_t> bytes) {
    plat::FILE* fp = plat::fopen(EmailInputFileName(name).c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    if (!bytes.empty()) plat::fwrite(bytes.data(), 1, bytes.size(), fp);
    plat::fclose(fp);
  };
  CNetSession session(std::make_unique<CHvMulti>());
  for (const std::size_t size : {0, 3}) {
    session.emailGameName = "empty-" + std::to_string(size) + ".s09";
    write(session.emailGameName, std::vector<std::uint8_t>(size, 0x11));
    EXPECT_EQ(ReadEmailInputFile(session, 9), 9);
    EXPECT_EQ(session.emailInput, nullptr) << size;
    EXPECT_EQ(session.emailHeader, 0u);
  }

  // A later turn whose saved state is missing: the input is given up with the turn.
  session.emailGameName = "lost-4.s09";
  const std::array<std::uint8_t, 4> turnFour{4, 0, 0, 0};
  write(session.emailGameName, turnFour);
  EXPECT_EQ(ReadEmailInputFile(session, 9), 9);
  ASSERT_NE(session.emailInput, nullptr);
  EXPECT_FALSE(ProcessEmailTurn(session));
  EXPECT_EQ(session.emailInput, nullptr);
}

// A first input whose record is cut short, or that brings no world at all,
// and a later one damaged after its good records: the player is told and no
// turn is played, where an input that ends cleanly plays on.
TEST_F(EmailGame, ADamagedInputOrOneWithoutAWorldIsToldAndNotPlayed) {
  ASSERT_TRUE(CreateEmailGame(folder, "torn", 5, log));
  const std::vector<std::string>& boxes = shell.boxes;
  const std::string good = box.Read("torn-0.s09");
  const auto play = [&](const std::string& name, const std::string& bytes) {
    plat::FILE* fp = plat::fopen(EmailInputFileName(name).c_str(), "wb");
    EXPECT_NE(fp, nullptr);
    plat::fwrite(bytes.data(), 1, bytes.size(), fp);
    plat::fclose(fp);
    CNetSession session(std::make_unique<CHvMulti>());
    session.emailMode = 1;
    session.emailGameName = name;
    shell.session = &session;
    EXPECT_EQ(ReadEmailInputFile(session, 9), 9);
    delete g_gameData;
    g_gameData = new CGameData(9, 8);
    AttachSessionLinks(&session);
    const bool played = ProcessEmailTurn(session);
    EXPECT_EQ(session.emailInput, nullptr) << name;
    AttachSessionLinks(nullptr);
    shell.session = nullptr;
    return played;
  };
  // The header and the turn alone: no world to play in.
  EXPECT_FALSE(play("bare-0.s09", good.substr(0, 8)));
  EXPECT_EQ(boxes, std::vector<std::string>{"EMAILERR"});
  // The whole start, then a record longer than any packet.
  const std::string tooLong("\xFF\xFF\x00\x00\x0D\x00", 6);
  EXPECT_FALSE(play("long-0.s09", good + tooLong));
  // The start cut inside its last record.
  EXPECT_FALSE(play("cut-0.s09", good.substr(0, good.size() - 3)));
  EXPECT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(play("whole-0.s09", good));
  EXPECT_EQ(boxes.size(), 3u);
  EXPECT_NE(g_gameData->solarDB.GetAsteroid(0), nullptr);
}

}  // namespace
