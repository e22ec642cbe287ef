#include "Game/app/InstallCheck.h"

#include <array>
#include <filesystem>
#include <functional>
#include <utility>

#include "Game/base/GInstData.h"
#include "Game/base/GKeyValueReader.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesLinks.h"
#include "media/ResourceArchive.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"

namespace {

// The folders without which nothing of the installation can be found.
bool FoldersKnown(CInstData& inst) {
  for (const char* folder : {inst.GetInstallPath(), inst.GetArtPath(), inst.GetFrontEndArtPath(), inst.Get3DPath()})
    if (folder == nullptr || *folder == '\0') return false;
  return true;
}

bool FolderExists(const char* dosPath) {
  const auto host = plat::ResolveDosPath(dosPath);
  std::error_code ec;
  return host && std::filesystem::is_directory(*host, ec);
}

// The databases tell of their own file through the rules' message link, as
// they do when a game starts; here their texts join the others.
void CheckRulesDatabases(std::vector<std::string>& problems) {
  auto told = std::exchange(g_rulesLinks.showMessage,
                            [&problems](const char* text) { problems.emplace_back(text); });
  {
    const CGHullDB hulls;
    const CGModuleDB modules;
  }
  g_rulesLinks.showMessage = std::move(told);
}

// "defBP.dat" as the game start reads it: found, and holding its keys.
const char* DefaultBattlePlanProblem() {
  plat::FILE* fp = OpenDataFile("defBP.dat", "r");
  if (fp == nullptr) fp = OpenDataFile("..\\defBP.dat", "r");
  if (fp == nullptr) return kDefBPNotFound;
  bool anyKey = false;
  ReadKeyValueLines(fp, [&anyKey](std::string_view key, std::string_view) { anyKey = anyKey || FindDefBPKey(key); });
  plat::fclose(fp);
  return anyKey ? nullptr : kDefBPCorrupted;
}

bool ArchiveOpens(const char* path) {
  if (ArchiveSystemInit(nullptr, 0, 16384, 200000) == 0) return false;
  const bool opens = ArchiveOpen(path, 0) == kArchiveOk;
  ArchiveSystemShutdown();
  return opens;
}

// The scene's colour table: a count byte (entries - 1), then four bytes per entry.
bool PaletteReads(const char* path) {
  plat::FILE* fp = plat::fopen(path, "rb");
  if (fp == nullptr) return false;
  std::array<std::uint8_t, 1 + 4 * 256> bytes{};
  const std::size_t got = plat::fread(bytes.data(), 1, bytes.size(), fp);
  plat::fclose(fp);
  return got >= 1 && got >= 1 + 4 * (std::size_t{bytes[0]} + 1);
}

bool ModuleLoads(const char* path) {
  const plat::HMODULE module = plat::LoadLibrary(path);
  if (module == nullptr) return false;
  plat::FreeLibrary(module);
  return true;
}

}  // namespace

std::string RegistryDamagedText() {
  return "The settings file " + plat::RegistryFile().string() +
         " is missing or damaged: the game cannot find its folders. Please reinstall the game.";
}

std::string ArtFolderMissingText(const std::string& folder) {
  return "The art folder " + folder + " is missing. Please reinstall the game.";
}

InstallationReport CheckInstallation(CInstData& inst) {
  InstallationReport report;
  if (!FoldersKnown(inst)) {
    report.foldersKnown = false;
    report.problems.push_back(RegistryDamagedText());
    return report;
  }
  std::vector<std::string>& problems = report.problems;
  CheckRulesDatabases(problems);
  if (const char* text = DefaultBattlePlanProblem()) problems.emplace_back(text);
  if (!LoadAsteroidName(1)) problems.emplace_back(kAstNamesMissingText);

  char path[260];
  inst.BuildPath(path, "3ddata.nob", INSTPATH_3D);
  if (!ArchiveOpens(path)) problems.emplace_back(kArchiveDamagedText);
  inst.BuildPath(path, "palette.dat", INSTPATH_3D);
  if (!PaletteReads(path)) problems.emplace_back(kPaletteDamagedText);
  inst.BuildPath(path, "frontend.dll", INSTPATH_FRONTEND_ART);
  if (!ModuleLoads(path)) problems.emplace_back(kFrontEndModuleDamagedText);
  const std::string art = inst.GetArtPath();
  if (!FolderExists(art.c_str())) {
    problems.push_back(ArtFolderMissingText(art));
  } else {
    inst.BuildPath(path, "ima.dll", INSTPATH_ART);
    if (!ModuleLoads(path)) problems.emplace_back(kImageModuleDamagedText);
  }
  return report;
}
