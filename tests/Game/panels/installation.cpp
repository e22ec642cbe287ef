// The panel tests read the installation the data build laid out (its art
// modules, rules files and registry). The installation settings open the
// registry while the program starts, so its place is given before them.
#include <cstdlib>
#include <string>

namespace {

struct UseBuiltInstallation {
  UseBuiltInstallation() {
    setenv("QUENBAR_CONFIG_DIR", (std::string(QUEN_BUILD_DIR) + "/gamedata/config").c_str(), 1);
  }
};
__attribute__((init_priority(150))) UseBuiltInstallation g_useBuiltInstallation;

}  // namespace
