#include "platform/core/config.h"

#include <cstdlib>

namespace plat {

namespace {

const char* NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? v : nullptr;
}

}  // namespace

std::filesystem::path ConfigDirectory() {
  if (const char* dir = NonEmptyEnv("QUENBAR_CONFIG_DIR")) return dir;
  if (const char* xdg = NonEmptyEnv("XDG_CONFIG_HOME")) return std::filesystem::path(xdg) / "quenbar";
  if (const char* home = NonEmptyEnv("HOME")) return std::filesystem::path(home) / ".config" / "quenbar";
  return std::filesystem::path(".config") / "quenbar";
}

}  // namespace plat
