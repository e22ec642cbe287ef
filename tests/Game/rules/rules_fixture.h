#pragma once
// Shared pieces of the rules-data tests: a scratch installation, a record of
// the packets the rules send, and builders of binary rules images.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "Game/rules/GRulesLinks.h"
#include "platform/core/bytes.h"
#include "tests/Game/model/sandbox.h"

namespace rules_test {

// The scratch installation's drive C, addressed by file name.
class Sandbox : public model_test::Sandbox {
 public:
  std::filesystem::path Host(const std::string& name) const { return model_test::Sandbox::Host("c/" + name); }
  void Write(const std::string& name, const std::string& bytes) const { model_test::Sandbox::Write("c/" + name, bytes); }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::string Read(const std::string& name) const { return model_test::Sandbox::Read("c/" + name); }
  // Path on drive C as the game names it.
  static std::string Dos(const std::string& name) { return "C:\\" + name; }
};

// Sets up the rules links for a test and puts them back afterwards: packets
// sent are kept, the local chapter and its traits are the test's.
class RulesLinksScope {
 public:
  RulesLinksScope() {
    g_rulesLinks = RulesLinks{};
    g_rulesLinks.send = [this](int slot, std::span<std::uint8_t> p) {
      sent.push_back({slot, false, {p.begin(), p.end()}});
      return true;
    };
    g_rulesLinks.broadcastUnsequenced = [this](int slot, std::span<std::uint8_t> p) {
      sent.push_back({slot, true, {p.begin(), p.end()}});
      return true;
    };
    g_rulesLinks.localChapterId = [this] { return localChapter; };
    g_rulesLinks.chapterTrait = [this](std::uint8_t, int t) { return t >= 0 && t < 20 ? traits[t] : 0; };
    g_rulesLinks.showMessage = [this](const char* text) { messages.emplace_back(text); };
  }
  ~RulesLinksScope() { g_rulesLinks = RulesLinks{}; }
  RulesLinksScope(const RulesLinksScope&) = delete;
  RulesLinksScope& operator=(const RulesLinksScope&) = delete;

  struct Sent {
    int slot;
    bool unsequenced;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Sent> sent;
  std::vector<std::string> messages;
  std::uint16_t localChapter = 0;
  std::uint8_t traits[20] = {};
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

// One hull entry of "hulls.dat" (name length and name first).
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

  void AppendTo(Image& im) const {
    im.U32(name.size() + 1).Text(name, name.size() + 1);
    im.U8(unitClass).U8(0).U32(mass).U32(massLimit).U8(successor).U32(researched);
    for (std::uint16_t c : costs) im.U16(c);
    im.U16(structure).U8(slots.size());
    for (const auto& s : slots) {
      for (std::uint32_t v : s) im.U32(v);
    }
  }
};

// One record of "modules.dat" with its packed type data.
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
  std::vector<std::uint8_t> typeData = {1, 12, 25, 0, 15, 0, 3, 70, 40, 0};

  void AppendTo(Image& im) const {
    im.Text(name, 30).U8(guildMask).U8(0).U8(type);
    for (std::uint16_t c : costs) im.U16(c);
    for (int i = 0; i < 5; ++i) im.U16(0);
    im.U16(successor).U8(0).U8(0).U16(1000 + type).U16(0).U8(buildPoints).U8(0).U8(techLevel);
    im.Text(image, 6).Text(sound, 7);
    for (std::uint8_t d : defenses) im.U8(d);
    im.U8(0).U8(0).U16(0).U16(powerUse).U8(mass);
    for (std::uint8_t b : typeData) im.U8(b);
  }
};

inline ModuleEntry Module(const std::string& name, std::uint8_t type = 10, std::vector<std::uint8_t> typeData = {}) {
  ModuleEntry e;
  e.name = name;
  e.type = type;
  if (!typeData.empty()) e.typeData = std::move(typeData);
  return e;
}

// Weapon type data: attack, strength, range, effective range (file units), rate of fire, hit, ammo, pattern.
inline std::vector<std::uint8_t> WeaponData(int attack, int strength, int range, int effective, int rof, int hit,
                                            int ammo, int pattern) {
  Image im;
  im.U8(attack).U8(strength).U16(range).U16(effective).U8(rof).U8(hit).U8(ammo).U8(pattern);
  return im.bytes;
}

}  // namespace rules_test
