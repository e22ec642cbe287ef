#pragma once
// Where the user's settings live (the registry file among them).
// Reads the environment on each call: may be called from several threads.

#include <filesystem>

namespace plat {

// $QUENBAR_CONFIG_DIR when set and not empty, else $XDG_CONFIG_HOME/quenbar,
// else $HOME/.config/quenbar, else ".config/quenbar" below the working
// directory. Read from the environment on every call; the directory may not
// exist yet.
std::filesystem::path ConfigDirectory();

}  // namespace plat
