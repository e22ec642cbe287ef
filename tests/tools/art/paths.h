#pragma once

#include <filesystem>

#include "tools/art/inventory.h"

// The source tree, the installation tree the data build wrote, and the inventory.
inline std::filesystem::path SourceDir() { return std::filesystem::path(QUEN_SOURCE_DIR); }
inline std::filesystem::path InstallDir() { return std::filesystem::path(QUEN_BUILD_DIR) / "gamedata" / "c" / "QUENBAR"; }
inline std::filesystem::path CdDir() { return std::filesystem::path(QUEN_BUILD_DIR) / "gamedata" / "d"; }
inline std::filesystem::path ProgramModule() { return std::filesystem::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll"; }

// A container's folder or file in the installation tree ("CD:" paths on drive D).
inline std::filesystem::path HostPath(const std::string& path) {
  if (path.rfind("CD:", 0) == 0) return CdDir() / path.substr(3);
  return InstallDir() / path;
}

inline const art::Inventory& ProjectInventory() {
  static const art::Inventory inventory = art::ReadInventory(SourceDir() / "data" / "assets");
  return inventory;
}
