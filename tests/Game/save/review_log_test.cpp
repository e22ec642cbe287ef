#include "Game/save/ReviewLog.h"

#include <gtest/gtest.h>

#include "Game/model/GAsteroid.h"
#include "Game/net/ReplayFormat.h"
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
  r.Header({17}, 8).U32(kEnemy).U32(0).U32(0).U8(9);
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
  deep.Header({}, 9).U32(kMark).Shot(kEnemy, 0, kOwn, 1, true).U8(102);
  for (int i = 0; i < 5000; ++i) deep.Again(0, kOwn).U8(102);
  box.Write("9.rpl", deep.bytes());
  EXPECT_EQ(MakeReviewLog(9), 1u);
  box.Write("200.rpl", Replay().Header({9}, 200).bytes());
  EXPECT_EQ(MakeReviewLog(200), 1u);
  EXPECT_EQ(LogOf(200), "");
}

}  // namespace
