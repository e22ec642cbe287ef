#include "server/email/SrvEmailInfo.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Game/base/GInstData.h"
#include "platform/core/dospath.h"

namespace {

constexpr std::size_t kMaxInfoBytes = 64 * 1024;
constexpr int kTraits = 20;
constexpr std::size_t kTraitOffset = 48;

struct KeyAt {
  const char* key;
  bool settings;  // else the configuration
  std::size_t offset;
};

constexpr KeyAt kKeys[] = {
    {"NumberOfChapters:", false, 14},     {"NumberOfAsteroids:", false, 16},   {"TurnTimeLimit:", false, 18},
    {"VictoryConditions:", false, 20},    {"BiggestIsBestTurns:", false, 22},  {"ImperatorAsteroids:", false, 24},
    {"ImperatorVotes:", false, 26},       {"RandomEvents:", false, 28},        {"OrbitSpeed:", false, 30},
    {"ResearchShared:", false, 32},       {"ChaoticOrbits:", false, 34},       {"RandomSystemSize:", true, 20},
    {"RandomEconomicGrade:", true, 22},   {"RandomOrbits:", true, 24},         {"ResourceScale:", true, 26},
    {"ForceScale:", true, 28},            {"FOWShowInTransit:", true, 36},     {"FOWShowInAsteroidal:", true, 38},
    {"FOWAstStartScanned:", true, 40},    {"FOWShipStartScanned:", true, 42},  {"FOWDispControlOfAst:", true, 44},
    {"FOWShowAsteroids:", true, 46},
};

bool Number(std::string_view word, unsigned max, unsigned& out) {
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
  return ec == std::errc() && end == word.data() + word.size() && out <= max;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxInfoBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

int SrvTakeEmailInfo(std::string_view text, SrvSetup& setup) {
  std::istringstream words{std::string(text.substr(0, kMaxInfoBytes))};
  std::string key, value, second;
  int taken = 0;
  while (words >> key) {
    if (key == "ChapterTrait:") {
      unsigned index = 0, v = 0;
      if (words >> value >> second && Number(value, kTraits - 1, index) && Number(second, 255, v)) {
        setup.settings.SetU8(kTraitOffset + index, static_cast<std::uint8_t>(v));
        ++taken;
      }
      continue;
    }
    for (const KeyAt& k : kKeys) {
      if (key != k.key) continue;
      unsigned v = 0;
      if (!(words >> value) || !Number(value, 0xFFFF, v)) break;
      if (k.settings)
        setup.settings.SetU16(k.offset, static_cast<std::uint16_t>(v));
      else
        setup.config.SetU16(k.offset, static_cast<std::uint16_t>(v));
      ++taken;
      break;
    }
  }
  return taken;
}

std::string SrvReadEmailInfo(const std::string& name) {
  const std::string file = name + "-eminfo.dat";
  CInstData inst;
  const char* install = inst.GetInstallPath();
  if (install != nullptr && *install != '\0')
    if (const auto dir = plat::ResolveDosPath(install)) {
      std::string text = ReadText(*dir / file);
      if (!text.empty()) return text;
    }
  return ReadText(file);
}
