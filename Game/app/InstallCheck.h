#pragma once
// The installation as the program finds it when it starts: the registry file
// that names its folders, the rules files, the asteroid names, the 3D archive
// and its colour table, the image modules and the art folder. A damaged or
// missing piece would otherwise show only later as an empty game or a blank
// screen, so each one found wrong gives the player a text naming it. Game
// thread only.

#include <optional>
#include <string>
#include <vector>

class CInstData;

struct InstallationReport {
  // False when the registry does not name the installation's folders: then
  // nothing else could be looked for, and every other complaint (such as a
  // rules file not found) is a consequence of that one.
  bool foldersKnown = true;
  // False when a file the screens cannot do without is missing or damaged:
  // the program then ends rather than show a game it cannot draw.
  bool playable = true;
  // One text per problem, in the order above; empty for a sound installation.
  std::vector<std::string> problems;
};

// The folders come from `installation`; the rules files are looked for as the
// game looks for them (through g_instData, which the program passes here too).
InstallationReport CheckInstallation(CInstData& installation);

// The checks of single files, each reading no more than its file.
// "defBP.dat" (else "..\defBP.dat") as the game start reads it: null when
// found and holding a whole block of keys for every unit class, else
// kDefBPNotFound or kDefBPCorrupted.
const char* DefaultBattlePlanProblem();
// "<installPath>astnames.dat": null when it holds names of printable
// characters, the last closed by its line end; else kAstNamesMissingText (no
// file, or no name) or kAstNamesDamagedText.
const char* AsteroidNamesProblem(const char* installPath);
// True when every resource the archive's directory lists lies inside the file.
bool ArchiveWhole(const char* path);
// The scene's colour table: true for a count byte (entries - 1), then four
// bytes per entry, and nothing after them.
bool PaletteReads(const char* path);

// The program's own resource module, beside the program rather than in the
// installation, holds every dialog, text and cursor: without it not one
// screen can be shown. The text naming its file when it is missing or could
// not be read; nothing when it was read.
std::optional<std::string> ProgramModuleProblem();

// What the player is told; the file names are the installation's own.
std::string RegistryDamagedText();
constexpr const char* kAstNamesMissingText =
    "The asteroid names file astnames.dat is missing or empty. Please reinstall the game.";
constexpr const char* kAstNamesDamagedText =
    "The asteroid names file astnames.dat is damaged. Please reinstall the game.";
constexpr const char* kArchiveDamagedText =
    "The 3D data archive 3ddata.nob is missing or damaged. Please reinstall the game.";
constexpr const char* kPaletteDamagedText =
    "The 3D colour table palette.dat is missing or damaged. Please reinstall the game.";
constexpr const char* kFrontEndModuleDamagedText =
    "The image module frontend.dll is missing or damaged. Please reinstall the game.";
constexpr const char* kImageModuleDamagedText =
    "The image module ima.dll is missing or damaged. Please reinstall the game.";
std::string ArtFolderMissingText(const std::string& folder);
