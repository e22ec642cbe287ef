// Every asset name, cursor and help topic the game code asks for is in the
// inventory and in the built modules.

#include <gtest/gtest.h>

#include <set>

#include "asset_scan.h"
#include "paths.h"
#include "platform/resource/cursoricon.h"
#include "platform/resource/module.h"

namespace {

std::vector<std::string> Texts(const std::vector<AssetUse>& uses) {
  std::vector<std::string> out;
  for (const auto& u : uses) out.push_back(u.text + "@" + std::to_string(u.line) + (u.soundCall ? "!" : ""));
  return out;
}

// Names of the modules the game loads that the data build does not make from
// the inventory: the help module, the program's own, the system's.
const std::set<std::string> kOtherModules = {"help.dll", "quenbar.dll", "kernel32.dll", "hvmultr5.dll"};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TEST(AssetScan, FindsNamesFormatsCursorsTopicsAndSoundCalls) {
  const auto uses = FindAssetUses(R"src(
    sprintf(name, "%sbkgnd%d.ima", path, n);   LoadLibrary("frontend.DLL");
    SetCursor(LoadCursor(module, "IDC_CURSOR_NORMAL_RED"));
    FindResource(help, "#239", "HELP"); g_sndPlay->PlayEffect( "click", 1.0f, 0.0f, 0);
    Play("%smovies\\intro.avi"); PlaySoundAt("@beam_f.wav", point);
    Log("turn.txt"); Other("#12a"); PlayEffectLater("not a sound call");
  )src");
  EXPECT_EQ(Texts(uses), (std::vector<std::string>{"%sbkgnd%d.ima@2", "frontend.DLL@2", "IDC_CURSOR_NORMAL_RED@3",
                                                   "#239@4", "click@4!", "%smovies\\intro.avi@5", "@beam_f.wav@5!"}));
}

TEST(AssetScan, FormatsMatchTheNamesTheyBuild) {
  EXPECT_TRUE(FormatMatches(LookupPart("%s%s%04d.ima"), "prgs0012.ima"));
  EXPECT_TRUE(FormatMatches(LookupPart("%sfrmeanim\\ahse00%0.02d.ima"), "ahse0007.ima"));
  EXPECT_TRUE(FormatMatches(LookupPart("%sbkgnd%d.ima"), "BKGND15.ima"));
  EXPECT_TRUE(FormatMatches("i%%chance%s.ima", "i%chanceu.ima"));
  EXPECT_TRUE(FormatMatches("%s%XrplyS.dat", "1fArplys.dat"));
  EXPECT_FALSE(FormatMatches("%sbkgnd%d.ima", "bkgndx.ima"));
  EXPECT_FALSE(FormatMatches("%sbkgnd%d.ima", "bkgnd.ima"));
  EXPECT_FALSE(FormatMatches("a.ima", "a.imax"));
}

TEST(AssetScan, EveryAssetTheCodeAsksForIsBuilt) {
  const art::Inventory& inv = ProjectInventory();
  std::vector<std::string> images, files, sounds, modules;
  for (const auto& c : inv.containers) {
    if (c.isModule) modules.push_back(Lower(std::filesystem::path(c.path).filename().string()));
    for (const auto& a : c.assets) {
      (c.isModule ? images : files).push_back(a.name);
      if (a.kind == "effect" || a.kind == "voice") sounds.push_back(a.name);
    }
  }
  plat::HMODULE program = plat::LoadLibrary(ProgramModule().string().c_str());
  ASSERT_NE(program, nullptr) << ProgramModule();
  plat::HMODULE help = plat::LoadLibrary((InstallDir() / "HELP" / "help.dll").string().c_str());
  ASSERT_NE(help, nullptr);

  auto anyMatches = [](const std::vector<std::string>& names, const std::string& format) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return FormatMatches(format, n); });
  };
  int checked = 0;
  quentest::ForEachSourceFile(
      SourceDir(), {"Game", "media", "sg"}, {".cpp", ".cc", ".h", ".hpp", ".inl"},
      [&](const std::filesystem::path& file, const std::string& text) {
        for (const AssetUse& use : FindAssetUses(text)) {
          ++checked;
          const std::string where = file.string() + ":" + std::to_string(use.line) + ": \"" + use.text + "\"";
          const std::string part = LookupPart(use.text);
          const std::string ext = Lower(std::filesystem::path(part).extension().string());
          if (use.text.rfind("IDC_CURSOR_", 0) == 0) {
            if (use.text.find('%') == std::string::npos) {
              EXPECT_TRUE(plat::LoadCursorGroup(program, plat::ResName(use.text)).has_value()) << where;
            }
          } else if (use.text[0] == '#') {
            EXPECT_FALSE(plat::ResourceBytes(help, plat::ResName(use.text), plat::ResName("HELP")).empty()) << where;
          } else if (ext == ".dll") {
            const std::string name = Lower(part);
            EXPECT_TRUE(kOtherModules.contains(name) ||
                        std::find(modules.begin(), modules.end(), name) != modules.end())
                << where;
          } else if (use.soundCall) {
            EXPECT_TRUE(anyMatches(sounds, part)) << where << " is no sound of the inventory";
          } else {
            EXPECT_TRUE(anyMatches(ext == ".ima" || ext == ".tga" || ext == ".bmp" ? images : files, part))
                << where << " is in no module or folder of the inventory";
          }
        }
      });
  plat::FreeLibrary(help);
  plat::FreeLibrary(program);
  RecordProperty("asset uses checked", checked);
}
