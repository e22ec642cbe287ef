#pragma once

#include <filesystem>

#include "tools/art/inventory.h"

// The source tree, the installation tree the data build wrote, and the inventory.
inline std::filesystem::path SourceDir() { return std::filesystem::path(QUEN_SOURCE_DIR); }
inline std::filesystem::path InstallDir() {
  return std::filesystem::path(QUEN_BUILD_DIR) / "gamedata" / "c" / "QUENBAR";
}
inline std::filesystem::path ProgramModule() { return std::filesystem::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll"; }

// A container's folder or module file in the installation tree.
inline std::filesystem::path HostPath(const art::Container& c) {
  return std::filesystem::path(QUEN_BUILD_DIR) / "gamedata" / art::TreeFolder(c);
}

inline const art::Inventory& ProjectInventory() {
  static const art::Inventory inventory = art::ReadInventory(SourceDir() / "data" / "assets");
  return inventory;
}
