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

std::optional<std::filesystem::path> UseInstallationBesideProgram() {
  if (NonEmptyEnv("QUENBAR_CONFIG_DIR")) return std::nullopt;
  std::error_code error;
  if (std::filesystem::exists(ConfigDirectory() / "registry.reg", error)) return std::nullopt;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  const std::filesystem::path built = self.parent_path().parent_path() / "gamedata" / "config";
  if (!std::filesystem::exists(built / "registry.reg", error)) return std::nullopt;
  if (::setenv("QUENBAR_CONFIG_DIR", built.c_str(), 1) != 0) return std::nullopt;
  return built;
}

}  // namespace plat
