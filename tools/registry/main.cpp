// quenregistry OUT DRIVE_C DRIVE_D SERVER INSTALL_ROOT CD_ROOT VALUE=FOLDER...
//
// Writes the registry file of a fresh installation: the drive folders and the
// server program are host paths, the roots DOS paths ("C:\QUENBAR", "D:\"),
// each VALUE=FOLDER a directory value and its folder below the installation.

#include <iostream>
#include <string>

#include "tools/registry/fresh_registry.h"

int main(int argc, char** argv) {
  if (argc < 7) {
    std::cerr << "usage: quenregistry OUT DRIVE_C DRIVE_D SERVER INSTALL_ROOT CD_ROOT VALUE=FOLDER...\n";
    return 2;
  }
  registrydata::FreshInstallation install;
  install.driveC = argv[2];
  install.driveD = argv[3];
  install.server = argv[4];
  install.installRoot = argv[5];
  install.cdRoot = argv[6];
  for (int i = 7; i < argc; ++i) {
    const std::string pair = argv[i];
    const auto eq = pair.find('=');
    if (eq == std::string::npos || eq == 0) {
      std::cerr << "quenregistry: \"" << pair << "\" is not VALUE=FOLDER\n";
      return 2;
    }
    install.directories.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
  }
  std::string error;
  if (!registrydata::WriteFreshRegistry(argv[1], install, error)) {
    std::cerr << "quenregistry: " << error << '\n';
    return 1;
  }
  return 0;
}
