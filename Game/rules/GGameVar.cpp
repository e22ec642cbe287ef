#include "Game/rules/GGameVar.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <variant>

#include "Game/base/GInstData.h"
#include "Game/base/GKeyValueReader.h"
#include "Game/base/GNumberText.h"
#include "Game/base/GStartupMessage.h"
#include "Game/base/TraceError.h"

namespace {

constexpr ATVTechEntry kDefaultTechEntry = {0, 0, 0, 0, '.', '.'};

const char* const kATVCostKeys[kATVTypes] = {"COMBAT_ATV_COSTS", "MINING_ATV_COSTS", "POWER_ATV_COSTS",
                                             "SEEDBANK_ATV_COSTS"};
const char* const kATVBuildPointKeys[kATVTypes] = {"COMBAT_ATV_BUILD_PTS", "MINING_ATV_BUILD_PTS",
                                                   "POWER_ATV_BUILD_PTS", "SEEDBANK_ATV_BUILD_PTS"};
const char* const kChapterResourceKeys[5] = {"CHAPTER_METALS", "CHAPTER_SILICATES", "CHAPTER_EXOTICS",
                                             "CHAPTER_REACTIVES", "CHAPTER_CREDITS_POOL"};
const char* const kPowerBaseKeys[5] = {"POWER_BASE_RUBY", "POWER_BASE_EMERALD", "POWER_BASE_SAPHIRE",
                                       "POWER_BASE_TOPAZ", "POWER_BASE_DIAMOND"};

// Reads numbers from the front of `value` into `out` until one is missing, as
// a scan with that many "%d" items fills what it can.
template <class T, std::size_t N>
void ScanInto(std::string_view value, T (&out)[N]) {
  for (T& field : out) {
    int n = 0;
    if (!ScanInt(value, n)) return;
    field = static_cast<T>(n);
  }
}

// True when `fp`, read to its end, holds only text: no control character but
// the tab and the line ends. A CR counts as text even alone: a file cut
// between the CR and the LF of a line end is only shorter.
bool TextOnly(plat::FILE* fp) {
  for (int c = plat::fgetc(fp); c != EOF; c = plat::fgetc(fp)) {
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return false;
  }
  return true;
}

// The field a one-number key sets; monostate for a key that is not one.
using NumberField = std::variant<std::monostate, std::uint8_t*, std::uint16_t*, std::uint32_t*>;

NumberField FieldOf(CGameVariables& v, std::string_view key) {
  for (int t = 0; t < kATVTypes; ++t) {
    if (key == kATVBuildPointKeys[t]) return &v.atvBuildPoints[t];
  }
  for (int i = 0; i < 5; ++i) {
    if (key == kChapterResourceKeys[i]) return &v.chapterStartingResources[i];
    if (key == kPowerBaseKeys[i]) return &v.powerBases[i];
  }
  if (key == "COST_STORAGE_FACILITY") return &v.costStorageFacility;
  if (key == "COST_MINING_FACILITY") return &v.costMiningFacility;
  if (key == "COST_POWER_FACILITY") return &v.costPowerFacility;
  if (key == "COST_ATV_CONSTRUCTION_FACILITY") return &v.costATVConstructionFacility;
  if (key == "EFFECT_MINING_FACILITY") return &v.effectMiningFacility;
  if (key == "EFFECT_POWER_FACILITY") return &v.effectPowerFacility;
  if (key == "CREDITS_PER_ASTEROID") return &v.creditsPerAsteroid;
  if (key == "LEECH_AMOUNT") return &v.leechAmount;
  if (key == "ASTEROID_COLLISION_RANGE") return &v.asteroidCollisionRange;
  return {};
}

}  // namespace

bool CGameVariables::IsKey(std::string_view key) {
  CGameVariables probe{std::string_view()};
  if (!std::holds_alternative<std::monostate>(FieldOf(probe, key))) return true;
  if (key == "FACILITY_DESTRUCTION" || key == "ATV_TECH_LEVELS") return true;
  return std::find(std::begin(kATVCostKeys), std::end(kATVCostKeys), key) != std::end(kATVCostKeys);
}

void CGameVariables::SetDefaults() {
  for (auto& guild : atvTechLevels) {
    for (auto& level : guild) std::fill(std::begin(level), std::end(level), kDefaultTechEntry);
  }
}

CGameVariables::CGameVariables(std::string_view text) {
  SetDefaults();
  ReadKeyValueLines(text, [this](std::string_view key, std::string_view value) { Store(key, value); });
}

CGameVariables::CGameVariables() {
  SetDefaults();
  plat::FILE* fp = OpenDataFile("gamevar.dat", "r");
  if (fp == nullptr) fp = OpenDataFile("..\\gamevar.dat", "r");
  if (fp == nullptr) {
    QueueStartupMessage(kGameVarNotFound);
    return;
  }
  if (!ReadFile(fp)) QueueStartupMessage(kGameVarDamaged);
  plat::fclose(fp);
}

bool CGameVariables::ReadFile(plat::FILE* fp) {
  // A file with bytes no text holds, or with a line the format has no room
  // for, is not the designer's file any more: none of its numbers can be
  // trusted, so none is taken. Whether it holds every key says nothing, as
  // every key is optional.
  if (!TextOnly(fp)) return false;
  plat::rewind(fp);
  CGameVariables read{std::string_view()};
  const std::size_t overlong =
      ReadKeyValueLines(fp, [&read](std::string_view key, std::string_view value) { read.Store(key, value); });
  if (overlong != 0) return false;
  *this = read;
  return true;
}

void CGameVariables::Store(std::string_view key, std::string_view value) {
  for (int t = 0; t < kATVTypes; ++t) {
    if (key == kATVCostKeys[t]) return ScanInto(value, atvCosts[t]);
  }
  if (key == "FACILITY_DESTRUCTION") return ScanInto(value, facilityDestruction);
  if (key == "ATV_TECH_LEVELS") return StoreATVTechLevels(value);
  // Unknown keys are passed over with their values.
  const int number = ParseInt(value);
  std::visit(
      [number](auto field) {
        if constexpr (!std::is_same_v<decltype(field), std::monostate>) {
          *field = static_cast<std::remove_pointer_t<decltype(field)>>(number);
        }
      },
      FieldOf(*this, key));
}

void CGameVariables::StoreATVTechLevels(std::string_view value) {
  int items[7] = {};
  char marks[2] = {};
  bool complete = true;
  for (int& item : items) complete = complete && ScanInt(value, item);
  for (char& mark : marks) complete = complete && ScanChar(value, mark);
  if (!complete) {
    // A short line would leave the missing items undefined: it is not stored.
    TraceError("Bad ATV_TECH_LEVELS entry. Incorrect number of attributes", __FILE__, __LINE__);
    return;
  }
  const int guild = items[0];
  const int level = items[1];
  const int type = items[2];
  if (guild < 0 || guild >= 5 || level < 0 || level >= 4 || type < 0 || type >= kATVTypes) {
    TraceError("Bad ATV_TECH_LEVELS entry.", __FILE__, __LINE__);
    return;
  }
  ATVTechEntry& entry = atvTechLevels[guild][level][type];
  for (int i = 0; i < 4; ++i) entry[i] = static_cast<std::uint8_t>(items[3 + i]);
  entry[4] = static_cast<std::uint8_t>(marks[0]);
  entry[5] = static_cast<std::uint8_t>(marks[1]);
}

void CGameVariables::GetATVCosts(int type, std::span<std::int16_t, 5> out) const {
  if (type < 0 || type >= kATVTypes) return;
  std::copy(std::begin(atvCosts[type]), std::end(atvCosts[type]), out.begin());
}

std::uint16_t CGameVariables::GetATVBuildPoints(int type) const {
  if (type < 0 || type >= kATVTypes) {
    TraceError("Invalid ATV type", __FILE__, __LINE__);
    return 0;
  }
  return atvBuildPoints[type];
}

void CGameVariables::GetATVTechEntry(int guild, int level, int type, ATVTechEntry* out) const {
  if (guild < 0 || guild >= 5 || level < 0 || level >= 4 || type < 0 || type >= kATVTypes) {
    TraceError("Invalid ATV tech entry", __FILE__, __LINE__);
    return;
  }
  *out = atvTechLevels[guild][level][type];
}

std::uint32_t CGameVariables::GetChapterStartingResource(int index) const {
  if (index < 0 || index >= 5) {
    TraceError("Invalid chapter resource", __FILE__, __LINE__);
    return 0;
  }
  return chapterStartingResources[index];
}

namespace {

template <class T, std::size_t N>
std::string Numbers(const T (&values)[N]) {
  std::string text;
  for (const T v : values) text += (text.empty() ? "" : " ") + std::to_string(v);
  return text;
}

}  // namespace

std::string GameVariablesText(const CGameVariables& v) {
  std::string text;
  auto line = [&text](std::string_view key, const std::string& value) {
    text += std::string(key) + "=" + value + "\r\n";
  };
  for (int t = 0; t < kATVTypes; ++t) line(kATVCostKeys[t], Numbers(v.atvCosts[t]));
  for (int t = 0; t < kATVTypes; ++t) line(kATVBuildPointKeys[t], std::to_string(v.atvBuildPoints[t]));
  for (int g = 0; g < 5; ++g) {
    for (int l = 0; l < 4; ++l) {
      for (int t = 0; t < kATVTypes; ++t) {
        const ATVTechEntry& e = v.atvTechLevels[g][l][t];
        if (e == kDefaultTechEntry) continue;
        std::string value = std::to_string(g) + " " + std::to_string(l) + " " + std::to_string(t);
        for (int i = 0; i < 4; ++i) value += " " + std::to_string(e[i]);
        value += std::string(" ") + static_cast<char>(e[4]) + " " + static_cast<char>(e[5]);
        line("ATV_TECH_LEVELS", value);
      }
    }
  }
  line("COST_STORAGE_FACILITY", std::to_string(v.costStorageFacility));
  line("COST_MINING_FACILITY", std::to_string(v.costMiningFacility));
  line("COST_POWER_FACILITY", std::to_string(v.costPowerFacility));
  line("COST_ATV_CONSTRUCTION_FACILITY", std::to_string(v.costATVConstructionFacility));
  line("EFFECT_MINING_FACILITY", std::to_string(v.effectMiningFacility));
  line("EFFECT_POWER_FACILITY", std::to_string(v.effectPowerFacility));
  line("FACILITY_DESTRUCTION", Numbers(v.facilityDestruction));
  for (int i = 0; i < 5; ++i) line(kChapterResourceKeys[i], std::to_string(v.chapterStartingResources[i]));
  for (int i = 0; i < 5; ++i) line(kPowerBaseKeys[i], std::to_string(v.powerBases[i]));
  line("CREDITS_PER_ASTEROID", std::to_string(v.creditsPerAsteroid));
  line("LEECH_AMOUNT", std::to_string(v.leechAmount));
  line("ASTEROID_COLLISION_RANGE", std::to_string(v.asteroidCollisionRange));
  return text;
}
