// The server program's start forms, read and run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "Game/base/Packets.h"
#include "server/SrvCommandLine.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_packets.h"
#include "tests/server/srv_test_rules.h"
#include "tests/server/srv_test_support.h"

namespace {

int RunServer(const ScratchFolder& folder, const std::string& argument) {
  const std::string command = "cd '" + folder.dir.string() + "' && '" + ServerPath() + "' '" + argument + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(SrvCommandLine, ReadsTheThreeStartsAndRefusesTheRest) {
  auto read = [](std::vector<std::string> args) { return ParseServerCommandLine(args); };
  EXPECT_EQ(read({}).mode, SrvStartMode::Library);
  EXPECT_EQ(read({"lobby-argument"}).mode, SrvStartMode::Library);
  const SrvStart create = read({"-En:Big_Game-0 HVSCS"});
  EXPECT_EQ(create.mode, SrvStartMode::EmailCreate);
  EXPECT_EQ(create.name, "Big_Game");
  EXPECT_EQ(read({"-En:Big_Game-0", "HVSCS"}).name, "Big_Game") << "a shell's split reads the same";
  const SrvStart turn = read({"-Em:Big_Game.c05 HVSCS"});
  EXPECT_EQ(turn.mode, SrvStartMode::EmailTurn);
  EXPECT_EQ(turn.name, "Big_Game.c05");
  for (const char* bad : {"-En:Big_Game HVSCS", "-En:Big_Game-0", "-En:-0 HVSCS", "-En:../up-0 HVSCS",
                          "-Em:C:\\x.c01 HVSCS", "-Em:a/b.c01 HVSCS", "-X"})
    EXPECT_EQ(read({bad}).mode, SrvStartMode::Invalid) << bad;
}

TEST(SrvProgram, CreatesAnEmailGameWithAnInputFilePerChapterAndSaysSoInItsExitCode) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  ASSERT_EQ(RunServer(folder, "-En:Mail_Game-0 HVSCS"), 1) << folder.Log();
  EXPECT_TRUE(std::filesystem::exists(folder.dir / "Mail_Game.esv"));
  for (int c : {0, 7, 8, 39}) {
    char name[32];
    std::snprintf(name, sizeof name, "Mail_Game-0.s%02d", c);
    const auto bytes = ReadAll(folder.dir / name);
    ASSERT_GE(bytes.size(), 8u) << name;
    EXPECT_EQ(ReadU32(bytes, 0), 0xFFFFFFFEu);
    EXPECT_EQ(ReadU32(bytes, 4), 0u);
    std::vector<std::uint16_t> types;
    std::size_t at = 8;
    while (at + 4 <= bytes.size()) {
      const std::uint32_t n = ReadU32(bytes, at);
      ASSERT_LE(at + 4 + n, bytes.size());
      ASSERT_LE(n, kMaxPacketSize);
      const std::span<const std::uint8_t> packet(bytes.data() + at + 4, n);
      types.push_back(ReadU16(packet, 0));
      EXPECT_EQ(ReadU32(packet, 4), 0u) << "e-mail packets are unnumbered";
      at += 4 + n;
    }
    EXPECT_EQ(at, bytes.size());
    ASSERT_FALSE(types.empty());
    ASSERT_GE(types.size(), 2u);
    EXPECT_EQ(types[1], PKT_SOLAR_SYSTEM) << "behind the waiting room's end";
    EXPECT_EQ(types.back(), PKT_START);
    EXPECT_EQ(std::count(types.begin(), types.end(), PKT_ASTEROID_WITH_ZONES), 150);
  }

  // Chapter 8's player names its chapter and ends turn 0; chapter 16's file is of another turn.
  // The files of a turn carry it in their names: the client finds its saved state by them.
  auto writeTurnFile = [&](const char* name, std::uint32_t turn, std::vector<std::uint8_t> packet) {
    std::ofstream f(folder.dir / name, std::ios::binary);
    const std::uint32_t n = static_cast<std::uint32_t>(packet.size());
    f.write(reinterpret_cast<const char*>(&turn), 4);
    f.write(reinterpret_cast<const char*>(&n), 4);
    f.write(reinterpret_cast<const char*>(packet.data()), n);
  };
  const std::vector<std::uint8_t> name = Pkt<44>(PKT_PLAYER_NAME).U16(8, 8).Text(10, 32, "Mailers");
  writeTurnFile("Mail_Game-0.c08", 0, name);
  writeTurnFile("Mail_Game-0.c16", 5, name);
  writeTurnFile("Mail_Game.c00", 0, name);
  ASSERT_EQ(RunServer(folder, "-Em:Mail_Game-0.c08 HVSCS"), 1) << folder.Log();
  const auto results = ReadAll(folder.dir / "Mail_Game-1.s08");
  ASSERT_GE(results.size(), 4u);
  EXPECT_EQ(ReadU32(results, 0), 0u) << "the turn resolved";
  std::vector<std::uint16_t> types;
  for (std::size_t at = 4; at + 4 <= results.size(); at += 4 + ReadU32(results, at))
    types.push_back(ReadU16(std::span(results).subspan(at + 4), 0));
  ASSERT_GE(types.size(), 5u);
  EXPECT_EQ(std::vector<std::uint16_t>(types.begin(), types.begin() + 4),
            (std::vector<std::uint16_t>{PKT_TURN_PROCESSING, 551, 505, 507}));
  EXPECT_EQ(types.back(), PKT_TURN_RESULTS);
  EXPECT_EQ(ReadU32(ReadAll(folder.dir / "Mail_Game.esv"), 13), 1u) << "the server file is at turn 1";
  const std::string log = folder.Log();
  EXPECT_NE(log.find("Mail_Game-0.c16: not a turn file of turn 0"), std::string::npos) << log;
  EXPECT_NE(log.find("turn 0 processed with 1 turn files"), std::string::npos) << log;
  // The host's process screen names the server file; turn 1's files are then read.
  writeTurnFile("Mail_Game-1.c08", 1, name);
  ASSERT_EQ(RunServer(folder, "-Em:Mail_Game.esv HVSCS"), 1) << folder.Log();
  EXPECT_NE(folder.Log().find("turn 1 processed with 1 turn files"), std::string::npos) << folder.Log();
  EXPECT_EQ(ReadU32(ReadAll(folder.dir / "Mail_Game-2.s08"), 0), 1u);
  EXPECT_EQ(RunServer(folder, "-Em:No_Game.c00 HVSCS"), 0);
  // A start the server cannot read is refused on the console and in the log.
  EXPECT_EQ(RunServer(folder, "-En:../Mail_Game-0 HVSCS"), 2);
  EXPECT_EQ(RunServer(folder, "-Z"), 2);
  EXPECT_NE(folder.Log().find("unknown start"), std::string::npos) << folder.Log();
}

TEST(SrvProgram, AnEmailGameTakesTheSetUpTheEmailScreenLeftBehind) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  std::ofstream(folder.dir / "Small_Game-eminfo.dat")
      << "NumberOfChapters: 2\nNumberOfAsteroids: 30\nOrbitSpeed: x\nNoSuchKey: 4\nChapterTrait: 25 9\n";
  ASSERT_EQ(RunServer(folder, "-En:Small_Game-0 HVSCS"), 1) << folder.Log();
  EXPECT_TRUE(std::filesystem::exists(folder.dir / "Small_Game-0.s09"));
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "Small_Game-0.s02")) << "two chapters per guild";
  const auto bytes = ReadAll(folder.dir / "Small_Game-0.s00");
  int asteroids = 0;
  for (std::size_t at = 8; at + 4 <= bytes.size(); at += 4 + ReadU32(bytes, at))
    asteroids += ReadU16(std::span(bytes).subspan(at + 4), 0) == PKT_ASTEROID_WITH_ZONES ? 1 : 0;
  EXPECT_EQ(asteroids, 30);
  EXPECT_NE(folder.Log().find("2 set-up values"), std::string::npos) << folder.Log();
}

// Every chapter of an e-mail game is a player's, so no computer chapter opens
// research for the guild: what a player allocates has to. Its research page
// carries gauges only for researched items, and their allocation works on
// the next of their line.
TEST(SrvProgram, AnEmailPlayersAllocationToAResearchedItemResearchesWhatImprovesOnIt) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  std::ofstream(folder.dir / "Lab_Game-eminfo.dat") << "NumberOfChapters: 2\nNumberOfAsteroids: 30\n";
  ASSERT_EQ(RunServer(folder, "-En:Lab_Game-0 HVSCS"), 1) << folder.Log();
  // Chapter 8 (guild 1, slot 0): the power cell (module 3) at the full, the hauler (hull 0) at half.
  const std::vector<std::vector<std::uint8_t>> packets = {
      Pkt<16>(PKT_MODULE_ALLOCATION).U8(8, 0).U16(10, 3).U16(12, 100),
      Pkt<16>(PKT_HULL_ALLOCATION).U16(8, 1).U8(10, 0).U16(12, 0).U16(14, 50)};
  auto play = [&](std::uint32_t turn, bool allocate) {
    std::ofstream f(folder.dir / ("Lab_Game-" + std::to_string(turn) + ".c08"), std::ios::binary);
    f.write(reinterpret_cast<const char*>(&turn), 4);
    for (const auto& p : allocate ? packets : std::vector<std::vector<std::uint8_t>>{}) {
      const std::uint32_t n = static_cast<std::uint32_t>(p.size());
      f.write(reinterpret_cast<const char*>(&n), 4);
      f.write(reinterpret_cast<const char*>(p.data()), n);
    }
    f.close();
    ASSERT_EQ(RunServer(folder, "-Em:Lab_Game.esv HVSCS"), 1) << folder.Log();
  };
  // What the next turn's input file of `chapter` tells of research: type, index, points.
  auto research = [&](std::uint32_t turn, int chapter) {
    char name[32];
    std::snprintf(name, sizeof name, "Lab_Game-%u.s%02d", turn, chapter);
    const auto bytes = ReadAll(folder.dir / name);
    std::vector<std::array<std::uint16_t, 3>> told;
    for (std::size_t at = 4; at + 4 <= bytes.size(); at += 4 + ReadU32(bytes, at)) {
      const auto p = std::span(bytes).subspan(at + 4, ReadU32(bytes, at));
      const std::uint16_t type = ReadU16(p, 0);
      if (type == PKT_MODULE_RESEARCH || type == PKT_HULL_RESEARCH)
        told.push_back({type, ReadU16(p, 8), ReadU16(p, 10)});
      else if (type == PKT_MODULE_RESEARCH_DONE || type == PKT_HULL_RESEARCH_DONE)
        told.push_back({type, ReadU16(p, 8), 0});
    }
    return told;
  };
  using Told = std::vector<std::array<std::uint16_t, 3>>;
  play(0, true);
  const Told first = {{PKT_MODULE_RESEARCH, 5, 2000}, {PKT_HULL_RESEARCH, 1, 1000}};
  EXPECT_EQ(research(1, 8), first) << "the reactor and the cruiser";
  EXPECT_EQ(research(1, 9), first) << "the guild mate shares it";
  EXPECT_TRUE(research(1, 0).empty()) << "other guilds research their own";
  // The allocation stands: the reactor is done in five turns, the cruiser
  // goes on, and nothing more improves on the reactor.
  for (std::uint32_t t = 1; t < 5; ++t) play(t, false);
  const Told last = {{PKT_MODULE_RESEARCH_DONE, 5, 0}, {PKT_HULL_RESEARCH, 1, 5000}};
  EXPECT_EQ(research(5, 8), last);
  play(5, false);
  const Told after = {{PKT_HULL_RESEARCH, 1, 6000}};
  EXPECT_EQ(research(6, 8), after);
}
