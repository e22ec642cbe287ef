#include <gtest/gtest.h>

#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "tests/Game/save/save_fixture.h"
#include "tests/support/file_size_limit.h"

namespace {

using quentest::FileSizeLimit;
using save_test::SaveFixture;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(SaveFixture, ASaveLoadsBackIntoTheSameGameWithItsViewsAndReplays) {
  StartGame();
  box.Write("12.rpl", std::string("\x01\x09\xFF\x0C\x00rest", 9));
  box.Write("old.rpl", std::string("\xFF\xFF\xFF\xFF", 4));
  box.Write("x.trp", std::string("\x05\x00terrain", 9));
  const auto before = ModelBytes();
  ASSERT_TRUE(SaveOwn("midgame"));
  EXPECT_TRUE(boxes.empty());

  // The other players and the server are told to save the same game.
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].size(), kSavePacketSize);
  EXPECT_EQ(rules_test::Word(sent[0], 0), PKT_SAVE_GAME);
  EXPECT_STREQ(reinterpret_cast<const char*>(sent[0].data() + 8), "midgame.svr");
  const std::uint32_t identifier = rules_test::FieldAt<std::uint32_t>(sent[0], 264);
  EXPECT_EQ(identifier >> 16, 22u);
  EXPECT_EQ(rules_test::Word(sent[0], 268), 9);

  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader("midgame", &header));
  EXPECT_EQ(header.version, 2);
  EXPECT_EQ(header.identifier, identifier);
  EXPECT_EQ(header.turn, 22u);
  EXPECT_EQ(header.guild, 1u);
  EXPECT_EQ(header.serverFile, "midgame.svr");

  // Another game runs when the save is loaded; the replays of that game go.
  StartGame(5, 17);
  for (const char* f : {"12.rpl", "old.rpl", "x.trp"}) std::filesystem::remove(box.Host(f));
  sent.clear();
  // The player asks the others first; the load follows their answer.
  CGameLoader loader = CGameLoader::ForRequest("midgame", LoadPlace::SaveDirectory);
  ASSERT_EQ(loader.Request(), 1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(rules_test::Word(sent[0], 0), PKT_LOAD_REQUEST);
  EXPECT_STREQ(reinterpret_cast<const char*>(sent[0].data() + 8), "midgame.clt");
  EXPECT_EQ(rules_test::FieldAt<std::uint32_t>(sent[0], 264), identifier);
  EXPECT_EQ(rules_test::Word(sent[0], 268), 17);
  sent.clear();
  ASSERT_TRUE(loader.Load());
  EXPECT_EQ(ModelBytes("again.bin"), before);
  EXPECT_EQ(loadedAppState, appState);
  EXPECT_EQ(box.Read("12.rpl"), std::string("\x01\x09\xFF\x0C\x00rest", 9));
  EXPECT_EQ(box.Read("65535.rpl"), std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(box.Read("5.trp"), std::string("\x05\x00terrain", 9));
  // The others load their copies of the same game.
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(rules_test::Word(sent[0], 0), PKT_LOAD_GAME);
  EXPECT_STREQ(reinterpret_cast<const char*>(sent[0].data() + 8), "midgame.svr");
  EXPECT_EQ(rules_test::FieldAt<std::uint32_t>(sent[0], 264), identifier);
}

TEST_F(SaveFixture, AnAutosaveTakesTheNextTurnAndKeepsTheOneBeforeAsItsBackup) {
  StartGame(10);
  ASSERT_TRUE(AutoSave(77));
  EXPECT_EQ(g_gameData->turn, 22u);
  EXPECT_FALSE(Exists("asavebak.clt"));
  const std::string first = box.Read("autosave.clt");
  g_gameData->turn = 23;
  ASSERT_TRUE(AutoSave(78));
  EXPECT_EQ(box.Read("asavebak.clt"), first);

  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader("autosave.clt", &header));
  EXPECT_EQ(header.identifier, 78u);
  EXPECT_EQ(header.turn, 24u);
  ASSERT_TRUE(CGameLoader::ForRequest("autosave", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(g_gameData->turn, 24u);
}

// The player's own save with no name asks the save dialog for one; a
// cancelled dialog (or none at all) saves nothing and tells nobody.
TEST_F(SaveFixture, WithoutANameTheSaveDialogChoosesOneAndCancelSavesNothing) {
  StartGame();
  EXPECT_FALSE(SaveGame({}, nullptr));
  shell.saveNames = {".hidden"};
  EXPECT_FALSE(SaveGame({}, nullptr));
  EXPECT_TRUE(sent.empty());
  shell.saveNames = {"chosen.clt"};
  ASSERT_TRUE(SaveOwn(nullptr));
  EXPECT_TRUE(Exists("chosen.clt"));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(sent[0].data() + 8), "chosen.svr");
}

// The quick start goes back to the game the player last saved: only the
// player's own save that was written is told, under its file name, not the
// saves other players ask for nor the autosave.
TEST_F(SaveFixture, OnlyThePlayersOwnWrittenSaveIsToldAsTheGameToGoBackTo) {
  StartGame(6);
  const std::vector<std::string>& told = shell.ownSaves;
  ASSERT_TRUE(SaveOwn("my game"));
  ASSERT_TRUE(AutoSave(5));
  std::vector<std::uint8_t> request(kSavePacketSize, 0);
  request[0] = PKT_SAVE_GAME;
  const std::string theirs = "theirs.svr";
  std::copy(theirs.begin(), theirs.end(), request.begin() + 8);
  ASSERT_TRUE(SaveGame(request, nullptr));
  EXPECT_FALSE(SaveGame({}, std::string(250, 'n').c_str()));
  EXPECT_EQ(told, std::vector<std::string>{"my game.clt"});
}

// The player's own save stands only with the server's half: one the server
// did not write leaves no half for the load screen to list, and the save of
// that name before it stays whole. Two saves of one name awaiting their
// answers at once each stand aside in a file of its own, settled apart.
TEST_F(SaveFixture, AnOwnSaveTakesItsPlaceOnlyOnceTheServerSavedItsHalf) {
  StartGame(3);
  const SaveOutcome first = SaveGame({}, "pair");
  ASSERT_TRUE(first);
  EXPECT_FALSE(Exists("pair.clt"));
  ASSERT_TRUE(SettleOwnSave(first.file, true));
  const std::string whole = box.Read("pair.clt");
  g_gameData->turn = 30;
  const SaveOutcome refused = SaveGame({}, "pair");
  const SaveOutcome full = SaveGame({}, "full2");
  ASSERT_TRUE(refused && full);
  EXPECT_FALSE(SettleOwnSave(refused.file, false));
  EXPECT_FALSE(SettleOwnSave(full.file, false));
  EXPECT_EQ(box.Read("pair.clt"), whole);
  const auto listed = ListSaveFiles(g_instData.GetSavePath(), "clt", false);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "pair");
  EXPECT_TRUE(ListSaveFiles(g_instData.GetSavePath(), "tmp", true).empty());
  EXPECT_EQ(shell.ownSaves, std::vector<std::string>{"pair.clt"});

  const SaveOutcome older = SaveGame({}, "pair");
  g_gameData->turn = 31;
  const SaveOutcome newer = SaveGame({}, "pair");
  ASSERT_TRUE(older && newer);
  EXPECT_NE(older.file.aside, newer.file.aside);
  ASSERT_TRUE(SettleOwnSave(older.file, true));
  EXPECT_FALSE(SettleOwnSave(newer.file, false));
  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader("pair.clt", &header));
  EXPECT_EQ(header.turn, 30u);
}

TEST_F(SaveFixture, ASaveThatRunsOutOfSpaceLeavesTheOldSaveWhole) {
  StartGame(3);
  ASSERT_TRUE(SaveOwn("keep"));
  const std::string old = box.Read("keep.clt");
  ASSERT_GT(old.size(), 4096u);
  StartGame(200);
  sent.clear();
  {
    FileSizeLimit full(4096);
    EXPECT_EQ(SaveGame({}, "keep").end, SaveOutcome::End::Failed);
    EXPECT_FALSE(AutoSave(1));
  }
  EXPECT_EQ(box.Read("keep.clt"), old);
  EXPECT_TRUE(ListSaveFiles(g_instData.GetSavePath(), "tmp", true).empty());
  EXPECT_TRUE(sent.empty());  // nobody is asked to save what this player could not
  // A file that cannot even be created is told by its name.
  const std::string tooLong(250, 'b');
  const SaveOutcome blocked = SaveGame({}, tooLong.c_str());
  EXPECT_EQ(blocked.end, SaveOutcome::End::CannotCreate);
  EXPECT_EQ(blocked.file.name, tooLong + ".clt");

  // An autosave that cannot back up the one before does not replace it.
  ASSERT_TRUE(AutoSave(2));
  const std::string autosave = box.Read("autosave.clt");
  {
    FileSizeLimit full(1024);
    EXPECT_FALSE(AutoSave(3));
  }
  EXPECT_EQ(box.Read("autosave.clt"), autosave);
}

TEST_F(SaveFixture, DamagedOrShortSavesAreRefusedAndTheRunningGameStays) {
  StartGame(8);
  ASSERT_TRUE(SaveOwn("good"));
  const std::string good = box.Read("good.clt");
  StartGame(4, 21);
  g_gameData->turn = 40;
  const auto running = ModelBytes();
  for (std::size_t cut : {std::size_t{3}, std::size_t{20}, good.size() / 3, good.size() - 40}) {
    box.Write("bad.clt", good.substr(0, cut));
    EXPECT_FALSE(CGameLoader::ForRequest("bad.clt", LoadPlace::SaveDirectory).Load()) << cut;
    ASSERT_NE(g_gameData, nullptr);
    EXPECT_EQ(ModelBytes(), running) << cut;
  }
  std::string flipped = good;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5A);
  const auto validity = good.find('\xFE', 30);
  flipped[validity] = 0;
  box.Write("bad.clt", flipped);
  EXPECT_FALSE(CGameLoader::ForRequest("bad.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(ModelBytes(), running);

  EXPECT_FALSE(CGameLoader::ForRequest("missing.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(boxes.back(), "Cannot open file!");
  EXPECT_EQ(CGameLoader::ForRequest("missing.clt", LoadPlace::SaveDirectory).Request(), 3);
  EXPECT_EQ(ModelBytes(), running);
}

TEST_F(SaveFixture, NamesFromOtherPlayersStayInTheSaveDirectory) {
  StartGame(2);
  std::vector<std::uint8_t> request(kSavePacketSize, 0);
  request[0] = PKT_SAVE_GAME;
  const std::string escape = "..\\..\\evil.svr";
  std::copy(escape.begin(), escape.end(), request.begin() + 8);
  EXPECT_FALSE(SaveGame(request, nullptr));
  EXPECT_FALSE(Exists("evil.clt"));

  const std::string fine = "shared.svr";
  std::fill(request.begin() + 8, request.begin() + 264, 0);
  std::copy(fine.begin(), fine.end(), request.begin() + 8);
  request[264] = 0x44;
  shell.answers = {false};
  ASSERT_TRUE(SaveGame(request, nullptr));
  EXPECT_TRUE(shell.asked.empty());
  SaveHeader header;
  ASSERT_TRUE(ReadSaveHeader("shared.clt", &header));
  EXPECT_EQ(header.identifier, 0x44u);
  EXPECT_TRUE(sent.empty());  // a requested save is not passed on again
  // An existing file is overwritten only when the player agrees.
  EXPECT_FALSE(SaveGame(request, nullptr));
  EXPECT_EQ(shell.asked, std::vector<std::string>{"SAVEYSNO shared.clt"});

  std::vector<std::uint8_t> load(kLoadPacketSize, 0);
  std::copy(escape.begin(), escape.end(), load.begin() + 8);
  EXPECT_FALSE(LoadFromLoadPacket(load));
  EXPECT_FALSE(LoadFromLoadPacket(std::span(load).first(100)));
}

TEST_F(SaveFixture, TheListShowsNewestFirstWithTheBackupBehindItsAutosave) {
  StartGame(2);
  ASSERT_TRUE(SaveOwn("older"));
  ASSERT_TRUE(AutoSave(1));
  ASSERT_TRUE(AutoSave(2));
  box.Write("ab.clt", "not a save");
  // A first-layout header: no turn and guild.
  box.Write("first.clt", std::string("\x01\x05\x00\x00\x00\x04"
                                     "a.svr",
                                     11));
  const auto now = std::chrono::floor<std::chrono::seconds>(std::filesystem::file_time_type::clock::now());
  const auto at = [&](const char* name, int seconds) {
    std::filesystem::last_write_time(box.Host(std::string("") + name), now + std::chrono::seconds(seconds));
  };
  at("older.clt", -50);
  at("asavebak.clt", 10);  // the backup written in the same second as its autosave, or later
  at("autosave.clt", 9);
  // Of the same time: name order, whatever order the directory keeps.
  at("first.clt", -100);
  at("ab.clt", -100);
  const auto list = ListSaveFiles(g_instData.GetSavePath(), "clt", false);
  std::vector<std::string> names;
  for (const auto& e : list) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"autosave", "asavebak", "older", "ab", "first"}));
  EXPECT_TRUE(list[0].hasHeader);
  EXPECT_EQ(list[0].header.turn, 23u);
  EXPECT_TRUE(list[4].hasHeader);
  EXPECT_EQ(list[4].header.identifier, 5u);
  EXPECT_FALSE(list[3].hasHeader);
  EXPECT_GT(list[0].written, list[2].written);

  EXPECT_TRUE(DeleteSaveFile(g_instData.GetSavePath(), "older", "clt"));
  EXPECT_FALSE(Exists("older.clt"));
  EXPECT_FALSE(DeleteSaveFile(g_instData.GetSavePath(), "..\\x", "clt"));
}

TEST_F(SaveFixture, AnEmailClientFileHasNoServerNameAndLoadsInEmailMode) {
  StartGame(6);
  const auto before = ModelBytes();
  ASSERT_TRUE(WriteEmailClientFile("duel-1-09.xyz"));
  const std::string file = box.Read("duel-1-09.ecl");
  ASSERT_GT(file.size(), 16u);
  EXPECT_EQ(rules_test::FieldAt<std::uint32_t>(Bytes(file), 1), kEmailSaveIdentifier);
  EXPECT_EQ(rules_test::Word(Bytes(file), 13), 9);  // the chapter right after the header
  StartGame(1, 3);
  ASSERT_TRUE(CGameLoader::ForEmail("duel-1-09.any").Load());
  EXPECT_EQ(ModelBytes(), before);
  EXPECT_TRUE(sent.empty());
}

}  // namespace
