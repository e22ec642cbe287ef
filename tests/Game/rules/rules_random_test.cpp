// The rules files' readers decode each record's fixed fields as one block:
// random records written field by field must come back whole (every byte of
// the record, the unused places included), and every shorter image must be
// refused with nothing kept.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

std::vector<std::uint8_t> Bytes(const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  return {b, b + n};
}

template <std::size_t N>
void RandomText(std::mt19937& random, char (&out)[N]) {
  const std::size_t n = random() % N;  // up to the whole field but its last byte
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(' ' + random() % 95);
}

// A record as the reader makes it from the file: weapon ranges a multiple of
// the scale, type data only in the places its type uses.
ModuleRecord RandomModule(std::mt19937& random) {
  auto byte = [&] { return static_cast<std::uint8_t>(random()); };
  auto word = [&] { return static_cast<std::uint16_t>(random()); };
  ModuleRecord m{};
  RandomText(random, m.name);
  m.guildMask = byte();
  m.spareByte2 = byte();
  m.type = static_cast<std::uint8_t>(random() % kModuleTypeCount);
  for (auto& v : m.costs) v = word();
  for (auto& v : m.secondValues) v = word();
  m.successor = word();
  for (auto& v : m.spareBytesA) v = byte();
  m.helpTopic = word();
  m.spareWordA = word();
  m.buildPoints = byte();
  m.spareByteB = byte();
  m.techLevel = static_cast<std::uint8_t>(random() % 3);
  RandomText(random, m.imageName);
  RandomText(random, m.soundName);
  for (auto& v : m.defenses) v = byte();
  for (auto& v : m.spareBytesC) v = byte();
  m.spareWordC = word();
  m.powerUse = word();
  m.mass = byte();
  if (m.type == MODULE_PROPULSION) {
    m.typeData[0] = byte();
    for (int w = 1; w <= 3; ++w) m.SetTypeWord(w, word());
    m.typeData[8] = byte();
  } else {
    for (std::size_t i = 0; i < kModuleTypeDataSize[m.type]; ++i) m.typeData[i] = byte();
    if (m.type == MODULE_WEAPON) {
      for (int w : {1, 2}) m.SetTypeWord(w, static_cast<std::uint16_t>(random() % 631 * kWeaponRangeScale));
    }
  }
  m.researchPoints = m.techLevel == 1 ? kResearched : 0;
  return m;
}

TEST(RandomRulesRecords, ModulesComeBackWholeAndEveryShortImageIsRefused) {
  rules_test::RulesLinksScope links;
  std::mt19937 random(57);
  std::vector<ModuleRecord> records;
  for (int i = 0; i < 60; ++i) records.push_back(RandomModule(random));
  const auto image = WriteModulesImage(records);
  ASSERT_FALSE(image.empty());

  CGModuleDB db(rules_test::Sandbox::Dos("none.dat").c_str());
  ASSERT_EQ(db.LoadModules(image), 1);
  ASSERT_EQ(db.GetCount(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i)
    EXPECT_EQ(Bytes(db.GetRecord(static_cast<int>(i)), sizeof(ModuleRecord)), Bytes(&records[i], sizeof(ModuleRecord)))
        << i;

  for (std::size_t cut = 1; cut < image.size(); cut += 7) {
    CGModuleDB shorter(rules_test::Sandbox::Dos("none.dat").c_str());
    const std::span<const std::uint8_t> part(image.data(), cut);
    // A cut between two records leaves a whole, shorter image.
    const int result = shorter.LoadModules(part);
    std::size_t whole = 0, at = 0;
    while (at < cut && whole < records.size()) {
      at += 92 + kModuleTypeDataSize[records[whole].type];
      if (at <= cut) ++whole;
    }
    if (at == cut) {
      EXPECT_EQ(result, 1) << cut;
      EXPECT_EQ(shorter.GetCount(), whole) << cut;
    } else {
      EXPECT_EQ(result, 0) << cut;
      EXPECT_EQ(shorter.GetCount(), 0) << cut;
    }
  }
}

TEST(RandomRulesRecords, HullsComeBackWholeAndEveryShortImageIsRefused) {
  rules_test::RulesLinksScope links;
  std::mt19937 random(57);
  std::vector<CGHull> hulls;
  for (int section = 0; section < kHullSections; ++section) {
    for (int i = 0; i < 6; ++i) {
      CGHull h{};
      h.section = static_cast<std::uint8_t>(section);
      h.index = static_cast<std::uint8_t>(i);
      RandomText(random, h.name);
      h.unitClass = static_cast<std::uint8_t>(random());
      h.attribute = static_cast<std::uint8_t>(random());
      h.mass = static_cast<std::uint32_t>(random());
      h.massLimit = static_cast<std::uint32_t>(random());
      h.successor = static_cast<std::uint8_t>(random());
      for (auto& c : h.costs) c = static_cast<std::uint16_t>(random());
      h.structurePoints = static_cast<std::uint16_t>(random());
      h.available = random() % 2;
      h.researchPoints = h.available != 0 ? kResearched : 0;
      const int slots = static_cast<int>(random() % (kMaxHullSlots + 1));
      for (int s = 0; s < slots; ++s) {
        h.slots[s] = {static_cast<std::uint16_t>(random() % 0xFFFF), static_cast<std::uint16_t>(random()),
                      static_cast<std::uint16_t>(random()), static_cast<std::uint16_t>(random()),
                      static_cast<std::uint32_t>(random())};
      }
      hulls.push_back(h);
    }
  }
  std::vector<const CGHull*> list;
  for (const CGHull& h : hulls) list.push_back(&h);
  const auto image = WriteHullsImage(list);

  CGHullDB db(rules_test::Sandbox::Dos("none.dat").c_str());
  ASSERT_EQ(db.LoadHulls(image), 1);
  for (const CGHull& h : hulls) {
    const CGHull* read = db.GetHull(h.section, h.index);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Bytes(read, sizeof(CGHull)), Bytes(&h, sizeof(CGHull))) << int{h.section} << " " << int{h.index};
  }
  EXPECT_EQ(db.HullsImage(), image);

  // The sections' counts make every shorter image incomplete.
  for (std::size_t cut = 0; cut < image.size(); cut += 5) {
    CGHullDB shorter(rules_test::Sandbox::Dos("none.dat").c_str());
    EXPECT_EQ(shorter.LoadHulls(std::span<const std::uint8_t>(image.data(), cut)), 0) << cut;
    for (int section = 0; section < kHullSections; ++section) EXPECT_EQ(shorter.GetHullCount(section), 0) << cut;
  }
}

}  // namespace
