#pragma once
// DOS-style paths ("C:\QUENBAR\ART\name.ima") on the host file system. Drive
// letters map to host directories through a drive table; backslashes and
// slashes both separate components; every component is matched without regard
// to case against what exists on disk.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

enum class DriveType { NoRootDir, Fixed, CdRom };

// Maps drive `letter` (A..Z, either case) to `hostDir`. A drive marked CdRom is
// the one the game looks for its CD on.
void SetDrive(char letter, const std::filesystem::path& hostDir, DriveType type = DriveType::Fixed);
void ClearDrives();
DriveType GetDriveType(char letter);

// Resolves a DOS path to a host path. Existing components are matched without
// regard to case; components that do not exist yet keep their spelling (so a file
// about to be created lands where a later case-blind lookup finds it). Relative
// paths start at the current directory. Returns nothing when the drive is unmapped.
std::optional<std::filesystem::path> ResolveDosPath(std::string_view dosPath);

// The current directory, as a DOS path ("C:\QUENBAR").
std::string GetCurrentDosDirectory();
bool SetCurrentDosDirectory(std::string_view dosPath);

}  // namespace plat
