// A saved game is decoded from memory, a unit's fixed fields as one block; a
// unit read back from a file goes through the same decoding with the file's
// reads underneath. Both must give the unit that was saved, field by field.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <tuple>

#include "Game/base/GBlockStream.h"
#include "Game/base/GPersist.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

class UnitBlockTest : public UnitWorld {
 protected:
  // A unit of one of two designs with every saved field drawn at random.
  CGUnit* RandomUnit(std::mt19937& random, CGUnitTemplate* a, CGUnitTemplate* b) {
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    CGUnit* u = Unit(random() % 2 != 0 ? a : b, {static_cast<std::uint16_t>(random() % 5), 0, 0, 0}, 4);
    u->reservedByte1 = byte();
    u->stage = byte();
    for (auto& t : u->targeting) t = byte();
    for (auto& r : u->retreat) r = byte();
    for (ModuleSlotState& m : u->modules) m = {byte(), byte(), byte()};
    u->location.x = static_cast<std::int16_t>(random());
    u->location.y = static_cast<std::int16_t>(random());
    u->location.z = static_cast<std::int16_t>(random());
    u->unoperational = static_cast<std::uint32_t>(random());
    u->statusWord = static_cast<std::uint32_t>(random());
    u->reservedByte2 = byte();
    u->hullDamage = byte();
    u->lifeSupportDamage = byte();
    u->power = static_cast<std::int32_t>(random());
    u->receivedPoints = static_cast<std::uint16_t>(random());
    for (auto& c : u->atvCargo) c = byte();
    u->reservedWord = static_cast<std::uint16_t>(random());
    u->name.assign(random() % 40, 'a');
    for (char& c : u->name) c = static_cast<char>('a' + random() % 26);
    return u;
  }
};

auto SavedFields(const CGUnit& u) {
  std::vector<std::uint8_t> modules;
  for (const ModuleSlotState& m : u.modules) modules.insert(modules.end(), {m.damage, m.flags, m.ammo});
  return std::make_tuple(u.id, u.reservedByte1, u.stage, u.targeting, u.retreat, modules, u.location.asteroid,
                         u.location.x, u.location.y, u.location.z, u.unoperational, u.statusWord, u.reservedByte2,
                         u.hullDamage, u.lifeSupportDamage, u.power, u.receivedPoints, u.atvCargo, u.reservedWord,
                         u.design, u.name, u.GetOrderCount());
}

std::span<const std::uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

TEST_F(UnitBlockTest, RandomUnitsReadTheSameFromMemoryAsFromTheirFile) {
  std::mt19937 random(57);
  CGUnitTemplate* a = Builder(4);
  CGUnitTemplate* b = Design(4, {kWeapon, kComputer});
  for (int n = 0; n < 40; ++n) {
    CGUnit* u = RandomUnit(random, a, b);
    if (n % 3 == 0) u->IssueOrder(ORDER_REPAIR_UNIT, u->id, kInsertReplace, u, false);
    const std::string bytes = box.SavedOf(*u);

    CGUnit fromFile;
    ASSERT_EQ(box.LoadedInto(fromFile, bytes), 1) << n;
    CGUnit fromMemory;
    BlockReader r(Span(bytes));
    ASSERT_EQ(fromMemory.Load(r), 1) << n;
    EXPECT_EQ(r.Pos(), bytes.size()) << n;

    // The module states lie where the game-piece load compares them.
    const auto modules = std::get<5>(SavedFields(*u));
    ASSERT_EQ(modules.size(), kUnitStatesSize);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + kUnitStatesAt, bytes.begin() + kUnitStatesAt + kUnitStatesSize),
              modules)
        << n;
    EXPECT_EQ(SavedFields(fromFile), SavedFields(*u)) << n;
    EXPECT_EQ(SavedFields(fromMemory), SavedFields(*u)) << n;
    fromMemory.ResolveOrderTargets();
    EXPECT_EQ(box.SavedOf(fromMemory, "again.bin"), bytes) << n;
  }
}

TEST_F(UnitBlockTest, AUnitCutAnywhereOrOfALaterVersionIsRefusedFromMemory) {
  CGUnit* u = Unit(Builder(2), {1, 5, 6, 7}, 2);
  u->name = "Cut";
  u->IssueOrder(ORDER_REPAIR_UNIT, u->id, kInsertReplace, u, false);
  const std::string bytes = box.SavedOf(*u);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    CGUnit partial;
    BlockReader r(Span(bytes).first(cut));
    EXPECT_EQ(partial.Load(r), 0) << cut;
    EXPECT_LE(r.Pos(), cut);
  }
  std::string later = bytes;
  later[0] = static_cast<char>(kUnitVersion + 1);
  CGUnit refused;
  BlockReader r(Span(later));
  EXPECT_EQ(refused.Load(r), 0);
  // A bad end byte is refused however whole the rest is.
  std::string badEnd = bytes;
  badEnd.back() = 0;
  CGUnit ended;
  BlockReader e(Span(badEnd));
  EXPECT_EQ(ended.Load(e), 0);
}

// The name is read with the end byte after it: the longest name a save
// writes (255 characters) comes back whole from a file and from memory, a
// name is kept up to its first zero, and a wrong 0xFE byte after a held
// design's slot refuses the unit.
TEST_F(UnitBlockTest, LongestNamesZerosInNamesAndTheDesignSlotsCheckByte) {
  CGUnit* u = Unit(Builder(2), {1, 5, 6, 7}, 2);
  u->name.assign(300, 'n');
  u->name[254] = 'z';
  const std::string longest = box.SavedOf(*u);
  CGUnit fromFile;
  ASSERT_EQ(box.LoadedInto(fromFile, longest), 1);
  EXPECT_EQ(fromFile.name, u->name.substr(0, 255));
  CGUnit fromMemory;
  BlockReader r(Span(longest));
  ASSERT_EQ(fromMemory.Load(r), 1);
  EXPECT_EQ(fromMemory.name, u->name.substr(0, 255));
  EXPECT_EQ(r.Pos(), longest.size());

  u->name = std::string("Ab\0cd", 5);
  const std::string zeroed = box.SavedOf(*u);
  CGUnit cut;
  BlockReader z(Span(zeroed));
  ASSERT_EQ(cut.Load(z), 1);
  EXPECT_EQ(cut.name, "Ab");
  EXPECT_EQ(z.Pos(), zeroed.size());

  const std::size_t checkByte = 1 + kUnitHeadSize + 4;
  ASSERT_EQ(static_cast<std::uint8_t>(zeroed[checkByte]), kValidityByte);
  std::string wrong = zeroed;
  wrong[checkByte] = 0;
  CGUnit refused;
  BlockReader w(Span(wrong));
  EXPECT_EQ(refused.Load(w), 0);
  CGUnit refusedFromFile;
  EXPECT_EQ(box.LoadedInto(refusedFromFile, wrong), 0);
}

}  // namespace
}  // namespace units_test
