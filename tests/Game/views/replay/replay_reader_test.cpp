#include "Game/net/ReplayReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Game/net/ReplayFormat.h"
#include "platform/core/files.h"
#include "tests/support/scratch_drive.h"

namespace {

using replay::EventRecord;
using replay::ReplayBuilder;

constexpr std::uint32_t kOwn = (9u << 26) | 1, kAlly = (10u << 26) | 3, kEnemy = (17u << 26) | 2;
constexpr std::uint32_t kLate = (17u << 26) | 9, kNobody = (20u << 26) | 77;

// The scene as the records leave it.
class Scene : public replay::ReplaySink {
 public:
  void AddUnit(const replay::UnitRecord& unit, bool joined) override {
    units[unit.id] = unit;
    if (joined) this->joined.push_back(unit.id);
  }
  bool HasUnit(std::uint32_t id) override { return units.count(id) != 0; }
  void MoveUnit(std::uint32_t id, const Location& to, std::uint32_t engine) override {
    moves.push_back({id, to, engine});
  }
  std::size_t QueueEvent(const EventRecord& event) override {
    const std::uint32_t owner = event.U32(EventRecord::kOwner);
    if (!HasUnit(owner)) return 0;
    events.push_back(event);
    return ++queued[owner];
  }
  void WreckUnit(std::uint32_t id) override { wrecks.push_back(id); }
  void ChapterRead(std::uint8_t chapter) override { chapters.push_back(chapter); }
  void ShotRead(std::uint32_t unit, const replay::ShotRecord& shot) override { shots.emplace_back(unit, shot); }
  void ItemRead(const replay::ItemRecord& item) override { items.push_back(item); }

  struct Move {
    std::uint32_t id;
    Location to;
    std::uint32_t engine;
  };
  std::map<std::uint32_t, replay::UnitRecord> units;
  std::map<std::uint32_t, std::size_t> queued;
  std::vector<std::uint32_t> joined, wrecks;
  std::vector<Move> moves;
  std::vector<EventRecord> events;
  std::vector<std::uint8_t> chapters;
  std::vector<std::pair<std::uint32_t, replay::ShotRecord>> shots;
  std::vector<replay::ItemRecord> items;
};

class ReplayReaderTest : public ::testing::Test {
 protected:
  ~ReplayReaderTest() override { Close(); }

  replay::ReplayReader& Open(const std::vector<std::uint8_t>& bytes) {
    Close();
    drive.Write("b.rpl", std::string(bytes.begin(), bytes.end()));
    file = plat::fopen(drive.Dos("b.rpl").c_str(), "rb");
    EXPECT_NE(file, nullptr);
    scene = Scene{};
    reader.emplace(file, scene);
    return *reader;
  }
  // Preamble, asteroid and start units; true when the asteroid was read.
  bool Start(const std::vector<std::uint8_t>& bytes, std::uint16_t* asteroid = nullptr) {
    replay::ReplayReader& r = Open(bytes);
    std::uint16_t a = 0;
    if (!r.ReadPreamble() || !r.ReadAsteroid(a)) return false;
    if (asteroid != nullptr) *asteroid = a;
    r.ReadStartUnits();
    return true;
  }
  // The whole file as the view reads it; the number of phases read.
  int ReadAll(const std::vector<std::uint8_t>& bytes, bool* battle = nullptr) {
    int phases = 0;
    if (Start(bytes)) {
      while (reader->ReadMovementPhase()) ++phases;
      const bool met = reader->ReadBattleSection();
      if (battle != nullptr) *battle = met;
    }
    return phases;
  }
  void Close() {
    if (file != nullptr) plat::fclose(file);
    file = nullptr;
  }

  quentest::ScratchDrive drive;
  plat::FILE* file = nullptr;
  Scene scene;
  std::optional<replay::ReplayReader> reader;
};

ReplayBuilder ThreeShips() {
  ReplayBuilder r;
  r.Participants({9, 10, 17}, 4)
      .Unit(kOwn, {4, 10, 20, 30}, "FF")
      .Unit(kAlly, {4, -10, 0, 5}, "CRU", 1)
      .Unit(kEnemy, {4, 100, 0, 0}, "BB", 0, 7)
      .EndUnits();
  return r;
}

// A battle of every kind of record: two phases of moves and shots, then the
// battle section with each item.
ReplayBuilder FullBattle() {
  ReplayBuilder r = ThreeShips();
  // Phase 1: two steps of the own ship, the second with an engine.
  r.Move(kOwn, {4, 12, 20, 30}).Shot(7, kEnemy, 70, 1).Kill(1253, 5).Kill(1253, 3).Hit(1252, 40).End(10);
  r.Move(kOwn, {4, 14, 20, 30}, 33).Shot(7, kEnemy, 0x12345, 0).Shield(0xABCD1234).End(10);
  r.Move(kEnemy, {4, 100, 0, 0}).Shot(2, kOwn).Miss().Again(3, kAlly).Hit(40, 9).End(1);
  // Phase 2: a miss, three damaged modules in one shot.
  r.Move(kAlly, {4, -10, 0, 5}).Shot(5, kEnemy).Hit(41, 1).Hit(42, 2).Hit(43, 3).Hit(1254, 4).End(1);
  r.Code(11);
  r.Scan(kEnemy, 60, kAlly).Transport(false, kOwn, 61).Transport(true, kOwn, 62);
  r.AsteroidFire(kEnemy, 0xFFFF0004, 63).Departure(kAlly, 0x10044);
  r.Destroyed(kEnemy, {{kEnemy, 1}, {kAlly, 0}});
  r.Joined(kLate, {4, 1, 2, 3}, "FRIGT").Code(105).U16(1).U16(2).Code(12);
  return r;
}

TEST_F(ReplayReaderTest, AGeneratedBattleIsReadRecordByRecord) {
  std::uint16_t asteroid = 0;
  ASSERT_TRUE(Start(FullBattle().bytes(), &asteroid));
  EXPECT_EQ(asteroid, 4);
  ASSERT_EQ(scene.units.size(), 3u);
  const replay::UnitRecord& ally = scene.units[kAlly];
  EXPECT_EQ(ally.location.x, -10);
  EXPECT_EQ(ally.location.z, 5);
  EXPECT_EQ(ally.count, 3);
  EXPECT_EQ(std::string(ally.appearance.begin(), ally.appearance.begin() + 3), "CRU");
  EXPECT_EQ(ally.a, 1u);
  EXPECT_EQ(scene.units[kEnemy].b, 7u);

  // Phase 1.
  ASSERT_TRUE(reader->ReadMovementPhase());
  ASSERT_EQ(scene.moves.size(), 3u);
  EXPECT_EQ(scene.moves[1].to.x, 14);
  EXPECT_EQ(scene.moves[1].engine, 33u);
  EXPECT_EQ(scene.moves[0].engine, replay::kNoEngine);
  ASSERT_EQ(scene.events.size(), 4u);
  const EventRecord& kill = scene.events[0];
  EXPECT_EQ(kill.U32(EventRecord::kOwner), kOwn);
  EXPECT_EQ(kill.U32(EventRecord::kModule), 7u);
  EXPECT_EQ(kill.U32(EventRecord::kTarget), kEnemy);
  EXPECT_EQ(kill.U8(EventRecord::kKind), 'j');
  EXPECT_EQ(kill.U8(EventRecord::kHull), 8) << "5 then 3 add up";
  EXPECT_EQ(kill.U16(EventRecord::kLeech), 40);
  EXPECT_EQ(kill.U16(EventRecord::kFirstModule), 0xFFFF);
  EXPECT_EQ(kill.U16(EventRecord::kExtraValue), 70);
  EXPECT_EQ(kill.U8(EventRecord::kExtraByte), 1);
  EXPECT_EQ(kill.U16(EventRecord::kNumber), 0);
  EXPECT_EQ(kill.U16(30), 0xFFFF) << "unread bytes stay 0xFF";
  const EventRecord& shield = scene.events[1];
  EXPECT_EQ(shield.U8(EventRecord::kKind), 'g');
  EXPECT_EQ(shield.U16(EventRecord::kSecondModule), 0x1234);
  EXPECT_EQ(shield.U16(EventRecord::kExtraValue), 0x2345);
  EXPECT_EQ(shield.U8(EventRecord::kHull), 0);
  // The nested shot is read after its outer one but queued before it.
  EXPECT_EQ(scene.events[2].U32(EventRecord::kTarget), kAlly);
  EXPECT_EQ(scene.events[2].U8(EventRecord::kKind), 'i');
  EXPECT_EQ(scene.events[2].U16(EventRecord::kFirstModule), 40);
  EXPECT_EQ(scene.events[2].U8(EventRecord::kFirstDamage), 9);
  EXPECT_EQ(scene.events[3].U8(EventRecord::kKind), 'f');
  EXPECT_EQ(scene.events[3].U16(EventRecord::kNumber), 3);
  EXPECT_EQ(reader->counters().next, 4u);
  EXPECT_EQ(reader->counters().mostOfOneUnit, 2u);

  // Phase 2: the counters start again; three modules keep the last two.
  ASSERT_TRUE(reader->ReadMovementPhase());
  ASSERT_EQ(scene.events.size(), 5u);
  const EventRecord& three = scene.events[4];
  EXPECT_EQ(three.U16(EventRecord::kNumber), 0);
  EXPECT_EQ(three.U16(EventRecord::kFirstModule), 43);
  EXPECT_EQ(three.U8(EventRecord::kFirstDamage), 3);
  EXPECT_EQ(three.U16(EventRecord::kSecondModule), 42);
  EXPECT_EQ(three.U8(EventRecord::kSecondDamage), 2);
  EXPECT_EQ(three.U8(EventRecord::kLife), 4);
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_EQ(reader->lastCode(), replay::kPhasesEnd);

  // The battle section.
  scene.events.clear();
  scene.queued.clear();
  ASSERT_TRUE(reader->ReadBattleSection());
  ASSERT_EQ(scene.events.size(), 6u);
  const EventRecord& scan = scene.events[0];
  EXPECT_EQ(scan.U8(EventRecord::kKind), 4);
  EXPECT_EQ(scan.U32(EventRecord::kOwner), kAlly) << "the scanned unit gives way to the scanner";
  EXPECT_EQ(scan.U32(EventRecord::kModule), 60u);
  EXPECT_EQ(scene.events[1].U8(EventRecord::kKind), 5);
  EXPECT_EQ(scene.events[2].U8(EventRecord::kKind), 6);
  EXPECT_EQ(scene.events[2].U32(EventRecord::kModule), 62u);
  const EventRecord& fire = scene.events[3];
  EXPECT_EQ(fire.U32(EventRecord::kOwner), kEnemy);
  EXPECT_EQ(fire.U32(EventRecord::kTarget), 0xFFFF0004u);
  EXPECT_EQ(fire.U32(EventRecord::kModule), 63u);
  const EventRecord& departure = scene.events[4];
  EXPECT_EQ(departure.U32(EventRecord::kOwner), kAlly);
  EXPECT_EQ(departure.U16(EventRecord::kFirstModule), 0x44);
  EXPECT_EQ(scene.events[5].U8(EventRecord::kKind), 3);
  EXPECT_EQ(scene.events[5].U16(EventRecord::kNumber), 5);
  EXPECT_EQ(scene.wrecks, std::vector<std::uint32_t>{kEnemy});
  EXPECT_EQ(scene.joined, std::vector<std::uint32_t>{kLate});
  EXPECT_EQ(scene.units[kLate].count, 5);
  EXPECT_EQ(reader->counters().mostOfOneUnit, 2u);
}

// The records as the file has them, for the sinks that tell or check a
// battle: chapters, shots with their parts (a nested one first), the items.
TEST_F(ReplayReaderTest, TheRecordsAreHandedOverAsTheFileHasThem) {
  bool battle = false;
  EXPECT_EQ(ReadAll(FullBattle().bytes(), &battle), 2);
  EXPECT_TRUE(reader->ended());
  EXPECT_EQ(scene.chapters, (std::vector<std::uint8_t>{9, 10, 17}));
  using Part = std::tuple<std::uint8_t, std::uint32_t, std::uint16_t>;
  struct Told {
    std::uint32_t unit, weapon, target, chance;
    std::uint8_t effective;
    std::vector<Part> parts;
  };
  const std::vector<Told> told = {
      {kOwn, 7, kEnemy, 70, 1, {{106, 1253, 5}, {106, 1253, 3}, {105, 1252, 40}}},
      {kOwn, 7, kEnemy, 0x12345, 0, {{103, 0xABCD1234, 0}}},
      {kEnemy, 3, kAlly, 0, 1, {{105, 40, 9}}},
      {kEnemy, 2, kOwn, 0, 1, {{102, 0, 0}}},
      {kAlly, 5, kEnemy, 0, 1, {{105, 41, 1}, {105, 42, 2}, {105, 43, 3}, {105, 1254, 4}}},
  };
  ASSERT_EQ(scene.shots.size(), told.size());
  for (std::size_t i = 0; i < told.size(); ++i) {
    const auto& [unit, shot] = scene.shots[i];
    EXPECT_EQ(unit, told[i].unit) << i;
    EXPECT_EQ(shot.weapon, told[i].weapon) << i;
    EXPECT_EQ(shot.target, told[i].target) << i;
    EXPECT_EQ(shot.chance, told[i].chance) << i;
    EXPECT_EQ(shot.effective, told[i].effective) << i;
    std::vector<Part> parts;
    for (const replay::ShotPart& p : shot.parts) parts.emplace_back(p.code, p.value, p.amount);
    EXPECT_EQ(parts, told[i].parts) << i;
  }
  using Wrecks = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  const std::vector<std::tuple<std::uint8_t, std::vector<std::uint32_t>, Wrecks>> items = {
      {4, {kEnemy, 60, kAlly}, {}},       {5, {kOwn, 61}, {}},       {6, {kOwn, 62}, {}},
      {9, {kEnemy, 0xFFFF0004u, 63}, {}}, {7, {kAlly, 0x10044}, {}}, {3, {kEnemy}, {{kEnemy, 1}, {kAlly, 0}}},
  };
  ASSERT_EQ(scene.items.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(std::tie(scene.items[i].code, scene.items[i].words, scene.items[i].wrecks), items[i]) << i;

  // A shot that ends at once is not told; a battle section cut before its
  // code 12 is not ended.
  ReplayBuilder r = ThreeShips();
  r.Move(kOwn, {4, 12, 20, 30}).Shot(7, kEnemy).End(1).Code(11).Scan(kEnemy, 60, kAlly);
  ReadAll(r.bytes());
  EXPECT_TRUE(scene.shots.empty());
  EXPECT_EQ(scene.items.size(), 1u);
  EXPECT_FALSE(reader->ended());
}

TEST_F(ReplayReaderTest, StartsAndEmptyListsAreRead) {
  // The preamble may be nothing but its 0xFF; no start units is still a start.
  ReplayBuilder bare;
  bare.U8(0xFF).U16(0x0102).EndUnits().Code(11).Code(12);
  std::uint16_t asteroid = 0;
  ASSERT_TRUE(Start(bare.bytes(), &asteroid));
  EXPECT_EQ(asteroid, 0x0102);
  EXPECT_TRUE(scene.units.empty());
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_EQ(reader->lastCode(), replay::kPhasesEnd);
  EXPECT_FALSE(reader->ReadBattleSection()) << "a section of marker + 12 only completes at once";

  // No 0xFF at all: the start fails and nothing is created.
  ReplayBuilder none;
  none.U8(1).U8(2).U8(3);
  EXPECT_FALSE(Start(none.bytes()));
  ReplayBuilder noAsteroid;
  noAsteroid.U8(9).U8(0xFF).U8(4);
  EXPECT_FALSE(Start(noAsteroid.bytes()));
}

TEST_F(ReplayReaderTest, AUnitRecordOfSixAppearanceBytesEndsTheList) {
  ReplayBuilder r;
  r.Participants({9}, 4)
      .Unit(kOwn, {4, 0, 0, 0}, "ABCDE")
      .Unit(kAlly, {4, 0, 0, 0}, "ABCDEF")
      .Unit(kEnemy, {4, 0, 0, 0}, "X");
  r.EndUnits();
  ASSERT_TRUE(Start(r.bytes()));
  EXPECT_EQ(scene.units.size(), 1u);
  EXPECT_EQ(scene.units.count(kOwn), 1u);
}

TEST_F(ReplayReaderTest, ShotsThatEndAtOnceOrBreakTheirFrame) {
  // A first sub-code of 10 drops the shot and the phase reads on.
  ReplayBuilder r = ThreeShips();
  r.Move(kOwn, {4, 1, 1, 1}).Shot(7, kEnemy).End(10);
  r.Move(kEnemy, {4, 1, 1, 1}).Shot(7, kOwn).Miss().End(1);
  ASSERT_TRUE(Start(r.bytes()));
  ASSERT_TRUE(reader->ReadMovementPhase());
  ASSERT_EQ(scene.events.size(), 1u);
  EXPECT_EQ(scene.events[0].U32(EventRecord::kOwner), kEnemy);
  EXPECT_EQ(scene.moves.size(), 2u);

  // A wrong marker after the shot's fields stops the reading.
  ReplayBuilder broken = ThreeShips();
  broken.Move(kOwn, {4, 1, 1, 1}).Code(101).U32(7).U32(kEnemy).U32(0).U8(1).U32(0x12345678).U8(102);
  broken.U32(replay::kMarker).U8(1);
  ASSERT_TRUE(Start(broken.bytes()));
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_EQ(reader->lastCode(), replay::kStop);
  EXPECT_TRUE(scene.events.empty());

  // A move of a unit never placed stops the phases too.
  ReplayBuilder stranger = ThreeShips();
  stranger.Move(kNobody, {4, 0, 0, 0}).Shot(1, kOwn).Miss().End(1);
  ASSERT_TRUE(Start(stranger.bytes()));
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_EQ(reader->lastCode(), replay::kStop);
}

TEST_F(ReplayReaderTest, AWreckListIsReadWholeWhateverItNames) {
  ReplayBuilder r = ThreeShips();
  r.Code(11).Destroyed(kNobody, {{kNobody, 1}, {kAlly, 1}, {kOwn, 0}}).Scan(kOwn, 1, kEnemy).Code(12);
  ASSERT_TRUE(Start(r.bytes()));
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_TRUE(reader->ReadBattleSection());
  EXPECT_EQ(scene.wrecks, std::vector<std::uint32_t>{kAlly});
  ASSERT_EQ(scene.events.size(), 1u) << "the destruction of an unknown unit is skipped, the scan after it is not";
  EXPECT_EQ(scene.events[0].U8(EventRecord::kKind), 4);
}

TEST_F(ReplayReaderTest, PositionsAreCutToHundredths) {
  EXPECT_EQ(replay::TruncateToHundredths(1100.004), replay::TruncateToHundredths(1100.001));
  EXPECT_NE(replay::TruncateToHundredths(1100.014), replay::TruncateToHundredths(1100.001));
  EXPECT_DOUBLE_EQ(replay::TruncateToHundredths(-2.559), -2.55);
}

TEST_F(ReplayReaderTest, EveryCutAndDamagedFileEnds) {
  const std::vector<std::uint8_t> whole = FullBattle().bytes();
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const int phases = ReadAll({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
    ASSERT_LE(phases, 2) << "cut at " << cut;
  }
  bool battle = false;
  EXPECT_EQ(ReadAll(whole, &battle), 2);
  EXPECT_TRUE(battle);
  // Single bytes changed, each phase bounded by the file's size.
  std::mt19937 random(51);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::uint8_t> bytes = whole;
    for (int n = 0; n < 3; ++n) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    const int phases = ReadAll(bytes);
    ASSERT_LE(static_cast<std::size_t>(phases), bytes.size() / 5 + 1) << "round " << round;
  }
  // The reset file of four 0xFF names asteroid 0xFFFF (for the view to refuse) and nothing else.
  std::uint16_t asteroid = 0;
  ASSERT_TRUE(Start({0xFF, 0xFF, 0xFF, 0xFF}, &asteroid));
  EXPECT_EQ(asteroid, 0xFFFF);
  EXPECT_TRUE(scene.units.empty());
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_EQ(reader->lastCode(), replay::kStop);
}

// A battle a real game fought (a fleet of the first chapter meeting another
// guild's at its home asteroid, 35): read whole as the server wrote it, then
// cut at every byte.
TEST_F(ReplayReaderTest, ARealGamesReplayIsReadWholeAndEveryCutEnds) {
  std::vector<std::uint8_t> whole;
  {
    const std::string path = std::string(QUEN_SOURCE_DIR) + "/tests/Game/views/replay/data/coriasill.rpl";
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr) << path;
    for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) whole.push_back(static_cast<std::uint8_t>(c));
    std::fclose(in);
  }
  std::uint16_t asteroid = 0;
  ASSERT_TRUE(Start(whole, &asteroid));
  EXPECT_EQ(asteroid, 35);
  std::map<std::uint8_t, int> kinds;
  int phases = 0;
  while (reader->ReadMovementPhase()) ++phases;
  const std::size_t shots = scene.events.size();
  const bool battle = reader->ReadBattleSection();
  for (const EventRecord& e : scene.events) ++kinds[e.U8(EventRecord::kKind)];
  // Four fighters and the one that arrived as it was fought; the server's
  // log counts the 32 shots of its ten phases: 8 misses, 23 hits and the kill
  // of the first chapter's scout (9), whose destruction opens the battle
  // section before four scans.
  EXPECT_EQ(scene.units.size(), 5u);
  EXPECT_EQ(scene.joined.size(), 1u);
  EXPECT_EQ(phases, 10);
  EXPECT_EQ(shots, 32u);
  EXPECT_TRUE(battle);
  EXPECT_EQ(
      kinds,
      (std::map<std::uint8_t, int>{
          {replay::kDestroyed, 1}, {replay::kScan, 4}, {replay::kMiss, 8}, {replay::kHit, 23}, {replay::kKill, 1}}));
  ASSERT_EQ(scene.wrecks, std::vector<std::uint32_t>{9});
  const auto kill = std::find_if(scene.events.begin(), scene.events.end(),
                                 [](const EventRecord& e) { return e.U8(EventRecord::kKind) == replay::kKill; });
  ASSERT_NE(kill, scene.events.end());
  EXPECT_EQ(kill->U32(EventRecord::kTarget), 9u);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const int read = ReadAll({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
    ASSERT_LE(read, phases) << "cut at " << cut;
  }
}

TEST_F(ReplayReaderTest, ManyNestedShotsCostNoStack) {
  // As deep as one phase's events may go; one more is past what a battle holds.
  constexpr int kDepth = replay::kMostEventsPerPhase - 1;
  auto nest = [](int depth) {
    ReplayBuilder r = ThreeShips();
    r.Move(kOwn, {4, 0, 0, 0}).Shot(1, kEnemy);
    for (int i = 0; i < depth; ++i) r.Miss().Again(1, kEnemy);
    r.Miss().End(1);
    return r.bytes();
  };
  ASSERT_TRUE(Start(nest(kDepth)));
  ASSERT_TRUE(reader->ReadMovementPhase());
  EXPECT_EQ(scene.events.size(), static_cast<std::size_t>(kDepth) + 1);
  EXPECT_EQ(reader->counters().mostOfOneUnit, static_cast<std::uint32_t>(kDepth) + 1);
  ASSERT_TRUE(Start(nest(kDepth + 1)));
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_TRUE(reader->refused());
  EXPECT_EQ(scene.events.size(), static_cast<std::size_t>(kDepth) + 1);
}

// Past what one battle holds, a file is refused the moment the bound is
// passed and nothing more is read: units (start units and joiners together),
// movement phases, a wreck list, and the file's length.
TEST_F(ReplayReaderTest, AFilePastWhatABattleHoldsIsRefused) {
  auto units = [](std::uint32_t n) {
    ReplayBuilder r;
    r.Participants({9}, 4);
    for (std::uint32_t i = 0; i < n; ++i) r.Unit((9u << 26) | (i + 1), {4, 0, 0, 0}, "FF");
    r.EndUnits();
    return r;
  };
  ASSERT_TRUE(Start(units(replay::kMostBattleUnits).bytes()));
  EXPECT_FALSE(reader->refused());
  ASSERT_TRUE(Start(units(replay::kMostBattleUnits + 1).Code(11).Code(12).bytes()));
  EXPECT_TRUE(reader->refused());
  EXPECT_EQ(scene.units.size(), replay::kMostBattleUnits);
  EXPECT_FALSE(reader->ReadMovementPhase());
  EXPECT_FALSE(reader->ReadBattleSection());

  ReplayBuilder joiner = units(replay::kMostBattleUnits);
  joiner.Code(11).Joined(kLate, {4, 1, 2, 3}, "FRIGT").Code(12);
  EXPECT_EQ(ReadAll(joiner.bytes()), 0);
  EXPECT_TRUE(reader->refused());
  EXPECT_TRUE(scene.joined.empty());

  auto phases = [](std::uint32_t n) {
    ReplayBuilder r = ThreeShips();
    for (std::uint32_t i = 0; i < n; ++i) r.Move(kOwn, {4, 0, 0, 0}).Code(1);
    r.Code(11).Destroyed(kEnemy, {{kEnemy, 1}}).Code(12);
    return r.bytes();
  };
  bool battle = false;
  EXPECT_EQ(ReadAll(phases(replay::kMostMovementPhases), &battle), 10);
  EXPECT_TRUE(battle);
  EXPECT_EQ(ReadAll(phases(replay::kMostMovementPhases + 1), &battle), 10);
  EXPECT_TRUE(reader->refused());
  EXPECT_FALSE(battle);

  ReplayBuilder wrecks = ThreeShips();
  wrecks.Code(11).Code(3).U32(kEnemy);
  for (std::uint32_t i = 0; i <= replay::kMostBattleUnits; ++i) wrecks.U32(kEnemy).U32(1);
  wrecks.Code(10).Code(12);
  ReadAll(wrecks.bytes(), &battle);
  EXPECT_TRUE(reader->refused());
  EXPECT_FALSE(battle);
  EXPECT_EQ(scene.wrecks.size(), replay::kMostBattleUnits);

  std::vector<std::uint8_t> longest = ThreeShips().bytes();
  longest.resize(replay::kMostReplayBytes, 0);
  Open(longest);
  EXPECT_TRUE(replay::ReplayFileSizeAllowed(file));
  EXPECT_TRUE(reader->ReadPreamble()) << "read from its start";
  longest.push_back(0);
  Open(longest);
  EXPECT_FALSE(replay::ReplayFileSizeAllowed(file));
}

}  // namespace

namespace {

TEST(ReplayFileNameTest, TheAsteroidsFileFirstThenTheInstancesFallback) {
  quentest::ScratchDrive drive;  // the save path is empty: the current directory, the drive's root
  const auto firstByte = [](plat::FILE* f) {
    std::uint8_t b = 0;
    const bool read = f != nullptr && plat::fread(&b, 1, 1, f) == 1;
    if (f != nullptr) plat::fclose(f);
    return read ? int{b} : -1;
  };
  EXPECT_EQ(replay::OpenReplayFileOf(12, 0xBEEF), nullptr);
  drive.Write("BEEFrplyS.dat", "\x02");
  EXPECT_EQ(firstByte(replay::OpenReplayFileOf(12, 0xBEEF)), 2);
  EXPECT_EQ(replay::OpenReplayFileOf(12, 0xBEEE), nullptr);
  drive.Write("12.rpl", "\x01");
  EXPECT_EQ(firstByte(replay::OpenReplayFileOf(12, 0xBEEF)), 1);
}

}  // namespace
