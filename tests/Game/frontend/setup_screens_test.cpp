// The set-up screens run inside the front end of a real application on the
// headless backend, answered by queued input; the packets they lead to are
// caught from the session's file mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CDLoadDlg.h"
#include "Game/frontend/ChapterBoard.h"
#include "Game/frontend/FrontEnd.h"
#include "Game/frontend/ScreenFlow.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "Game/save/SaveGame.h"
#include "hvmulti/HvMTypes.h"
#include "hvmulti/HvMulti.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "tests/Game/app/shell_fixture.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace plat;
using Bytes = std::vector<std::uint8_t>;

struct SetupScreens : shelltest::ShellFixture {
  std::unique_ptr<quentest::ScratchDrive> drive;
  std::vector<Bytes> sent;

  void SetUp() override {
    ShellFixture::SetUp();
    drive = std::make_unique<quentest::ScratchDrive>();
  }
  void TearDown() override {
    drive.reset();
    ShellFixture::TearDown();
  }
  // Runs `body` in the front end of a new application, which then ends.
  void InFrontEnd(const std::function<void(CClntApp&)>& body) {
    shell.screenFlow = [&](CClntApp& app, int) {
      UseRecordingLibrary(true).onSend = [this](std::span<const std::uint8_t> p) {
        sent.emplace_back(p.begin(), p.end());
      };
      body(app);
      return 0;
    };
    EXPECT_EQ(CreateClntApp(program, SW_SHOW, ""), nullptr);
  }
  void Click(int x, int y) { backend->Click(x, y, input::Button::Left, 10); }
  void Key(UINT vk) { backend->PressKey(vk, 5); }
  // Replaces the number of an edit of the configuration.
  void Retype(int x, int y, const char* digits) {
    Click(x, y);
    Key(VK_END);
    for (int i = 0; i < 4; ++i) Key(VK_BACK);
    for (const char* d = digits; *d; ++d) Key(static_cast<UINT>(*d));
  }
  void AnswerOk() { Key(VK_RETURN); }
};

void Put16(Bytes& b, std::size_t at, unsigned v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// The configuration's continue: capture the flag, hours, fast, chaotic, 40
// asteroids typed; the block the game answers the server's 50 with carries
// exactly that, and the front end announces only the chapter count (23) and
// the settings: no configuration nobody asked for.
TEST_F(SetupScreens, TheConfigurationChosenIsThePacketTheServerGets) {
  Bytes held;
  InFrontEnd([&](CClntApp& app) {
    app.ChooseSinglePlayer();
    Click(80, 378);   // capture the flag
    Click(560, 360);  // hours: 60 becomes 60 hours
    Retype(705, 348, "1");
    Click(470, 470);  // fast orbits
    Click(600, 516);  // chaotic yes
    Retype(705, 408, "40");
    Click(400, 555);  // continue
    EXPECT_EQ(RunConfigDlg(app, false, false, app.ConfigToEdit()), 123);
    AnnounceGameSetup(app);
    const auto block = ToBytes(*app.GameConfig());
    held.assign(block.begin(), block.end());
  });
  ASSERT_EQ(sent.size(), 2u);
  Bytes expected(40, 0);
  Put16(expected, 0, 52);
  Put16(expected, 14, 8);
  Put16(expected, 16, 40);
  Put16(expected, 18, 60);  // the 1 typed over the hours' 60 means one hour
  Put16(expected, 20, 1 | 2 | 8);
  Put16(expected, 22, 1000);  // biggest is best is off: its turns are kept
  Put16(expected, 24, 51);
  Put16(expected, 26, 35);
  Put16(expected, 30, 3);
  Put16(expected, 32, 50);
  Put16(expected, 34, 1);
  EXPECT_EQ(held, expected);
  EXPECT_EQ(sent[0][0], 23);
  EXPECT_EQ(sent[0][8], 108);
  EXPECT_EQ(sent[1][0], 53);
  EXPECT_EQ(sent[1].size(), 68u);
}

// Fog of war, starting values and traits as chosen are the settings packet.
TEST_F(SetupScreens, TheSettingsChosenAreThePacketTheServerGets) {
  InFrontEnd([&](CClntApp& app) {
    GameSettingsPacket& s = app.SettingsToEdit();
    Click(680, 194);  // ships never visible
    Click(280, 345);  // all ships scanned
    Click(20, 290);
    EXPECT_EQ(RunFogOfWarDlg(app, s, false), 100);
    Click(650, 337);  // average forces
    Click(250, 290);  // no elliptical orbit
    Click(20, 290);
    EXPECT_EQ(RunStartingDlg(app, s, false), 100);
    Click(222, 109);  // trait 1 released
    Click(641, 230);  // trait 14 at level 1: closed while level 0 is in use
    Click(582, 230);  // trait 14 at level 0
    Click(20, 290);
    EXPECT_EQ(RunTraitsDlg(app, s.traits), 100);
    AnnounceGameSetup(app);
  });
  ASSERT_EQ(sent.size(), 2u);
  Bytes expected(68, 0);
  Put16(expected, 0, 53);
  Put16(expected, 8, 40);
  Put16(expected, 10, 1);
  Put16(expected, 20, 1);  // random system size (not on the screens)
  Put16(expected, 22, 0);
  Put16(expected, 24, 0);  // no elliptical orbit
  Put16(expected, 26, 1);
  Put16(expected, 28, 1);  // average forces
  Put16(expected, 36, 2);  // never
  Put16(expected, 38, 1);  // in asteroidal space (not on the screen)
  Put16(expected, 40, 1);
  Put16(expected, 42, 0);  // all ships scanned
  Put16(expected, 44, 0);
  Put16(expected, 46, 0);
  expected[48 + 8] = 30;
  expected[48 + 14] = 10;
  expected[48 + 17] = 15;
  Put16(expected, 12, 1);  // rated average: the eleven fields sum to 7
  EXPECT_EQ(sent[1], expected);
}

TEST_F(SetupScreens, ANumberOutOfRangeKeepsTheScreenAndPreviousStoresNothing) {
  InFrontEnd([&](CClntApp& app) {
    Retype(705, 408, "39");
    Retype(705, 380, "9");
    Click(400, 555);  // continue: only the chapters' message
    AnswerOk();
    Click(80, 378);  // capture the flag, then previous: nothing stored
    Click(20, 290);
    EXPECT_EQ(RunConfigDlg(app, true, true, app.ConfigToEdit()), 100);
    EXPECT_EQ(app.GameConfig()->asteroids, 150);
    EXPECT_EQ(app.GameConfig()->chapters, 8);
    EXPECT_EQ(app.GameConfig()->victoryConditions, 9);
    // Research sharing 0 is accepted although its message names 1 to 100.
    Retype(708, 497, "0");
    Click(400, 555);
    EXPECT_EQ(RunConfigDlg(app, true, true, app.ConfigToEdit()), 123);
    EXPECT_EQ(app.GameConfig()->researchShared, 0);
  });
}

TEST_F(SetupScreens, FogOfWarChoicesAreWrittenAtOnceUnlessLocked) {
  InFrontEnd([&](CClntApp& app) {
    GameSettingsPacket& s = app.SettingsToEdit();
    s.fowShowInTransit = 2;
    s.fowShowInAsteroidal = 7;
    Click(280, 194);  // ships always visible
    Click(400, 240);  // asteroids after coming in range
    Click(20, 290);   // previous keeps them
    EXPECT_EQ(RunFogOfWarDlg(app, s, false), 100);
    EXPECT_EQ(s.fowShowInTransit, 0);
    EXPECT_EQ(s.fowShowAsteroids, 1);
    EXPECT_EQ(s.fowShowInAsteroidal, 7);
    // Locked: the choices ignore clicks; from the configuration the other
    // set-up screens cannot be reached and play returns there.
    s.word16 = 1;
    Click(680, 194);  // never: locked
    Click(130, 557);  // starting values: greyed in OK mode
    Click(400, 496);  // OK
    EXPECT_EQ(RunFogOfWarDlg(app, s, true), 21);
    EXPECT_EQ(s.fowShowInTransit, 0);
  });
}

TEST_F(SetupScreens, StartingValuesLeaveTheSystemSizeAlone) {
  InFrontEnd([&](CClntApp& app) {
    GameSettingsPacket& s = app.SettingsToEdit();
    s.randomSystemSize = 1;
    Click(500, 394);  // low resources
    Click(650, 280);  // high forces
    Click(100, 370);  // random economic grade
    Click(770, 290);  // main screen
    EXPECT_EQ(RunStartingDlg(app, s, false), 1);
    EXPECT_EQ(s.resourceScale, 2);
    EXPECT_EQ(s.forceScale, 0);
    EXPECT_EQ(s.randomEconomicGrade, 1);
    EXPECT_EQ(s.randomSystemSize, 1);
  });
}

TEST_F(SetupScreens, PreferencesAreSavedOnlyBySave) {
  InFrontEnd([&](CClntApp& app) {
    app.OptionsToEdit().musicLevel = 1;
    app.OptionsToEdit().effectsLevel = 2;
    Click(100, 500);  // music off
    Click(400, 480);  // highest effects
    Click(20, 290);   // previous: nothing saved
    EXPECT_EQ(RunPrefsDlg(app), 100);
    EXPECT_EQ(app.Options().musicLevel, 1);
    EXPECT_EQ(app.Options().effectsLevel, 2);
    Click(100, 500);
    Click(400, 480);
    Click(680, 500);  // speech off
    Click(400, 530);  // save
    EXPECT_EQ(RunPrefsDlg(app), 1);
    EXPECT_EQ(app.Options().musicLevel, 0);
    EXPECT_EQ(app.Options().effectsLevel, 3);
    EXPECT_EQ(app.Options().speech, 0u);
  });
}

TEST_F(SetupScreens, TraitsBeyondTheLimitCannotBePickedAndEveryWayOutStoresThem) {
  InFrontEnd([&](CClntApp& app) {
    auto& traits = app.SettingsToEdit().traits;
    ASSERT_EQ(traits[1], 20);
    Click(222, 84);   // trait 0 at level 0: a fourth, refused
    Click(280, 109);  // trait 1 at level 1: closed while level 0 is in use
    Click(222, 109);  // trait 1 level 0 released
    Click(280, 109);  // now level 1 stays closed: two level-0 traits remain
    Click(20, 290);   // previous stores
    EXPECT_EQ(RunTraitsDlg(app, traits), 100);
    std::array<std::uint8_t, kChapterTraits> expected{};
    expected[8] = 30;
    expected[17] = 15;
    EXPECT_EQ(traits, expected);
    Click(222, 389);  // trait 8 released
    Click(580, 362);  // trait 17 released: nothing chosen
    Click(345, 134);  // trait 2 at level 2
    Click(590, 80);   // trait 10 at level 0: closed by the level-2 trait
    Click(400, 496);  // play
    EXPECT_EQ(RunTraitsDlg(app, traits), 21);
    expected = {};
    expected[2] = 60;
    EXPECT_EQ(traits, expected);
  });
}

// Without a server's answers every chapter stays taken: the screen still
// runs its presets, refuses to leave without a chapter and keeps the name
// narrow.
TEST_F(SetupScreens, TheChapterScreenWithoutAnswersKeepsItsRules) {
  char name[32] = "Rangers";
  InFrontEnd([&](CClntApp& app) {
    GameSettingsPacket& s = app.SettingsToEdit();
    ChapterChoice choice;
    choice.chapter = 3;
    choice.name = name;
    Click(140, 81);   // easy: fog of war and the random set-up at their easiest
    Click(660, 81);   // custom: only shows
    Click(400, 496);  // play without a chapter: refused with a message
    Key(VK_RETURN);
    Click(500, 390);  // the name
    Key(VK_END);
    for (int i = 0; i < 7; ++i) Key(VK_BACK);
    for (int i = 0; i < 25; ++i) Key('W');  // unshifted: w
    Click(20, 290);                         // previous
    EXPECT_EQ(RunGuildChapterDlg(app, choice), 100);
    EXPECT_EQ(app.GetDifficulty(1), DIFFICULTY_EASY);
    EXPECT_EQ(s.fowShowInTransit + s.fowAstStartScanned + s.fowShipStartScanned + s.randomSystemSize + s.randomOrbits +
                  s.resourceScale + s.forceScale,
              0);
    EXPECT_EQ(choice.chapter, kNoSelection);
    const std::string typed = name;
    EXPECT_GT(typed.size(), 3u);
    EXPECT_LT(typed.size(), 25u);
    EXPECT_EQ(typed, std::string(typed.size(), 'w'));
  });
  // Asked: whether the settings are fixed, the chapters, nothing claimed.
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0][0], 24);
  EXPECT_EQ(sent[1][0], 23);
  for (const Bytes& p : sent) EXPECT_NE(p[0], 3);
}

// The server program in the library's place: it answers the chapter
// screen's questions at once, with chapter 5 held by another player and a
// claim of chapter 3 refused (somebody got there first).
class FakeServer : public CHvMulti {
 public:
  std::deque<Bytes> waiting;
  std::vector<unsigned> claims;
  unsigned refused = 3;  // the chapter somebody else got first
  int onlyGranted = -1;  // when set, the one chapter granted

  int ReceiveThread() override { return 0; }
  int CheckMessages() override { return static_cast<int>(waiting.size()); }
  int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
             std::uint32_t* extra) override {
    if (waiting.empty()) return HVM_ERR_NOMESSAGE;
    const Bytes p = waiting.front();
    waiting.pop_front();
    std::copy(p.begin(), p.begin() + std::min<std::size_t>(p.size(), *length), buffer);
    *length = static_cast<std::uint32_t>(p.size());
    if (from) *from = kServer;
    if (to) *to = 0;
    if (extra) *extra = 1;
    return HVM_MSG_PACKET;
  }
  std::vector<HvMPlayerInfo> GetPlayers() override { return {HvMPlayerInfo{kServer, true, false, "S", "Server"}}; }
  std::uint32_t GetServerId() override { return kServer; }
  int Send(std::uint32_t, std::uint32_t, const void* data, std::uint32_t length, std::uint8_t, int) override {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (length < 12) return 0;
    const unsigned type = p[0] | p[1] << 8;
    if (type == 24) waiting.push_back(Packet(24, 12));
    if (type == 23) {
      Bytes counts = Packet(23, 12);
      Put16(counts, 8, 8);
      waiting.push_back(counts);
      for (unsigned c = 0; c < 40; ++c)
        waiting.push_back(Name(c, c == 5 ? "Rival" : "Chapter " + std::to_string(c + 1)));
    }
    if (type == 3 && length >= 48) {
      const unsigned chapter = p[8] | p[9] << 8;
      claims.push_back(chapter);
      Bytes answer = Packet(3, 48);
      Put16(answer, 8, chapter);
      const bool granted = onlyGranted >= 0 ? chapter == static_cast<unsigned>(onlyGranted) : chapter != refused;
      answer[44] = granted ? 1 : 0;
      const std::string holder = granted ? "" : "Late Comer";
      std::copy(holder.begin(), holder.end(), answer.begin() + 12);
      waiting.push_back(answer);
    }
    return 0;
  }

 private:
  static constexpr std::uint32_t kServer = 7;
  static Bytes Packet(unsigned type, std::size_t size) {
    Bytes b(size, 0);
    Put16(b, 0, type);
    return b;
  }
  static Bytes Name(unsigned chapter, const std::string& name) {
    Bytes b = Packet(25, 48);
    Put16(b, 8, chapter);
    b[12] = chapter == 5 ? 1 : 0;
    std::copy(name.begin(), name.end(), b.begin() + 16);
    return b;
  }
};

TEST_F(SetupScreens, ARefusedClaimIsSaidAndAnotherChapterCanBeClaimed) {
  char name[32] = "Rangers";
  FakeServer* server = nullptr;
  InFrontEnd([&](CClntApp& app) {
    g_session->fileSendMode = 0;
    auto fake = std::make_unique<FakeServer>();
    server = fake.get();
    g_session->queue = std::make_unique<CPacketQueue>(fake.get(), 5);
    g_session->multi = std::move(fake);
    ChapterChoice choice;
    choice.chapter = 3;
    choice.name = name;
    Click(583, 275);  // chapter 5: another player's, closed
    Click(400, 496);  // play with chapter 3: refused
    Key(VK_RETURN);   // "That chapter is already chosen"
    Click(400, 496);  // no chapter selected any more
    Key(VK_RETURN);   // "You must select a chapter"
    Click(425, 275);  // chapter 4
    Click(400, 496);  // granted: the screen ends
    EXPECT_EQ(RunGuildChapterDlg(app, choice), 21);
    EXPECT_EQ(choice.chapter, 4);
    EXPECT_EQ(choice.chaptersPerGuild, 8);
    EXPECT_EQ(server->claims, (std::vector<unsigned>{3, 4}));
    g_session->queue.reset();
  });
}

// A chapter found for the player tries every chapter number in turn: with
// fewer than eight chapters a guild the numbers leave gaps, so the free one
// may lie far above five times the guild size.
TEST_F(SetupScreens, AChapterFoundForThePlayerMayLieInTheLastGuild) {
  FakeServer* server = nullptr;
  InFrontEnd([&](CClntApp& app) {
    g_session->fileSendMode = 0;
    auto fake = std::make_unique<FakeServer>();
    server = fake.get();
    server->onlyGranted = 33;
    g_session->queue = std::make_unique<CPacketQueue>(fake.get(), 5);
    g_session->multi = std::move(fake);
    ChapterChoice choice;
    choice.chapter = 255;
    choice.chaptersPerGuild = 4;
    EXPECT_EQ(RunGuildChapterDlg(app, choice), 21);
    EXPECT_EQ(choice.chapter, 33);
    EXPECT_EQ(server->claims.size(), 34u);
    // Nothing granted at all: every number once, then the message and the title.
    server->onlyGranted = 40;
    server->claims.clear();
    Key(VK_RETURN);
    choice.chapter = 255;
    EXPECT_EQ(RunGuildChapterDlg(app, choice), 1);
    EXPECT_EQ(choice.chapter, 255);
    EXPECT_EQ(server->claims.size(), 40u);
    g_session->queue.reset();
  });
}

// Saved games in the scratch drive's save folder (its root), with their
// times.
struct LoadScreen : SetupScreens {
  void Save(const std::string& name, int age) {
    // A header: version 2, identifier, turn 7, guild 1, the server's file.
    std::string bytes{'\x02', 1, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 4};
    bytes += "a.svr";
    bytes.push_back('\0');
    drive->Write(name, bytes);
    std::filesystem::last_write_time(drive->Host(name),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(age));
  }
};

TEST_F(LoadScreen, TheNewestIsFirstAndDeletingAsksAndTakesTheServersFileAlong) {
  Save("old.clt", 30);
  Save("new.clt", 1);
  Save("tie_b.clt", 5);
  Save("tie_a.clt", 5);
  drive->Write("broken.clt", "x");
  std::filesystem::last_write_time(drive->Host("broken.clt"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(40));
  drive->Write("new.svr", "server");
  drive->Write("ab.c", "not listed");
  InFrontEnd([&](CClntApp& app) {
    LoadChoice choice;
    Click(560, 358);  // load: the newest is selected
    EXPECT_EQ(RunLoadDlg(app, choice), 1);
    EXPECT_EQ(choice.fileName, "new.clt");
    // Delete, answered No: nothing goes. Then Yes.
    Click(560, 440);
    Click(263 + 157 + 35, 229 + 108 + 17);
    Click(560, 440);
    Click(263 + 47 + 35, 229 + 108 + 17);
    Click(560, 358);
    EXPECT_EQ(RunLoadDlg(app, choice), 1);
    // Files of the same time follow in name order.
    EXPECT_EQ(choice.fileName, "tie_a.clt");
    EXPECT_TRUE(std::filesystem::exists(drive->Host("broken.clt")));
    EXPECT_FALSE(std::filesystem::exists(drive->Host("new.clt")));
    EXPECT_FALSE(std::filesystem::exists(drive->Host("new.svr")));
    EXPECT_TRUE(std::filesystem::exists(drive->Host("tie_b.clt")));
  });
}

TEST_F(LoadScreen, ScenariosCannotBeDeletedAndCancelChoosesNothing) {
  drive->Write("first.scn", "s");
  InFrontEnd([&](CClntApp& app) {
    LoadChoice choice;
    Click(560, 525);  // scenarios
    Click(560, 440);  // delete: disabled
    Click(560, 358);
    EXPECT_EQ(RunLoadDlg(app, choice), 1);
    EXPECT_EQ(choice.mode, LOAD_SCENARIOS);
    EXPECT_EQ(choice.fileName, "first.scn");
    EXPECT_TRUE(std::filesystem::exists(drive->Host("first.scn")));
    Click(560, 400);  // cancel
    EXPECT_EQ(RunLoadDlg(app, choice), 2);
    EXPECT_EQ(choice.fileName, "");
  });
}

// In a game the load screen is a window over the view in the guild's art;
// a chosen file that cannot be read is named and the screen comes back.
TEST_F(LoadScreen, InAGameAnUnreadableChoiceIsRefusedAndTheScreenComesBack) {
  Save("good.clt", 2);
  drive->Write("broken.clt", "x");
  InFrontEnd([&](CClntApp&) {
    StartGame(21);
    constexpr int kLeft = 26, kTop = 96;
    Click(kLeft + 100, kTop + 330);  // load: the newest, unreadable
    Key(VK_RETURN);                  // its message
    Click(kLeft + 440, kTop + 258);  // delete it, answered Yes
    Click(263 + 47 + 35, 229 + 108 + 17);
    EXPECT_EQ(AnswerLoadRequest(LOAD_SAVED_GAMES), 0);
    EXPECT_TRUE(std::filesystem::exists(drive->Host("broken.clt")));
    Click(kLeft + 440, kTop + 258);
    Click(263 + 47 + 35, 229 + 108 + 17);
    Click(kLeft + 470, kTop + 330);  // cancel
    EXPECT_EQ(AnswerLoadRequest(LOAD_SAVED_GAMES), 2);
    EXPECT_FALSE(std::filesystem::exists(drive->Host("broken.clt")));
    EXPECT_TRUE(std::filesystem::exists(drive->Host("good.clt")));
    DestroyGame();  // the front end then ends without a game
  });
}

}  // namespace
