#pragma once
// Where the user's settings live (the registry file among them).
// Reads the environment on each call: may be called from several threads.

#include <filesystem>
#include <optional>

namespace plat {

// $QUENBAR_CONFIG_DIR when set and not empty, else $XDG_CONFIG_HOME/quenbar,
// else $HOME/.config/quenbar, else ".config/quenbar" below the working
// directory. Read from the environment on every call; the directory may not
// exist yet.
std::filesystem::path ConfigDirectory();

// For a program run straight from the build tree: when neither
// $QUENBAR_CONFIG_DIR nor the user's folder names an installation (no
// registry file there) and the data build laid one beside the program
// ("<build>/gamedata/config/registry.reg" for "<build>/<folder>/<program>"),
// sets $QUENBAR_CONFIG_DIR to that folder and returns it; else nothing.
// Call once at start, before any other thread runs.
std::optional<std::filesystem::path> UseInstallationBesideProgram();

}  // namespace plat
