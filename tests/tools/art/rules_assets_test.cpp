// Every picture and sound the module rules name, as the game builds their
// names, is in the inventory and was built.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>

#include "Game/rules/GModuleDB.h"
#include "paths.h"

namespace {

// The words of a rules line; a quoted name is one word.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string w;
  while (in >> std::ws && in.peek() != EOF) {
    if (in.peek() == '"') {
      in.get();
      std::getline(in, w, '"');
    } else {
      in >> w;
    }
    out.push_back(w);
  }
  return out;
}

}  // namespace

TEST(RulesAssets, ModulePicturesAndSoundsExistForTheirGuild) {
  std::ifstream in(SourceDir() / "data" / "rules" / "modules.txt");
  ASSERT_TRUE(in);
  const art::Inventory& inv = ProjectInventory();
  std::string type;
  int modules = 0;
  for (std::string line; std::getline(in, line);) {
    const auto w = Words(line);
    if (w.size() >= 2 && w[0] == "modules") type = w[1];
    if (w.size() < 15 || w[0] != "module") continue;
    ++modules;
    const int guild = std::stoi(w[2]);
    const std::string& image = w[13];
    const std::string& sound = w[14];
    const art::Container* box = inv.FindContainer("ART/GUILD" + std::to_string(guild + 1) + "/guild.dll");
    ASSERT_NE(box, nullptr);
    for (bool small : {false, true}) {
      std::array<char, 64> name{};
      ASSERT_EQ(BuildModuleImagePath("", image.c_str(), small, name), 1);
      EXPECT_NE(box->Find(name.data()), nullptr) << w[1] << ": " << name.data();
    }
    if (sound == "-") continue;
    std::vector<const char*> suffixes = {""};
    if (type == "weapon") suffixes.insert(suffixes.end(), {"_f", "_h"});
    if (type == "defense") suffixes.push_back("_s");
    for (const char* suffix : suffixes) {
      std::array<char, 64> path{};
      ASSERT_EQ(BuildModuleSoundPath("", sound.c_str(), guild, suffix, path), 1);
      std::string host = path.data();
      for (char& c : host) c = c == '\\' ? '/' : c;
      EXPECT_TRUE(std::filesystem::is_regular_file(InstallDir() / "SOUND" / host)) << w[1] << ": " << path.data();
    }
  }
  EXPECT_GT(modules, 100);
}
