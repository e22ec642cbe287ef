#pragma once
// Shared pieces of the rules-data tests: a scratch installation, a record of
// the packets the rules send, byte images of packets, and hull and module
// records written into rules files by the game's own writers.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesLinks.h"
#include "platform/core/bytes.h"
#include "tests/Game/base/sandbox.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"
#include "tests/support/test_world.h"

namespace rules_test {

// The scratch installation's drive C, addressed by file name.
class Sandbox : public model_test::Sandbox {
 public:
  std::filesystem::path Host(const std::string& name) const { return model_test::Sandbox::Host("c/" + name); }
  void Write(const std::string& name, const std::string& bytes) const {
    model_test::Sandbox::Write("c/" + name, bytes);
  }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::string Read(const std::string& name) const { return model_test::Sandbox::Read("c/" + name); }
  // Path on drive C as the game names it.
  static std::string Dos(const std::string& name) { return "C:\\" + name; }
};

// Sets up the rules links for a test and puts them back afterwards: packets
// sent are kept; the game's world (local chapter, traits, databases) is the
// test's while it lives.
class RulesLinksScope : public test_support::TestWorld {
 public:
  RulesLinksScope() = default;
  RulesLinksScope(const RulesLinksScope&) = delete;
  RulesLinksScope& operator=(const RulesLinksScope&) = delete;

  // The packets sent and the complaints shown go to these while the scope lives.
  quentest::RecordingSink sink;
  quentest::RecordingShell shell;
  std::vector<quentest::RecordingSink::Sent>& sent = sink.sent;
  std::vector<std::string>& messages = shell.rulesMessages;
};

// Little-endian bytes of a rules image.
class Image {
 public:
  Image& U8(std::uint64_t v) { return Put(static_cast<std::uint8_t>(v)); }
  Image& U16(std::uint64_t v) { return Put(static_cast<std::uint16_t>(v)); }
  Image& U32(std::uint64_t v) { return Put(static_cast<std::uint32_t>(v)); }
  Image& Text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) U8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    return *this;
  }
  std::vector<std::uint8_t> bytes;

 private:
  template <plat::LEField T>
  Image& Put(T v) {
    const auto image = plat::EncodeLE(v);
    bytes.insert(bytes.end(), image.begin(), image.end());
    return *this;
  }
};

template <plat::LEField T>
T FieldAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  T v = 0;
  EXPECT_TRUE(plat::ByteReader(b).ReadAt(at, v)) << "no field at " << at;
  return v;
}
inline std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at) { return FieldAt<std::uint16_t>(b, at); }
inline std::uint32_t Long(const std::vector<std::uint8_t>& b, std::size_t at) { return FieldAt<std::uint32_t>(b, at); }

// A hull as the rules hold it, with test defaults; the files are written by
// the game's own writer, so the layout lives in one place.
struct HullEntry {
  std::string name = "Test Hull";
  std::uint8_t unitClass = 8;
  std::uint32_t mass = 200;
  std::uint32_t massLimit = 600;
  std::uint8_t successor = 255;
  std::uint32_t researched = 1;
  std::uint16_t costs[4] = {100, 50, 20, 10};
  std::uint16_t structure = 200;
  // x, y, anchor x, anchor y, mask
  std::vector<std::array<std::uint32_t, 5>> slots = {{10, 20, 1, 1, 0x1000}};

  CGHull Record(int section, int index) const {
    CGHull h = CGHull();  // value-initialised: padding zero, as the database's records are
    plat::FixedText::Set(h.name, name);
    h.section = static_cast<std::uint8_t>(section);
    h.index = static_cast<std::uint8_t>(index);
    h.unitClass = unitClass;
    h.attribute = 0;
    h.mass = mass;
    h.massLimit = massLimit;
    h.successor = successor;
    h.available = researched;
    std::copy(std::begin(costs), std::end(costs), h.costs);
    h.structurePoints = structure;
    for (std::size_t i = 0; i < slots.size() && i < kMaxHullSlots; ++i) {
      const auto& s = slots[i];
      h.slots[i] = {static_cast<std::uint16_t>(s[0]), static_cast<std::uint16_t>(s[1]),
                    static_cast<std::uint16_t>(s[2]), static_cast<std::uint16_t>(s[3]), s[4]};
    }
    return h;
  }
};

// "hulls.dat" with the given hulls of each guild's section in order (missing
// sections empty); `skip` leaves an empty entry at that index of every section.
inline std::vector<std::uint8_t> HullsFile(const std::vector<std::vector<HullEntry>>& sections, int skip = -1) {
  std::vector<CGHull> records;
  for (std::size_t s = 0; s < sections.size(); ++s) {
    for (std::size_t i = 0; i < sections[s].size(); ++i) {
      const int index = static_cast<int>(i) + (skip >= 0 && static_cast<int>(i) >= skip ? 1 : 0);
      records.push_back(sections[s][i].Record(static_cast<int>(s), index));
    }
  }
  std::vector<const CGHull*> list;
  for (const CGHull& h : records) list.push_back(&h);
  return WriteHullsImage(list);
}

// A module as the rules hold it, with test defaults (a weapon). Type data is
// in its in-memory places (WeaponData, DriveData give the two packed kinds).
struct ModuleEntry {
  std::string name = "Test Module";
  std::uint8_t guildMask = 1;
  std::uint8_t type = 10;
  std::uint16_t costs[5] = {30, 20, 10, 5, 40};
  std::uint16_t successor = 0xFFFF;
  std::uint8_t buildPoints = 20;
  std::uint8_t techLevel = 1;
  std::string image = "wtest";
  std::string sound = "@boom";
  std::uint8_t defenses[8] = {};
  std::uint16_t powerUse = 8;
  std::uint8_t mass = 10;
  // Range 25, effective 15. Made from a named array: GCC, inlining the list
  // into every caller, took its copy for a read of uninitialised bytes.
  static constexpr std::uint8_t kWeaponTypeData[10] = {1, 12, 0x28, 0x0A, 0x18, 0x06, 3, 70, 40, 0};
  std::vector<std::uint8_t> typeData{std::begin(kWeaponTypeData), std::end(kWeaponTypeData)};

  ModuleRecord Record() const {
    ModuleRecord m = ModuleRecord();
    plat::FixedText::Set(m.name, name);
    m.guildMask = guildMask;
    m.type = type;
    std::copy(std::begin(costs), std::end(costs), m.costs);
    m.successor = successor;
    m.helpTopic = static_cast<std::uint16_t>(1000 + type);
    m.buildPoints = buildPoints;
    m.techLevel = techLevel;
    plat::FixedText::Set(m.imageName, image);
    plat::FixedText::Set(m.soundName, sound);
    std::copy(std::begin(defenses), std::end(defenses), m.defenses);
    m.powerUse = powerUse;
    m.mass = mass;
    std::copy_n(typeData.begin(), std::min<std::size_t>(typeData.size(), 10), m.typeData);
    return m;
  }
};

inline std::vector<std::uint8_t> ModulesFile(const std::vector<ModuleEntry>& entries) {
  std::vector<ModuleRecord> records;
  for (const ModuleEntry& e : entries) records.push_back(e.Record());
  return WriteModulesImage(records);
}

inline ModuleEntry Module(const std::string& name, std::uint8_t type = 10, std::vector<std::uint8_t> typeData = {}) {
  ModuleEntry e;
  e.name = name;
  e.type = type;
  if (!typeData.empty()) e.typeData = std::move(typeData);
  return e;
}

// Weapon type data: attack, strength, range, effective range (in the file's
// units, scaled as the rules read them), rate of fire, hit, ammo, pattern.
inline std::vector<std::uint8_t> WeaponData(int attack, int strength, int range, int effective, int rof, int hit,
                                            int ammo, int pattern) {
  auto scaled = [](int v) { return std::min(v * kWeaponRangeScale, 0xFFFF); };
  Image im;
  im.U8(attack).U8(strength).U16(scaled(range)).U16(scaled(effective)).U8(rof).U8(hit).U8(ammo).U8(pattern);
  return im.bytes;
}

// Propulsion type data: deep thrust at byte 0, local thrust at byte 8.
inline std::vector<std::uint8_t> DriveData(int deep, int local) {
  return {static_cast<std::uint8_t>(deep), 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(local), 0};
}

}  // namespace rules_test
