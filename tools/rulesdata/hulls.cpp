#include "tools/rulesdata/hulls.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "Game/rules/GHullDB.h"

namespace rulesdata {
namespace {

constexpr std::array<std::string_view, 11> kModuleTypes = {"construction", "computer",   "damagecontrol", "defense",
                                                           "power",        "propulsion", "scout",         "ecm",
                                                           "tracking",     "transport",  "weapon"};
constexpr std::array<std::string_view, 11> kClasses = {"genp", "usta", "asta", "usct", "asct", "uasl",
                                                       "aasl", "cons", "dest", "crus", "batt"};
constexpr int kSections = 5;
constexpr std::size_t kMaxSlots = 20;
constexpr std::size_t kMaxNameChars = 49;  // a 50-byte field with its NUL
constexpr int kPictureWidth = 242;
constexpr int kPictureHeight = 367;
constexpr int kSlotBox = 30;
constexpr std::uint8_t kNoSuccessor = kNoSuccessorHull;

struct Slot {
  int x, y, anchorX, anchorY;
  std::uint32_t mask;
};

struct Hull {
  int line = 0;
  bool empty = false;
  std::string name, next;
  int unitClass = 0;
  std::int64_t size = 0;
  std::int64_t mass = 0, limit = 0, structure = 0;
  std::int64_t costs[4] = {};
  std::string layout;
  bool start = false;
};

class HullCompiler {
 public:
  explicit HullCompiler(std::vector<Problem>& problems) : problems_(problems) {}

  void Line(const SourceLine& line) {
    const std::string& word = line.tokens[0];
    if (word == "layout") return Layout(line);
    if (word == "slot") return AddSlot(line);
    if (word == "section") return Section(line);
    if (word == "hull") return AddHull(line);
    if (word == "empty") return AddEmpty(line);
    Fail(line, "unknown record \"" + word + "\"");
  }

  std::vector<std::uint8_t> Write(std::size_t& records) {
    std::vector<std::unique_ptr<CGHull>> hulls;
    for (int s = 0; s < kSections; ++s) {
      const std::vector<Hull>& entries = sections_[s];
      if (entries.size() > 255) {
        problems_.push_back({0, "section " + std::to_string(s) + " holds more than 255 entries"});
        continue;
      }
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].empty) hulls.push_back(Record(entries[i], s, static_cast<int>(i)));
      }
    }
    records = hulls.size();
    std::vector<const CGHull*> list;
    for (const auto& h : hulls) list.push_back(h.get());
    return WriteHullsImage(list);
  }

 private:
  void Fail(const SourceLine& line, const std::string& message) { problems_.push_back({line.number, message}); }

  bool Count(const SourceLine& line, std::size_t wanted) {
    if (line.tokens.size() == wanted) return true;
    Fail(line, "\"" + line.tokens[0] + "\" takes " + std::to_string(wanted - 1) + " fields");
    return false;
  }

  void Layout(const SourceLine& line) {
    if (!Count(line, 2)) return;
    if (layouts_.count(line.tokens[1]) != 0) return Fail(line, "layout \"" + line.tokens[1] + "\" given twice");
    currentLayout_ = line.tokens[1];
    layouts_[currentLayout_];
  }

  void AddSlot(const SourceLine& line) {
    if (currentLayout_.empty()) return Fail(line, "slot outside a layout");
    if (line.tokens.size() < 6) return Fail(line, "slot takes x, y, anchor x, anchor y and module types");
    std::vector<Slot>& slots = layouts_[currentLayout_];
    if (slots.size() == kMaxSlots) return Fail(line, "a layout holds at most 20 slots");
    const auto x = ParseNumber(line.tokens[1], 0, kPictureWidth - kSlotBox);
    const auto y = ParseNumber(line.tokens[2], 0, kPictureHeight - kSlotBox);
    const auto ax = ParseNumber(line.tokens[3], 0, kPictureWidth - 1);
    const auto ay = ParseNumber(line.tokens[4], 0, kPictureHeight - 1);
    if (!x || !y || !ax || !ay) return Fail(line, "slot position or anchor outside the hull picture");
    std::uint32_t mask = 0;
    for (std::size_t i = 5; i < line.tokens.size(); ++i) {
      const auto bit = ModuleTypeBit(line.tokens[i]);
      if (!bit) return Fail(line, "unknown module type \"" + line.tokens[i] + "\"");
      mask = *bit == kSlotAny ? kSlotAny : (mask == kSlotAny ? kSlotAny : mask | *bit);
    }
    slots.push_back({static_cast<int>(*x), static_cast<int>(*y), static_cast<int>(*ax), static_cast<int>(*ay), mask});
  }

  void Section(const SourceLine& line) {
    if (!Count(line, 2)) return;
    const auto guild = ParseNumber(line.tokens[1], 0, kSections - 1);
    if (!guild) return Fail(line, "section must be a guild 0..4");
    if (seen_[*guild]) return Fail(line, "section " + line.tokens[1] + " given twice");
    seen_[*guild] = true;
    section_ = static_cast<int>(*guild);
  }

  void AddEmpty(const SourceLine& line) {
    if (section_ < 0) return Fail(line, "entry outside a section");
    if (!Count(line, 1)) return;
    Hull h;
    h.line = line.number;
    h.empty = true;
    sections_[section_].push_back(h);
  }

  void AddHull(const SourceLine& line) {
    if (section_ < 0) return Fail(line, "hull outside a section");
    if (!Count(line, 14)) return;
    const std::vector<std::string>& t = line.tokens;
    Hull h;
    h.line = line.number;
    h.name = t[1];
    if (h.name.empty() || h.name.size() > kMaxNameChars) return Fail(line, "a hull name holds 1 to 49 characters");
    for (const Hull& other : sections_[section_]) {
      if (!other.empty && other.name == h.name) return Fail(line, "hull \"" + h.name + "\" given twice");
    }
    h.unitClass = -1;
    for (std::size_t c = 0; c < kClasses.size(); ++c) {
      if (t[2] == kClasses[c]) h.unitClass = static_cast<int>(c);
    }
    if (h.unitClass < 0) return Fail(line, "unknown unit class \"" + t[2] + "\"");
    const auto size = ParseNumber(t[3], 0, 255);
    if (!size) return Fail(line, "size is a number 0..255");
    h.size = *size;
    const auto mass = ParseNumber(t[4], 1, 0xFFFFFFFF);
    const auto limit = ParseNumber(t[5], 1, 0xFFFFFFFF);
    if (!mass || !limit || *limit < *mass) return Fail(line, "mass and mass limit must be numbers, limit >= mass");
    h.mass = *mass;
    h.limit = *limit;
    for (int k = 0; k < 4; ++k) {
      const auto cost = ParseNumber(t[6 + k], 0, 0xFFFF);
      if (!cost) return Fail(line, "costs are numbers 0..65535");
      h.costs[k] = *cost;
    }
    const auto structure = ParseNumber(t[10], 1, 0xFFFF);
    if (!structure) return Fail(line, "structure points are a number 1..65535");
    h.structure = *structure;
    h.layout = t[11];
    if (layouts_.count(h.layout) == 0) return Fail(line, "unknown layout \"" + h.layout + "\"");
    h.next = t[12] == "-" ? std::string() : t[12];
    if (t[13] != "yes" && t[13] != "no") return Fail(line, "start is \"yes\" or \"no\"");
    h.start = t[13] == "yes";
    sections_[section_].push_back(h);
  }

  // The index of the named hull in the section, or a problem.
  std::uint8_t SuccessorIndex(const Hull& h, int section) {
    if (h.next.empty()) return kNoSuccessor;
    const std::vector<Hull>& hulls = sections_[section];
    for (std::size_t i = 0; i < hulls.size(); ++i) {
      if (!hulls[i].empty && hulls[i].name == h.next && hulls[i].name != h.name) return static_cast<std::uint8_t>(i);
    }
    problems_.push_back({h.line, "next hull \"" + h.next + "\" is not another hull of the section"});
    return kNoSuccessor;
  }

  std::unique_ptr<CGHull> Record(const Hull& h, int section, int index) {
    auto r = std::make_unique<CGHull>();
    std::memcpy(r->name, h.name.data(), h.name.size());
    r->section = static_cast<std::uint8_t>(section);
    r->index = static_cast<std::uint8_t>(index);
    r->unitClass = static_cast<std::uint8_t>(h.unitClass);
    r->attribute = static_cast<std::uint8_t>(h.size);
    r->mass = static_cast<std::uint32_t>(h.mass);
    r->massLimit = static_cast<std::uint32_t>(h.limit);
    r->successor = SuccessorIndex(h, section);
    r->available = h.start ? 1 : 0;
    r->researchPoints = h.start ? kResearched : 0;
    for (int k = 0; k < 4; ++k) r->costs[k] = static_cast<std::uint16_t>(h.costs[k]);
    r->structurePoints = static_cast<std::uint16_t>(h.structure);
    const std::vector<Slot>& slots = layouts_[h.layout];
    for (std::size_t s = 0; s < slots.size(); ++s) {
      r->slots[s] = HullSlot{static_cast<std::uint16_t>(slots[s].x), static_cast<std::uint16_t>(slots[s].y),
                             static_cast<std::uint16_t>(slots[s].anchorX), static_cast<std::uint16_t>(slots[s].anchorY),
                             slots[s].mask};
    }
    return r;
  }

  std::vector<Problem>& problems_;
  std::map<std::string, std::vector<Slot>> layouts_;
  std::string currentLayout_;
  std::vector<Hull> sections_[kSections];
  bool seen_[kSections] = {};
  int section_ = -1;
};

}  // namespace

std::optional<int> ModuleTypeIndex(std::string_view name) {
  for (std::size_t i = 0; i < kModuleTypes.size(); ++i) {
    if (name == kModuleTypes[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ModuleTypeBit(std::string_view name) {
  if (name == "any") return kSlotAny;
  const auto index = ModuleTypeIndex(name);
  if (!index) return std::nullopt;
  return 1u << *index;
}

CompiledFile CompileHulls(std::string_view source) {
  CompiledFile out;
  const std::vector<SourceLine> lines = SplitSourceLines(source, out.problems);
  HullCompiler compiler(out.problems);
  for (const SourceLine& line : lines) compiler.Line(line);
  std::vector<std::uint8_t> bytes = compiler.Write(out.records);
  if (out.problems.empty()) out.bytes = std::move(bytes);
  return out;
}

}  // namespace rulesdata
