#include "Game/app/InstallCheck.h"

#include <strings.h>

#include <array>
#include <filesystem>
#include <vector>

#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/GKeyValueReader.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitClass.h"
#include "media/ArchiveFormat.h"
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

// The databases tell of their own file through the shell's rules message, as
// they do when a game starts; here a shell of the check's own takes their
// texts to join the others, and the program's shell comes back after.
class ProblemShell : public IClientShell {
 public:
  explicit ProblemShell(std::vector<std::string>& problems) : problems_(problems) {}
  void ShowRulesMessage(const char* text) override { problems_.emplace_back(text); }

 private:
  std::vector<std::string>& problems_;
};

void CheckRulesDatabases(std::vector<std::string>& problems) {
  IClientShell& told = ClientShell();
  ProblemShell shell(problems);
  RegisterClientShell(&shell);
  {
    const CGHullDB hulls;
    const CGModuleDB modules;
  }
  RegisterClientShell(&told);
}

// The install folder as the registry names it resolves to a folder: a
// registry that lost its drive table names folders on no drive.
bool InstallFolderResolves(CInstData& inst) {
  const auto host = plat::ResolveDosPath(inst.GetInstallPath());
  std::error_code ec;
  return host && std::filesystem::is_directory(*host, ec);
}

// The host folder a DOS folder path stands for; the DOS path itself when no
// drive holds it.
std::string HostFolder(std::string dosFolder) {
  while (dosFolder.size() > 1 && dosFolder.back() == '\\') dosFolder.pop_back();
  const auto host = plat::ResolveDosPath(dosFolder);
  return host ? host->string() : dosFolder;
}

bool InsideFolder(const char* dosPath, const std::string& dosFolder) {
  return strncasecmp(dosPath, dosFolder.c_str(), dosFolder.size()) == 0;
}

bool ArchiveOpens(const char* path) {
  if (ArchiveSystemInit(nullptr, 0, 16384, 200000) == 0) return false;
  const bool opens = ArchiveOpen(path, 0) == kArchiveOk;
  ArchiveSystemShutdown();
  return opens;
}

bool ModuleLoads(const char* path) {
  const plat::HMODULE module = plat::LoadLibrary(path);
  if (module == nullptr) return false;
  plat::FreeLibrary(module);
  return true;
}

}  // namespace

// A file cut short leaves the later classes with the built-in plans, unseen.
const char* DefaultBattlePlanProblem() {
  plat::FILE* fp = OpenDataFile("defBP.dat", "r");
  if (fp == nullptr) fp = OpenDataFile("..\\defBP.dat", "r");
  if (fp == nullptr) return kDefBPNotFound;
  int wholeBlocks = 0;
  std::size_t keysInBlock = 0;
  ReadKeyValueLines(fp, [&](std::string_view key, std::string_view) {
    if (!FindDefBPKey(key)) return;
    ++keysInBlock;
    if (key != kDefBPLastKey) return;
    if (keysInBlock == std::size(kDefBPKeys)) ++wholeBlocks;
    keysInBlock = 0;
  });
  plat::fclose(fp);
  return wholeBlocks >= kUnitClassCount ? nullptr : kDefBPCorrupted;
}

// A file cut short ends inside a name; one of other bytes holds characters no
// name has. Fewer names than asteroids are fine: the others are numbered.
const char* AsteroidNamesProblem(const char* installPath) {
  const std::string path = std::string(installPath) + "astnames.dat";
  plat::FILE* fp = OpenDataFile(path.c_str(), "rt");
  if (fp == nullptr) return kAstNamesMissingText;
  bool anyName = false, printable = true;
  int last = EOF;
  for (int c = plat::fgetc(fp); c != EOF; c = plat::fgetc(fp)) {
    const bool separator = c == '|' || c == '\n';
    anyName = anyName || !separator;
    printable = printable && (separator || (c >= 0x20 && c != 0x7F));
    last = c;
  }
  plat::fclose(fp);
  if (!anyName) return kAstNamesMissingText;
  return printable && last == '\n' ? nullptr : kAstNamesDamagedText;
}

// An archive cut short still opens, and fails only when a model is loaded in play.
bool ArchiveWhole(const char* path) {
  plat::FILE* fp = plat::fopen(path, "rb");
  if (fp == nullptr) return false;
  bool whole = false;
  std::uint8_t raw[kArchiveHeaderSize];
  ArchiveHeader header;
  if (plat::fseek(fp, 0, SEEK_END) == 0) {
    const long size = plat::ftell(fp);
    if (size > 0 && plat::fseek(fp, 0, SEEK_SET) == 0 && plat::fread(raw, 1, sizeof raw, fp) == sizeof raw &&
        ArchiveHeaderDecode(raw, &header) && ArchiveHeaderValid(header) && header.count <= kArchiveMaxEntries) {
      std::vector<std::uint8_t> record(ArchiveRecordSize(header.mode));
      whole = true;
      for (std::uint32_t i = 0; whole && i < header.count; ++i)
        whole = plat::fread(record.data(), 1, record.size(), fp) == record.size() &&
                ArchiveRecordInside(ArchiveRecordDecode(record.data()), static_cast<std::uint64_t>(size));
    }
  }
  plat::fclose(fp);
  return whole;
}

bool PaletteReads(const char* path) {
  plat::FILE* fp = plat::fopen(path, "rb");
  if (fp == nullptr) return false;
  std::array<std::uint8_t, 2 + 4 * 256> bytes{};
  const std::size_t got = plat::fread(bytes.data(), 1, bytes.size(), fp);
  plat::fclose(fp);
  return got >= 1 && got == 1 + 4 * (std::size_t{bytes[0]} + 1);
}

std::optional<std::string> ProgramModuleProblem() {
  const auto file = plat::UnreadProgramModule();
  if (!file) return std::nullopt;
  std::error_code ec;
  const char* what = std::filesystem::exists(*file, ec) ? "is damaged" : "is missing";
  return "The program's resource module " + file->string() + " " + what +
         ": the program cannot show its screens. Please reinstall the game.";
}

std::string RegistryDamagedText() {
  return "The settings file " + plat::RegistryFile().string() +
         " is missing or damaged: the game cannot find its folders. Please reinstall the game.";
}

std::string ArtFolderMissingText(const std::string& folder) {
  return "The art folder " + folder + " is missing. Please reinstall the game.";
}

InstallationReport CheckInstallation(CInstData& inst) {
  InstallationReport report;
  if (!FoldersKnown(inst) || !InstallFolderResolves(inst)) {
    report.foldersKnown = false;
    report.playable = false;
    report.problems.push_back(RegistryDamagedText());
    return report;
  }
  std::vector<std::string>& problems = report.problems;
  CheckRulesDatabases(problems);
  if (const char* text = DefaultBattlePlanProblem()) problems.emplace_back(text);
  if (const char* text = AsteroidNamesProblem(inst.GetInstallPath())) problems.emplace_back(text);
  // The rules fall back on defaults and the asteroids on numbers; what follows
  // has no stand-in.
  const std::size_t warnings = problems.size();

  char path[260];
  inst.BuildPath(path, "3ddata.nob", INSTPATH_3D);
  if (!ArchiveOpens(path) || !ArchiveWhole(path)) problems.emplace_back(kArchiveDamagedText);
  inst.BuildPath(path, "palette.dat", INSTPATH_3D);
  if (!PaletteReads(path)) problems.emplace_back(kPaletteDamagedText);
  // A missing art folder takes the image modules inside it along: it alone
  // is named, as the disk has it (the player never typed its drive path).
  const std::string art = inst.GetArtPath();
  const bool artFound = FolderExists(art.c_str());
  if (!artFound) problems.push_back(ArtFolderMissingText(HostFolder(art)));
  inst.BuildPath(path, "frontend.dll", INSTPATH_FRONTEND_ART);
  if ((artFound || !InsideFolder(path, art)) && !ModuleLoads(path)) problems.emplace_back(kFrontEndModuleDamagedText);
  inst.BuildPath(path, "ima.dll", INSTPATH_ART);
  if (artFound && !ModuleLoads(path)) problems.emplace_back(kImageModuleDamagedText);
  report.playable = problems.size() == warnings;
  return report;
}
