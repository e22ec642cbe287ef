#include "server/email/SrvEmailInfo.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Game/base/GInstData.h"
#include "platform/core/dospath.h"

namespace {

constexpr std::size_t kMaxInfoBytes = 64 * 1024;
constexpr int kTraits = kChapterTraits;

// A key names a field of the configuration or of the settings.
struct KeyOf {
  const char* key;
  std::uint16_t GameConfigPacket::*config;
  std::uint16_t GameSettingsPacket::*settings;
};

constexpr KeyOf kKeys[] = {
    {"NumberOfChapters:", &GameConfigPacket::chapters, nullptr},
    {"NumberOfAsteroids:", &GameConfigPacket::asteroids, nullptr},
    {"TurnTimeLimit:", &GameConfigPacket::turnTimeLimit, nullptr},
    {"VictoryConditions:", &GameConfigPacket::victoryConditions, nullptr},
    {"BiggestIsBestTurns:", &GameConfigPacket::biggestIsBestTurns, nullptr},
    {"ImperatorAsteroids:", &GameConfigPacket::imperatorAsteroids, nullptr},
    {"ImperatorVotes:", &GameConfigPacket::imperatorVotes, nullptr},
    {"RandomEvents:", &GameConfigPacket::randomEvents, nullptr},
    {"OrbitSpeed:", &GameConfigPacket::orbitSpeed, nullptr},
    {"ResearchShared:", &GameConfigPacket::researchShared, nullptr},
    {"ChaoticOrbits:", &GameConfigPacket::chaoticOrbits, nullptr},
    {"RandomSystemSize:", nullptr, &GameSettingsPacket::randomSystemSize},
    {"RandomEconomicGrade:", nullptr, &GameSettingsPacket::randomEconomicGrade},
    {"RandomOrbits:", nullptr, &GameSettingsPacket::randomOrbits},
    {"ResourceScale:", nullptr, &GameSettingsPacket::resourceScale},
    {"ForceScale:", nullptr, &GameSettingsPacket::forceScale},
    {"FOWShowInTransit:", nullptr, &GameSettingsPacket::fowShowInTransit},
    {"FOWShowInAsteroidal:", nullptr, &GameSettingsPacket::fowShowInAsteroidal},
    {"FOWAstStartScanned:", nullptr, &GameSettingsPacket::fowAstStartScanned},
    {"FOWShipStartScanned:", nullptr, &GameSettingsPacket::fowShipStartScanned},
    {"FOWDispControlOfAst:", nullptr, &GameSettingsPacket::fowDispControlOfAst},
    {"FOWShowAsteroids:", nullptr, &GameSettingsPacket::fowShowAsteroids},
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
  GameConfigPacket config = setup.Config();
  GameSettingsPacket settings = setup.Settings();
  int taken = 0;
  while (words >> key) {
    if (key == "ChapterTrait:") {
      unsigned index = 0, v = 0;
      if (words >> value >> second && Number(value, kTraits - 1, index) && Number(second, 255, v)) {
        settings.traits[index] = static_cast<std::uint8_t>(v);
        ++taken;
      }
      continue;
    }
    for (const KeyOf& k : kKeys) {
      if (key != k.key) continue;
      unsigned v = 0;
      if (!(words >> value) || !Number(value, 0xFFFF, v)) break;
      if (k.settings != nullptr)
        settings.*k.settings = static_cast<std::uint16_t>(v);
      else
        config.*k.config = static_cast<std::uint16_t>(v);
      ++taken;
      break;
    }
  }
  setup.SetConfig(config);
  setup.SetSettings(settings);
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
