#include "Game/save/ReviewLog.h"

#include <gtest/gtest.h>

#include <set>

#include "Game/model/GAsteroid.h"
#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "platform/core/random.h"
#include "platform/resource/module.h"
#include "tests/Game/save/save_fixture.h"

namespace {

constexpr std::uint32_t kMark = 0xFFFFFFFF;
constexpr std::uint32_t kOwn = (9u << 26) | 1, kAlly = (10u << 26) | 3, kEnemy = (17u << 26) | 2;
constexpr std::uint32_t kStranger = (20u << 26) | 77, kUnseen = (21u << 26) | 5;

// A replay file, written field by field.
class Replay {
 public:
  Replay& U8(std::uint8_t v) { return m_bytes.push_back(static_cast<char>(v)), *this; }
  Replay& U16(std::uint16_t v) { return U8(v & 0xFF).U8(static_cast<std::uint8_t>(v >> 8)); }
  Replay& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(static_cast<std::uint16_t>(v >> 16)); }
  Replay& Header(std::initializer_list<std::uint8_t> chapters, std::uint16_t asteroid) {
    for (std::uint8_t c : chapters) U8(c);
    return U8(0xFF).U16(asteroid);
  }
  Replay& Unit(std::uint32_t id, std::uint32_t presence) {
    U32(id).U32(0).U32(0).U8(2).U8('F').U8('F');
    return U32(presence).U32(0);
  }
  Replay& Shot(std::uint32_t actor, std::uint32_t weapon, std::uint32_t target, std::int16_t chance, bool effective) {
    U32(actor).U32(0).U32(0).U32(7).U32(kMark).U8(101);
    return Body(weapon, target, chance, effective);
  }
  // A further shot by the same unit, nested in the one before.
  Replay& Again(std::uint32_t weapon, std::uint32_t target) { return Code(101).Body(weapon, target, 50, true); }
  Replay& Code(std::uint8_t code) { return U32(kMark).U8(code); }
  Replay& Hit(std::uint8_t code, std::uint16_t kind, std::uint16_t amount) { return Code(code).U16(kind).U16(amount); }
  const std::string& bytes() const { return m_bytes; }

 private:
  Replay& Body(std::uint32_t weapon, std::uint32_t target, std::int16_t chance, bool effective) {
    return U32(weapon).U32(target).U32(static_cast<std::uint16_t>(chance)).U8(effective ? 1 : 0).U32(kMark);
  }
  std::string m_bytes;
};

// Files at and one past each bound of what a battle holds: its units (start
// units, then with a joiner), its movement phases, a wreck list, its length.
std::vector<std::pair<std::string, std::string>> BoundFiles() {
  // Three enemy ships, then own ships.
  auto crowd = [](std::uint32_t units) {
    Replay r;
    r.Header({9, 17}, 4);
    for (std::uint32_t i = 0; i < units; ++i) r.Unit(i < 3 ? kEnemy + i : kOwn + i, 0);
    return r.U32(kMark).Code(11);
  };
  auto two = [] { return std::move(Replay().Header({9, 17}, 4).Unit(kOwn, 0).Unit(kEnemy, 0).U32(kMark)); };
  auto phases = [&](std::uint32_t n) {
    Replay r = two();
    for (std::uint32_t i = 0; i < n; ++i) r.Shot(kOwn, 0, kEnemy, 50, true).U8(102).Code(1);
    return r.Code(11).Code(12).bytes();
  };
  auto wrecks = [&](std::uint32_t n) {
    Replay r = two();
    r.Code(11).Code(3).U32(kEnemy);
    for (std::uint32_t i = 0; i < n; ++i) r.U32(kEnemy).U32(1);
    return r.U32(kMark).U8(10).Code(12).bytes();
  };
  auto length = [&](std::size_t n) {
    std::string bytes = phases(1);
    bytes.resize(n, '\0');
    return bytes;
  };
  const std::uint32_t units = replay::kMostBattleUnits;
  return {
      {crowd(units).Code(12).bytes(), crowd(units + 1).Code(12).bytes()},
      {crowd(units - 1).Code(8).Unit(kAlly, 0).Code(12).bytes(), crowd(units).Code(8).Unit(kAlly, 0).Code(12).bytes()},
      {phases(replay::kMostMovementPhases), phases(replay::kMostMovementPhases + 1)},
      {wrecks(units), wrecks(units + 1)},
      {length(replay::kMostReplayBytes), length(replay::kMostReplayBytes + 1)}};
}

// What the replay view makes of a file: the ships present among those it
// starts with, the shots and phases it reads, and whether it refuses the file.
struct ViewReading {
  bool refused = false;
  std::uint32_t present = 0;
  std::size_t shots = 0;
  int phases = 0;
};

// The view's scene: a unit it never placed has no display object.
class ViewScene : public replay::ReplaySink {
 public:
  void AddUnit(const replay::UnitRecord& unit, bool joined) override {
    units.insert(unit.id);
    if (!joined && unit.a == 0) ++present;
  }
  bool HasUnit(std::uint32_t id) override { return units.count(id) != 0; }
  void MoveUnit(std::uint32_t, const Location&, std::uint32_t) override {}
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    return HasUnit(event.U32(replay::EventRecord::kOwner)) ? 1 : 0;
  }
  void WreckUnit(std::uint32_t) override {}
  void ShotRead(std::uint32_t, const replay::ShotRecord&) override { ++shots; }

  std::set<std::uint32_t> units;
  std::uint32_t present = 0;
  std::size_t shots = 0;
};

class ReviewLogTest : public save_test::SaveFixture {
 protected:
  ReviewLogTest() {
    plat::SetProgramModulePath(std::string(QUEN_TEST_DATA_DIR) + "/review.dll");
    StartGame(0);
    AddUnit(9, kOwn, 4, "Alpha");
    AddUnit(10, kAlly, 4, "Comrade");
    AddUnit(17, kEnemy, 4, "Brute");
    rock = g_gameData->solarDB.GetAsteroid(4)->GetName();
  }
  ~ReviewLogTest() override { plat::SetProgramModulePath("/nonexistent/quenbar.dll"); }

  // The log as text, and the verbs the next shots will use.
  std::string LogOf(int asteroid) {
    std::string text = box.Read(std::to_string(asteroid) + ".tlg");
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
  }
  static std::vector<std::string> Verbs(unsigned seed, int n) {
    static const char* const kVerbs[] = {"shoots", "fires", "discharges"};
    plat::srand(seed);
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.emplace_back(kVerbs[plat::rand() % 3]);
    plat::srand(seed);
    return v;
  }
  std::array<std::uint32_t, 6> Row(int asteroid) const { return g_gameData->reviewLog[asteroid]; }

  // `bytes` read as the replay view reads them: its length first, then every record.
  ViewReading ReadAsTheView(const std::string& bytes) {
    box.Write("view.rpl", bytes);
    plat::FILE* file = plat::fopen(rules_test::Sandbox::Dos("view.rpl").c_str(), "rb");
    EXPECT_NE(file, nullptr);
    ViewReading seen;
    if (file == nullptr) return seen;
    ViewScene scene;
    if (!replay::ReplayFileSizeAllowed(file)) {
      seen.refused = true;
    } else {
      replay::ReplayReader reader(file, scene);
      std::uint16_t asteroid = 0;
      if (reader.ReadPreamble() && reader.ReadAsteroid(asteroid)) {
        reader.ReadStartUnits();
        while (reader.ReadMovementPhase()) ++seen.phases;
        reader.ReadBattleSection();
      }
      seen.refused = reader.refused();
    }
    plat::fclose(file);
    seen.present = scene.present;
    seen.shots = scene.shots;
    return seen;
  }
  // The log of `bytes` as battle 4's, made afresh.
  std::string LogOfReplay(const std::string& bytes) {
    box.Write("4.rpl", bytes);
    std::filesystem::remove(box.Host("4.tlg"));
    EXPECT_EQ(MakeReviewLog(4), 1u);
    return LogOf(4);
  }

  std::string rock;
};

TEST_F(ReviewLogTest, ABattleIsToldShotByShotAndItsShipsCounted) {
  Replay r;
  r.Header({9, 17}, 4).Unit(kOwn, 0).Unit(kAlly, 0).Unit(kEnemy, 0).Unit(kStranger, 1).U32(kMark);
  // Two module hits, hull damage past a byte's range, life support, and the kill.
  r.Shot(kOwn, 0, kEnemy, 70, true).U8(105).U16(0).U16(5).Hit(105, 1, 7).Hit(105, 1253, 200).Hit(105, 1253, 100);
  r.Hit(106, 1254, 4).Code(1);
  // The enemy hits the player's ship, then fires again at once into its shields.
  r.Shot(kEnemy, 1, kOwn, 30, false).U8(105).U16(1253).U16(255).Again(0, kOwn).U8(103).U32(0xFFFF).Code(10);
  r.Shot(kEnemy, 1, kOwn, 30, false).U8(103).U32(1).Code(1);
  // A leech's hit tells of no damage; one that destroys with nothing else reads as a miss.
  r.Shot(kEnemy, 0, kAlly, 10, true).U8(105).U16(1252).U16(3).Code(1);
  r.Shot(kEnemy, 0, kAlly, 10, true).U8(106).U16(1252).U16(3).Code(1);
  r.Shot(kEnemy, 0, kOwn, 30, false).U8(10);  // dropped
  r.Shot(kStranger, 1, kUnseen, -4, false).U8(102).Code(11);
  r.Shot(kOwn, 0, kEnemy, 70, true).U8(102).Code(11);  // after the end
  box.Write("4.rpl", r.bytes());

  const auto verbs = Verbs(5, 7);
  ASSERT_EQ(MakeReviewLog(4), 1u);
  EXPECT_EQ(LogOf(4),
            "Review of battle at " + rock +
                "\nChapters involved:    Chapter 9       Chapter 17       \n"
                "    Chapter 9's Hull 0 'Alpha' " +
                verbs[0] +
                " a Weapon (In effective range with a chance to hit of 70%) "
                "at Chapter 17's Hull 0 'Brute' and does 7 damage to Drive, 5 damage to Weapon, 300 damage to hull "
                "integrity and 4 damage to life support which destroyed the ship.\n"
                "    Chapter 17's Hull 0 'Brute' " +
                verbs[1] +
                " a Weapon (In effective range with a chance to hit of "
                "50%) at Chapter 9's Hull 0 'Alpha' and hits but does not penetrate the shields.\n"
                "    Chapter 17's Hull 0 'Brute' " +
                verbs[2] +
                " a Drive (In maximum range with a chance to hit of 30%) "
                "at Chapter 9's Hull 0 'Alpha' and does minor damage\n"
                "    Chapter 17's Hull 0 'Brute' " +
                verbs[3] +
                " a Drive (In maximum range with a chance to hit of 30%) "
                "at Chapter 9's Hull 0 'Alpha' and does minimal damage but did not penetrate the shield\n"
                "    Chapter 17's Hull 0 'Brute' " +
                verbs[4] +
                " a Weapon (In effective range with a chance to hit of 10%) "
                "at Chapter 10's Hull 0 'Comrade' and hits but does minimal damage.\n"
                "    Chapter 17's Hull 0 'Brute' " +
                verbs[5] +
                " a Weapon (In effective range with a chance to hit of 10%) "
                "at Chapter 10's Hull 0 'Comrade' and misses!\n"
                "    Chapter 20's loyal crew " +
                verbs[6] +
                " a Drive (In maximum range with a chance to hit of 0%) at "
                "Chapter 21's unidentified ship and misses!\nReport Ends");
  // Present: mine, allied, enemy; hit: the player's ship once however often.
  EXPECT_EQ(Row(4), (std::array<std::uint32_t, 6>{1, 2, 1, 1, 1, 1}));

  // Asked again in the same turn: the log and the row stay.
  g_gameData->reviewLog[4][0] = 42;
  box.Write("4.rpl", Replay().Header({}, 4).bytes());
  EXPECT_EQ(MakeReviewLog(4), 1u);
  EXPECT_EQ(Row(4)[0], 42u);
  EXPECT_NE(LogOf(4).find("Report Ends"), std::string::npos);
}

TEST_F(ReviewLogTest, QuietAndResetReplaysSayNoHostileActions) {
  Replay quiet;
  quiet.Header({9}, 6).Unit(kOwn, 0).U32(kMark).Code(1).Shot(kOwn, 5, kEnemy, 1, true).U8(10).Code(11);
  box.Write("6.rpl", quiet.bytes());
  ASSERT_EQ(MakeReviewLog(6), 1u);
  const std::string heading = "Review of battle at " + std::string(g_gameData->solarDB.GetAsteroid(6)->GetName());
  EXPECT_EQ(LogOf(6), heading + "\nChapters involved:    Chapter 9       \n\nNo hostile actions");

  box.Write("6.rpl", std::string(4, '\xFF'));
  std::filesystem::remove(box.Host("6.tlg"));
  ASSERT_EQ(MakeReviewLog(6), 1u);
  EXPECT_EQ(LogOf(6), heading + "\nChapters involved:    \n\nNo hostile actions");
}

// The server's mind weapon hits with the stun's kind; a leech's drain is
// another kind, which the log leaves out of its sentences.
TEST_F(ReviewLogTest, AStunReadsAsAStunnedShipAndALeechAsNoDamage) {
  Replay r;
  r.Header({17}, 5).Unit(kEnemy, 0).Unit(kOwn, 0).U32(kMark);
  r.Shot(kEnemy, 0, kOwn, 40, true).U8(105).U16(replay::kStunModule).U16(3).Code(1);
  r.Shot(kEnemy, 0, kOwn, 40, true).U8(105).U16(replay::kLeechModule).U16(3).Code(11);
  box.Write("5.rpl", r.bytes());
  const auto verbs = Verbs(3, 2);
  ASSERT_EQ(MakeReviewLog(5), 1u);
  const std::string shot = "    Chapter 17's Hull 0 'Brute' ";
  const std::string at = " a Weapon (In effective range with a chance to hit of 40%) at Chapter 9's Hull 0 'Alpha'";
  EXPECT_EQ(LogOf(5), "Review of battle at " + std::string(g_gameData->solarDB.GetAsteroid(5)->GetName()) +
                          "\nChapters involved:    Chapter 17       \n" + shot + verbs[0] + at +
                          " and does minimal damage but stuns the ship\n" + shot + verbs[1] + at +
                          " and hits but does minimal damage.\nReport Ends");
}

TEST_F(ReviewLogTest, MalformedReplaysEndTheirLogAndTablesStayInBounds) {
  // No replay this turn: the old log goes with it.
  box.Write("7.tlg", "last turn's battle");
  EXPECT_EQ(MakeReviewLog(7), 0u);
  EXPECT_FALSE(Exists("7.tlg"));

  // A weapon outside the module table, an abbreviation too long, a missing marker.
  Replay r;
  r.Header({17}, 8).Unit(kEnemy, 0).U32(kStranger).U32(0).U32(0).U8(9);
  r.Shot(kEnemy, 4000, kOwn, 20, true).U8(105).U16(3000).U16(9).Code(1);
  r.U32(kEnemy).U32(0).U32(0).U32(0).U32(0x12345678).U8(101);
  box.Write("8.rpl", r.bytes());
  const auto verbs = Verbs(9, 1);
  ASSERT_EQ(MakeReviewLog(8), 1u);
  EXPECT_EQ(LogOf(8), "Review of battle at " + std::string(g_gameData->solarDB.GetAsteroid(8)->GetName()) +
                          "\nChapters involved:    Chapter 17       \n    Chapter 17's Hull 0 'Brute' " + verbs[0] +
                          " a unknown module (In effective range with a chance to hit of 20%) at Chapter 9's Hull 0 "
                          "'Alpha' and does minimal damage but stuns the ship\nReport Ends");

  // Nested shots without end, and an index past the table.
  Replay deep;
  deep.Header({}, 9).Unit(kEnemy, 0).U32(kMark).Shot(kEnemy, 0, kOwn, 1, true).U8(102);
  for (int i = 0; i < 5000; ++i) deep.Again(0, kOwn).U8(102);
  box.Write("9.rpl", deep.bytes());
  EXPECT_EQ(MakeReviewLog(9), 1u);
  box.Write("200.rpl", Replay().Header({9}, 200).bytes());
  EXPECT_EQ(MakeReviewLog(200), 1u);
  EXPECT_EQ(LogOf(200), "");
}

// Up to what a battle holds the log tells a file whole and counts the ships
// the replay view places; one past it the view refuses the file, and the log
// refuses it too: it counts nothing of it and says only that it cannot tell it.
TEST_F(ReviewLogTest, TheLogBelievesAReplayJustAsFarAsTheViewDoes) {
  const std::string refusal = "Review of battle at " + rock + "\nUNABLE TO DISPLAY BATTLE REPORT";
  const auto files = BoundFiles();
  int bound = 0;
  for (const auto& [at, past] : files) {
    SCOPED_TRACE(bound++);
    const ViewReading view = ReadAsTheView(at);
    EXPECT_FALSE(view.refused);
    const std::string log = LogOfReplay(at);
    EXPECT_TRUE(log.ends_with("Report Ends") || log.ends_with("No hostile actions")) << log;
    EXPECT_EQ(Row(4)[1] + Row(4)[2], view.present);
    std::size_t told = 0;
    for (std::size_t line = 0; (line = log.find("\n    ", line)) != std::string::npos; ++line) ++told;
    EXPECT_EQ(told, view.shots);

    EXPECT_TRUE(ReadAsTheView(past).refused);
    EXPECT_EQ(LogOfReplay(past), refusal);
    EXPECT_EQ(Row(4), (std::array<std::uint32_t, 6>{}));
  }
  // A refusal stands for the turn, as a told log does.
  box.Write("4.rpl", files[0].first);
  EXPECT_EQ(MakeReviewLog(4), 1u);
  EXPECT_EQ(LogOf(4), refusal);
  // The crowd at its bound: three enemies and 2,045 own ships.
  LogOfReplay(files[0].first);
  EXPECT_EQ(Row(4), (std::array<std::uint32_t, 6>{2045, 2045, 3, 0, 0, 0}));
}

// A move of a unit the file never placed ends the view's movement phases, and
// ends the log's telling there too: neither reads the phases after it, so
// neither refuses a file for the rounds it holds beyond that point.
TEST_F(ReviewLogTest, AShotOfAUnitNeverPlacedEndsTheTellingAsItEndsTheView) {
  Replay r;
  r.Header({9, 17}, 4).Unit(kOwn, 0).Unit(kEnemy, 0).U32(kMark);
  r.Shot(kOwn, 0, kEnemy, 50, true).U8(102).Code(1);
  r.Shot(kUnseen, 0, kOwn, 50, true).U8(102).Code(1);
  for (std::uint32_t i = 0; i < replay::kMostMovementPhases; ++i) r.Shot(kEnemy, 0, kOwn, 50, true).U8(102).Code(1);
  r.Code(11).Code(12);

  const ViewReading view = ReadAsTheView(r.bytes());
  EXPECT_FALSE(view.refused);
  EXPECT_EQ(view.phases, 1);
  EXPECT_EQ(view.shots, 1u);
  const auto verbs = Verbs(4, 1);
  EXPECT_EQ(LogOfReplay(r.bytes()), "Review of battle at " + rock +
                                        "\nChapters involved:    Chapter 9       Chapter 17       \n"
                                        "    Chapter 9's Hull 0 'Alpha' " +
                                        verbs[0] +
                                        " a Weapon (In effective range with a chance to hit of 50%) at Chapter 17's "
                                        "Hull 0 'Brute' and misses!\nReport Ends");
  EXPECT_EQ(Row(4), (std::array<std::uint32_t, 6>{1, 1, 1, 0, 0, 0}));
}

}  // namespace
