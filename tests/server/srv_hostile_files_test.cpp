// What a hostile player, a damaged file or a cut in the middle of a write can
// do to the server's folder: saves only to the server's own kind of file and
// in bounded number, a log no player can fill, the autosave switch the
// host's, saves that a damaged byte or a kill leaves refused or whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "server/SrvDurableFile.h"
#include "server/world/SrvWorldSave.h"
#include "tests/server/srv_game_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

constexpr std::uint8_t kSrvFileVersion4 = kSrvFileVersionWithChecksum - 1;

// A saved file of this version as `version` wrote it: its world block without
// the design counters at its end, and a checksum only from the version that
// has one. The world block is the third length-prefixed block; the file ends
// in it, the 40 scores, the end byte and the checksum.
std::string WithoutDesignCounters(const std::string& whole, std::uint8_t version, std::uint32_t designs) {
  constexpr std::size_t kChecksum = 4, kScoresAndEnd = 40 * 4 + 1, kCounters = 2 + 2 + 2 * 2 + 4 * 4;
  std::string body = whole.substr(0, whole.size() - kChecksum);
  const auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(body[at + static_cast<std::size_t>(i)]);
    return v;
  };
  const std::size_t restEnd = body.size() - kScoresAndEnd;
  std::size_t restLength = 0;
  for (std::size_t length = 1; length + 4 <= restEnd && restLength == 0; ++length)
    if (u32(restEnd - length - 4) == length) restLength = length;
  // The counters: the count of designs, then each design's, before the block's end byte.
  const std::size_t cut = 4 + designs * kCounters;
  const std::size_t countAt = restEnd - 1 - cut;
  EXPECT_EQ(u32(countAt), designs);
  body.erase(countAt, cut);
  const std::uint32_t newLength = static_cast<std::uint32_t>(restLength - cut);
  const std::size_t prefix = restEnd - restLength - 4;
  for (int i = 0; i < 4; ++i) body[prefix + static_cast<std::size_t>(i)] = static_cast<char>(newLength >> (8 * i));
  body[4] = static_cast<char>(version);
  if (version < kSrvFileVersionWithChecksum) return body;
  const std::uint32_t sum = SrvChecksum({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()});
  for (int i = 0; i < 4; ++i) body.push_back(static_cast<char>(sum >> (8 * i)));
  return body;
}

std::vector<std::uint8_t> SaveRequest(const std::string& name, std::uint32_t id = 0x10001) {
  return Pkt<272>(PKT_SAVE_GAME).Text(8, 256, name).U32(264, id);
}

// A started game of two players in a folder of its own: 7 the host, 8 a guest.
struct SrvFolderCase : testing::Test {
  fs::path dir = fs::path(testing::TempDir()) / ("srvfiles_" + std::to_string(::getpid()));
  RecordingOutbox out;
  SrvLog log;
  std::unique_ptr<SrvGame> game;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_TRUE(log.Open((dir / "QuenSrvr.log").string()));
    game = std::make_unique<SrvGame>(out, log, nullptr, 21, dir.string() + "/");
    game->SetHost(7);
    StartTestGame(*game, {{7, 0}, {8, 8}}, 1);
  }
  void TearDown() override { fs::remove_all(dir); }
  // The guest's save request: true when the server saved.
  bool GuestSaves(const std::string& name) {
    out.sent.clear();
    return game->Receive(8, SaveRequest(name));
  }
};

}  // namespace

TEST_F(SrvFolderCase, AGuestsSaveNamesOnlyTheServersOwnKindOfFile) {
  WriteText(dir / "victim.clt", "the player's own save");
  WriteText(dir / "foreign.svr", "not a server file");
  const std::string logBefore = ReadText(dir / "QuenSrvr.log");
  for (const std::string name :
       {"victim.clt", "QuenSrvr.log", "foreign.svr", "line\nbreak.svr", "tab\tname.svr", "bell\x07.svr", "../up.svr",
        "sub/x.svr", "c:x.svr", "back\\x.svr", ".svr", "plain", "name.svr.clt"}) {
    EXPECT_FALSE(GuestSaves(name)) << name;
    ASSERT_EQ(out.sent.size(), 1u) << name << ": told it failed, and nothing passed on";
    EXPECT_EQ(out.sent[0].Type(), PKT_SAVE_DONE);
  }
  EXPECT_EQ(ReadText(dir / "victim.clt"), "the player's own save");
  EXPECT_EQ(ReadText(dir / "foreign.svr"), "not a server file");
  EXPECT_EQ(ReadText(dir / "QuenSrvr.log").substr(0, logBefore.size()), logBefore) << "the log is only appended to";
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string file = entry.path().filename().string();
    EXPECT_TRUE(file == "victim.clt" || file == "foreign.svr" || file == "QuenSrvr.log") << file;
  }
  // A server save of the guest's, in either case of the extension, is written and may be written over.
  EXPECT_TRUE(GuestSaves("mine.svr"));
  EXPECT_TRUE(GuestSaves("MINE2.SVR"));
  EXPECT_TRUE(GuestSaves("mine.svr"));
  EXPECT_TRUE(game->Load((dir / "MINE2.SVR").string(), 0x10001));
}

// One player's files are bounded in all, and its saves only far above what a
// player saving in every view meets: a save over one of its files adds none.
TEST_F(SrvFolderCase, OnePlayersSavesAreBoundedPerTurnAndInAll) {
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(GuestSaves("again.svr")) << i;
  for (int files = 1; files < 64; ++files) ASSERT_TRUE(GuestSaves("f" + std::to_string(files) + ".svr")) << files;
  for (int saves = 73; saves < 100; ++saves) ASSERT_TRUE(GuestSaves("again.svr")) << saves;
  EXPECT_FALSE(GuestSaves("again.svr")) << "100 saves a turn";
  ASSERT_EQ(out.Of(8, PKT_SAVE_DONE).size(), 1u) << "told it failed";
  EXPECT_TRUE(game->Receive(7, SaveRequest("host.svr"))) << "the host counts on its own";
  EndTestTurn(*game, {{7, 0}, {8, 8}});
  EXPECT_FALSE(GuestSaves("one_more.svr")) << "64 files in all";
  EXPECT_FALSE(fs::exists(dir / "one_more.svr"));
  EXPECT_TRUE(GuestSaves("again.svr")) << "one of its own files may still be saved over";
}

TEST_F(SrvFolderCase, APlayerCannotFillTheLogAndTheOthersLinesStillGoThere) {
  const auto before = fs::file_size(dir / "QuenSrvr.log");
  const auto status = Pkt<16>(PKT_STATUS).U16(8, 8);
  for (int i = 0; i < 200'000; ++i) game->Receive(8, status);
  const auto grown = fs::file_size(dir / "QuenSrvr.log") - before;
  EXPECT_LE(grown, SrvLog::kMaxBytesPerPlayer + 200);
  EXPECT_GE(grown, SrvLog::kMaxBytesPerPlayer / 2);
  EXPECT_TRUE(game->Receive(7, Pkt<16>(PKT_STATUS).U16(8, 0).U32(12, 4321)));
  EndTestTurn(*game, {{7, 0}, {8, 8}});
  const std::string log = ReadText(dir / "QuenSrvr.log");
  EXPECT_NE(log.find("player 8: its further lines are not logged"), std::string::npos);
  EXPECT_NE(log.find("status of player 7: chapter 0, session open 4321"), std::string::npos);
  EXPECT_NE(log.find("turn 0 resolved"), std::string::npos) << "the turn's lines are nobody's share";

  // A name with a line break in it cannot make a line of its own.
  ASSERT_TRUE(game->Save((dir / "two\nrefused packet 1 from player 7.svr").string(), 0x10001));
  ASSERT_TRUE(game->Receive(
      7, Pkt<276>(PKT_LOAD_GAME).Text(8, 256, "two\nrefused packet 1 from player 7.svr").U32(264, 0x10001)));
  const std::string after = ReadText(dir / "QuenSrvr.log");
  EXPECT_NE(after.find("loaded \"two?refused packet 1 from player 7.svr\""), std::string::npos);
  EXPECT_EQ(after.find("\nrefused packet 1 from player 7"), std::string::npos);
}

TEST_F(SrvFolderCase, OnlyTheHostSwitchesTheAutosave) {
  EXPECT_FALSE(game->Receive(8, Pkt<12>(PKT_AUTOSAVE)));
  EndTestTurn(*game, {{7, 0}, {8, 8}});
  EXPECT_TRUE(fs::exists(dir / "autosave.svr"));
  EXPECT_EQ(out.Count(PKT_AUTOSAVE), 2u);
  ASSERT_TRUE(game->Receive(7, Pkt<12>(PKT_AUTOSAVE)));
  out.sent.clear();
  EndTestTurn(*game, {{7, 0}, {8, 8}});
  EXPECT_EQ(out.Count(PKT_AUTOSAVE), 0u);
}

TEST_F(SrvFolderCase, ASaveWithAnyByteDamagedIsRefusedAndTheGameKept) {
  const std::string path = (dir / "whole.svr").string();
  ASSERT_TRUE(game->Save(path, 0x10001));
  const std::string whole = ReadText(path);
  ASSERT_EQ(static_cast<std::uint8_t>(whole[4]), kSrvFileVersion);
  EndTestTurn(*game, {{7, 0}, {8, 8}});
  // Forty single-byte changes spread over the file, the identifier's aside
  // (another identifier is refused for its own reason).
  int loaded = 0;
  for (int k = 0; k < 40; ++k) {
    std::string damaged = whole;
    std::size_t at = 9 + (damaged.size() - 10) * static_cast<std::size_t>(k) / 40;
    if (k == 0) at = 4;  // the version byte: a file of this version read as an older one
    damaged[at] = static_cast<char>(damaged[at] ^ (k % 2 == 0 ? 0x01 : 0x5A));
    WriteText(dir / "damaged.svr", damaged);
    loaded += game->Load((dir / "damaged.svr").string(), 0x10001) ? 1 : 0;
    EXPECT_EQ(game->World().turn, 1u) << "byte " << at;
  }
  EXPECT_EQ(loaded, 0);
  EXPECT_TRUE(game->Load(path, 0x10001));
  EXPECT_EQ(game->World().turn, 0u);
  // Files of the versions before, without design counters (and the one
  // before that without its checksum), are still read.
  std::uint32_t designs = 0;
  const CGTemplateDB& templates = *game->World().templates;
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot) designs += templates.fixed[c][slot] != nullptr ? 1 : 0;
    designs += templates.extra[c].count;
  }
  for (const std::uint8_t version : {kSrvFileVersionWithoutDesignCounts, kSrvFileVersion4}) {
    WriteText(dir / "older.svr", WithoutDesignCounters(whole, version, designs));
    EndTestTurn(*game, {{7, 0}, {8, 8}});
    EXPECT_TRUE(game->Load((dir / "older.svr").string(), 0x10001)) << int{version};
    EXPECT_EQ(game->World().turn, 0u);
  }
}

TEST_F(SrvFolderCase, AKillDuringASaveLeavesTheOldFileOrTheNewWholeAndTheNextStartClearsTheRest) {
  const std::string path = (dir / "kept.svr").string();
  ASSERT_TRUE(game->Save(path, 0x10001));
  for (int delayUs : {0, 200, 900, 2500, 6000}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) game->Save(path, 0x10001);
    }
    ::usleep(static_cast<useconds_t>(delayUs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(game->Load(path, 0x10001)) << delayUs;
  }
  WriteText(dir / "kept.svr.new", "cut");
  WriteText(dir / "Mail-3.esv.new", "cut");
  WriteText(dir / "Mail-3.s07.new", "cut");
  WriteText(dir / "notes.txt.new", "another program's");
  WriteText(dir / "Mail-3.s07", "kept");
  EXPECT_GE(SrvRemoveStaleTemporaries(dir.string() + "/"), 3);
  EXPECT_FALSE(fs::exists(dir / "kept.svr.new"));
  EXPECT_FALSE(fs::exists(dir / "Mail-3.esv.new"));
  EXPECT_FALSE(fs::exists(dir / "Mail-3.s07.new"));
  EXPECT_TRUE(fs::exists(dir / "notes.txt.new"));
  EXPECT_TRUE(fs::exists(dir / "Mail-3.s07"));
  EXPECT_TRUE(fs::exists(dir / "kept.svr"));
}
