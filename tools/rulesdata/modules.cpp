#include "tools/rulesdata/modules.h"

#include <array>
#include <cstring>
#include <map>
#include <string>

#include "Game/rules/GModuleDB.h"
#include "platform/core/bytes.h"

namespace rulesdata {
namespace {

enum Type {
  CONSTRUCTION,
  COMPUTER,
  DAMAGECONTROL,
  DEFENSE,
  POWER,
  PROPULSION,
  SCOUT,
  ECM,
  TRACKING,
  TRANSPORT,
  WEAPON
};

constexpr std::array<std::string_view, 5> kComputerTypes = {"defense", "scout", "combat", "transport", "construction"};
constexpr std::array<std::string_view, 8> kAttackTypes = {"solid", "explosive", "corrosive", "chemical",
                                                          "heat",  "radiation", "discharge", "nuclear"};
constexpr std::array<std::string_view, 3> kPatterns = {"missile", "beam", "cannon"};
constexpr std::size_t kCommonTokens = 15;  // "module" and the common columns
constexpr std::size_t kTypeTokens[11] = {1, 2, 1, 3, 3, 2, 1, 1, 1, 1, 8};
constexpr std::size_t kMaxNameChars = 29;
constexpr std::size_t kMaxImageChars = 5;
constexpr std::size_t kMaxSoundChars = 6;
constexpr int kHelpTopicBase = 1000;
// Special weapons (a rate of fire above 20) have a topic of their own after the types'.
constexpr int kSpecialWeaponTopic = kHelpTopicBase + 11;
constexpr int kMaxRange = 0xFFFF / kWeaponRangeScale;

struct Module {
  int line = 0;
  int type = 0;
  std::string name, next, image, sound;
  int guild = 0, tech = 0;
  std::int64_t costs[5] = {};
  std::int64_t buildPoints = 0, power = 0, mass = 0;
  std::uint8_t defenses[8] = {};
  std::uint8_t typeData[10] = {};  // as the game keeps it in memory
};

std::optional<int> IndexIn(std::string_view word, auto const& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (word == names[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

class ModuleCompiler {
 public:
  explicit ModuleCompiler(std::vector<Problem>& problems) : problems_(problems) {}

  void Line(const SourceLine& line) {
    if (line.tokens[0] == "modules") {
      if (line.tokens.size() != 2) return Fail(line, "\"modules\" takes a module type");
      const auto type = ModuleTypeIndex(line.tokens[1]);
      if (!type) return Fail(line, "unknown module type \"" + line.tokens[1] + "\"");
      type_ = *type;
      return;
    }
    if (line.tokens[0] != "module") return Fail(line, "unknown record \"" + line.tokens[0] + "\"");
    if (type_ < 0) return Fail(line, "module before its \"modules\" type line");
    if (line.tokens.size() != kCommonTokens + kTypeTokens[type_]) {
      return Fail(line,
                  "a module of this type takes " + std::to_string(kCommonTokens - 1 + kTypeTokens[type_]) + " fields");
    }
    Module m;
    m.line = line.number;
    m.type = type_;
    if (Common(line, m) && TypeColumns(line, m)) {
      if (index_.count(m.name) != 0) return Fail(line, "module \"" + m.name + "\" given twice");
      index_[m.name] = modules_.size();
      modules_.push_back(std::move(m));
    }
  }

  std::vector<std::uint8_t> Write() {
    std::vector<ModuleRecord> records;
    records.reserve(modules_.size());
    for (const Module& m : modules_) records.push_back(Record(m));
    return WriteModulesImage(records);
  }
  std::size_t Count() const { return modules_.size(); }

 private:
  void Fail(const SourceLine& line, const std::string& message) { problems_.push_back({line.number, message}); }

  bool Common(const SourceLine& line, Module& m) {
    const std::vector<std::string>& t = line.tokens;
    m.name = t[1];
    if (m.name.empty() || m.name.size() > kMaxNameChars)
      return Fail(line, "a module name holds 1 to 29 characters"), false;
    const auto guild = ParseNumber(t[2], 0, 4);
    const auto tech = ParseNumber(t[3], 1, 255);
    if (!guild || !tech) return Fail(line, "guild is 0..4, tech level 1..255"), false;
    m.guild = static_cast<int>(*guild);
    m.tech = static_cast<int>(*tech);
    m.next = t[4] == "-" ? std::string() : t[4];
    for (int k = 0; k < 5; ++k) {
      const auto cost = ParseNumber(t[5 + k], 0, 0xFFFF);
      if (!cost) return Fail(line, "costs are numbers 0..65535"), false;
      m.costs[k] = *cost;
    }
    const auto bp = ParseNumber(t[10], 0, 255);
    const auto power = ParseNumber(t[11], 0, 0xFFFF);
    const auto mass = ParseNumber(t[12], 0, 255);
    if (!bp || !power || !mass) return Fail(line, "build points 0..255, power use 0..65535, mass 0..255"), false;
    m.buildPoints = *bp;
    m.power = *power;
    m.mass = *mass;
    m.image = t[13];
    m.sound = t[14] == "-" ? std::string() : t[14];
    if (m.image.empty() || m.image.size() > kMaxImageChars)
      return Fail(line, "an image name holds 1 to 5 characters"), false;
    if (m.sound.size() > kMaxSoundChars) return Fail(line, "a sound name holds at most 6 characters"), false;
    return true;
  }

  bool Number(const SourceLine& line, std::size_t i, std::int64_t low, std::int64_t high, std::int64_t& out) {
    const auto v = ParseNumber(line.tokens[i], low, high);
    if (!v) {
      Fail(line,
           "field \"" + line.tokens[i] + "\" must be a number " + std::to_string(low) + ".." + std::to_string(high));
      return false;
    }
    out = *v;
    return true;
  }

  bool TypeColumns(const SourceLine& line, Module& m) {
    const std::vector<std::string>& t = line.tokens;
    const std::size_t c = kCommonTokens;
    plat::ByteWriter d{std::span(m.typeData)};
    std::int64_t a = 0, b = 0, e = 0;
    switch (m.type) {
      case COMPUTER: {
        const auto sub = IndexIn(t[c], kComputerTypes);
        const auto bonuses = ParseNumberList(t[c + 1], 9, -50, 127);
        if (!sub || !bonuses) return Fail(line, "a computer takes its subtype and nine bonuses -50..127"), false;
        d.U8(*sub);
        for (std::int64_t v : *bonuses) d.U8(static_cast<std::uint8_t>(v));
        return true;
      }
      case DEFENSE: {
        const auto shields = ParseNumberList(t[c + 1], 8, 0, 255);
        if (!Number(line, c, 0, 255, a)) return false;
        if (!shields || t[c + 2].size() != 8 || t[c + 2].find_first_not_of("01") != std::string::npos) {
          return Fail(line, "a defense module takes eight shield values and eight 0/1 flags"), false;
        }
        d.U8(a);
        for (std::int64_t v : *shields) d.U8(v);
        for (int k = 0; k < 8; ++k) m.defenses[k] = t[c + 2][k] == '1' ? 1 : 0;
        return true;
      }
      case POWER:
        if (!Number(line, c, 0, 0xFFFF, a) || !Number(line, c + 1, 0, 0xFFFF, b) ||
            !Number(line, c + 2, 0, 0xFFFF, e)) {
          return false;
        }
        d.U16(a);
        d.U16(b);
        d.U16(e);
        return true;
      case PROPULSION:  // deep thrust first, local thrust at byte 8
        if (!Number(line, c, 0, 255, a) || !Number(line, c + 1, 0, 255, b)) return false;
        m.typeData[0] = static_cast<std::uint8_t>(a);
        m.typeData[8] = static_cast<std::uint8_t>(b);
        return true;
      case TRANSPORT:
        if (!Number(line, c, 0, 0xFFFF, a)) return false;
        d.U16(a);
        return true;
      case WEAPON:
        return Weapon(line, m);
      default:  // construction, damage control, scout, ECM, tracking: one value
        if (!Number(line, c, 0, 255, a)) return false;
        d.U8(a);
        return true;
    }
  }

  bool Weapon(const SourceLine& line, Module& m) {
    const std::vector<std::string>& t = line.tokens;
    const std::size_t c = kCommonTokens;
    const auto attack = IndexIn(t[c], kAttackTypes);
    const auto pattern = IndexIn(t[c + 7], kPatterns);
    if (!attack || !pattern) return Fail(line, "unknown attack type or weapon pattern"), false;
    std::int64_t strength = 0, range = 0, effective = 0, rof = 0, hit = 0, ammo = 255;
    if (!Number(line, c + 1, 0, 255, strength) || !Number(line, c + 2, 1, kMaxRange, range) ||
        !Number(line, c + 3, 1, kMaxRange, effective) || !Number(line, c + 4, 1, 255, rof) ||
        !Number(line, c + 5, 0, 100, hit)) {
      return false;
    }
    if (t[c + 6] != "unlimited" && !Number(line, c + 6, 0, 254, ammo)) return false;
    if (effective > range) return Fail(line, "the effective range lies within the range"), false;
    plat::ByteWriter d{std::span(m.typeData)};
    d.U8(*attack);
    d.U8(strength);
    d.U16(range * kWeaponRangeScale);
    d.U16(effective * kWeaponRangeScale);
    d.U8(rof);
    d.U8(hit);
    d.U8(ammo);
    d.U8(*pattern);
    return true;
  }

  std::uint16_t Successor(const Module& m) {
    if (m.next.empty()) return kNoModule;
    const auto it = index_.find(m.next);
    if (it == index_.end() || modules_[it->second].guild != m.guild || it->second == index_[m.name]) {
      problems_.push_back({m.line, "next module \"" + m.next + "\" is not another module of the guild"});
      return kNoModule;
    }
    return static_cast<std::uint16_t>(it->second);
  }

  ModuleRecord Record(const Module& m) {
    ModuleRecord r = ModuleRecord();
    std::memcpy(r.name, m.name.data(), m.name.size());
    r.guildMask = static_cast<std::uint8_t>(1u << m.guild);
    r.type = static_cast<std::uint8_t>(m.type);
    for (int k = 0; k < 5; ++k) r.costs[k] = static_cast<std::uint16_t>(m.costs[k]);
    r.successor = Successor(m);
    const bool special = m.type == WEAPON && m.typeData[6] > kMaxRateOfFire;
    r.helpTopic = static_cast<std::uint16_t>(special ? kSpecialWeaponTopic : kHelpTopicBase + m.type);
    r.buildPoints = static_cast<std::uint8_t>(m.buildPoints);
    r.techLevel = static_cast<std::uint8_t>(m.tech);
    std::memcpy(r.imageName, m.image.data(), m.image.size());
    std::memcpy(r.soundName, m.sound.data(), m.sound.size());
    std::copy(std::begin(m.defenses), std::end(m.defenses), r.defenses);
    r.powerUse = static_cast<std::uint16_t>(m.power);
    r.mass = static_cast<std::uint8_t>(m.mass);
    std::copy(std::begin(m.typeData), std::end(m.typeData), r.typeData);
    return r;
  }

  std::vector<Problem>& problems_;
  std::vector<Module> modules_;
  std::map<std::string, std::size_t> index_;
  int type_ = -1;
};

}  // namespace

CompiledFile CompileModules(std::string_view source) {
  CompiledFile out;
  const std::vector<SourceLine> lines = SplitSourceLines(source, out.problems);
  ModuleCompiler compiler(out.problems);
  for (const SourceLine& line : lines) compiler.Line(line);
  if (compiler.Count() > 0xFFFE) out.problems.push_back({0, "more than 65,534 modules"});
  std::vector<std::uint8_t> bytes = compiler.Write();
  out.records = compiler.Count();
  if (out.problems.empty()) out.bytes = std::move(bytes);
  return out;
}

}  // namespace rulesdata
