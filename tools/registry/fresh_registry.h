#pragma once
// The registry of a fresh installation: the directories and switches the
// program reads at start, the drive mapping of the platform layer and the
// server program's place. Written through the platform's registry, the one
// writer of that file. Not for use from several threads.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace registrydata {

struct FreshInstallation {
  std::string installRoot;  // DOS path of the installation, "C:\QUENBAR"
  std::string cdRoot;       // DOS path of the CD's root, "D:\"
  // Registry value and folder below the installation ('/' between names; "."
  // the installation itself), e.g. {"ARTPATH", "ART"}.
  std::vector<std::pair<std::string, std::string>> directories;
  std::filesystem::path driveC, driveD;  // host folders of the drives
  std::filesystem::path server;          // host path of the server program
};

// Writes the registry file `file` afresh (whatever it held is replaced, and
// only once every value is in). False, with `error` saying why, when a value
// cannot be stored or the file cannot be written.
bool WriteFreshRegistry(const std::filesystem::path& file, const FreshInstallation& install, std::string& error);

}  // namespace registrydata
