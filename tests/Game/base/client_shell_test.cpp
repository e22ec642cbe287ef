// The core's shell without a program answers so that the core runs on its
// own: questions answered yes, nothing heard without a window, no e-mail
// input, the game's own chapter; a registered shell is reached until it goes.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Game/base/ClientShell.h"
#include "Game/base/PacketSink.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"

namespace {

TEST(ClientShell, WithoutAProgramTheCoreIsAnsweredAsIfAlone) {
  IClientShell& shell = ClientShell();
  EXPECT_TRUE(shell.AskInPlay("LOADGMYN"));
  EXPECT_TRUE(shell.GameConfigBlock().empty());
  EXPECT_FALSE(shell.LobbyLaunch());
  EXPECT_EQ(shell.HandlerChapterId(9), 9);
  std::array<std::uint8_t, 16> buffer{};
  std::uint32_t length = 7;
  EXPECT_FALSE(shell.NextEmailPacket(buffer, &length));
  EXPECT_EQ(length, 7u);
  // Packets are handled only while a window hears what they tell.
  EXPECT_FALSE(shell.HearsSession(nullptr));
  EXPECT_TRUE(shell.HearsSession(reinterpret_cast<plat::HWND>(&buffer)));
}

// Saves and loads without a program: no block of its own (done at once), no
// name chosen, the chapter the caller falls back on, and nothing sent.
TEST(ClientShell, WithoutAProgramASaveHasNoApplicationBlockAndSendsNothing) {
  IClientShell& shell = ClientShell();
  EXPECT_EQ(shell.SaveAppState(nullptr), 1);
  EXPECT_EQ(shell.LoadAppState(nullptr), 1);
  std::string name = "kept";
  EXPECT_FALSE(shell.ChooseSaveName(&name));
  EXPECT_EQ(name, "kept");
  EXPECT_TRUE(shell.AskYesNo("SAVEYSNO", "a.clt"));
  EXPECT_EQ(shell.AppChapterId(17), 17);
  EXPECT_STREQ(shell.PlayerName(), "");
  std::array<std::uint8_t, 12> packet{1, 2, 3};
  PacketSink().SendToAll(packet);
  EXPECT_EQ(packet[0], 1);
  {
    quentest::RecordingSink sink;
    PacketSink().SendToAll(packet);
    EXPECT_EQ(sink.toAll, (std::vector<std::vector<std::uint8_t>>{{packet.begin(), packet.end()}}));
  }
  EXPECT_EQ(dynamic_cast<quentest::RecordingSink*>(&PacketSink()), nullptr);  // gone: the default again
}

// Without a program there is no front end to run (the application then says
// so itself), no load the player could choose, and the e-mail turn file's
// packets go nowhere.
TEST(ClientShell, WithoutAProgramNoFrontEndRunsAndNoLoadIsChosen) {
  IClientShell& shell = ClientShell();
  EXPECT_EQ(shell.RunScreenFlow(1), std::nullopt);
  EXPECT_EQ(shell.AnswerLoadRequest(1), 2);
  std::array<std::uint8_t, 8> packet{7};
  PacketSink().WriteEmailPacket(packet, -1);
  {
    quentest::RecordingSink sink;
    PacketSink().WriteEmailPacket(packet, -1);
    EXPECT_EQ(sink.emailed, (std::vector<std::vector<std::uint8_t>>{{packet.begin(), packet.end()}}));
    EXPECT_TRUE(sink.sent.empty());
  }
}

TEST(ClientShell, ARegisteredShellIsAskedUntilItGoes) {
  {
    quentest::RecordingShell recorder;
    recorder.answers = {false};
    recorder.chapter = 3;
    EXPECT_EQ(&ClientShell(), &recorder);
    EXPECT_FALSE(ClientShell().AskInPlay("RSTRTGYN"));
    EXPECT_TRUE(ClientShell().AskInPlay("RSTRTGYN"));  // the script ran out: yes
    EXPECT_EQ(ClientShell().HandlerChapterId(9), 3);
    ClientShell().ShowTextBox("ERRWRITE", "replay.dat");
    ClientShell().ShowTextBox("SAVEFAIL", nullptr);
    EXPECT_EQ(recorder.asked, (std::vector<std::string>{"RSTRTGYN", "RSTRTGYN"}));
    EXPECT_EQ(recorder.boxes, (std::vector<std::string>{"ERRWRITE replay.dat", "SAVEFAIL"}));
  }
  // Gone, the default answers again.
  EXPECT_TRUE(ClientShell().AskInPlay("RSTRTGYN"));
  EXPECT_EQ(ClientShell().HandlerChapterId(9), 9);
}

}  // namespace
